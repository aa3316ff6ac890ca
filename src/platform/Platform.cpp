#include "platform/Platform.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/CappedRead.h"

namespace dw {

std::string Platform::pollKey() {
  pumpEvents();
  if (keys_.empty()) return "";
  std::string key = std::move(keys_.front());
  keys_.pop_front();
  if (tap_) tap_->onKey(key);
  return key;
}

bool Platform::waitForKey() {
  pumpEvents();
  while (keys_.empty()) {
    present();
    KeyGate::Next next;
    if (gate_ != nullptr) next = gate_->next();
    if (next.key) {
      keys_.push_back(std::move(*next.key));
      break;
    }
    if (next.end) return false;
    if (!(next.waitMs >= 0 ? waitEventsFor(next.waitMs) : waitEvents())) return !keys_.empty();
  }
  return true;
}

void Platform::pushKey(std::string key) {
  if (gate_ != nullptr) {
    auto passed = gate_->typed(std::move(key));
    if (!passed) return;
    key = std::move(*passed);
  }
  keys_.push_back(std::move(key));
}

bool Platform::waitEventsFor(int /*ms*/) {
  return waitEvents();
}

std::optional<std::string> Platform::waitChar() {
  if (!waitForKey()) return std::nullopt;
  std::string key = pollKey();
  return std::string(1, key.empty() ? '\0' : key[0]);
}

std::optional<std::string> Platform::inputLine(const std::string& prompt) {
  Screen& s = screen();
  s.print(prompt + "? ", false);
  std::string line;
  for (;;) {
    if (!waitForKey()) return std::nullopt;
    std::string key = pollKey();
    if (key.size() != 1) continue;  // arrows and the like do not edit
    char ch = key[0];
    if (ch == enterKey) break;
    if (ch == backspaceKey) {
      if (!line.empty()) {
        line.pop_back();
        s.locate(s.cursorRow(), s.cursorCol() - 1);
        s.drawChar(s.cursorRow(), s.cursorCol(), ' ', s.foreground(), s.background());
      }
      continue;
    }
    if (static_cast<unsigned char>(ch) < 32 || s.cursorCol() > Screen::textCols) continue;
    line += ch;
    s.print(std::string_view(&ch, 1), false);
  }
  s.print("", true);
  return line;
}

double Platform::timer() {
  double reading = clockFeed_ ? clockFeed_->nextTimer() : readTimer();
  if (tap_) tap_->onTimer(reading);
  return reading;
}

ClockTime Platform::localTime() {
  ClockTime time = clockFeed_ ? clockFeed_->nextLocalTime() : readLocalTime();
  if (tap_) tap_->onLocalTime(time);
  return time;
}

std::string Platform::timeText() {
  ClockTime t = localTime();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

std::string Platform::dateText() {
  ClockTime t = localTime();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", t.month, t.day, t.year);
  return buf;
}

std::string hostPath(const std::string& gamePath) {
  std::string path = gamePath;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string gameFileTooLong(const std::string& path) {
  return tooLongText(path, "a game file", Platform::maxFileBytes);
}

std::optional<std::string> Platform::readFile(const std::string& path) {
  std::string error;
  std::string host = hostPath(path);
  auto data = readCappedFile(host, maxFileBytes, "a game file", error);
  // A file that is there but too long is refused whole, and remembered.
  if (!data && refusedFile_.empty() && error == gameFileTooLong(host)) refusedFile_ = error;
  return data;
}

namespace {

std::tm localCalendar(std::time_t t) {
  std::tm calendar{};
#ifdef _WIN32
  localtime_s(&calendar, &t);
#else
  localtime_r(&t, &calendar);
#endif
  return calendar;
}

}  // namespace

double hostTimer() {
  using namespace std::chrono;
  auto now = system_clock::now();
  auto whole = floor<seconds>(now);
  std::tm calendar = localCalendar(system_clock::to_time_t(whole));
  double fraction = duration<double>(now - whole).count();
  return calendar.tm_hour * 3600.0 + calendar.tm_min * 60.0 + calendar.tm_sec + fraction;
}

ClockTime hostLocalTime() {
  std::tm calendar = localCalendar(std::time(nullptr));
  return {calendar.tm_hour,    calendar.tm_min,  calendar.tm_sec,
          calendar.tm_mon + 1, calendar.tm_mday, calendar.tm_year + 1900};
}

}  // namespace dw
