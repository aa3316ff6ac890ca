// The game in a desktop window.
#include <iostream>
#include <string>

#include "cli/CommandLine.h"
#include "frame/RunGame.h"
#include "platform/DataFolder.h"
#include "platform/sdl/SdlPlatform.h"

// Where the installed game data is, seen from the folder of the program.
#ifndef DUSKWARREN_DATA_FROM_BIN
#define DUSKWARREN_DATA_FROM_BIN "../share/duskwarren"
#endif

namespace {

constexpr const char* usage =
    "Usage: duskwarren [--data DIR]\n"
    "  or:  duskwarren --help | --version\n"
    "\n"
    "Opens the game in a window. F11 or Alt+Enter switches to full screen.\n"
    "\n"
    "Options:\n"
    "  --data DIR   play from the game folder DIR (it holds res/, tiles/ and\n"
    "               drivers/); default: the current folder when it has res/,\n"
    "               else the installed game data\n"
    "  -h, --help   this text\n"
    "  --version    the release\n"
    "\n"
    "Exit status: 0 after the game, 1 when it cannot run, 2 for a bad command line\nor game "
    "folder.\n";

}  // namespace

int main(int argc, char* argv[]) {
  std::string dataDir;
  CLI::App app("", "duskwarren");
  dw::cli::setUp(app, usage);
  app.add_option("--data", dataDir);
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  std::string error;
  if (!dw::enterDataFolder(dataDir, argv[0], DUSKWARREN_DATA_FROM_BIN, "duskwarren", error)) {
    std::cerr << "duskwarren: " << error << "\n";
    return dw::cli::exitUsage;
  }

  auto platform = dw::SdlPlatform::open(error);
  if (!platform) {
    std::cerr << "duskwarren: cannot open the game window: " << error << "\n";
    return 1;
  }
  if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
  dw::Game game(*platform);
  return dw::runGame(game);
}
