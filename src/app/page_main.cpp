// The game in a browser page: one game after another, each with the shell
// around it. When a game ends the page says so and offers a new one; the
// page never goes dead.
#include <memory>

#include "frame/RunGame.h"
#include "page/PageGame.h"
#include "platform/web/WebPlatform.h"

int main() {
  for (;;) {
    int code = 0;
    {
      auto page = std::make_unique<dw::WebPlatform>();
      if (auto icon = dw::gameIcon(*page)) page->setIcon(*icon);
      code = dw::playInPage(*page);
      page->present();
    }
    dw::WebPlatform::waitForRestart(code);
  }
}
