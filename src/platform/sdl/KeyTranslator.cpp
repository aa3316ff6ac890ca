#include "platform/sdl/KeyTranslator.h"

#include <array>
#include <optional>

#include "platform/Platform.h"

namespace dw {

namespace {

// Unicode of code-page-437 bytes 128..255.
constexpr std::array<char16_t, 128> cp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

// The character a keypad key stands for, NumLock or not.
std::optional<char> keypadChar(SDL_Scancode scancode) {
  switch (scancode) {
    case SDL_SCANCODE_KP_0:
      return '0';
    case SDL_SCANCODE_KP_1:
      return '1';
    case SDL_SCANCODE_KP_2:
      return '2';
    case SDL_SCANCODE_KP_3:
      return '3';
    case SDL_SCANCODE_KP_4:
      return '4';
    case SDL_SCANCODE_KP_5:
      return '5';
    case SDL_SCANCODE_KP_6:
      return '6';
    case SDL_SCANCODE_KP_7:
      return '7';
    case SDL_SCANCODE_KP_8:
      return '8';
    case SDL_SCANCODE_KP_9:
      return '9';
    case SDL_SCANCODE_KP_PERIOD:
      return '.';
    case SDL_SCANCODE_KP_PLUS:
      return '+';
    case SDL_SCANCODE_KP_MINUS:
      return '-';
    case SDL_SCANCODE_KP_MULTIPLY:
      return '*';
    case SDL_SCANCODE_KP_DIVIDE:
      return '/';
    default:
      return std::nullopt;
  }
}

// Keys that stand for a control character rather than a printable one.
std::optional<char> controlChar(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_ESCAPE:
      return escapeKey;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
      return enterKey;
    case SDLK_BACKSPACE:
      return backspaceKey;
    case SDLK_TAB:
      return '\t';
    default:
      return std::nullopt;
  }
}

// The code byte of a key without a character.
std::optional<char> extendedCode(SDL_Keycode sym) {
  switch (sym) {
    case SDLK_UP:
      return extendedKey::up;
    case SDLK_DOWN:
      return extendedKey::down;
    case SDLK_LEFT:
      return extendedKey::left;
    case SDLK_RIGHT:
      return extendedKey::right;
    case SDLK_HOME:
      return extendedKey::home;
    case SDLK_END:
      return extendedKey::end;
    case SDLK_PAGEUP:
      return extendedKey::pageUp;
    case SDLK_PAGEDOWN:
      return extendedKey::pageDown;
    case SDLK_INSERT:
      return extendedKey::insert;
    case SDLK_DELETE:
      return extendedKey::del;
    case SDLK_F12:
      return extendedKey::f12;
    default:
      break;
  }
  if (sym >= SDLK_F1 && sym <= SDLK_F9) return static_cast<char>(extendedKey::f1 + (sym - SDLK_F1));
  return std::nullopt;
}

// Reads one character of UTF-8; a malformed sequence gives nothing and
// skips one byte.
std::optional<char32_t> nextCodePoint(std::string_view& text) {
  auto lead = static_cast<unsigned char>(text.front());
  int length = lead < 0x80           ? 1
               : (lead >> 5) == 0x6  ? 2
               : (lead >> 4) == 0xE  ? 3
               : (lead >> 3) == 0x1E ? 4
                                     : 0;
  if (length == 0 || static_cast<int>(text.size()) < length) {
    text.remove_prefix(1);
    return std::nullopt;
  }
  char32_t c = length == 1 ? lead : lead & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) != 0x80) {
      text.remove_prefix(1);
      return std::nullopt;
    }
    c = (c << 6) | (byte & 0x3F);
  }
  text.remove_prefix(length);
  return c;
}

}  // namespace

int cp437FromUnicode(char32_t c) {
  if (c >= 0x20 && c < 0x7F) return static_cast<int>(c);
  for (std::size_t i = 0; i < cp437High.size(); ++i) {
    if (cp437High[i] == c) return static_cast<int>(128 + i);
  }
  return -1;
}

std::string utf8FromCp437(std::string_view text) {
  std::string out;
  for (char ch : text) {
    auto byte = static_cast<unsigned char>(ch);
    char32_t c = byte < 0x20 || byte == 0x7F ? U'?' : byte < 0x80 ? byte : cp437High[byte - 128];
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

WindowAction KeyTranslator::keyDown(SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod, bool repeat,
                                    std::vector<std::string>& out) {
  dropNextText_ = false;
  bool enter = sym == SDLK_RETURN || sym == SDLK_KP_ENTER;
  if (sym == SDLK_F11 || (enter && (mod & KMOD_ALT) != 0)) {
    return repeat ? WindowAction::none : WindowAction::toggleFullscreen;
  }
  if (sym == SDLK_F10) return repeat ? WindowAction::none : WindowAction::toggleAspect;
  // The window's own panels and screenshots: the game never sees these keys.
  if (sym == SDLK_F1) return repeat ? WindowAction::none : WindowAction::keyHelp;
  if (sym == SDLK_F2) return repeat ? WindowAction::none : WindowAction::messageLog;
  if (sym == SDLK_F12) return repeat ? WindowAction::none : WindowAction::screenshot;

  if (auto c = controlChar(sym)) {
    out.emplace_back(1, *c);
  } else if (auto k = keypadChar(scancode)) {
    out.emplace_back(1, *k);
    dropNextText_ = true;
  } else if (auto code = extendedCode(sym)) {
    out.push_back(std::string{'\0', *code});
  }
  return WindowAction::none;
}

void KeyTranslator::keyUp() {
  dropNextText_ = false;
}

void KeyTranslator::textInput(std::string_view utf8, std::vector<std::string>& out) {
  if (dropNextText_) {
    // The desktop's own text for the keypad key just pressed.
    dropNextText_ = false;
    return;
  }
  while (!utf8.empty()) {
    auto c = nextCodePoint(utf8);
    if (!c) continue;
    int byte = cp437FromUnicode(*c);
    if (byte >= 0) out.emplace_back(1, static_cast<char>(byte));
  }
}

}  // namespace dw
