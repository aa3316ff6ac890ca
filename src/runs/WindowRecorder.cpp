#include "runs/WindowRecorder.h"

#include "runs/RunFiles.h"

namespace dw {

namespace fs = std::filesystem;

WindowRecorder::WindowRecorder(const Game& game, fs::path folder, std::string stamp,
                               std::uint64_t dataFingerprint)
    : game_(game),
      folder_(std::move(folder)),
      stamp_(std::move(stamp)),
      fingerprint_(dataFingerprint) {}

void WindowRecorder::onKey(const std::string& key) {
  // By the first key of the first level the seed is the one the levels are
  // made from, typed or not: the file is made then, named after it, with
  // everything taken before.
  if (!started_ && game_.state.levelNumber > 0) start();
  writer_.onKey(key);
}

void WindowRecorder::start() {
  started_ = true;
  std::int64_t seed = game_.state.seed;
  std::error_code error;
  fs::create_directories(folder_, error);
  path_ = newRecordingPath(folder_, stamp_, seed);
  RecordingHeader header;
  header.gameVersion = recordingGameVersion;
  header.seed = seed;
  header.dataFingerprint = fingerprint_;
  if (writer_.start(path_.string(), header)) {
    pruneRecordings(folder_, recordingsKept, path_);
  } else {
    path_.clear();
  }
}

void WindowRecorder::finish() {
  // A launch that never began a game leaves nothing behind.
  if (!started_) return;
  writer_.finish(game_.endReason == EndReason::quit ? "quit" : "closed");
}

}  // namespace dw
