#include "window/WindowGame.h"

#include <cstdlib>
#include <iostream>

#include "cli/CommandLine.h"
#include "frame/RunGame.h"
#include "platform/sdl/SdlPlatform.h"
#include "shell/Screenshots.h"
#include "shell/Shell.h"
#include "window/WindowKeys.h"

namespace dw {

namespace {

// The one line for a machine without a desktop to show the window on.
std::string noDisplayLine(const std::string& reason) {
  const char* advice =
      "set DISPLAY or WAYLAND_DISPLAY, play in this terminal with duskwarren --terminal, or "
      "use duskwarren-replay for a game without a window";
  auto named = [](const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
  };
  if (!named("DISPLAY") && !named("WAYLAND_DISPLAY")) {
    return std::string("duskwarren: no display: ") + advice;
  }
  return "duskwarren: no usable display (" + reason + "): " + advice;
}

// The game's window, with its icon and its keys; nothing (said on stderr) when none opens.
std::unique_ptr<SdlPlatform> openWindow() {
  SdlPlatform::OpenFailure failure;
  auto window = SdlPlatform::open(failure);
  if (!window) {
    if (failure.noDisplay) {
      std::cerr << noDisplayLine(failure.reason) << "\n";
    } else {
      std::cerr << "duskwarren: cannot open the game window: " << failure.reason
                << " (to play in this terminal instead: duskwarren --terminal)\n";
    }
    return nullptr;
  }
  if (auto icon = gameIcon(*window)) window->setIcon(*icon);
  window->setFrontKeys(windowKeys());
  return window;
}

}  // namespace

int playInWindow(const SessionOrder& order) {
  auto window = openWindow();
  if (!window) return 1;
  Environment env = processEnvironment();
  Settings settings = readSettings(settingsFile(env));
  // No terminal is drawn on here: a bad line is named on stderr as well.
  for (const std::string& problem : settings.problems)
    std::cerr << "duskwarren: " << problem << "\n";
  SessionEnd end = runSession(*window, env, std::move(settings), order, [env](Shell& shell) {
    shell.setPictureSaver([env](const Screen& screen, int scale) {
      return savePictureForPlayer(screen, scale, env);
    });
  });
  for (const std::string& note : end.notes) std::cerr << "duskwarren: " << note << "\n";
  if (!end.refusal.empty()) std::cerr << "duskwarren: " << end.refusal << "\n";
  if (!end.endOfRun.empty()) std::cerr << "duskwarren: " << end.endOfRun << "\n";
  if (!window->refusedFile().empty()) {
    // A game file that grew past what the game reads while it ran.
    std::cerr << "duskwarren: " << window->refusedFile() << "\n";
    return cli::exitUsage;
  }
  return end.code;
}

}  // namespace dw
