#include "shell/Settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace dw {

namespace fs = std::filesystem;

namespace {

// The settings file is a handful of short lines; anything far longer is no
// settings file.
constexpr std::size_t maxSettingsBytes = 64 * 1024;

std::string trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Splits "key = value"; nothing for a line without "=".
std::optional<std::pair<std::string, std::string>> keyAndValue(const std::string& line) {
  std::size_t eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return std::make_pair(trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1)));
}

std::optional<bool> onOff(const std::string& value) {
  if (value == "on") return true;
  if (value == "off") return false;
  return std::nullopt;
}

// Applies one setting; why it cannot be used, or empty.
std::string apply(Settings& s, const std::string& key, const std::string& value) {
  if (key == "fullscreen" || key == "view-4-3") {
    auto on = onOff(value);
    if (!on) return key + " is on or off, not \"" + value + "\"";
    (key == "fullscreen" ? s.fullscreen : s.aspect) = *on;
  } else if (key == "terminal-colours") {
    if (value == "16")
      s.terminalColours = 16;
    else if (value == "256")
      s.terminalColours = 256;
    else if (value == "24-bit")
      s.terminalColours = 24;
    else if (value == "auto")
      s.terminalColours.reset();
    else
      return "terminal-colours is 16, 256, 24-bit or auto, not \"" + value + "\"";
  } else if (key == "arrow-keys") {
    if (value != "walk" && value != "turn")
      return "arrow-keys is walk or turn, not \"" + value + "\"";
    s.arrowsWalk = value == "walk";
  } else {
    return "no setting is called \"" + key + "\"";
  }
  return "";
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::pair<std::string, std::string>> valuesOf(const Settings& s) {
  std::string colours = !s.terminalColours         ? "auto"
                        : *s.terminalColours == 24 ? "24-bit"
                                                   : std::to_string(*s.terminalColours);
  return {{"fullscreen", s.fullscreen ? "on" : "off"},
          {"view-4-3", s.aspect ? "on" : "off"},
          {"terminal-colours", colours},
          {"arrow-keys", s.arrowsWalk ? "walk" : "turn"}};
}

}  // namespace

fs::path settingsFile(const Environment& env) {
  return configHome(env) / "duskwarren" / "settings";
}

Settings parseSettings(const std::string& text) {
  Settings s;
  int number = 0;
  for (const std::string& line : linesOf(text)) {
    ++number;
    std::string content = trimmed(line);
    if (content.empty() || content[0] == '#') continue;
    auto pair = keyAndValue(content);
    std::string why = pair ? apply(s, pair->first, pair->second) : "no \"key = value\"";
    if (!why.empty()) s.problems.push_back("settings line " + std::to_string(number) + ": " + why);
  }
  return s;
}

Settings readSettings(const fs::path& file) {
  std::error_code error;
  if (!fs::exists(file, error)) return {};
  std::ifstream in(file, std::ios::binary);
  std::string text(maxSettingsBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad() || fs::is_directory(file, error)) {
    Settings s;
    s.unreadable = true;
    s.problems.push_back("cannot read " + file.string());
    return s;
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > maxSettingsBytes) {
    Settings s;
    s.unreadable = true;
    s.problems.push_back(file.string() + " is too large to be a settings file");
    return s;
  }
  return parseSettings(text);
}

std::string settingsText(const std::string& old, const Settings& settings) {
  auto values = valuesOf(settings);
  std::vector<bool> written(values.size(), false);
  std::string out;
  for (const std::string& line : linesOf(old)) {
    auto pair = keyAndValue(trimmed(line));
    std::size_t i = 0;
    while (pair && i < values.size() && values[i].first != pair->first) ++i;
    if (pair && i < values.size() && !written[i] && trimmed(line)[0] != '#') {
      out += values[i].first + " = " + values[i].second + "\n";
      written[i] = true;
    } else if (!pair || i == values.size() || trimmed(line)[0] == '#') {
      out += line + "\n";
    }
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!written[i]) out += values[i].first + " = " + values[i].second + "\n";
  }
  return out;
}

std::string writeSettings(const fs::path& file, const Settings& settings) {
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  std::string old;
  if (std::ifstream in(file, std::ios::binary); in) {
    old.assign(maxSettingsBytes, '\0');
    in.read(old.data(), static_cast<std::streamsize>(old.size()));
    old.resize(static_cast<std::size_t>(in.gcount()));
  }
  std::string text = settingsText(old, settings);
  fs::path temporary = file;
  temporary += ".new-" + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      std::string why = std::strerror(errno);
      out.close();
      fs::remove(temporary, error);
      return "cannot write " + file.string() + ": " + why;
    }
  }
  fs::rename(temporary, file, error);
  if (error) {
    fs::remove(temporary, error);
    return "cannot write " + file.string();
  }
  return "";
}

}  // namespace dw
