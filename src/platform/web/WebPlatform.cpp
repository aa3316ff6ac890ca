#include "platform/web/WebPlatform.h"

#include <emscripten.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

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

// Shows the end of the game and resolves when the player starts a new one.
EM_ASYNC_JS(void, dw_web_game_ended, (int code), { await Module.duskwarren.gameEnded(code); });

// The calls below hand JavaScript to the page as it is written; clang-format
// would space out its operators.
// clang-format off

// Resolves once a key is waiting or ms milliseconds have passed.
EM_ASYNC_JS(void, dw_web_wait_for_key_or, (int ms), { await Module.duskwarren.keyArrived(ms); });

// Bytes the page hands over in two steps: their length (after waiting for
// the browser's storage), then the bytes themselves. The kept run is this
// tab's once it holds it (another tab's is taken over only when the player
// says so).
EM_ASYNC_JS(int, dw_web_fetch_kept_run, (), {
  const run = await Module.duskwarren.runs.takeUp();
  Module.duskwarren.keptRunFound = run;
  Module.duskwarren.handOver = run ? run.chunks : [];
  return run ? run.bytes : 0;
});
// The newest checkpoint kept beside that run (none: no bytes).
EM_JS(int, dw_web_fetch_kept_checkpoint, (), {
  const run = Module.duskwarren.keptRunFound;
  Module.duskwarren.handOver = run && run.checkpoint ? run.checkpoint : new Uint8Array(0);
  return Module.duskwarren.handOver.length;
});
EM_JS(void, dw_web_keep_checkpoint, (const std::uint8_t* bytes, int size), {
  Module.duskwarren.runs.keepCheckpoint(HEAPU8.slice(bytes, bytes + size));
});
// On the page for tests and styles: how the kept run was caught up.
EM_JS(void, dw_web_caught_up, (int fromCheckpoint), {
  document.body.dataset.caughtUp = fromCheckpoint ? "checkpoint" : "start";
});
EM_JS(void, dw_web_kept_run_refused, (const char* reason, int size), {
  Module.duskwarren.runs.refused(Module.duskwarren.keptRunFound,
                                 Module.duskwarren.textOf(HEAPU8.subarray(reason, reason + size)));
});
EM_ASYNC_JS(int, dw_web_fetch_watch, (), {
  const chosen = await Module.duskwarren.runs.takeRecordingToWatch();
  if (!chosen) return -1;
  Module.duskwarren.handOver = chosen.bytes;
  Module.duskwarren.watchedName = chosen.name;
  return chosen.bytes.length;
});
// The name of the file chosen to watch, made safe for a file name.
EM_JS(int, dw_web_fetch_watched_name, (), {
  const name = String(Module.duskwarren.watchedName || "recording.dwrec");
  Module.duskwarren.handOver = new TextEncoder().encode(name.replace(/[^A-Za-z0-9._-]/g, "_").slice(-100));
  return Module.duskwarren.handOver.length;
});
// The bytes, or the list of pieces they come in.
EM_JS(void, dw_web_take_hand_over, (std::uint8_t * out), {
  let at = out;
  for (const piece of [].concat(Module.duskwarren.handOver)) {
    HEAPU8.set(piece, at);
    at += piece.length;
  }
  Module.duskwarren.handOver = null;
});

// The name of the pad plugged in or taken out last, for the hand-over.
EM_JS(int, dw_web_fetch_pad_name, (), {
  Module.duskwarren.handOver = new TextEncoder().encode(String(Module.duskwarren.padName || "").slice(0, 100));
  return Module.duskwarren.handOver.length;
});
EM_JS(void, dw_web_begin_run, (), { Module.duskwarren.runs.begin(); });
// The kept run goes on from its first `bytes` bytes; no tap on the picture
// is Space in it. The game does not wait for the store: what it hands over
// meanwhile is written once the run is ready there.
EM_JS(void, dw_web_go_on, (double bytes), {
  Module.duskwarren.goingOn();
  Module.duskwarren.runs.resume(Module.duskwarren.keptRunFound, bytes);
});
EM_JS(void, dw_web_keep, (const char* text, int size), {
  Module.duskwarren.runs.append(HEAPU8.slice(text, text + size));
});

// Code-page-437 bytes go to the page as they are; it turns them into text.
EM_JS(void, dw_web_tell_turn,
      (const char* messages, int size, const char* member, int memberSize, const std::int32_t* values), {
        const text = (p, n) => Module.duskwarren.textOf(HEAPU8.subarray(p, p + n));
        const v = HEAP32.subarray(values >> 2, (values >> 2) + 8);
        Module.duskwarren.tellTurn({
          messages: size > 0 ? text(messages, size).split('\n') : [],
          status: { member: text(member, memberSize), hp: v[0], ap: v[1], dp: v[2], mp: v[3],
                    level: v[4], gold: v[5], keys: v[6], bombs: v[7] },
        });
      });

EM_JS(void, dw_web_set_notice, (const char* text, int size), {
  Module.duskwarren.front.notice(Module.duskwarren.textOf(HEAPU8.subarray(text, text + size)));
});
EM_JS(void, dw_web_show_banner, (const char* text, int size), {
  Module.duskwarren.front.banner(Module.duskwarren.textOf(HEAPU8.subarray(text, text + size)));
});
EM_JS(void, dw_web_tell, (const char* text, int size), {
  Module.duskwarren.front.tell(UTF8ToString(text, size));
});
EM_JS(void, dw_web_watch_status, (const char* text, int size), {
  Module.duskwarren.front.watchStatus(UTF8ToString(text, size));
});
EM_JS(int, dw_web_panel_open, (), { return Module.duskwarren.front.panelOpen() ? 1 : 0; });
EM_JS(void, dw_web_panel_close, (), { Module.duskwarren.front.closePanel(); });
// The page's own keys and the numbers that ask the game for what they do,
// as JSON: {"keys": {name: action}, "requests": {action: number}}.
EM_JS(void, dw_web_set_front_keys, (const char* json), {
  Module.duskwarren.setFrontKeys(JSON.parse(UTF8ToString(json)));
});
EM_JS(void, dw_web_panel_begin, (const char* title, int size), {
  Module.duskwarren.front.panelBegin(Module.duskwarren.textOf(HEAPU8.subarray(title, title + size)));
});
EM_JS(void, dw_web_panel_line, (const char* label, int labelSize, const char* text, int size, int heading), {
  const bytes = (p, n) => Module.duskwarren.textOf(HEAPU8.subarray(p, p + n));
  Module.duskwarren.front.panelLine(bytes(label, labelSize), bytes(text, size), heading !== 0);
});
EM_JS(void, dw_web_panel_show, (const char* footer, int size, int atTop), {
  Module.duskwarren.front.panelShow(Module.duskwarren.textOf(HEAPU8.subarray(footer, footer + size)),
                                    atTop !== 0);
});

// What the list of runs keeps beside each run, and a run taken up by the
// shell (see runlist.js).
EM_JS(void, dw_web_keep_summary, (const char* text, int size), {
  Module.duskwarren.runlist.keepSummary(UTF8ToString(text, size));
});
EM_ASYNC_JS(int, dw_web_fetch_kept_summary, (), {
  const run = Module.duskwarren.keptRunFound;
  const text = run ? await Module.duskwarren.runlist.summaryOf(run.id) : "";
  Module.duskwarren.handOver = new TextEncoder().encode(text);
  return Module.duskwarren.handOver.length;
});
EM_ASYNC_JS(int, dw_web_fetch_continue, (), {
  const chosen = await Module.duskwarren.runlist.takeRecordingToContinue();
  if (!chosen) return -1;
  Module.duskwarren.handOver = chosen.bytes;
  Module.duskwarren.watchedName = chosen.name;
  return chosen.bytes.length;
});
EM_ASYNC_JS(int, dw_web_fetch_last_run, (), {
  const run = await Module.duskwarren.runlist.lastRun();
  if (!run) return -1;
  Module.duskwarren.lastRunText = new TextEncoder().encode(run.text);
  Module.duskwarren.lastRunSummary = new TextEncoder().encode(run.summary || "");
  Module.duskwarren.handOver = new TextEncoder().encode(run.file);
  return Module.duskwarren.handOver.length;
});
EM_JS(int, dw_web_fetch_last_run_text, (int summary), {
  const run = Module.duskwarren;
  run.handOver = summary ? run.lastRunSummary : run.lastRunText;
  return run.handOver.length;
});
EM_JS(void, dw_web_adopt_run, (const char* text, int size, int offered), {
  Module.duskwarren.runlist.adopt(new TextDecoder().decode(HEAPU8.subarray(text, text + size)),
                                  offered !== 0);
});
// Its lines are parted by newlines, which the page's text has no other use for.
EM_JS(void, dw_web_start_hint, (const char* text, int size), {
  const bytes = HEAPU8.subarray(text, text + size);
  const lines = [];
  for (let from = 0; from <= bytes.length;) {
    let to = bytes.indexOf(10, from);
    if (to < 0) to = bytes.length;
    lines.push(Module.duskwarren.textOf(bytes.subarray(from, to)));
    from = to + 1;
  }
  Module.duskwarren.front.startHint(lines);
});
// A moment for the page to show what changed and to take the keys typed
// meanwhile, while the game works on without waiting (a run caught up).
EM_ASYNC_JS(void, dw_web_breathe, (), { await new Promise((resolve) => setTimeout(resolve, 0)); });

// clang-format on

namespace dw {

namespace {

// What the page's queue holds beside key bytes: the player asked for what a
// key of the page's own does (a panel, a picture), as this number plus the
// action. The page's script learns the numbers from frontKeysJson(), so they
// are written here alone.
constexpr int requestBase = 1000;
// A gamepad's changes, the same way: a button (the number plus twice the
// button, plus one when it went down), a pad plugged in (plus its family),
// taken out, and the left stick (plus (x + 100) * 201 + y + 100, each axis in
// hundredths).
constexpr int padButtonBase = 2000, padPlugBase = 2100, padUnplugItem = 2110, padStickBase = 3000;

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string frontKeysJson(const FrontKeys& table) {
  std::string keys, requests;
  for (const FrontKey& row : table) {
    for (const std::string& name : row.keys)
      keys += (keys.empty() ? "" : ",") + quoted(name) + ":" + quoted(actionName(row.action));
  }
  for (FrontAction action : allFrontActions) {
    requests += (requests.empty() ? "" : ",") + quoted(actionName(action)) + ":" +
                std::to_string(requestBase + static_cast<int>(action));
  }
  std::string pad = "\"pad\":{\"button\":" + std::to_string(padButtonBase) +
                    ",\"plug\":" + std::to_string(padPlugBase) +
                    ",\"unplug\":" + std::to_string(padUnplugItem) +
                    ",\"stick\":" + std::to_string(padStickBase) + "}";
  return "{\"keys\":{" + keys + "},\"requests\":{" + requests + "}," + pad + "}";
}

// The action a number of the page's queue asks for, if it is one.
std::optional<FrontAction> requested(int item) {
  for (FrontAction action : allFrontActions) {
    if (item == requestBase + static_cast<int>(action)) return action;
  }
  return std::nullopt;
}

}  // namespace

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
  if (!shownOnce_ || s.visibleChanges() != shownChanges_) {
    shownOnce_ = true;
    shownChanges_ = s.visibleChanges();
    dw_web_present(s.page(s.visiblePage()),
                   reinterpret_cast<const std::uint8_t*>(s.palette().data()));
  }
  // A notice shown while the game works on (how far a catch-up has got)
  // needs the page to have a moment, as do the keys that may stop it.
  if (noticeChanged_) {
    noticeChanged_ = false;
    dw_web_breathe();
  }
}

void WebPlatform::pumpEvents() {
  for (int item = dw_web_next_key(); item >= 0; item = dw_web_next_key()) {
    if (item >= padButtonBase) {
      padItem(item);
    } else if (auto action = requested(item)) {
      request(*action);
    } else if (dw_web_panel_open() != 0) {
      // A key typed (or tapped) while a panel shows closes it, and the game
      // never sees it.
      dw_web_panel_close();
    } else {
      pushKey(std::string(1, static_cast<char>(item & 0xFF)));
    }
  }
}

// A pad's change, handed to the shell, which makes the game's keys of it.
// Under a panel a button closes the panel and goes no further.
void WebPlatform::padItem(int item) {
  if (events_ == nullptr) return;
  const bool panel = dw_web_panel_open() != 0;
  if (item >= padStickBase) {
    int v = item - padStickBase;
    if (!panel) events_->padStick((v / 201 - 100) / 100.0, (v % 201 - 100) / 100.0);
  } else if (item == padUnplugItem || (item >= padPlugBase && item < padPlugBase + 4)) {
    std::string name(static_cast<std::size_t>(dw_web_fetch_pad_name()), '\0');
    dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(name.data()));
    if (item == padUnplugItem)
      events_->padUnplugged(name);
    else
      events_->padPlugged(name, static_cast<PadKind>(item - padPlugBase));
  } else if (item < padButtonBase + 2 * padButtonCount) {
    auto button = static_cast<PadButton>((item - padButtonBase) / 2);
    bool down = (item - padButtonBase) % 2 == 1;
    if (panel) {
      if (down) dw_web_panel_close();
    } else if (auto action = events_->padButton(button, down)) {
      request(*action);
    }
  }
}

void WebPlatform::request(FrontAction action) {
  if (auto panel = panelOf(action)) {
    openPanel(*panel);
  } else if (action == FrontAction::continueRun) {
    // The shell's own key on the start screen: it reaches the key gate as
    // F3 does from a keyboard.
    pushKey(std::string{'\0', extendedKey::f3});
  } else if (action == FrontAction::picture && events_ != nullptr) {
    events_->pictureAsked(screen(), 1);
  }
}

void WebPlatform::frontKeysChanged() {
  dw_web_set_front_keys(frontKeysJson(frontKeys()).c_str());
}

bool WebPlatform::waitEvents() {
  present();
  // A direction held on a pad repeats; else nothing is timed while waiting.
  int repeatIn = events_ != nullptr ? events_->padRepeatIn() : -1;
  if (repeatIn < 0) {
    dw_web_wait_for_key();
  } else {
    if (repeatIn > 0) dw_web_wait_for_key_or(repeatIn);
    if (events_ != nullptr && events_->padRepeatIn() == 0) events_->padTick();
  }
  pumpEvents();
  return true;
}

bool WebPlatform::waitEventsFor(int ms) {
  present();
  dw_web_wait_for_key_or(ms);
  pumpEvents();
  return true;
}

void WebPlatform::openPanel(PanelKind which) {
  if (events_ == nullptr) return;
  const OverlayContent content = events_->panel(which);
  dw_web_panel_begin(content.title.data(), static_cast<int>(content.title.size()));
  for (const OverlayLine& line : content.lines) {
    dw_web_panel_line(line.label.data(), static_cast<int>(line.label.size()), line.text.data(),
                      static_cast<int>(line.text.size()), line.heading ? 1 : 0);
  }
  if (content.lines.empty())
    dw_web_panel_line("", 0, content.empty.data(), static_cast<int>(content.empty.size()), 1);
  dw_web_panel_show(content.footer.data(), static_cast<int>(content.footer.size()),
                    content.opensAtTop ? 1 : 0);
}

bool WebPlatform::panelOpen() const {
  return dw_web_panel_open() != 0;
}

void WebPlatform::setNotice(const std::string& notice) {
  if (notice == notice_) return;
  notice_ = notice;
  noticeChanged_ = true;
  dw_web_set_notice(notice.data(), static_cast<int>(notice.size()));
}

void WebPlatform::setWatchStatus(const std::string& status) {
  dw_web_watch_status(status.data(), static_cast<int>(status.size()));
}

void WebPlatform::tell(const std::string& message) {
  dw_web_tell(message.data(), static_cast<int>(message.size()));
}

void WebPlatform::showBanner(const std::string& text) {
  dw_web_show_banner(text.data(), static_cast<int>(text.size()));
}

void WebPlatform::showStartHint(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  dw_web_start_hint(text.data(), static_cast<int>(text.size()));
}

void WebPlatform::keepSummary(const std::string& text) {
  dw_web_keep_summary(text.data(), static_cast<int>(text.size()));
}

std::string WebPlatform::keptSummary() {
  std::string text(static_cast<std::size_t>(dw_web_fetch_kept_summary()), '\0');
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(text.data()));
  return text;
}

std::optional<std::string> WebPlatform::recordingToContinue() {
  const int size = dw_web_fetch_continue();
  if (size < 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(bytes.data()));
  return bytes;
}

std::optional<WebPlatform::KeptFile> WebPlatform::lastKeptRun() {
  const int nameSize = dw_web_fetch_last_run();
  if (nameSize < 0) return std::nullopt;
  KeptFile run;
  run.name.resize(static_cast<std::size_t>(nameSize));
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(run.name.data()));
  run.text.resize(static_cast<std::size_t>(dw_web_fetch_last_run_text(0)));
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(run.text.data()));
  run.summary.resize(static_cast<std::size_t>(dw_web_fetch_last_run_text(1)));
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(run.summary.data()));
  return run;
}

void WebPlatform::adoptRun(const std::string& text, bool offered) {
  dw_web_adopt_run(text.data(), static_cast<int>(text.size()), offered ? 1 : 0);
}

std::string WebPlatform::keptRun() {
  std::string text(static_cast<std::size_t>(dw_web_fetch_kept_run()), '\0');
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(text.data()));
  return text;
}

std::string WebPlatform::keptCheckpoint() {
  std::string bytes(static_cast<std::size_t>(dw_web_fetch_kept_checkpoint()), '\0');
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(bytes.data()));
  return bytes;
}

void WebPlatform::keepCheckpoint(const std::string& bytes) {
  if (!bytes.empty())
    dw_web_keep_checkpoint(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<int>(bytes.size()));
}

void WebPlatform::caughtUp(bool fromCheckpoint) {
  dw_web_caught_up(fromCheckpoint ? 1 : 0);
}

void WebPlatform::keptRunRefused(const std::string& reason) {
  dw_web_kept_run_refused(reason.data(), static_cast<int>(reason.size()));
}

std::optional<std::string> WebPlatform::recordingToWatch() {
  const int size = dw_web_fetch_watch();
  if (size < 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(bytes.data()));
  return bytes;
}

std::string WebPlatform::watchedName() {
  std::string name(static_cast<std::size_t>(dw_web_fetch_watched_name()), '\0');
  dw_web_take_hand_over(reinterpret_cast<std::uint8_t*>(name.data()));
  return name;
}

void WebPlatform::beginKeptRun() {
  dw_web_begin_run();
}

void WebPlatform::goOnWithKeptRun(std::uint64_t keptBytes) {
  dw_web_go_on(static_cast<double>(keptBytes));
}

void WebPlatform::keepRunText(const std::string& text) {
  if (!text.empty()) dw_web_keep(text.data(), static_cast<int>(text.size()));
}

void WebPlatform::tellTurn(const std::vector<std::string>& messages, const TurnStatus& status) {
  std::string joined;
  for (const std::string& message : messages) {
    if (!joined.empty()) joined += '\n';
    joined += message;
  }
  std::array<std::int32_t, 8> values{};
  for (std::size_t i = 0; i < values.size(); ++i)
    values[i] = static_cast<std::int32_t>(status.values[i]);
  dw_web_tell_turn(joined.data(), static_cast<int>(joined.size()), status.member.data(),
                   static_cast<int>(status.member.size()), values.data());
}

void WebPlatform::waitForRestart(int exitCode) {
  dw_web_game_ended(exitCode);
}

}  // namespace dw
