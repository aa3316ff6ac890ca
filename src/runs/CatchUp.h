#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/Recording.h"
#include "runs/RunLock.h"
#include "runs/RunSummary.h"

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
  std::uint64_t startKeys = 0;  // the keys before the point the catch-up started at
  // The run's tally where it stands: from its checkpoint's turns and level
  // on, else from its start; what its summary goes on from.
  RunTally tally;
  // A checkpoint of the game where it stands, at `keep`, for the recording
  // the run goes on in.
  std::optional<std::string> checkpoint;
  // What the session keeps beside that checkpoint (see CheckpointCompanion),
  // set by the session once it has watched the catch-up.
  std::optional<std::string> companion;
  // Lines for stderr: a checkpoint passed over, a damaged tail, a refused
  // recording played all the same.
  std::vector<std::string> notes;
};

// How far a catch-up has got: the keys played of all it plays, and the
// level the game stands on; no keys in all while the recording is read.
struct CatchUpProgress {
  std::uint64_t keysDone = 0, keysInAll = 0;
  std::int32_t level = 0;
};

// What watches a catch-up as it plays: an observer told of the game as if it
// were played (the shell's log), and `progress`, told how far it has got
// every `every` and once as it starts, which stops the catch-up by
// returning false; `stopped` says so afterwards.
struct CatchUpWatch {
  GameObserver* observer = nullptr;
  // Told as each attempt begins, before the observer hears of it: from the
  // checkpoint at that place, or (nothing) from the run's start; what the
  // observer kept of an attempt before is then to be dropped. Returning
  // false passes the checkpoint over, and the run is played from its start.
  std::function<bool(const std::optional<RecordingPoint>& from)> begin;
  std::function<bool(const CatchUpProgress&)> progress;
  std::chrono::milliseconds every{100};
  bool stopped = false;
};

// Reads the recording at `path` and plays it into a fresh game without
// showing it, from its checkpoint when one is there and good (not with
// useCheckpoint false), else from its start, leaving out the key that ended
// the run. A recording named as the game names its runs is held first (see
// runs/RunLock.h). Nothing, with the reason in error, when another game
// holds it, when the file cannot be read,
// holds no game in the dungeon, or was made with other rules or data and
// `force` is not set.
// A watch (see CatchUpWatch) is told of every attempt; after a stop the
// error says so and nothing was written.
std::optional<CaughtUpRun> catchUpRun(const std::string& path, bool force, std::string& error,
                                      bool useCheckpoint = true, CatchUpWatch* watch = nullptr);

// The recording to continue: `file`, or the run last played in the
// recordings folder when it is empty, with its header checked as catchUpRun
// checks it (notes as there), so a run that cannot go on is refused before
// any front-end opens. Nothing, with the reason, when there is none or it
// cannot be continued.
std::optional<std::string> recordingToContinue(const std::string& file,
                                               const std::filesystem::path& folder, bool force,
                                               std::string& error, std::vector<std::string>& notes);

}  // namespace dw
