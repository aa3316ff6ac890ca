// The typed-line integer conversion: any text, given directly or typed key by
// key into the seed prompt (with Backspace, control keys and more than a
// line can hold), checked against a plain reading of the digits.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/NumberText.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

using dw::fuzz::require;

constexpr std::int64_t int32Max = std::numeric_limits<std::int32_t>::max();

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// "&H", "&O" or "&B" and the digits of that base, held at the 32-bit maximum.
bool plainBased(std::string_view text, std::int64_t& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i + 1 >= text.size() || text[i] != '&') return false;
  int base = 0;
  switch (text[i + 1]) {
    case 'H':
    case 'h':
      base = 16;
      break;
    case 'O':
    case 'o':
      base = 8;
      break;
    case 'B':
    case 'b':
      base = 2;
      break;
    default:
      return false;
  }
  value = 0;
  for (i += 2; i < text.size() && digitValue(text[i]) < base; ++i) {
    value = value * base + digitValue(text[i]);
    if (value > int32Max) {
      value = int32Max;
      break;
    }
  }
  return true;
}

void checkText(std::string_view text) {
  const std::int32_t n = dw::typedLineToInt(text);
  std::int64_t based = 0;
  if (plainBased(text, based)) {
    require(n == based,
            "based number of \"" + std::string(text) + "\" read as " + std::to_string(n));
  } else {
    require(n == dw::readNumber(text.substr(std::min(text.find_first_not_of(' '), text.size()))),
            "decimal reading differs from the data files' number reading");
  }
  require(dw::typedLineToInt(" " + std::string(text)) == n, "a leading blank changed the number");
  require(dw::typedLineToInt(std::to_string(n)) == n, "the number's own text reads differently");
  if (n >= 0) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "&H%X", static_cast<unsigned>(n));
    require(dw::typedLineToInt(hex) == n, "the number in hexadecimal reads differently");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  checkText(bytes);

  // The same bytes typed at the seed prompt, one key each, ended by Enter.
  dw::HeadlessPlatform platform(std::string(bytes) + "\r");
  auto line = platform.inputLine("rrand:");
  if (line) {
    // The prompt and "? " take 8 of the 40 columns.
    require(line->size() <= 32, "the typed line outgrew the screen row");
    for (char c : *line) require(static_cast<unsigned char>(c) >= 32, "a control key was typed in");
    checkText(*line);
  }
  return 0;
}
