#include "recording/RecordedInput.h"

#include <algorithm>

namespace dw {

RecordedInput::RecordedInput(const std::vector<RecordedEvent>& events) {
  for (const RecordedEvent& event : events) add(event);
}

void RecordedInput::add(const RecordedEvent& event) {
  switch (event.kind) {
    case RecordedEvent::Kind::key:
      if (event.text.empty()) return;
      keyBytes_.append(event.text, 0, recordingMaxKey);
      keyLengths_.push_back(
          static_cast<std::uint8_t>(std::min(event.text.size(), recordingMaxKey)));
      return;
    case RecordedEvent::Kind::timer:
      timers_.push_back(event.timer);
      return;
    case RecordedEvent::Kind::localTime:
      times_.push_back(event.time);
      return;
    case RecordedEvent::Kind::end:
      endReason_ = event.text;
      return;
  }
}

void RecordedInput::dropLastKey() {
  if (!keysLeft()) return;
  keyBytes_.resize(keyBytes_.size() - keyLengths_.back());
  keyLengths_.pop_back();
}

std::optional<std::string> RecordedInput::nextKey() {
  if (!keysLeft()) return std::nullopt;
  std::size_t length = keyLengths_[nextKey_++];
  std::string key = keyBytes_.substr(nextKeyByte_, length);
  nextKeyByte_ += length;
  return key;
}

double RecordedInput::nextTimer() {
  if (nextTimer_ < timers_.size()) lastTimer_ = timers_[nextTimer_++];
  return lastTimer_;
}

ClockTime RecordedInput::nextLocalTime() {
  if (nextTime_ < times_.size()) lastTime_ = times_[nextTime_++];
  return lastTime_;
}

}  // namespace dw
