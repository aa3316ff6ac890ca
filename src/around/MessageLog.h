#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "core/Game.h"
#include "platform/PanelText.h"

namespace dw {

// One entry of the message log: a message of the game as it was written, in
// full, or a note of something the rules do without a word.
struct LogEntry {
  enum class Kind { message, newGame, level, joined, back, fallen, partyDown };
  Kind kind = Kind::message;
  std::int32_t level = 0;
  std::int64_t turn = 0;  // commands carried out since the level began
  std::string text;       // code-page-437 bytes
};

// Watches a game from outside its rules and keeps what a player may want to
// read again: every message, turn by turn, and every level begun, member
// joining, falling or coming back, and the whole party down. It only reads
// the game, so a game watched plays exactly as one that is not.
class MessageLog : public GameObserver {
 public:
  static constexpr std::size_t capacity = 1000;

  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;

  // The newest entries, oldest first; at most capacity of them.
  const std::deque<LogEntry>& entries() const { return entries_; }
  // What the window tells while the current member or the whole party is
  // down, else empty.
  const std::string& notice() const { return notice_; }
  // The log as a window panel.
  OverlayContent panel() const;

 private:
  void add(LogEntry::Kind kind, std::string text);
  void watchParty(const Game& game);

  std::deque<LogEntry> entries_;
  std::array<std::int32_t, maxMembers + 1> hp_{};
  std::array<bool, maxMembers + 1> everJoined_{};
  bool partyDown_ = false;
  bool newGame_ = true;
  std::int32_t level_ = 0;
  std::int64_t turn_ = 0;
  std::string notice_;
};

}  // namespace dw
