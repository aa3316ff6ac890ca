#include "around/WindowGame.h"

#include "around/KeyHelp.h"
#include "around/MessageLog.h"
#include "around/Screenshots.h"
#include "around/UserFolders.h"
#include "frame/Game.h"
#include "platform/sdl/SdlPlatform.h"

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

}  // namespace

int playInWindow(SdlPlatform& window) {
  Environment env = processEnvironment();
  WindowCompanion companion(window);
  window.setKeyHelp(keyHelp());
  window.setMessageLog([&companion] { return companion.log.panel(); });
  window.setScreenshotSaver(
      [env](const Screen& screen, int scale) { return takeScreenshot(screen, scale, env); });

  Game game(window);
  game.observer = &companion;
  int code = runGame(game);

  // The window may outlive this game; it must not call into it any more.
  window.setMessageLog(nullptr);
  return code;
}

}  // namespace dw
