#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/Recording.h"
#include "runs/Checkpoint.h"

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
  // Lines for stderr: a checkpoint passed over, a damaged tail, a refused
  // recording played all the same.
  std::vector<std::string> notes;
};

// Reads the recording at `path` and plays it into a fresh game without
// showing it, from its checkpoint when one is there and good (not with
// useCheckpoint false), else from its start, leaving out the key that ended
// the run. Nothing, with the reason in error, when the file cannot be read,
// holds no game in the dungeon, or was made with other rules or data and
// `force` is not set.
std::optional<CaughtUpRun> catchUpRun(const std::string& path, bool force, std::string& error,
                                      bool useCheckpoint = true);

// Records a continued run: the kept part of the recording is written into
// the target first (a new file renamed into place), then every key and
// clock reading of the game as it goes on, with checkpoints now and then.
class ContinuedRecorder : public InputTap, public CheckpointTaker::Recorder {
 public:
  // False, with the reason in error(), when the recording cannot go on.
  bool start(const CaughtUpRun& run, const std::string& target);
  void finish(const Game& game);

  void onKey(const std::string& key) override { writer_.onKey(key); }
  void onTimer(double reading) override { writer_.onTimer(reading); }
  void onLocalTime(const ClockTime& time) override { writer_.onLocalTime(time); }

  const RecordingWriter* writer() const override { return &writer_; }
  std::string path() const override { return path_; }
  const std::string& error() const { return writer_.error(); }

 private:
  RecordingWriter writer_;
  std::string path_;
};

}  // namespace dw
