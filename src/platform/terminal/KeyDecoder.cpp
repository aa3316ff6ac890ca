#include "platform/terminal/KeyDecoder.h"

#include <optional>

#include "platform/Cp437.h"
#include "platform/Platform.h"

namespace dw {

namespace {

constexpr char esc = 27;
// Longer than any key a terminal sends: a run this long without an end is
// no key at all.
constexpr std::size_t longestSequence = 32;

std::string extended(char code) {
  return std::string{'\0', code};
}

// The keypad in application mode: ESC O and a letter.
std::optional<char> keypadChar(char c) {
  if (c >= 'p' && c <= 'y') return static_cast<char>('0' + (c - 'p'));
  switch (c) {
    case 'M':
      return enterKey;
    case 'k':
      return '+';
    case 'm':
      return '-';
    case 'j':
      return '*';
    case 'o':
      return '/';
    case 'n':
      return '.';
    case 'E':  // the centre key without NumLock
      return '5';
    default:
      return std::nullopt;
  }
}

// Keys named by a final letter, after ESC [ or ESC O.
std::optional<char> letterKey(char c) {
  switch (c) {
    case 'A':
      return extendedKey::up;
    case 'B':
      return extendedKey::down;
    case 'C':
      return extendedKey::right;
    case 'D':
      return extendedKey::left;
    case 'H':
      return extendedKey::home;
    case 'F':
      return extendedKey::end;
    case 'P':
    case 'Q':
    case 'R':
    case 'S':
      return static_cast<char>(extendedKey::f1 + (c - 'P'));
    default:
      return std::nullopt;
  }
}

// Keys named by a number, ESC [ n ~.
std::optional<char> numberedKey(int n) {
  switch (n) {
    case 1:
    case 7:
      return extendedKey::home;
    case 2:
      return extendedKey::insert;
    case 3:
      return extendedKey::del;
    case 4:
    case 8:
      return extendedKey::end;
    case 5:
      return extendedKey::pageUp;
    case 6:
      return extendedKey::pageDown;
    case 23:
      return extendedKey::f11;
    case 24:
      return extendedKey::f12;
    default:
      break;
  }
  if (n >= 11 && n <= 15) return static_cast<char>(extendedKey::f1 + (n - 11));
  if (n >= 17 && n <= 21) return static_cast<char>(extendedKey::f1 + 5 + (n - 17));
  return std::nullopt;
}

}  // namespace

void KeyDecoder::feed(std::string_view bytes, std::vector<std::string>& out) {
  buffer_.append(bytes);
  decode(out, false);
}

void KeyDecoder::flush(std::vector<std::string>& out) {
  decode(out, true);
  buffer_.clear();
}

void KeyDecoder::decode(std::vector<std::string>& out, bool final) {
  std::size_t start = 0;
  while (skippingSequence_ && start < buffer_.size()) {
    auto c = static_cast<unsigned char>(buffer_[start]);
    if (c < 0x20 || c > 0x7E) {
      skippingSequence_ = false;
    } else {
      ++start;
      if (c >= 0x40) skippingSequence_ = false;  // its final byte
    }
  }
  while (start < buffer_.size()) {
    std::size_t used = start;
    Step step = buffer_[start] == esc ? escape(used, out, final) : plain(used, out, final);
    if (step == Step::needMore) break;
    start = used;
  }
  buffer_.erase(0, start);
}

KeyDecoder::Step KeyDecoder::escape(std::size_t& used, std::vector<std::string>& out, bool final) {
  std::size_t at = used;
  if (at + 1 >= buffer_.size() || buffer_[at + 1] == esc) {
    if (at + 1 >= buffer_.size() && !final) return Step::needMore;
    out.emplace_back(1, escapeKey);
    used = at + 1;
    return Step::used;
  }
  if (buffer_[at + 1] == '[' || buffer_[at + 1] == 'O') {
    Step step = buffer_[at + 1] == '[' ? controlSequence(used, out) : singleShift(used, out);
    if (step == Step::used || !final) return step;
    // Cut short: the Escape was typed alone, and what followed it too.
    out.emplace_back(1, escapeKey);
    used = at + 1;
    return Step::used;
  }
  // Alt with a key: the key alone, as the window gives it.
  used = at + 1;
  return plain(used, out, final);
}

KeyDecoder::Step KeyDecoder::controlSequence(std::size_t& used, std::vector<std::string>& out) {
  std::size_t at = used + 2;
  // The console's F1..F5: ESC [ [ A..E.
  if (at < buffer_.size() && buffer_[at] == '[') {
    if (at + 1 >= buffer_.size()) return Step::needMore;
    char c = buffer_[at + 1];
    if (c >= 'A' && c <= 'E')
      out.push_back(extended(static_cast<char>(extendedKey::f1 + (c - 'A'))));
    used = at + 2;
    return Step::used;
  }
  int number = 0;
  bool firstNumber = true;
  for (; at < buffer_.size(); ++at) {
    auto c = static_cast<unsigned char>(buffer_[at]);
    if (c < 0x20 || c > 0x7E) {
      used = at;  // a broken sequence: dropped up to the stray byte
      return Step::used;
    }
    if (c >= '0' && c <= '9') {
      if (firstNumber && number < 1000) number = number * 10 + (c - '0');
      continue;
    }
    if (c == ';') firstNumber = false;
    if (c < 0x40) continue;  // parameters and intermediates
    used = at + 1;
    std::optional<char> code;
    if (c == '~') {
      code = numberedKey(number);
    } else if (c == 'E') {
      out.emplace_back(1, '5');  // the keypad's centre key
    } else {
      code = letterKey(static_cast<char>(c));
    }
    if (code) out.push_back(extended(*code));
    return Step::used;
  }
  if (buffer_.size() - used > longestSequence) {
    // No key is this long: what came is dropped, and so is the rest of it.
    used = buffer_.size();
    skippingSequence_ = true;
    return Step::used;
  }
  return Step::needMore;
}

KeyDecoder::Step KeyDecoder::singleShift(std::size_t& used, std::vector<std::string>& out) {
  std::size_t at = used + 2;
  if (at >= buffer_.size()) return Step::needMore;
  char c = buffer_[at];
  used = at + 1;
  if (auto k = keypadChar(c)) {
    out.emplace_back(1, *k);
  } else if (auto code = letterKey(c)) {
    out.push_back(extended(*code));
  } else if (static_cast<unsigned char>(c) < 0x20) {
    used = at;  // not a key after all: the stray byte counts on its own
  }
  return Step::used;
}

KeyDecoder::Step KeyDecoder::plain(std::size_t& used, std::vector<std::string>& out, bool final) {
  std::size_t at = used;
  auto lead = static_cast<unsigned char>(buffer_[at]);
  if (lead < 0x80) {
    used = at + 1;
    switch (lead) {
      case '\r':
      case '\n':
        out.emplace_back(1, enterKey);
        break;
      case 0x7F:
      case 0x08:
        out.emplace_back(1, backspaceKey);
        break;
      case '\t':
      case interruptKey:
      case suspendKey:
        out.emplace_back(1, static_cast<char>(lead));
        break;
      default:
        if (lead >= 0x20) out.emplace_back(1, static_cast<char>(lead));
        break;
    }
    return Step::used;
  }
  if (!utf8_) {
    // Latin-1 bytes are their own Unicode characters.
    used = at + 1;
    if (int code = cp437FromUnicode(lead); code >= 0) out.emplace_back(1, static_cast<char>(code));
    return Step::used;
  }
  std::size_t length = (lead >> 5) == 0x6    ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
  if (length == 0) {
    used = at + 1;
    return Step::used;
  }
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if (at + i >= buffer_.size()) {
      if (!final) return Step::needMore;
      used = buffer_.size();  // cut short for good: dropped
      return Step::used;
    }
    auto byte = static_cast<unsigned char>(buffer_[at + i]);
    if ((byte & 0xC0) != 0x80) {
      used = at + i;  // malformed: dropped up to the stray byte
      return Step::used;
    }
    c = (c << 6) | (byte & 0x3F);
  }
  used = at + length;
  if (int code = cp437FromUnicode(c); code >= 0) out.emplace_back(1, static_cast<char>(code));
  return Step::used;
}

}  // namespace dw
