#include "runs/Checkpoint.h"

#include <cstdio>
#include <cstring>

#include "platform/SafeWrite.h"
#include "platform/VisibleText.h"
#include "runs/RunFiles.h"

namespace dw {

bool writeCheckpointFile(const std::string& path, std::string_view bytes, std::string& error) {
  // Made again from the recording when lost: never synced.
  std::string why = writeWholeFile(path, bytes, WriteKind::cache);
  if (!why.empty()) error = "cannot write " + visibleText(path) + ": " + why;
  return why.empty();
}

void CheckpointTaker::onKeyRead(const Game& game) {
  if (next_) next_->onKeyRead(game);
  const RecordingWriter* writer = recorder_.writer();
  if (!writer || !writer->recording() || game.state.levelNumber <= 0) return;
  const RecordingPoint& point = writer->point();
  if (point.keys < lastKeys_ + every_) return;
  lastKeys_ = point.keys;
  auto bytes = checkedCheckpoint(game, {point, fingerprint_, turns_});
  if (!bytes) {
    error_ = "a checkpoint did not restore to the same game";
    return;
  }
  error_.clear();
  writeCheckpointFile(checkpointPathOf(recorder_.path()).string(), *bytes, error_);
}

}  // namespace dw
