// The game in a desktop window, or in the terminal it was started from.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>

#include "cli/CommandLine.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/terminal/TerminalPlatform.h"

namespace {

constexpr const char* usage =
    "usage: duskwarren [--data DIR] [--terminal]\n"
    "       duskwarren --help | --version\n"
    "\n"
    "Opens the game in a window. F11 or Alt+Enter switches to full screen.\n"
    "\n"
    "Options:\n"
    "  --data DIR   play from the game folder DIR (it holds res/, tiles/ and\n"
    "               drivers/); default: the current folder\n"
    "  --terminal   play in this terminal instead (at least 40 x 25 characters),\n"
    "               also over ssh or without a display\n"
    "  -h, --help   this text\n"
    "  --version    the release\n"
    "\n"
    "Exit status: 0 after the game, 1 when it cannot run, 2 for a bad command line\nor game "
    "folder.\n";

// The game as text in the terminal it was started from.
int playInTerminal() {
  std::string error;
  auto platform = dw::TerminalPlatform::open(error);
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
    dw::Game game(*platform);
    code = dw::runGame(game);
  }
  int sig = platform->endingSignal();
  platform.reset();  // the terminal as it was
  // Ended by Ctrl+C, a hang-up or a termination request: end the way the
  // shell expects of such an ending.
  if (sig != 0) std::raise(sig);
  return code;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string dataDir;
  CLI::App app("", "duskwarren");
  dw::cli::setUp(app, usage);
  bool terminal = false;
  app.add_option("--data", dataDir);
  app.add_flag("--terminal", terminal);
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  if (!dataDir.empty() && chdir(dataDir.c_str()) != 0) {
    std::cerr << "duskwarren: cannot enter the game folder " << dataDir << ": "
              << std::strerror(errno) << "\n";
    return dw::cli::exitUsage;
  }

  if (terminal) return playInTerminal();

  std::string error;
  auto platform = dw::SdlPlatform::open(error);
  if (!platform) {
    std::cerr << "duskwarren: cannot open the game window: " << error << "\n"
              << "To play in this terminal instead: duskwarren --terminal\n";
    return 1;
  }
  if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
  dw::Game game(*platform);
  return dw::runGame(game);
}
