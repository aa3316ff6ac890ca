#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dw {

class SdlPlatform;
struct RecordingRead;
struct CaughtUpRun;

// Plays the game in the window with everything around it: the key help on
// F1, the message log on F2, screenshots on F12, the notices about fallen
// members, and a recording of the game in the player's recordings folder.
// With `run`, the game is that run caught up, going on where it stopped.
// Returns the game's exit code.
int playInWindow(SdlPlatform& window, CaughtUpRun* run = nullptr);

// A recording read for watching, with lines to tell the player first (where
// a damaged file stops, why a refused one plays all the same).
struct RecordingToWatch {
  std::string name;
  std::shared_ptr<RecordingRead> read;
  std::vector<std::string> notes;
};
// Reads a recording and checks it against this game and the files in the
// current folder. Nothing, with the reason in error, when it cannot be read,
// or was made with another version or other files and force is not set.
std::optional<RecordingToWatch> readRecordingToWatch(const std::string& path, bool force,
                                                     std::string& error);

// Plays the recording in the window at the watching pace (see
// SdlPlatform::watch). Returns the game's exit code.
int watchInWindow(SdlPlatform& window, const RecordingToWatch& recording);

}  // namespace dw
