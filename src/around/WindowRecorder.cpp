#include "around/WindowRecorder.h"

#include "around/RecordingFiles.h"

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
    : game_(game), folder_(std::move(folder)) {
  std::error_code error;
  fs::create_directories(folder_, error);
  stamp_ = freeStamp(folder_, stamp, std::nullopt);
  path_ = folder_ / recordingName(stamp_, std::nullopt);
  RecordingHeader header;
  header.gameVersion = recordingGameVersion;
  header.dataFingerprint = dataFingerprint;
  if (writer_.start(path_.string(), header)) pruneRecordings(folder_, recordingsKept, path_);
}

void WindowRecorder::onKey(const std::string& key) {
  // By the first key of the first level the seed is the one the levels are
  // made from, typed or not.
  if (!named_ && game_.state.levelNumber > 0) nameAfterSeed();
  writer_.onKey(key);
}

void WindowRecorder::nameAfterSeed() {
  named_ = true;
  if (!writer_.recording()) return;
  std::int64_t seed = game_.state.seed;
  fs::path named = folder_ / recordingName(freeStamp(folder_, stamp_, seed), seed);
  // The open file keeps being written under its new name.
  std::error_code error;
  fs::rename(path_, named, error);
  if (!error) path_ = named;
}

void WindowRecorder::finish() {
  writer_.finish(game_.endReason == EndReason::quit ? "quit" : "closed");
}

}  // namespace dw
