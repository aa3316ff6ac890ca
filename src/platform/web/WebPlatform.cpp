#include "platform/web/WebPlatform.h"

#include <emscripten.h>

#include <string>

#include "platform/Cp437.h"

// The page script (page.js) keeps the keys typed into the page and owns the
// canvas; these are the calls into it.

// The next typed key as its byte (the page passes on no key without a
// character), -1 when none is waiting.
EM_JS(int, dw_web_next_key, (), { return Module.duskwarren.nextKey(); });

// Resolves once a key is waiting (at once if one already is).
EM_ASYNC_JS(void, dw_web_wait_for_key, (), { await Module.duskwarren.keyArrived(); });

// Draws 320 x 200 palette indices through a palette of 256 r, g, b triples.
EM_JS(void, dw_web_present, (const std::uint8_t* page, const std::uint8_t* rgb), {
  Module.duskwarren.present(HEAPU8.subarray(page, page + 64000), HEAPU8.subarray(rgb, rgb + 768));
});

EM_JS(double, dw_web_timer, (), {
  const now = new Date();
  return now.getHours() * 3600 + now.getMinutes() * 60 + now.getSeconds() +
         now.getMilliseconds() / 1000;
});

// Fills six ints: hour, minute, second, month, day, year.
EM_JS(void, dw_web_local_time, (int* out), {
  const now = new Date();
  const fields = [
    now.getHours(), now.getMinutes(), now.getSeconds(), now.getMonth() + 1, now.getDate(),
    now.getFullYear()
  ];
  for (let i = 0; i < 6; ++i) HEAP32[(out >> 2) + i] = fields[i];
});

EM_JS(void, dw_web_hide_mouse, (), { Module.duskwarren.hideMouse(); });

// An icon of width x height palette indices through 256 r, g, b triples.
EM_JS(void, dw_web_set_icon,
      (const std::uint8_t* pixels, int width, int height, const std::uint8_t* rgb), {
        Module.duskwarren.setIcon(HEAPU8.subarray(pixels, pixels + width * height), width, height,
                                  HEAPU8.subarray(rgb, rgb + 768));
      });

// A panel as JSON: {title, footer, empty, pageable, atTop, lines: [[label,
// text, labelColour, textColour, heading], ...]}, text in UTF-8.
EM_JS(void, dw_web_show_panel, (const char* json),
      { Module.duskwarren.showPanel(JSON.parse(UTF8ToString(json))); });

// The party's notice, what the shell tells for a while, and the notice over
// the picture (UTF-8, empty for none).
EM_JS(void, dw_web_notice, (const char* which, const char* text),
      { Module.duskwarren.notice(UTF8ToString(which), UTF8ToString(text)); });

// Shows the end of the game and resolves when the player starts a new one.
EM_ASYNC_JS(void, dw_web_game_ended, (int code), { await Module.duskwarren.gameEnded(code); });

namespace dw {

static_assert(sizeof(Rgb) == 3, "the palette is handed to the page as packed r, g, b bytes");
static_assert(Screen::pageSize == 64000, "the page script draws 320 x 200 pixels");

WebPlatform::WebPlatform() = default;

double WebPlatform::readTimer() {
  return dw_web_timer();
}

ClockTime WebPlatform::readLocalTime() {
  int fields[6] = {};
  dw_web_local_time(fields);
  return {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

void WebPlatform::hideMouse() {
  dw_web_hide_mouse();
}

void WebPlatform::setIcon(const Image& icon) {
  if (icon.width <= 0 || icon.height <= 0 ||
      icon.pixels.size() != static_cast<std::size_t>(icon.width) * icon.height) {
    return;
  }
  dw_web_set_icon(icon.pixels.data(), icon.width, icon.height,
                  reinterpret_cast<const std::uint8_t*>(screen().palette().data()));
}

void WebPlatform::present() {
  const Screen& s = screen();
  if (shownOnce_ && s.visibleChanges() == shownChanges_) return;
  shownOnce_ = true;
  shownChanges_ = s.visibleChanges();
  dw_web_present(s.page(s.visiblePage()),
                 reinterpret_cast<const std::uint8_t*>(s.palette().data()));
}

namespace {

// What the page queues beside the game's bytes: the panel keys, and the
// closing of a panel. None of them reaches the game.
constexpr int keyHelpAsked = 0x100, messageLogAsked = 0x101, panelClosed = 0x102;

std::string utf8Of(const std::string& cp437) {
  std::string out;
  for (char c : cp437) appendUtf8(out, unicodeOfCp437(static_cast<std::uint8_t>(c)));
  return out;
}

// A JSON string of code-page-437 text.
std::string jsonText(const std::string& cp437) {
  std::string out = "\"";
  for (char c : utf8Of(cp437)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string panelJson(const OverlayContent& panel) {
  std::string json = "{\"title\":" + jsonText(panel.title) +
                     ",\"footer\":" + jsonText(panel.footer) +
                     ",\"empty\":" + jsonText(panel.empty) +
                     ",\"pageable\":" + (panel.pageable ? "true" : "false") +
                     ",\"atTop\":" + (panel.opensAtTop ? "true" : "false") + ",\"lines\":[";
  for (std::size_t i = 0; i < panel.lines.size(); ++i) {
    const OverlayLine& line = panel.lines[i];
    json += std::string(i > 0 ? "," : "") + "[" + jsonText(line.label) + "," + jsonText(line.text) +
            "," + std::to_string(line.labelColour) + "," + std::to_string(line.textColour) + "," +
            (line.heading ? "true" : "false") + "]";
  }
  return json + "]}";
}

}  // namespace

void WebPlatform::pumpEvents() {
  for (int key = dw_web_next_key(); key >= 0; key = dw_web_next_key()) {
    if (key == keyHelpAsked || key == messageLogAsked) {
      openPanel(key == keyHelpAsked ? PanelKind::keyHelp : PanelKind::messageLog);
    } else if (key == panelClosed) {
      panelOpen_ = false;
    } else {
      pushKey(std::string(1, static_cast<char>(key & 0xFF)));
    }
  }
}

void WebPlatform::openPanel(PanelKind kind) {
  if (shell_ == nullptr) return;
  panelOpen_ = true;
  dw_web_show_panel(panelJson(shell_->panel(kind)).c_str());
}

void WebPlatform::setNotice(const std::string& notice) {
  dw_web_notice("notice", utf8Of(notice).c_str());
}

void WebPlatform::setWatchStatus(const std::string& status) {
  dw_web_notice("watch", status.c_str());
}

void WebPlatform::tell(const std::string& message) {
  dw_web_notice("told", message.c_str());
}

void WebPlatform::showBanner(const std::string& text) {
  dw_web_notice("banner", utf8Of(text).c_str());
}

bool WebPlatform::waitEvents() {
  present();
  dw_web_wait_for_key();
  pumpEvents();
  return true;
}

void WebPlatform::waitForRestart(int exitCode) {
  dw_web_game_ended(exitCode);
}

}  // namespace dw
