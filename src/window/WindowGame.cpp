#include "window/WindowGame.h"

#include <iostream>

#include "platform/sdl/SdlPlatform.h"
#include "shell/Screenshots.h"
#include "shell/Shell.h"

namespace dw {

namespace {

// The window's shell: the player's settings, and pictures as PNG files.
Shell& windowShell(SdlPlatform& window, std::unique_ptr<Shell>& shell) {
  Environment env = processEnvironment();
  Settings settings = readSettings(settingsFile(env));
  // No terminal is drawn on here: a bad line is named on stderr as well.
  for (const std::string& problem : settings.problems)
    std::cerr << "duskwarren: " << problem << "\n";
  shell = std::make_unique<Shell>(window, env, std::move(settings));
  shell->setPictureSaver(
      [env](const Screen& screen, int scale) { return savePictureForPlayer(screen, scale, env); });
  return *shell;
}

}  // namespace

int playInWindow(SdlPlatform& window, CaughtUpRun* run) {
  std::unique_ptr<Shell> shell;
  int code = windowShell(window, shell).play(run);
  if (!shell->endOfRun().empty()) std::cerr << "duskwarren: " << shell->endOfRun() << "\n";
  return code;
}

int watchInWindow(SdlPlatform& window, const RecordingToPlay& recording) {
  std::unique_ptr<Shell> shell;
  return windowShell(window, shell).watch(recording);
}

}  // namespace dw
