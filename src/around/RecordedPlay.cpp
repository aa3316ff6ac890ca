#include "around/RecordedPlay.h"

#include "around/UserFolders.h"
#include "around/WindowRecorder.h"
#include "frame/RunGame.h"
#include "recording/Fingerprint.h"

namespace dw {

namespace {

// The window's recorder as the checkpoint taker sees it.
class NewRunRecorder : public CheckpointTaker::Recorder {
 public:
  explicit NewRunRecorder(const WindowRecorder& recorder) : recorder_(recorder) {}
  const RecordingWriter* writer() const override { return &recorder_.writer(); }
  std::string path() const override { return recorder_.path().string(); }

 private:
  const WindowRecorder& recorder_;
};

// Runs the game with the tap and the checkpoints in place.
int playTapped(Game& game, InputTap& tap, CheckpointTaker& checkpoints, bool resumed) {
  GameObserver* observer = game.observer;
  game.observer = &checkpoints;
  game.platform.setInputTap(&tap);
  int code = resumed ? resumeGame(game) : runGame(game);
  game.platform.setInputTap(nullptr);
  game.observer = observer;
  return code;
}

}  // namespace

int playRecorded(Game& game, const std::filesystem::path& folder, CaughtUpRun* run,
                 const std::function<void(const std::string&)>& notRecorded) {
  const std::uint64_t fingerprint = gameFilesFingerprint("");
  if (!run) {
    WindowRecorder recorder(game, folder, fileStamp(), fingerprint);
    if (!recorder.error().empty()) notRecorded(recorder.error());
    NewRunRecorder view(recorder);
    CheckpointTaker checkpoints(view, fingerprint, game.observer);
    int code = playTapped(game, recorder, checkpoints, false);
    recorder.finish();
    return code;
  }
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  ContinuedRecorder recorder;
  if (!recorder.start(*run, continuedRecordingPath(run->path, folder).string()))
    notRecorded(recorder.error());
  copyGame(*run->game, game);
  CheckpointTaker checkpoints(recorder, fingerprint, game.observer);
  checkpoints.countFrom(run->keep.keys);
  int code = playTapped(game, recorder, checkpoints, true);
  recorder.finish(game);
  return code;
}

std::optional<CaughtUpRun> runToContinue(const std::string& file,
                                         const std::filesystem::path& folder, bool force,
                                         std::string& error) {
  std::string path = file;
  if (path.empty()) {
    auto newest = newestRun(folder);
    if (!newest) {
      error = "there is no run to continue in " + folder.string();
      return std::nullopt;
    }
    path = newest->string();
  }
  return catchUpRun(path, force, error);
}

}  // namespace dw
