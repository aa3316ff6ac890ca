#include "shell/CheckpointLog.h"

namespace dw {

std::string CheckpointLog::companionBytes(const Game&) const { return log_.saved(); }

void LogKeeper::onLevel(const Game& game) {
  log_.onLevel(game);
  if (next_) next_->onLevel(game);
}

void LogKeeper::onCycle(const Game& game) {
  log_.onCycle(game);
  if (next_) next_->onCycle(game);
}

void LogKeeper::onMessageReplaced(const Game& game, std::string_view earlier) {
  log_.onMessageReplaced(game, earlier);
  if (next_) next_->onMessageReplaced(game, earlier);
}

void LogKeeper::onKeyRead(const Game& game) {
  // A game taken up from the middle: its party is no news.
  if (!log_.begun()) log_.takeUp(game);
  if (next_) next_->onKeyRead(game);
}

bool restoreCheckpointLog(std::string_view bytes, MessageLog& log) {
  MessageLog restored = log;
  if (!restored.restore(bytes)) return false;
  log = std::move(restored);
  return true;
}

}  // namespace dw
