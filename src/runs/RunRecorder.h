#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Game.h"
#include "runs/CatchUp.h"
#include "runs/Checkpoint.h"

namespace dw {

class WindowRecorder;

// The recording of a game as it is played, in the player's recordings
// folder, with checkpoints beside it now and then: a new game's (named as
// WindowRecorder names it), or a continued run's, going on in one recording
// of the whole run. Attach it as the platform's input tap, and its
// checkpoints() to the game's key reads.
class RunRecorder : public InputTap, public CheckpointTaker::Recorder {
 public:
  // With `run`, the caught-up run goes on; without, a new game begins.
  RunRecorder(const Game& game, const std::filesystem::path& folder, const CaughtUpRun* run);
  ~RunRecorder() override;
  RunRecorder(const RunRecorder&) = delete;
  RunRecorder& operator=(const RunRecorder&) = delete;

  void onKey(const std::string& key) override;
  void onTimer(double reading) override;
  void onLocalTime(const ClockTime& time) override;
  // Writes the closing entry for why the game ended.
  void finish(const Game& game);

  const RecordingWriter* writer() const override;
  std::string path() const override;
  // Why the game is not (or no longer) recorded; empty while it is.
  std::string error() const;
  CheckpointTaker& checkpoints() { return checkpoints_; }

 private:
  std::uint64_t fingerprint_;
  std::unique_ptr<WindowRecorder> fresh_;
  ContinuedRecorder continued_;
  CheckpointTaker checkpoints_;
};

// What names a run to the player: "on seed 42" (from its file name).
std::string runDescription(const std::filesystem::path& recording);

// Reads the run to continue: `file`, or the newest run in the recordings
// folder when it is empty. Nothing, with the reason, when there is none or
// it cannot be continued.
std::optional<CaughtUpRun> runToContinue(const std::string& file,
                                         const std::filesystem::path& folder, bool force,
                                         std::string& error);

}  // namespace dw
