#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/Game.h"
#include "recording/Fingerprint.h"
#include "recording/Recording.h"
#include "runs/CatchUp.h"
#include "runs/Checkpoint.h"
#include "runs/RunLock.h"
#include "runs/RunSummary.h"
#include "runs/UserFolders.h"

namespace dw {

// The one recorder of a run, in every front-end and in the replay: every
// key handed to the game and every clock reading, written to the system as
// each comes, so a crash or a kill loses at most the key being read.
// Nothing here can stop the game: a recording that cannot be written just
// ends, and error() says why.
//
// A new run's file is made at the first key of its first level, when the
// seed the levels come from is known, with everything the game took
// before. A continued run goes on in one recording of the whole run. Attach
// it as the platform's input tap, and its checkpoints() to the game's key
// reads where the run keeps checkpoints beside its recording.
class RunRecorder : public InputTap, public CheckpointTaker::Recorder {
 public:
  // A new run kept among the player's runs in `folder`: named after its
  // stamp and seed ("<stamp>[-n]-seed<seed>.dwrec"), the oldest runs beyond
  // those kept are pruned when it is made, and a launch that never begins a
  // game leaves nothing.
  struct InFolder {
    std::filesystem::path folder;
    std::string stamp = fileStamp();
  };
  // A new run in exactly this file, never one that is there already, made
  // at the end even when no game was begun.
  struct InFile {
    std::filesystem::path file;
  };
  RunRecorder(const Game& game, InFolder where,
              std::uint64_t dataFingerprint = gameFilesFingerprint(""));
  RunRecorder(const Game& game, InFile where,
              std::uint64_t dataFingerprint = gameFilesFingerprint(""));
  // The caught-up run goes on: its kept part is written into its recording
  // in `folder` (see continuedRecordingPath) first, with the checkpoint the
  // catch-up took, then the game's keys. A recording from elsewhere is only
  // read.
  RunRecorder(const Game& game, const CaughtUpRun& run, const std::filesystem::path& folder,
              std::uint64_t dataFingerprint = gameFilesFingerprint(""));
  RunRecorder(const RunRecorder&) = delete;
  RunRecorder& operator=(const RunRecorder&) = delete;

  // Told each whole line of the recording as it is written, from its header
  // on (for a continued run, from the first after its kept part): what the
  // page keeps of a run without reading the file again. Set it before the
  // game begins.
  void setLineSink(RecordingWriter::LineSink sink) { writer_.setLineSink(std::move(sink)); }

  void onKey(const std::string& key) override;
  void onTimer(double reading) override { writer_.onTimer(reading); }
  void onLocalTime(const ClockTime& time) override { writer_.onLocalTime(time); }
  // Writes the closing entry, the words for how the game ended (see
  // recordedEnding).
  void finish(const std::string& ending);

  const RecordingWriter* writer() const override { return &writer_; }
  // The recording's file; empty before a new run's file was made, or when
  // it could not be.
  std::string path() const override { return path_.string(); }
  // Why the game is not (or no longer) recorded; empty while it is.
  const std::string& error() const { return writer_.error(); }
  CheckpointTaker& checkpoints() { return checkpoints_; }

  // The run's tally, read the moment the recording is cut (a full disk, a
  // file-size limit): what the recording then holds is summed up from it,
  // the game as it stood before the first key the file did not take.
  void watchTally(const RunTally& tally) { tally_ = &tally; }
  // The summary of what a recording cut after it began holds, ending "cut
  // off"; nothing while it is whole, or when it never began.
  const std::optional<RunSummary>& keptPart() const { return keptPart_; }

 private:
  void open();
  void noteCut(bool writing);
  void keepCatchUpCheckpoint(const CaughtUpRun& run);

  const Game& game_;
  std::uint64_t fingerprint_;
  std::filesystem::path folder_;  // a new run kept among the runs there
  std::string stamp_;
  std::filesystem::path path_;
  bool madeAtEnd_ = false;
  bool opened_ = false;
  RecordingWriter writer_;
  CheckpointTaker checkpoints_;
  // The run is this game's while it plays (see runs/RunLock.h).
  std::shared_ptr<RunLock> lock_;
  const RunTally* tally_ = nullptr;
  bool wasRecording_ = false;
  std::optional<RunSummary> keptPart_;
};

// The words a recording's closing entry gives for how the game ended:
// "quit" after Escape, else `otherwise` ("closed": the window or the
// terminal went; the replay's "keys": its keys ran out).
std::string recordedEnding(const Game& game, const char* otherwise = "closed");

}  // namespace dw
