#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/Recording.h"
#include "runs/RunLock.h"

namespace dw {

// A run caught up to where it stopped, on a game of its own that showed
// nothing: the game stands at the play-loop key read the player goes on
// from.
struct CaughtUpRun {
  std::unique_ptr<HeadlessPlatform> platform;
  std::unique_ptr<Game> game;
  std::string path;  // the recording
  RecordingHeader header;
  // The recording up to that key read: every entry before the key that
  // ended the run (the Escape) and its closing entry.
  RecordingPoint keep;
  bool fromCheckpoint = false;
  // The recording is damaged and goes on, forced, from its last good entry:
  // in a new file, the damaged one left as it was.
  bool intoNewFile = false;
  // This game's hold on the run (see runs/RunLock.h), kept while it plays.
  std::shared_ptr<RunLock> lock;
  // Lines for stderr: a checkpoint passed over, a damaged tail, a refused
  // recording played all the same.
  std::vector<std::string> notes;
};

// Reads the recording at `path` and plays it into a fresh game without
// showing it, from its checkpoint when one is there and good (not with
// useCheckpoint false), else from its start, leaving out the key that ended
// the run. A recording named as the game names its runs is held first (see
// runs/RunLock.h). Nothing, with the reason in error, when another game
// holds it, when the file cannot be read,
// holds no game in the dungeon, or was made with other rules or data and
// `force` is not set.
std::optional<CaughtUpRun> catchUpRun(const std::string& path, bool force, std::string& error,
                                      bool useCheckpoint = true);

// Reads the run to continue: `file`, or the newest run in the recordings
// folder that no other game holds when it is empty, and catches it up (see catchUpRun). Nothing,
// with the reason, when there is none or it cannot be continued.
std::optional<CaughtUpRun> runToContinue(const std::string& file,
                                         const std::filesystem::path& folder, bool force,
                                         std::string& error);

}  // namespace dw
