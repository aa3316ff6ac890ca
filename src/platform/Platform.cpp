#include "platform/Platform.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

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
    if (!waitEvents()) return false;
  }
  return true;
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

std::optional<std::string> Platform::readFile(const std::string& path) {
  // A folder opens on this system but is no file the game can read.
  std::error_code error;
  if (std::filesystem::is_directory(hostPath(path), error)) return std::nullopt;
  std::ifstream in(hostPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  // No file the game reads is anywhere near this size; a larger one is read
  // only this far, so a stray huge file cannot exhaust memory.
  std::string data;
  char buffer[65536];
  while (data.size() < maxFileBytes && in.read(buffer, sizeof buffer).gcount() > 0) {
    data.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (data.size() > maxFileBytes) data.resize(maxFileBytes);
  return data;
}

}  // namespace dw
