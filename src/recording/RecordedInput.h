#pragma once

#include <cstddef>
#include <cstdint>
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
// midnight of 01-01-1990 when it never had one). The entries are kept
// packed: a key takes two bytes, so a run of a million keys fits in a few
// megabytes.
class RecordedInput : public ClockFeed {
 public:
  RecordedInput() = default;
  explicit RecordedInput(const std::vector<RecordedEvent>& events);

  // Takes one more entry, after those taken so far.
  void add(const RecordedEvent& event);
  // Leaves out the last key (one not given yet).
  void dropLastKey();

  // The next key, or nothing when every key has been given.
  std::optional<std::string> nextKey();
  bool keysLeft() const { return nextKey_ < keyLengths_.size(); }
  std::size_t keysGiven() const { return nextKey_; }
  std::size_t keyCount() const { return keyLengths_.size(); }
  std::size_t timersGiven() const { return nextTimer_; }
  std::size_t timesGiven() const { return nextTime_; }
  // True when every key has been given: the game reading one more key is
  // the end of the recording.
  bool atEnd() const { return !keysLeft(); }
  // Why the recorded game ended ("quit", "closed"); empty when the file
  // has no closing entry.
  const std::string& endReason() const { return endReason_; }

  double nextTimer() override;
  ClockTime nextLocalTime() override;

 private:
  std::string keyBytes_;                  // every key's bytes, one after another
  std::vector<std::uint8_t> keyLengths_;  // 1..8 each
  std::vector<double> timers_;
  std::vector<ClockTime> times_;
  std::size_t nextKey_ = 0, nextKeyByte_ = 0, nextTimer_ = 0, nextTime_ = 0;
  double lastTimer_ = 0.0;
  ClockTime lastTime_;
  std::string endReason_;
};

}  // namespace dw
