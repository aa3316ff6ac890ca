#include "RecordingPlay.h"

#include <filesystem>

#include "recording/Fingerprint.h"

namespace dw {

bool ReplayRecorder::open() {
  opened_ = true;
  RecordingHeader header;
  header.gameVersion = recordingGameVersion;
  header.seed = game_.state.seed;
  header.dataFingerprint = fingerprint_;
  return writer_.start(path_, header);
}

void ReplayRecorder::onKey(const std::string& key) {
  // By the first key of the first level the seed is the one the levels are
  // made from, typed or not.
  if (!opened_ && game_.state.levelNumber > 0) open();
  writer_.onKey(key);
}

bool ReplayRecorder::finish(const std::string& reason) {
  if (!opened_ && !open()) return false;
  writer_.finish(reason);
  return writer_.error().empty();
}

std::string missingDataWarning(const std::string& dataFolder) {
  std::error_code error;
  std::filesystem::path folder = dataFolder.empty() ? "." : dataFolder;
  if (std::filesystem::is_directory(folder / "res", error)) return {};
  return "warning: " + (dataFolder.empty() ? std::string("the current folder") : dataFolder) +
         " has no res/ folder: the game plays on without its party, spells, compass and shops";
}

}  // namespace dw
