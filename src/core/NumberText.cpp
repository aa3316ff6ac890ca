#include "core/NumberText.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace dw {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t skipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return i;
}

}  // namespace

std::size_t numberLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    std::size_t fraction = 0;
    while (j < text.size() && isDigit(text[j])) ++j, ++fraction;
    if (digits + fraction > 0) {
      i = j;
      digits += fraction;
    }
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < text.size() && isDigit(text[j])) ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

std::int32_t clampToInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

std::int32_t roundToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(std::nearbyint(value));  // default mode: halves to even
}

double readReal(std::string_view text) {
  text.remove_prefix(skipBlanks(text));
  std::size_t length = numberLength(text);
  if (length == 0) return 0.0;
  // strtod sees only sign, digits, point and exponent here, so neither the
  // locale's words ("inf", "nan") nor hexadecimal can slip in.
  std::string number(text.substr(0, length));
  double value = std::strtod(number.c_str(), nullptr);
  return std::isfinite(value) ? value
                              : (value > 0 ? std::numeric_limits<double>::max()
                                           : std::numeric_limits<double>::lowest());
}

std::int32_t readNumber(std::string_view text) {
  return roundToInt32(readReal(text));
}

std::int32_t typedLineToInt(std::string_view text) {
  std::string_view rest = text.substr(skipBlanks(text));
  if (rest.size() >= 2 && rest[0] == '&') {
    int base = 0;
    switch (rest[1]) {
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
        break;
    }
    if (base != 0) {
      std::int64_t value = 0;
      for (std::size_t i = 2; i < rest.size(); ++i) {
        char c = rest[i];
        int digit = isDigit(c)               ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : 99;
        if (digit >= base) break;
        value = value * base + digit;
        if (value > std::numeric_limits<std::int32_t>::max()) {
          return std::numeric_limits<std::int32_t>::max();
        }
      }
      return static_cast<std::int32_t>(value);
    }
  }
  return readNumber(rest);
}

}  // namespace dw
