#include "platform/sdl/KeyTranslator.h"

#include <optional>

#include "platform/Cp437.h"
#include "platform/Platform.h"

namespace dw {

namespace {

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

std::string utf8FromCp437(std::string_view text) {
  std::string out;
  for (char ch : text) {
    auto byte = static_cast<unsigned char>(ch);
    // Control characters have no place in a desktop's text.
    appendUtf8(out, byte < 0x20 || byte == 0x7F ? U'?' : unicodeOfCp437(byte));
  }
  return out;
}

std::string windowKeyName(SDL_Keycode sym, Uint16 mod) {
  if ((sym == SDLK_RETURN || sym == SDLK_KP_ENTER) && (mod & KMOD_ALT) != 0) return "Alt+Enter";
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return "F" + std::to_string(sym - SDLK_F1 + 1);
  return {};
}

std::optional<FrontAction> KeyTranslator::keyDown(const FrontKeys& own, SDL_Scancode scancode,
                                                  SDL_Keycode sym, Uint16 mod, bool repeat,
                                                  std::vector<std::string>& out) {
  dropNextText_ = false;
  // The window's own keys (its panels, view and screenshots): the game never
  // sees them.
  if (auto action = actionOfKey(own, windowKeyName(sym, mod)); action && takenByFrontEnd(*action))
    return repeat ? std::nullopt : action;

  if (auto c = controlChar(sym)) {
    out.emplace_back(1, *c);
  } else if (auto k = keypadChar(scancode)) {
    out.emplace_back(1, *k);
    dropNextText_ = true;
  } else if (auto code = extendedCode(sym)) {
    out.push_back(std::string{'\0', *code});
  }
  return std::nullopt;
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
