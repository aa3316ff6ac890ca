#include "recording/RecordedInput.h"

namespace dw {

RecordedInput::RecordedInput(std::vector<RecordedEvent> events) : events_(std::move(events)) {
  for (std::size_t i = 0; i < events_.size(); ++i) {
    switch (events_[i].kind) {
      case RecordedEvent::Kind::key:
        keyIndex_.push_back(i);
        break;
      case RecordedEvent::Kind::timer:
        timerIndex_.push_back(i);
        break;
      case RecordedEvent::Kind::localTime:
        timeIndex_.push_back(i);
        break;
      case RecordedEvent::Kind::end:
        endReason_ = events_[i].text;
        break;
    }
  }
}

std::optional<std::string> RecordedInput::nextKey() {
  if (!keysLeft()) return std::nullopt;
  return events_[keyIndex_[nextKey_++]].text;
}

double RecordedInput::nextTimer() {
  if (nextTimer_ < timerIndex_.size()) lastTimer_ = events_[timerIndex_[nextTimer_++]].timer;
  return lastTimer_;
}

ClockTime RecordedInput::nextLocalTime() {
  if (nextTime_ < timeIndex_.size()) lastTime_ = events_[timeIndex_[nextTime_++]].time;
  return lastTime_;
}

}  // namespace dw
