#pragma once

#include <string>
#include <string_view>

#include "runs/Checkpoint.h"
#include "shell/MessageLog.h"

namespace dw {

// What the session keeps beside each checkpoint of a run: the message log
// as it stands at that key read, so a run taken up from its checkpoint has
// its whole log, levels and turns as they were, and tells nothing as new
// that happened before. (The run's tally goes on from the checkpoint
// itself.)
class CheckpointLog : public CheckpointCompanion {
 public:
  explicit CheckpointLog(const MessageLog& log) : log_(log) {}
  std::string companionBytes(const Game& game) const override;

 private:
  const MessageLog& log_;
};

// Keeps a run's log as a game is played without the shell (a catch-up, the
// replay), as if the shell had watched it all along, and hands every event
// on to `next`.
class LogKeeper : public GameObserver {
 public:
  explicit LogKeeper(MessageLog& log, GameObserver* next = nullptr) : log_(log), next_(next) {}
  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onMessageReplaced(const Game& game, std::string_view earlier) override;
  void onKeyRead(const Game& game) override;

 private:
  MessageLog& log_;
  GameObserver* next_;
};

// Puts the log back from bytes kept beside a checkpoint; false, with the
// log left as it was, when the bytes are not whole.
bool restoreCheckpointLog(std::string_view bytes, MessageLog& log);

}  // namespace dw
