// The game in a desktop window.
#include <cstdio>

#include "frame/RunGame.h"
#include "platform/sdl/SdlPlatform.h"

int main(int /*argc*/, char* /*argv*/[]) {
  std::string error;
  auto platform = dw::SdlPlatform::open(error);
  if (!platform) {
    std::fprintf(stderr, "duskwarren: cannot open the game window: %s\n", error.c_str());
    return 1;
  }
  if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
  dw::Game game(*platform);
  return dw::runGame(game);
}
