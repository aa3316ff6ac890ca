// The game in a desktop window.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "cli/CommandLine.h"
#include "frame/RunGame.h"
#include "platform/sdl/SdlPlatform.h"
#include "window/WindowGame.h"

namespace {

constexpr const char* usage =
    "usage: duskwarren [--data DIR] [--watch FILE.dwrec [--force]]\n"
    "       duskwarren --help | --version\n"
    "\n"
    "Opens the game in a window. F1 lists the keys, F2 shows the message log,\n"
    "F11 or Alt+Enter switches to full screen and F12 saves a screenshot in\n"
    "$XDG_PICTURES_DIR/duskwarren/. Every game is recorded in\n"
    "$XDG_DATA_HOME/duskwarren/recordings/ (the newest 100 are kept).\n"
    "\n"
    "Options:\n"
    "  --data DIR   play from the game folder DIR (it holds res/, tiles/ and\n"
    "               drivers/); default: the current folder\n"
    "  --watch FILE plays a recording in the window: Space pauses, + and -\n"
    "               change the speed, Escape stops\n"
    "  --force      watch a recording made with another version or other data\n"
    "  -h, --help   this text\n"
    "  --version    the release\n"
    "\n"
    "Exit status: 0 after the game, 1 when it cannot run, 2 for a bad command line,\ngame "
    "folder or recording.\n";

}  // namespace

int main(int argc, char* argv[]) {
  std::string dataDir, watchFile;
  bool force = false;
  CLI::App app("", "duskwarren");
  dw::cli::setUp(app, usage);
  app.add_option("--data", dataDir);
  CLI::Option* watch = app.add_option("--watch", watchFile);
  app.add_flag("--force", force)->needs(watch);
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  // The recording is named from where the command was given.
  if (!watchFile.empty()) {
    std::error_code ignored;
    auto absolute = std::filesystem::absolute(watchFile, ignored);
    if (!absolute.empty()) watchFile = absolute.string();
  }
  if (!dataDir.empty() && chdir(dataDir.c_str()) != 0) {
    std::cerr << "duskwarren: cannot enter the game folder " << dataDir << ": "
              << std::strerror(errno) << "\n";
    return dw::cli::exitUsage;
  }

  // A recording is read before the window opens, so one that cannot be
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

  std::string error;
  auto platform = dw::SdlPlatform::open(error);
  if (!platform) {
    std::cerr << "duskwarren: cannot open the game window: " << error << "\n";
    return 1;
  }
  if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
  if (recording) return dw::watchInWindow(*platform, *recording);
  return dw::playInWindow(*platform);
}
