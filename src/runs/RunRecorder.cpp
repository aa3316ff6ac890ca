#include "runs/RunRecorder.h"

#include "runs/RunFiles.h"

namespace dw {

namespace fs = std::filesystem;

RunRecorder::RunRecorder(const Game& game, InFolder where, std::uint64_t dataFingerprint)
    : game_(game),
      fingerprint_(dataFingerprint),
      folder_(std::move(where.folder)),
      stamp_(std::move(where.stamp)),
      checkpoints_(*this, dataFingerprint) {}

RunRecorder::RunRecorder(const Game& game, InFile where, std::uint64_t dataFingerprint)
    : game_(game),
      fingerprint_(dataFingerprint),
      path_(std::move(where.file)),
      madeAtEnd_(true),
      checkpoints_(*this, dataFingerprint) {}

RunRecorder::RunRecorder(const Game& game, const CaughtUpRun& run, const fs::path& folder,
                         std::uint64_t dataFingerprint)
    : game_(game),
      fingerprint_(dataFingerprint),
      opened_(true),
      checkpoints_(*this, dataFingerprint) {
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  path_ = run.intoNewFile ? freePath(folder, fs::path(run.path).stem().string(),
                                     std::string(recordingExtension))
                          : continuedRecordingPath(run.path, folder,
                                                   run.header.seed.value_or(run.game->state.seed));
  // Held before a byte of it is written: the run's own file stays held by
  // the lock taken to catch it up.
  std::string held;
  lock_ = path_ == fs::path(run.path) ? run.lock : RunLock::take(path_, held);
  removeLeftovers(folder);
  writer_.resume(run.path, run.keep, path_.string());
  checkpoints_.countFrom(run.keep.keys, static_cast<std::uint64_t>(run.tally.turns()));
  keepCatchUpCheckpoint(run);
}

// The checkpoint the catch-up took where the run goes on goes beside the
// recording, so the next continue starts there.
void RunRecorder::keepCatchUpCheckpoint(const CaughtUpRun& run) {
  if (!run.checkpoint || !writer_.recording()) return;
  std::string ignored;  // a checkpoint not written is taken again as the run goes on
  writeTakenCheckpoint(path_.string(), {*run.checkpoint, run.companion, run.keep}, ignored);
}

void RunRecorder::onKey(const std::string& key) {
  // By the first key of the first level the seed is the one the levels are
  // made from, typed or not: the file is made then, with everything taken
  // before.
  if (!opened_ && game_.state.levelNumber > 0) open();
  // A clock reading since the last key may have been the one refused; then
  // this key, which the game has not played yet.
  noteCut(writer_.recording());
  writer_.onKey(key);
  noteCut(writer_.recording());
}

// Takes the summary of what the recording holds once the file stops taking
// entries (`writing` false) after it had taken them.
void RunRecorder::noteCut(bool writing) {
  if (wasRecording_ && !writing && !keptPart_ && tally_ != nullptr) {
    keptPart_ = tally_->summary(game_);
    keptPart_->ending = "cut off";
  }
  wasRecording_ = writing;
}

void RunRecorder::open() {
  opened_ = true;
  std::int64_t seed = game_.state.seed;
  if (!folder_.empty()) {
    std::error_code ignored;
    fs::create_directories(folder_, ignored);
    path_ = newRecordingPath(folder_, stamp_, seed);
  }
  RecordingHeader header;
  header.gameVersion = recordingGameVersion;
  header.seed = seed;
  header.dataFingerprint = fingerprint_;
  if (!writer_.start(path_.string(), header)) {
    path_.clear();
  } else if (!folder_.empty()) {
    // Held from its first key, before the oldest runs are pruned.
    std::string held;
    lock_ = RunLock::take(path_, held);
    pruneRecordings(folder_, recordingsKept, path_);
  }
}

void RunRecorder::finish(const std::string& ending) {
  if (!opened_) {
    // A launch that never began a game leaves nothing behind in the runs.
    if (!madeAtEnd_) return;
    open();
  }
  noteCut(writer_.recording());
  std::uint64_t entries = writer_.point().entries;
  writer_.finish(ending);
  // Every key is kept, but not the closing entry.
  noteCut(writer_.point().entries > entries);
}

std::string recordedEnding(const Game& game, const char* otherwise) {
  return game.endReason == EndReason::quit ? "quit" : otherwise;
}

}  // namespace dw
