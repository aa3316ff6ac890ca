#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "recording/Recording.h"

namespace dw {

// Plays a recording back: its keys in order, and its clock readings in order
// as the platform's clock feed. Keys and the two kinds of clock reading are
// each taken from their own place in the recording, so a game that reads
// the clock once more or less than when it was recorded still gets every
// key. Past the last reading, a clock keeps giving its last reading (or
// midnight of 01-01-1990 when it never had one).
class RecordedInput : public ClockFeed {
 public:
  explicit RecordedInput(std::vector<RecordedEvent> events);

  // The next key, or nothing when every key has been given.
  std::optional<std::string> nextKey();
  bool keysLeft() const { return nextKey_ < keyIndex_.size(); }
  std::size_t keysGiven() const { return nextKey_; }
  std::size_t keyCount() const { return keyIndex_.size(); }
  // True when every key has been given: the game reading one more key is
  // the end of the recording.
  bool atEnd() const { return !keysLeft(); }
  // Why the recorded game ended ("quit", "closed"); empty when the file
  // has no closing entry.
  const std::string& endReason() const { return endReason_; }

  double nextTimer() override;
  ClockTime nextLocalTime() override;

 private:
  std::vector<RecordedEvent> events_;
  std::vector<std::size_t> keyIndex_, timerIndex_, timeIndex_;
  std::size_t nextKey_ = 0, nextTimer_ = 0, nextTime_ = 0;
  double lastTimer_ = 0.0;
  ClockTime lastTime_;
  std::string endReason_;
};

}  // namespace dw
