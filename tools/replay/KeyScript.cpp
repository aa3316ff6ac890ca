#include "KeyScript.h"

namespace dw {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> parseKeyScript(const std::string& text, std::string& error) {
  std::string keys;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      keys += text[i];
      continue;
    }
    if (i + 1 >= text.size()) {
      error = "a backslash ends the keys; write \\\\ for a backslash key";
      return std::nullopt;
    }
    char e = text[++i];
    switch (e) {
      case 'r':
        keys += '\r';
        break;
      case 'e':
        keys += '\x1b';
        break;
      case 'b':
        keys += '\b';
        break;
      case '\\':
        keys += '\\';
        break;
      case 'x': {
        int hi = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
        int lo = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
        if (hi < 0 || lo < 0) {
          error =
              "\\x needs two hexadecimal digits (at key text position " + std::to_string(i) + ")";
          return std::nullopt;
        }
        keys += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        error = std::string("unknown escape \\") + e + " (known: \\r \\e \\b \\\\ \\xNN)";
        return std::nullopt;
    }
  }
  return keys;
}

}  // namespace dw
