// window-keyecho: the game's window with a test picture instead of the game.
// Writes the picture to the PNG given as argument, then prints every key the
// window delivers as hex bytes, one key a line, until the window is closed.
// The key "s" makes it busy for two seconds (keys typed meanwhile must
// arrive later, in order).
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "frame/RunGame.h"
#include "platform/png/Png.h"
#include "platform/sdl/SdlPlatform.h"
#include "window/WindowKeys.h"

namespace {

// Every colour of the game, text of every glyph, fine lines and a one-pixel
// checkerboard: a picture in which any stretched, shifted or blurred pixel
// shows.
void drawPicture(dw::Screen& screen) {
  screen.openScreen();
  screen.setPages(0, 0);
  for (int c = 0; c < 16; ++c) {
    screen.drawLine(c * 20, 0, c * 20 + 19, 15, c, dw::LineKind::filledBox);
  }
  for (int g = 0; g < 256; ++g) {
    int row = 4 + g / 40, col = 1 + g % 40;
    screen.drawChar(row, col, static_cast<std::uint8_t>(g), 1 + g % 15, g % 3);
  }
  dw::Canvas page = screen.workCanvas();
  for (int y = 112; y < 200; ++y) {
    for (int x = 0; x < 64; ++x) page.pixels[y * page.width + x] = ((x + y) % 2) ? 15 : 4;
  }
  for (int i = 0; i < 12; ++i) {
    screen.drawLine(70 + i * 20, 112, 90 + i * 20, 199, 9 + i % 6, dw::LineKind::line);
  }
  screen.drawLine(0, 0, 319, 199, 14, dw::LineKind::box, 0xAAAA);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto platform = dw::SdlPlatform::open(error);
  if (!platform) {
    std::fprintf(stderr, "window-keyecho: %s\n", error.c_str());
    return 1;
  }
  if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
  platform->setFrontKeys(dw::windowKeys());
  platform->hideMouse();
  drawPicture(platform->screen());
  if (argc > 1 && !dw::writeScreenshot(argv[1], platform->screen())) {
    std::fprintf(stderr, "window-keyecho: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  while (platform->waitForKey()) {
    std::string key = platform->pollKey();
    for (std::size_t i = 0; i < key.size(); ++i) {
      std::printf("%s%02x", i == 0 ? "" : " ", static_cast<unsigned char>(key[i]));
    }
    std::printf("\n");
    std::fflush(stdout);
    if (key == "s") std::this_thread::sleep_for(std::chrono::seconds(2));
  }
  std::printf("closed\n");
  return 0;
}
