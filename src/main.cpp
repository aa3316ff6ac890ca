// The game in a desktop window, or in the terminal it was started from.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "around/Screenshots.h"
#include "around/Settings.h"
#include "around/Shell.h"
#include "cli/CommandLine.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "platform/DataFolder.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/terminal/TerminalPlatform.h"
#include "window/WindowGame.h"

// Where the installed game data is, seen from the folder of the program.
#ifndef DUSKWARREN_DATA_FROM_BIN
#define DUSKWARREN_DATA_FROM_BIN "../share/duskwarren"
#endif

namespace {

constexpr const char* usage =
    "Usage: duskwarren [--data DIR] [--watch FILE.dwrec [--force]]\n"
    "  or:  duskwarren [--data DIR] --terminal [--watch FILE.dwrec [--force]]\n"
    "  or:  duskwarren --help | --version\n"
    "\n"
    "Opens the game in a window. F1 lists the keys, F2 shows the message log,\n"
    "F11 or Alt+Enter switches to full screen and F12 saves a screenshot in\n"
    "$XDG_PICTURES_DIR/duskwarren/. Every game is recorded in\n"
    "$XDG_DATA_HOME/duskwarren/recordings/ (the newest 100 are kept).\n"
    "\n"
    "Options:\n"
    "  --data DIR   play from the game folder DIR (it holds res/, tiles/ and\n"
    "               drivers/); default: the current folder when it has res/,\n"
    "               else the installed game data\n"
    "  --watch FILE plays a recording (in the window, or with --terminal in the\n"
    "               terminal): Space pauses, + and -\n"
    "               change the speed, Escape stops\n"
    "  --force      watch a recording made with another version or other data\n"
    "  --terminal   play in this terminal instead of a window (at least 40 x 25\n"
    "               characters), also over ssh or without a display; F1 or ?\n"
    "               lists the keys, F2 or l shows the message log\n"
    "  -h, --help   this text\n"
    "  --version    the release\n"
    "\n"
    "Exit status: 0 after the game, 1 when it cannot run, 2 for a bad command line,\ngame "
    "folder or recording.\n";

// The colour depth the player's settings choose over the terminal's own.
std::optional<dw::ColourDepth> chosenColours(const dw::Settings& settings) {
  if (!settings.terminalColours) return std::nullopt;
  if (*settings.terminalColours == 16) return dw::ColourDepth::ansi16;
  if (*settings.terminalColours == 256) return dw::ColourDepth::indexed256;
  return dw::ColourDepth::direct;
}

// The game as text in the terminal it was started from, with the shell
// around it; a recording given is watched instead.
int playInTerminal(const std::optional<dw::RecordingToWatch>& recording) {
  dw::Environment env = dw::processEnvironment();
  dw::Settings settings = dw::readSettings(dw::settingsFile(env));
  // Named before the terminal is taken over; the game tells them too.
  for (const auto& problem : settings.problems) std::cerr << "duskwarren: " << problem << "\n";
  std::string error;
  auto platform = dw::TerminalPlatform::open(error, chosenColours(settings));
  if (!platform) {
    std::cerr << "duskwarren: cannot play in this terminal: " << error << "\n";
    return 1;
  }
  // Cells that show a tile read as its glyph code.
  for (int g = 0; g < 256; ++g) {
    if (auto picture = dw::loadTileImage(*platform, dw::tileFileName(g)))
      platform->addTilePicture(static_cast<std::uint8_t>(g), *picture);
  }
  int code;
  {
    dw::Shell shell(*platform, env, std::move(settings));
    shell.setPictureSaver([env](const dw::Screen& screen, int scale) {
      return dw::savePictureForPlayer(screen, scale, env);
    });
    code = recording ? shell.watch(*recording) : shell.play();
  }
  int sig = platform->endingSignal();
  platform.reset();  // the terminal as it was
  // Ended by Ctrl+C, a hang-up or a termination request: end the way the
  // shell expects of such an ending.
  if (sig != 0) std::raise(sig);
  return code;
}

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

}  // namespace

int main(int argc, char* argv[]) {
  std::string dataDir, watchFile;
  bool force = false;
  CLI::App app("", "duskwarren");
  dw::cli::setUp(app, usage);
  bool terminal = false;
  app.add_option("--data", dataDir);
  CLI::Option* watch = app.add_option("--watch", watchFile);
  app.add_flag("--force", force)->needs(watch);
  app.add_flag("--terminal", terminal);
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  // The recording is named from where the command was given.
  if (!watchFile.empty()) {
    std::error_code ignored;
    auto absolute = std::filesystem::absolute(watchFile, ignored);
    if (!absolute.empty()) watchFile = absolute.string();
  }
  std::string error;
  if (!dw::enterDataFolder(dataDir, argv[0], DUSKWARREN_DATA_FROM_BIN, "duskwarren", error)) {
    std::cerr << "duskwarren: " << error << "\n";
    return dw::cli::exitUsage;
  }

  // A recording is read before the game starts, so one that cannot be
  // watched is refused without a window flashing up.
  std::optional<dw::RecordingToWatch> recording;
  if (!watchFile.empty()) {
    std::string why;
    recording = dw::readRecordingToWatch(watchFile, force, why);
    if (!recording) {
      std::cerr << "duskwarren: " << why << "\n";
      return dw::cli::exitUsage;
    }
    for (const auto& note : recording->notes) std::cerr << "duskwarren: " << note << "\n";
  }
  if (terminal) return playInTerminal(recording);

  dw::SdlPlatform::OpenFailure failure;
  auto platform = dw::SdlPlatform::open(failure);
  if (!platform) {
    if (failure.noDisplay) {
      std::cerr << noDisplayLine(failure.reason) << "\n";
    } else {
      std::cerr << "duskwarren: cannot open the game window: " << failure.reason
                << " (to play in this terminal instead: duskwarren --terminal)\n";
    }
    return 1;
  }
  if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
  if (recording) return dw::watchInWindow(*platform, *recording);
  return dw::playInWindow(*platform);
}
