#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace dw {

// The pace of a recording watched: its keys come one at a time at a speed
// the player sets, and the player's own keys steer the watching instead of
// reaching the game: Space pauses, + and - change the speed, Escape stops.
// Once every key has been given, the last picture stays until any key.
// The same in every front-end; the clock is handed in (milliseconds).
class WatchPace {
 public:
  using KeyFeed = std::function<std::optional<std::string>()>;
  using Clock = std::function<std::uint64_t()>;
  WatchPace(KeyFeed feed, std::string name, Clock clock);

  // A key the player typed; true when it changed what the status says.
  bool control(const std::string& key);
  // While the game waits: the next recorded key when it is due, or how long
  // until it is (-1: until the player does something), or the end.
  struct Step {
    std::optional<std::string> key;
    int waitMs = -1;
    bool end = false;
    bool statusChanged = false;
  };
  // held: a panel is open, and the recording waits behind it.
  Step next(bool held);

  int speed() const;
  bool paused() const { return paused_; }
  // Every recorded key has been given: the last picture stays until the
  // player presses a key.
  bool ended() const { return ended_; }
  // What the front-end shows about the watching.
  std::string status() const;

 private:
  KeyFeed feed_;
  std::string name_;
  Clock clock_;
  std::size_t speedIndex_ = 3;
  bool paused_ = false;
  bool ended_ = false;    // every recorded key has been given
  bool stopped_ = false;  // the player stopped watching
  bool held_ = false;
  std::uint64_t due_ = 0;
};

}  // namespace dw
