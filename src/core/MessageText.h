#pragma once

#include <charconv>
#include <concepts>
#include <string>
#include <string_view>

namespace dw {

// The message line is put together from its pieces (texts and whole
// numbers) in place: the line keeps its room from one cycle to the next, so
// a message costs no string of its own.
inline void appendPiece(std::string& line, std::string_view text) {
  line.append(text);
}
template <std::integral Number>
requires(!std::same_as<Number, char> &&
         !std::same_as<Number, bool>) void appendPiece(std::string& line, Number value) {
  char digits[24];
  line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

template <typename... Pieces>
void appendMessage(std::string& line, const Pieces&... pieces) {
  (appendPiece(line, pieces), ...);
}
template <typename... Pieces>
void setMessage(std::string& line, const Pieces&... pieces) {
  line.clear();
  appendMessage(line, pieces...);
}

}  // namespace dw
