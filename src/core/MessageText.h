#pragma once

#include <charconv>
#include <concepts>
#include <string>
#include <string_view>

namespace dw {

// Hears of a message that is about to leave the message line because a later
// message of the same turn takes its place.
class MessageWatch {
 public:
  virtual void messageReplaced(std::string_view earlier) = 0;

 protected:
  ~MessageWatch() = default;
};

// The message line: what the last message of the turn says, as the player
// reads it. Each setting of the line anew (assigning to it, setMessage) is a
// new message; what is appended belongs to the message before it. When a new
// message takes the place of one the line still holds, the watch, if any,
// hears of the earlier one first; nobody watching costs one test.
class MessageLine : public std::string {
 public:
  MessageLine() = default;
  // A copy holds the words, not the watch.
  MessageLine(const MessageLine& other) : std::string(other) {}
  MessageLine& operator=(const MessageLine& other) {
    return &other == this ? *this : *this = std::string_view(other);
  }
  MessageLine& operator=(std::string_view text) {
    beginAnew();
    append(text);
    return *this;
  }

  // Empties the line for a new message, telling the watch of the one it held.
  void beginAnew() {
    if (watch_ && !empty()) watch_->messageReplaced(*this);
    clear();
  }
  void setWatch(MessageWatch* watch) { watch_ = watch; }

 private:
  MessageWatch* watch_ = nullptr;
};

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
void setMessage(MessageLine& line, const Pieces&... pieces) {
  line.beginAnew();
  appendMessage(line, pieces...);
}

}  // namespace dw
