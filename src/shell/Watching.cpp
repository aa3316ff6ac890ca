#include "shell/Watching.h"

#include <algorithm>
#include <array>

namespace dw {

namespace {

// Keys a second at each speed; "+" and "-" step through them.
constexpr std::array<int, 9> watchSpeeds = {1, 2, 4, 8, 16, 32, 64, 128, 256};
constexpr char escape = 27;

}  // namespace

WatchPace::WatchPace(KeyFeed feed, std::string name, Clock clock)
    : feed_(std::move(feed)), name_(std::move(name)), clock_(std::move(clock)) {
  due_ = clock_() + 1000 / speed();
}

int WatchPace::speed() const {
  return watchSpeeds[speedIndex_];
}

std::string WatchPace::status() const {
  std::string status = "Watching " + name_;
  if (ended_) return status + " (the end)";
  if (paused_) return status + " (paused: Space goes on)";
  return status + " (" + std::to_string(speed()) + " keys a second)";
}

bool WatchPace::control(const std::string& key) {
  if (key == std::string(1, escape) || ended_) {
    stopped_ = true;
  } else if (key == " ") {
    paused_ = !paused_;
    due_ = clock_() + 1000 / speed();
  } else if (key == "+") {
    speedIndex_ = std::min(speedIndex_ + 1, watchSpeeds.size() - 1);
    due_ = std::min(due_, clock_() + 1000 / speed());
  } else if (key == "-") {
    if (speedIndex_ > 0) --speedIndex_;
  } else {
    return false;
  }
  return true;
}

WatchPace::Step WatchPace::next(bool held) {
  Step step;
  if (stopped_) {
    step.end = true;
    return step;
  }
  // Nothing is missed behind a panel: the recording waits while one is open,
  // and goes on a key's time after it closes.
  if (held || held_) {
    if (!held) due_ = clock_() + 1000 / speed();
    held_ = held;
    if (held) return step;
  }
  if (paused_ || ended_) return step;
  std::uint64_t now = clock_();
  if (now < due_) {
    step.waitMs = static_cast<int>(std::min<std::uint64_t>(due_ - now, 1000));
    return step;
  }
  step.key = feed_();
  if (step.key) {
    due_ = now + 1000 / speed();
  } else {
    // The last picture stays until the player closes it.
    ended_ = true;
    step.statusChanged = true;
  }
  return step;
}

}  // namespace dw
