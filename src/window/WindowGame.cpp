#include "window/WindowGame.h"

#include <filesystem>

#include "around/KeyHelp.h"
#include "around/MessageLog.h"
#include "around/RecordedPlay.h"
#include "around/RecordingFiles.h"
#include "around/Screenshots.h"
#include "around/UserFolders.h"
#include "around/WindowRecorder.h"
#include "core/Game.h"
#include "frame/RunGame.h"
#include "platform/sdl/SdlPlatform.h"
#include "recording/Fingerprint.h"
#include "recording/RecordedInput.h"
#include "recording/Recording.h"

namespace dw {

namespace {

// Keeps the message log and tells the window when a notice changes.
class WindowCompanion : public GameObserver {
 public:
  explicit WindowCompanion(SdlPlatform& window) : window_(window) {}
  void onLevel(const Game& game) override {
    log.onLevel(game);
    window_.setNotice(log.notice());
  }
  void onCycle(const Game& game) override {
    log.onCycle(game);
    window_.setNotice(log.notice());
  }

  MessageLog log;

 private:
  SdlPlatform& window_;
};

std::string takeScreenshot(const Screen& screen, int scale, const Environment& env) {
  std::filesystem::path folder = picturesFolder(env) / "duskwarren";
  ScreenshotResult result = saveScreenshot(screen, scale, folder, fileStamp());
  if (!result.saved) return "Screenshot not saved: " + result.error;
  return "Screenshot saved: " + shortPath(result.files.front(), env);
}

// Runs a game with the panels, notices and screenshots set up.
int runAround(SdlPlatform& window, Game& game, OverlayContent help,
              const std::function<int(Game&)>& play) {
  Environment env = processEnvironment();
  WindowCompanion companion(window);
  window.setKeyHelp(std::move(help));
  window.setMessageLog([&companion] { return companion.log.panel(); });
  window.setScreenshotSaver(
      [env](const Screen& screen, int scale) { return takeScreenshot(screen, scale, env); });
  game.observer = &companion;
  int code = play(game);
  // The window may outlive this game; it must not call into it any more.
  window.setMessageLog(nullptr);
  game.observer = nullptr;
  return code;
}

}  // namespace

int playInWindow(SdlPlatform& window, CaughtUpRun* run) {
  Game game(window);
  return runAround(window, game, keyHelp(), [&window, run](Game& played) {
    return playRecorded(
        played, recordingsFolder(processEnvironment()), run,
        [&window](const std::string& why) { window.flashTitle("Not recorded: " + why); });
  });
}

std::optional<RecordingToWatch> readRecordingToWatch(const std::string& path, bool force,
                                                     std::string& error) {
  auto read = readRecordingFile(path, error);
  if (!read) return std::nullopt;
  if (!read->header) {
    error = "cannot watch " + path + ": " + read->problem;
    return std::nullopt;
  }
  RecordingToWatch out;
  std::string mismatch =
      recordingMismatch(*read->header, gameRulesVersion, gameFilesFingerprint(""));
  if (!mismatch.empty()) {
    if (!force) {
      error = "cannot watch " + path + ": " + mismatch + "; --force plays it anyway";
      return std::nullopt;
    }
    out.notes.push_back("watching " + path + " all the same: " + mismatch);
  }
  if (!read->problem.empty()) out.notes.push_back(path + ": " + describeStop(*read));
  out.name = std::filesystem::path(path).filename().string();
  out.read = std::make_shared<RecordingRead>(std::move(*read));
  return out;
}

int watchInWindow(SdlPlatform& window, const RecordingToWatch& recording) {
  RecordedInput input(recording.read->events);
  Game game(window);
  window.setClockFeed(&input);
  window.watch([&input] { return input.nextKey(); }, recording.name);
  int code = runAround(window, game, watchKeyHelp(), [](Game& played) { return runGame(played); });
  window.watch(nullptr, {});
  window.setClockFeed(nullptr);
  return code;
}

}  // namespace dw
