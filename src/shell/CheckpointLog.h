#pragma once

#include <string>
#include <string_view>

#include "runs/Checkpoint.h"
#include "runs/RunSummary.h"
#include "shell/MessageLog.h"

namespace dw {

// What the session keeps beside each checkpoint of a run: the message log
// and the run's tally as they stand at that key read, so a run taken up
// from its checkpoint has its whole log, levels and turns as they were, and
// its tally, and tells nothing as new that happened before.
class CheckpointLog : public CheckpointCompanion {
 public:
  CheckpointLog(const MessageLog& log, const RunTally& tally) : log_(log), tally_(tally) {}
  std::string companionBytes(const Game& game) const override;

 private:
  const MessageLog& log_;
  const RunTally& tally_;
};

// Keeps a run's log and tally as a game is played without the shell (a
// catch-up, the replay), as if the shell had watched it all along, and
// hands every event on to `next`.
class LogAndTally : public GameObserver {
 public:
  LogAndTally(RunTally& tally, MessageLog& log, GameObserver* next = nullptr)
      : tally_(tally), log_(log), next_(next) {}
  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onMessageReplaced(const Game& game, std::string_view earlier) override;
  void onKeyRead(const Game& game) override;

 private:
  RunTally& tally_;
  MessageLog& log_;
  GameObserver* next_;
};

// Puts the log and the tally back from bytes kept beside a checkpoint;
// false, with both left as they were, when the bytes are not whole.
bool restoreCheckpointLog(std::string_view bytes, MessageLog& log, RunTally& tally);

}  // namespace dw
