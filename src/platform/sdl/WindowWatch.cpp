// Watching a recording in the window: its keys reach the game one at a time
// at a pace the player sets, and the player's own keys steer the watching.
#include <algorithm>
#include <array>

#include "platform/sdl/SdlPlatform.h"

namespace dw {

namespace {

// Keys a second at each speed; "+" and "-" step through them.
constexpr std::array<int, 9> watchSpeeds = {1, 2, 4, 8, 16, 32, 64, 128, 256};

}  // namespace

void SdlPlatform::watch(KeyFeed next, const std::string& name) {
  keyFeed_ = std::move(next);
  watchName_ = name;
  watchPaused_ = watchEnded_ = watchStopped_ = false;
  nextKeyDue_ = SDL_GetTicks64() + 1000 / watchSpeed();
  updateTitle();
}

int SdlPlatform::watchSpeed() const {
  return watchSpeeds[watchSpeedIndex_];
}

std::string SdlPlatform::watchStatus() const {
  std::string status = "Watching " + watchName_;
  if (watchEnded_) return status + " (the end: Escape closes)";
  if (watchPaused_) return status + " (paused: Space goes on)";
  return status + " (" + std::to_string(watchSpeed()) + " keys a second)";
}

void SdlPlatform::deliverTyped() {
  for (std::string& key : typed_) {
    if (watching()) {
      watchControl(key);
    } else {
      pushKey(std::move(key));
    }
  }
  typed_.clear();
}

void SdlPlatform::watchControl(const std::string& key) {
  if (key == std::string(1, escapeKey)) {
    watchStopped_ = true;
  } else if (key == " ") {
    watchPaused_ = !watchPaused_;
    nextKeyDue_ = SDL_GetTicks64() + 1000 / watchSpeed();
  } else if (key == "+") {
    watchSpeedIndex_ = std::min(watchSpeedIndex_ + 1, watchSpeeds.size() - 1);
    nextKeyDue_ = std::min(nextKeyDue_, SDL_GetTicks64() + 1000 / watchSpeed());
  } else if (key == "-") {
    if (watchSpeedIndex_ > 0) --watchSpeedIndex_;
  } else {
    return;
  }
  updateTitle();
}

bool SdlPlatform::waitWatching() {
  for (;;) {
    if (watchStopped_ || closed_) return hasKeys();
    // Nothing is missed behind a panel: the recording waits while one is open.
    bool running = !watchPaused_ && !watchEnded_ && !panel_.isOpen();
    if (running && SDL_GetTicks64() >= nextKeyDue_) {
      if (auto key = keyFeed_()) {
        pushKey(std::move(*key));
        nextKeyDue_ = SDL_GetTicks64() + 1000 / watchSpeed();
        return true;
      }
      // The last picture stays until the player closes it.
      watchEnded_ = true;
      updateTitle();
      continue;
    }
    if (dirty()) redraw();
    SDL_Event event;
    if (waitEvent(event, running ? std::max<std::uint64_t>(nextKeyDue_, 1) : 0)) {
      handleEvent(event);
      pumpEvents();
    } else if (!running) {
      // The event system itself failed: nothing can come any more.
      closed_ = true;
    }
  }
}

}  // namespace dw
