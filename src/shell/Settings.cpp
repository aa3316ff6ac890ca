#include "shell/Settings.h"

#include "platform/CappedRead.h"
#include "platform/SafeWrite.h"
#include "platform/VisibleText.h"

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
  } else if (key.starts_with("pad-")) {
    auto button = padButtonOfName(key.substr(4));
    if (!button) return "no gamepad button is called \"" + key.substr(4) + "\"";
    std::string why = padBindingProblem(value);
    if (!why.empty()) return key + ": " + why;
    s.pad[static_cast<int>(*button)] = value;
  } else {
    return "no setting is called \"" + key + "\"";
  }
  return "";
}

// A line of the file and the end it had: "\n", "\r\n", "\r", or none
// for a last line without one.
struct Line {
  std::string text;
  std::string end;
};

std::vector<Line> linesOf(const std::string& text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string::npos) {
      lines.push_back({text.substr(start), ""});
      break;
    }
    std::size_t next = stop + (text.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
    lines.push_back({text.substr(start, stop - start), text.substr(stop, next - stop)});
    start = next;
  }
  return lines;
}

// The line end the player's file uses most, for the lines the game adds.
std::string usualEnd(const std::vector<Line>& lines) {
  std::size_t lf = 0, crlf = 0, cr = 0;
  for (const Line& line : lines) {
    lf += line.end == "\n";
    crlf += line.end == "\r\n";
    cr += line.end == "\r";
  }
  if (crlf > lf && crlf >= cr) return "\r\n";
  return cr > lf ? "\r" : "\n";
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
  return gameSettingsFolder(env) / "settings";
}

Settings parseSettings(const std::string& text) {
  Settings s;
  int number = 0;
  for (const Line& line : linesOf(text)) {
    ++number;
    std::string content = trimmed(line.text);
    if (content.empty() || content[0] == '#') continue;
    auto pair = keyAndValue(content);
    std::string why = pair ? apply(s, pair->first, pair->second) : "no \"key = value\"";
    // The line's words are the player's (or anyone's): shown, never obeyed.
    if (!why.empty())
      s.problems.push_back("settings line " + std::to_string(number) + ": " + visibleText(why));
  }
  return s;
}

Settings readSettings(const fs::path& file) {
  std::string error;
  bool missing = false;
  auto text = readCappedFile(file.string(), maxSettingsBytes, "a settings file", error,
                             FileOrigin::found, &missing);
  if (text) return parseSettings(*text);
  if (missing) return {};
  Settings s;
  s.unreadable = true;
  s.problems.push_back(error);
  return s;
}

std::string settingsText(const std::string& old, const Settings& settings) {
  auto values = valuesOf(settings);
  std::vector<bool> written(values.size(), false);
  std::vector<Line> lines = linesOf(old);
  const std::string end = usualEnd(lines);
  std::string out;
  for (const Line& line : lines) {
    std::string content = trimmed(line.text);
    auto pair = content.empty() || content[0] == '#' ? std::nullopt : keyAndValue(content);
    std::size_t i = 0;
    while (pair && i < values.size() && values[i].first != pair->first) ++i;
    // Every line is kept with its own end but a repeated line of a key the
    // game writes, which would contradict the one written.
    if (!pair || i == values.size()) {
      out += line.text + (line.end.empty() ? end : line.end);
    } else if (!written[i]) {
      out += values[i].first + " = " + values[i].second + (line.end.empty() ? end : line.end);
      written[i] = true;
    }
  }
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!written[i]) out += values[i].first + " = " + values[i].second + end;
  }
  return out;
}

std::string writeSettings(const fs::path& file, const Settings& settings) {
  std::error_code ignored;
  fs::create_directories(file.parent_path(), ignored);
  std::string error;
  bool missing = false;
  auto old = readCappedFile(file.string(), maxSettingsBytes, "a settings file", error,
                            FileOrigin::found, &missing);
  // A file the game cannot read is never written over.
  if (!old && !missing) return error;
  std::string why = writeWholeFile(file.string(), settingsText(old.value_or(""), settings),
                                   WriteKind::playerFile);
  if (!why.empty()) return "cannot write " + visibleText(file.string()) + ": " + why;
  return "";
}

}  // namespace dw
