#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform/Screen.h"

namespace dw {

// Key strings: a plain key is one byte (Escape 27, Enter 13, Backspace 8); a
// key without a character (an arrow, a function key) is two bytes, 0 and a
// code, so it never equals a one-character command.
inline constexpr char escapeKey = 27;
inline constexpr char enterKey = 13;
inline constexpr char backspaceKey = 8;

// Codes of keys without a character (the byte after the 0).
namespace extendedKey {
inline constexpr char home = 71, up = 72, pageUp = 73, left = 75, right = 77, end = 79, down = 80,
                      pageDown = 81, insert = 82, del = 83, f1 = 59, f3 = 61,
                      f11 = static_cast<char>(133), f12 = static_cast<char>(134);
}

struct ClockTime {
  int hour = 12, minute = 0, second = 0;
  int month = 1, day = 1, year = 1990;
  bool operator==(const ClockTime&) const = default;
};

// Told, in order, of every key handed to the game and every clock reading
// the game takes: what a recording of a game is made of.
class InputTap {
 public:
  virtual ~InputTap() = default;
  virtual void onKey(const std::string& key) = 0;
  virtual void onTimer(double reading) = 0;
  virtual void onLocalTime(const ClockTime& time) = 0;
};

// Answers the game's clock readings in place of the backend's own clock, as
// when a recorded game is played back.
class ClockFeed {
 public:
  virtual ~ClockFeed() = default;
  virtual double nextTimer() = 0;
  virtual ClockTime nextLocalTime() = 0;
};

// Stands between the keys the player types and the game: may change a key
// (the arrows that walk), keep one from the game (the keys that steer a
// recording watched) or hand the game keys of its own at a pace (the keys of
// a recording watched). Keys it hands on are told to the input tap as the
// game takes them, so a recording made through it replays alike.
class KeyGate {
 public:
  virtual ~KeyGate() = default;
  // A key the player typed: the key the game gets, or nothing.
  virtual std::optional<std::string> typed(std::string key) = 0;
  // Asked while the game waits for a key and none is queued.
  struct Next {
    std::optional<std::string> key;  // a key for the game now
    int waitMs = -1;                 // else wait this long (-1: for an event)
    bool end = false;                // else no key will come any more
  };
  virtual Next next() = 0;
};

// The services the game runs on. The pixels live in the shared Screen; a
// backend only shows the visible page and delivers keys and time.
class Platform {
 public:
  virtual ~Platform() = default;

  Screen& screen() { return screen_; }
  const Screen& screen() const { return screen_; }

  // --- keyboard -----------------------------------------------------------
  // Returns at once: "" when no key is waiting, else the next key.
  std::string pollKey();
  // How many keys wait to be read.
  std::size_t keysWaiting() const { return keys_.size(); }
  // Blocks until a key is waiting. False when no key can come any more (the
  // window was closed, or a script of keys ran out).
  bool waitForKey();
  // Blocks for one key and returns its first byte as a one-byte string (a key
  // without a character gives the byte 0). Empty when no key can come.
  std::optional<std::string> waitChar();
  // Hands the game a key ahead of any the player types, as if typed first
  // (a seed given on the command line).
  void typeAhead(std::string key) { pushKey(std::move(key)); }
  // Prints the prompt and "? ", reads a line with echo and Backspace until
  // Enter, then moves to the next line. Empty when no key can come.
  std::optional<std::string> inputLine(const std::string& prompt);

  // --- time ---------------------------------------------------------------
  // Seconds since midnight, and the local date and time; both come from the
  // clock feed when one is set, else from the backend, and both are told to
  // the input tap.
  double timer();
  ClockTime localTime();
  std::string timeText();
  std::string dateText();

  // --- recording and playback ---------------------------------------------
  // Neither is owned; both must outlive their use, and nullptr removes them.
  void setInputTap(InputTap* tap) { tap_ = tap; }
  void setClockFeed(ClockFeed* feed) { clockFeed_ = feed; }
  void setKeyGate(KeyGate* gate) { gate_ = gate; }

  // --- files, ports, mouse ------------------------------------------------
  // Reads a file whole; "\" in the path separates directories. Nothing when
  // the file cannot be opened, or when it is longer than a game file can be
  // (maxFileBytes): such a file is refused whole, never read in part, and
  // the refusal is kept in refusedFile().
  virtual std::optional<std::string> readFile(const std::string& path);
  // The same, with a file that cannot be opened reading as empty.
  std::string readWholeFile(const std::string& path) { return readFile(path).value_or(""); }
  // The longest data or tile file the game reads.
  static constexpr std::size_t maxFileBytes = 16 * 1024 * 1024;
  // Why the first file refused for its size was refused ("tiles/000b0808.til
  // is longer than a game file can be (16 MiB)"); empty when none was. The
  // programs check every game file at start-up; this tells of one that grew
  // while the game ran.
  const std::string& refusedFile() const { return refusedFile_; }
  virtual std::uint8_t portIn(int /*port*/) { return 0; }
  virtual void portOut(int /*port*/, std::uint8_t /*value*/) {}
  virtual void hideMouse() {}

  // Shows the visible page now if it changed since it was last shown.
  virtual void present() {}

 protected:
  // The backend's own clock.
  virtual double readTimer() = 0;
  virtual ClockTime readLocalTime() = 0;
  // Moves whatever input has arrived into the key queue without waiting.
  virtual void pumpEvents() {}
  // Waits until at least one more event has been pumped; false when no
  // input can arrive any more.
  virtual bool waitEvents() = 0;
  // The same, waiting at most ms milliseconds; true also when the time ran
  // out. The pace of a recording watched rests on it.
  virtual bool waitEventsFor(int ms);
  // Queues a key the player typed, through the key gate when there is one.
  void pushKey(std::string key);
  bool hasKeys() const { return !keys_.empty(); }

 private:
  Screen screen_;
  std::deque<std::string> keys_;
  InputTap* tap_ = nullptr;
  ClockFeed* clockFeed_ = nullptr;
  std::string refusedFile_;
  KeyGate* gate_ = nullptr;
};

// The words for a game file over maxFileBytes.
std::string gameFileTooLong(const std::string& path);

// Maps a game path ("res\party.dat") to the host's ("res/party.dat").
std::string hostPath(const std::string& gamePath);

// The machine's own clock, for backends that run on one: seconds since local
// midnight (with their fraction) and the local date and time.
double hostTimer();
ClockTime hostLocalTime();

}  // namespace dw
