#include "runs/RecordingCheck.h"

#include <cstdio>
#include <filesystem>

#include "frame/RunGame.h"
#include "platform/VisibleText.h"
#include "recording/Fingerprint.h"

namespace dw {

bool passedWithForce(const std::string& path, RecordingUse use, const std::string& problem,
                     bool force, std::string& error, std::vector<std::string>& notes) {
  if (problem.empty()) return true;
  if (!force) {
    error = std::string("cannot ") + use.verb + " " + visibleText(path) + ": " + problem +
            "; --force plays it anyway";
    return false;
  }
  notes.push_back(std::string(use.doing) + " " + visibleText(path) + " all the same: " + problem);
  return true;
}

bool headerPassed(const RecordingScanner& scanner, const std::string& path, RecordingUse use,
                  bool force, std::uint64_t dataFingerprint, std::string& error,
                  std::vector<std::string>& notes) {
  if (!scanner.header()) {
    error = std::string("cannot ") + use.verb + " " + visibleText(path) + ": " + scanner.problem();
    return false;
  }
  std::string mismatch = recordingMismatch(*scanner.header(), gameRulesVersion, dataFingerprint);
  return passedWithForce(path, use, mismatch, force, error, notes);
}

std::optional<RecordingToPlay> readRecordingToPlay(const std::string& path, RecordingUse use,
                                                   bool force, std::string& error,
                                                   const std::string& dataFolder) {
  std::FILE* file = openRecordingFile(path, error);
  if (!file) return std::nullopt;
  // Read as it is played: the entries go straight into their packed form.
  RecordingScanner scanner(file);
  RecordingToPlay out;
  if (scanner.readHeader()) {
    while (const RecordedEvent* event = scanner.next()) out.input.add(*event);
  }
  bool unreadable = std::ferror(file) != 0;
  std::fclose(file);
  if (unreadable) {
    error = "cannot read recording " + visibleText(path);
    return std::nullopt;
  }
  if (!headerPassed(scanner, path, use, force, gameFilesFingerprint(dataFolder), error, out.notes))
    return std::nullopt;
  if (!scanner.problem().empty())
    out.notes.push_back(visibleText(path) + ": " + describeStop(scanner));
  out.path = path;
  out.name = visibleText(std::filesystem::path(path).filename().string());
  out.header = *scanner.header();
  return out;
}

std::optional<RecordingToPlay> readCheckedRecording(const std::string& path, RecordingUse use,
                                                    bool force, std::string& error) {
  auto recording = readRecordingToPlay(path, use, force, error);
  if (!recording || !passedWithForce(path, use, recordedGameContradiction(*recording), force, error,
                                     recording->notes))
    return std::nullopt;
  return recording;
}

void feedRecording(HeadlessPlatform& platform, RecordedInput& input) {
  platform.setKeySource([&input] { return input.nextKey(); });
  platform.setClockFeed(&input);
}

std::string playedContradiction(const RecordingToPlay& played, const Game& game) {
  const RecordedInput& input = played.input;
  std::size_t keysRead = input.keysGiven() - game.platform.keysWaiting();
  RecordedFacts facts{played.header.seed, input.keyCount(), input.endReason() == "quit"};
  return recordingContradiction(facts, game.state.seed, keysRead,
                                game.endReason == EndReason::quit);
}

std::string recordedGameContradiction(const RecordingToPlay& recording) {
  HeadlessPlatform platform;
  RecordingToPlay played = recording;
  feedRecording(platform, played.input);
  Game game(platform);
  runGame(game);
  return playedContradiction(played, game);
}

}  // namespace dw
