#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "core/Game.h"
#include "platform/PanelText.h"

namespace dw {

// One entry of the message log: a message of the game as it was written, in
// full, or a note of something the rules do without a word.
struct LogEntry {
  // A notice is what the session told the player around the game (a
  // picture saved, a run passed over), kept whole however it was shown.
  enum class Kind { message, newGame, level, joined, back, fallen, partyDown, notice };
  Kind kind = Kind::message;
  std::int32_t level = 0;
  std::int64_t turn = 0;  // commands carried out since the level began
  std::string text;       // code-page-437 bytes
};

// Takes every entry of a log as it is written, however long the game.
class LogSink {
 public:
  virtual void take(const LogEntry& entry) = 0;

 protected:
  ~LogSink() = default;
};

// Where an entry stands in the game, as the log panel shows it: "L4 T17".
std::string placeOf(const LogEntry& entry);
// An entry as one line of UTF-8 text, its place first: "L4 T17 [Key +1]".
std::string lineOf(const LogEntry& entry);

// Watches a game from outside its rules and keeps what a player may want to
// read again: every message, turn by turn, and every level begun, member
// joining, falling or coming back, and the whole party down. It only reads
// the game, so a game watched plays exactly as one that is not. A turn that
// says several things (a gate gives, then the monster under the hero
// strikes) leaves all of them in the log, in the order they were said,
// although the message line shows only the last.
class MessageLog : public GameObserver {
 public:
  static constexpr std::size_t capacity = 1000;

  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onMessageReplaced(const Game& game, std::string_view earlier) override;

  // Whether a level of the game was seen.
  bool begun() const { return level_ > 0; }
  // A game watched from the middle (a run restored from its checkpoint):
  // the party as it stands is no news, so nobody joins it now.
  void takeUp(const Game& game);
  // Empty again, for a run caught up from its start; the sink stays.
  void clear();
  // Adds what the session told the player (UTF-8), whole, at the turn it
  // was told.
  void addNotice(std::string_view utf8);

  // The log as it stands, as bytes to keep beside a checkpoint (the
  // session's notices left out: they are no part of the run), and the log
  // put back from them: false, with the log left as it was, when they are
  // not whole bytes of a log.
  std::string saved() const;
  bool restore(std::string_view bytes);

  // Hands every entry to `sink` too, as it is written; the log itself keeps
  // only the newest capacity of them. Null stops it.
  void setSink(LogSink* sink) { sink_ = sink; }

  // The newest entries, oldest first; at most capacity of them.
  const std::deque<LogEntry>& entries() const { return entries_; }
  // What the window tells while the current member or the whole party is
  // down, else empty.
  const std::string& notice() const { return notice_; }
  // The log as a window panel.
  OverlayContent panel() const;

 private:
  void add(LogEntry::Kind kind, std::string text, std::int64_t turn);
  void add(LogEntry::Kind kind, std::string text) { add(kind, std::move(text), turn_); }
  void watchParty(const Game& game);

  std::deque<LogEntry> entries_;
  std::array<std::int32_t, maxMembers + 1> hp_{};
  std::array<bool, maxMembers + 1> everJoined_{};
  bool partyDown_ = false;
  bool newGame_ = true;
  std::int32_t level_ = 0;
  std::int64_t turn_ = 0;
  std::string notice_;
  LogSink* sink_ = nullptr;
};

}  // namespace dw
