#include "platform/VisibleText.h"

#include <cstdint>

namespace dw {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

void appendHex(std::string& out, const char* prefix, unsigned value, int digits) {
  out += prefix;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out += hexDigits[(value >> shift) & 15];
}

bool continuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence of two or more bytes that
// starts text, or 0 when there is none (a stray byte, an overlong form, a
// surrogate, a code past U+10FFFF, a sequence cut short).
std::size_t sequenceLength(std::string_view text) {
  auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if (!continuation(byte(i))) return 0;
  }
  unsigned char second = byte(1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;
  return length;
}

}  // namespace

std::string visibleText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      out += '^';
      out += static_cast<char>(c == 0x7F ? '?' : c + 0x40);
      ++i;
    } else if (std::size_t length = sequenceLength(text.substr(i)); length == 0) {
      appendHex(out, "\\x", c, 2);
      ++i;
    } else if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      // U+0080 to U+009F: controls of their own to some terminals.
      appendHex(out, "\\u", static_cast<unsigned char>(text[i + 1]) & 0xFFu, 4);
      i += 2;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace dw
