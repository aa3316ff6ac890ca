#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dw {

// Turns the bytes a terminal sends into the game's key strings, as the window
// gives them:
// - printable characters (UTF-8, or Latin-1 where the terminal is not UTF-8)
//   become their code-page-437 byte; Enter gives 13, Backspace and Delete
//   8, Tab 9, Escape 27;
// - the keypad in application mode gives its digits and signs, and its
//   centre key ("begin") a 5, NumLock or not;
// - keys without a character (arrows, Home, function keys) become 0 and the
//   code the window uses, so they never equal a one-character command;
//   sequences nobody knows are dropped;
// - Alt with a key gives the key alone;
// - Ctrl+C and Ctrl+Z come out as the bytes 3 and 26, for the backend to act
//   on; other control characters are dropped.
// A lone Escape cannot be told from the start of a sequence until no more
// bytes follow: the caller waits escapeWaitMs and then calls flush().
class KeyDecoder {
 public:
  static constexpr int escapeWaitMs = 50;
  static constexpr char interruptKey = 3;
  static constexpr char suspendKey = 26;

  explicit KeyDecoder(bool utf8 = true) : utf8_(utf8) {}

  // Appends the keys the bytes complete to out.
  void feed(std::string_view bytes, std::vector<std::string>& out);
  // True while the bytes so far may still be the start of a longer key.
  bool pending() const { return !buffer_.empty(); }
  // Nothing more came: what is pending counts as typed (a lone Escape).
  void flush(std::vector<std::string>& out);

 private:
  enum class Step { used, needMore };
  void decode(std::vector<std::string>& out, bool final);
  Step escape(std::size_t& used, std::vector<std::string>& out, bool final);
  Step controlSequence(std::size_t& used, std::vector<std::string>& out);
  Step singleShift(std::size_t& used, std::vector<std::string>& out);
  Step plain(std::size_t& used, std::vector<std::string>& out, bool final);

  bool utf8_;
  bool skippingSequence_ = false;
  std::string buffer_;
};

}  // namespace dw
