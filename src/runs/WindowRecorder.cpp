#include "runs/WindowRecorder.h"

#include "runs/RecordingFiles.h"

namespace dw {

namespace fs = std::filesystem;

namespace {

// The first free name for the stamp: a second game begun in the same second
// gets "-2" after its stamp, and so on.
std::string freeStamp(const fs::path& folder, const std::string& stamp,
                      std::optional<std::int64_t> seed) {
  std::error_code error;
  for (int n = 1;; ++n) {
    std::string candidate = n == 1 ? stamp : stamp + "-" + std::to_string(n);
    if (!fs::exists(folder / recordingName(candidate, seed), error)) return candidate;
  }
}

}  // namespace

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
  path_ = folder_ / recordingName(freeStamp(folder_, stamp_, seed), seed);
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
