#include "RecordingPlay.h"

#include <filesystem>

#include "recording/Fingerprint.h"

namespace dw {

std::optional<ReplayRecording> loadReplayRecording(const std::string& path,
                                                   const std::string& dataFolder, bool force,
                                                   std::string& error) {
  std::FILE* file = openRecordingFile(path, error);
  if (!file) return std::nullopt;
  // Read as it is played: the entries go straight into their packed form.
  RecordingScanner scanner(file);
  ReplayRecording out;
  out.input = std::make_unique<RecordedInput>();
  if (scanner.readHeader()) {
    while (const RecordedEvent* event = scanner.next()) out.input->add(*event);
  }
  bool unreadable = std::ferror(file) != 0;
  std::fclose(file);
  if (unreadable) {
    error = "cannot read recording " + path;
    return std::nullopt;
  }
  if (!scanner.header()) {
    error = "cannot play " + path + ": " + scanner.problem();
    return std::nullopt;
  }
  out.header = *scanner.header();
  std::string mismatch =
      recordingMismatch(out.header, gameRulesVersion, gameFilesFingerprint(dataFolder));
  if (!mismatch.empty()) {
    if (!force) {
      error = "cannot play " + path + ": " + mismatch + "; --force plays it anyway";
      return std::nullopt;
    }
    out.notes.push_back("playing " + path + " all the same: " + mismatch);
  }
  if (!scanner.problem().empty()) out.notes.push_back(path + ": " + describeStop(scanner));
  return out;
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
