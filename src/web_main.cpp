// The game in a browser page, with the shell around it. When a game ends the
// page says so and offers a new one; the page never goes dead.
#include <memory>

#include "around/Shell.h"
#include "frame/RunGame.h"
#include "platform/web/WebPlatform.h"

int main() {
  for (;;) {
    int code = 0;
    {
      auto platform = std::make_unique<dw::WebPlatform>();
      if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
      // The page keeps nothing between visits yet: no settings file, no
      // recording.
      dw::Shell shell(*platform, dw::processEnvironment(), dw::Settings{});
      shell.setRecording(false);
      code = shell.play();
      platform->present();
    }
    dw::WebPlatform::waitForRestart(code);
  }
}
