// The game in a browser page. When a game ends the page says so and offers a
// new one; the page never goes dead.
#include <memory>

#include "frame/RunGame.h"
#include "platform/web/WebPlatform.h"

int main() {
  for (;;) {
    int code = 0;
    {
      auto platform = std::make_unique<dw::WebPlatform>();
      if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
      auto game = std::make_unique<dw::Game>(*platform);
      code = dw::runGame(*game);
      platform->present();
    }
    dw::WebPlatform::waitForRestart(code);
  }
}
