#include "RecordingPlay.h"

#include <filesystem>

#include "recording/Fingerprint.h"

namespace dw {

std::optional<ReplayRecording> loadReplayRecording(const std::string& path,
                                                   const std::string& dataFolder, bool force,
                                                   std::string& error) {
  auto read = readRecordingFile(path, error);
  if (!read) return std::nullopt;
  ReplayRecording out;
  if (!read->header) {
    error = "cannot play " + path + ": " + read->problem;
    return std::nullopt;
  }
  std::string mismatch =
      recordingMismatch(*read->header, recordingGameVersion, gameFilesFingerprint(dataFolder));
  if (!mismatch.empty()) {
    if (!force) {
      error = "cannot play " + path + ": " + mismatch + "; --force plays it anyway";
      return std::nullopt;
    }
    out.notes.push_back("playing " + path + " all the same: " + mismatch);
  }
  if (!read->problem.empty()) out.notes.push_back(path + ": " + describeStop(*read));
  out.input = std::make_unique<RecordedInput>(read->events);
  out.read = std::move(*read);
  return out;
}

void feedRecording(HeadlessPlatform& platform, RecordedInput& input) {
  while (auto key = input.nextKey()) platform.addKey(std::move(*key));
  platform.setClockFeed(&input);
}

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
