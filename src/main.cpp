// The game in a desktop window.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

#include "cli/CommandLine.h"
#include "frame/Game.h"
#include "platform/sdl/SdlPlatform.h"

namespace {

constexpr const char* usage =
    "usage: duskwarren [--data DIR]\n"
    "       duskwarren --help | --version\n"
    "\n"
    "Opens the game in a window. F11 or Alt+Enter switches to full screen.\n"
    "\n"
    "Options:\n"
    "  --data DIR   play from the game folder DIR (it holds res/, tiles/ and\n"
    "               drivers/); default: the current folder\n"
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
  if (!dataDir.empty() && chdir(dataDir.c_str()) != 0) {
    std::cerr << "duskwarren: cannot enter the game folder " << dataDir << ": "
              << std::strerror(errno) << "\n";
    return dw::cli::exitUsage;
  }

  std::string error;
  auto platform = dw::SdlPlatform::open(error);
  if (!platform) {
    std::cerr << "duskwarren: cannot open the game window: " << error << "\n";
    return 1;
  }
  dw::Game game(*platform);
  return dw::runGame(game);
}
