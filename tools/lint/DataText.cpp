#include "DataText.h"

#include <cmath>

#include "core/KeyValue.h"
#include "core/NumberText.h"

namespace dw::lint {

namespace {

constexpr const char* fixHint = " (duskwarren-lint --fix-line-endings rewrites it with CR LF)";

struct LineEndings {
  std::size_t crLf = 0, loneLf = 0, loneCr = 0;
};

LineEndings countLineEndings(std::string_view bytes) {
  LineEndings counts;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      (i > 0 && bytes[i - 1] == '\r' ? counts.crLf : counts.loneLf) += 1;
    } else if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
      ++counts.loneCr;
    }
  }
  return counts;
}

// What the game finds in a file that it reads as one single line.
std::string oneLineOutcome(std::string_view bytes) {
  std::size_t eq = bytes.find('=');
  if (eq == std::string_view::npos) return "which holds no \"=\", so it finds no entry at all";
  return "so it finds only the key " + shown(bytes.substr(0, eq));
}

}  // namespace

std::string trimmedBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string blankKeyHint(const DataFile& file, std::string_view key) {
  const DataEntry* near = file.findWithBlanks(key);
  if (near == nullptr || lowerAscii(near->key) == lowerAscii(key)) return "";
  return " (line " + std::to_string(near->line) + " has it as " + shown(near->key) +
         ": blanks around a key are part of it, and the game does not trim them)";
}

std::string missingKeyMessage(const DataFile& file, std::string_view key,
                              std::string_view consequence) {
  return "no " + std::string(key) + ": " + std::string(consequence) + blankKeyHint(file, key);
}

void reportUnreadKeys(const DataFile& file, const std::unordered_set<std::string>& known,
                      Report& report,
                      const std::function<std::string(std::string_view lowerKey)>& explain) {
  for (const DataEntry& entry : file.entries) {
    std::string key = lowerAscii(entry.key);
    if (known.count(key) > 0) continue;
    std::string message = "the game never reads the key " + shown(entry.key);
    if (known.count(trimmedBlanks(key)) > 0) {
      message += ": blanks around a key are part of it, and the game looks for " +
                 shown(trimmedBlanks(entry.key));
    } else if (explain) {
      message += explain(key);
    }
    report.warning(file.name, entry.line, std::move(message));
  }
}

const DataEntry* DataFile::find(std::string_view key) const {
  auto found = first_.find(lowerAscii(key));
  return found == first_.end() ? nullptr : &entries[found->second];
}

std::string DataFile::lookup(std::string_view key) const {
  const DataEntry* entry = find(key);
  return entry ? lowerAscii(entry->value) : missingValue;
}

const DataEntry* DataFile::findWithBlanks(std::string_view key) const {
  auto found = firstTrimmed_.find(lowerAscii(key));
  return found == firstTrimmed_.end() ? nullptr : &entries[found->second];
}

void DataFile::index() {
  first_.clear();
  firstTrimmed_.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    first_.emplace(lowerAscii(entries[i].key), i);
    firstTrimmed_.emplace(lowerAscii(trimmedBlanks(entries[i].key)), i);
  }
}

DataFile parseDataFile(std::string name, std::string_view bytes, Report& report) {
  DataFile file;
  file.name = std::move(name);
  file.present = true;
  const char lineEnd = bytes.find('\n') != std::string_view::npos ? '\n' : '\r';
  std::unordered_map<std::string, long long> firstLine;
  long long lineNumber = 0;
  while (!bytes.empty()) {
    ++lineNumber;
    std::size_t end = bytes.find(lineEnd);
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (lineEnd == '\n' && end != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    std::size_t eq = line.find('=');
    bool remark = !line.empty() && line.front() == ';';
    if (eq == std::string_view::npos) {
      if (!line.empty() && !remark) {
        report.warning(file.name, lineNumber,
                       "no \"=\" on this line, so the game skips it (a remark line starts with "
                       "\";\")");
      }
      continue;
    }
    std::string key(line.substr(0, eq));
    if (remark) {
      report.warning(
          file.name, lineNumber,
          "this remark holds \"=\", so the game reads it as an entry with the key " + shown(key));
      continue;
    }
    auto [seen, added] = firstLine.emplace(lowerAscii(key), lineNumber);
    if (!added) {
      report.warning(file.name, lineNumber,
                     "the key " + shown(key) +
                         " appears again: the game uses the first one, on line " +
                         std::to_string(seen->second));
    }
    file.entries.push_back({lineNumber, std::move(key), std::string(line.substr(eq + 1))});
  }
  file.index();
  return file;
}

bool hasForeignLineEndings(std::string_view bytes) {
  LineEndings counts = countLineEndings(bytes);
  return counts.loneLf > 0 || counts.loneCr > 0;
}

void checkLineEndings(std::string_view name, std::string_view bytes, Report& report) {
  LineEndings counts = countLineEndings(bytes);
  if (counts.loneLf == 0 && counts.loneCr == 0) return;
  if (counts.crLf == 0) {
    const char* kind = counts.loneLf > 0 ? "LF" : "CR";
    report.error(name, 0,
                 std::string("lines end in ") + kind +
                     ", not CR LF: the game reads this file as "
                     "one line, " +
                     oneLineOutcome(bytes) + fixHint);
    return;
  }
  // A mixed file: the game splits it at the CR LF pairs only.
  constexpr int listed = 5;
  int loneLfLines = 0;
  long long firstUnlisted = 0;
  long long line = 1;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
      report.warning(name, line,
                     "a CR without LF: the game keeps it as part of the line, in the key or value");
    }
    if (bytes[i] != '\n') continue;
    if (i == 0 || bytes[i - 1] != '\r') {
      if (++loneLfLines <= listed) {
        report.error(name, line,
                     "this line ends in LF, not CR LF: the game reads it and line " +
                         std::to_string(line + 1) + " as one line" +
                         (loneLfLines == 1 ? fixHint : ""));
      } else if (firstUnlisted == 0) {
        firstUnlisted = line;
      }
    }
    ++line;
  }
  if (loneLfLines > listed) {
    report.error(name, firstUnlisted,
                 "this line and " + std::to_string(loneLfLines - listed - 1) +
                     " more end in LF, not CR LF; the game joins each with the line after it");
  }
}

std::string withCrLf(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

NumberReading readDataNumber(std::string_view text) {
  NumberReading reading;
  std::string_view rest = text.substr(std::min(text.find_first_not_of(' '), text.size()));
  std::size_t length = numberLength(rest);
  if (length == 0) return reading;
  reading.isNumber = true;
  reading.value = readNumber(text);
  bool onlyBlanksAfter = rest.find_first_not_of(' ', length) == std::string_view::npos;
  reading.exact = onlyBlanksAfter && readReal(text) == static_cast<double>(reading.value);
  return reading;
}

std::optional<std::int32_t> checkedNumber(const DataFile& file, const DataEntry& entry,
                                          std::string_view what, Level missingLevel,
                                          Report& report) {
  NumberReading reading = readDataNumber(entry.value);
  if (!reading.isNumber) {
    report.add(file.name, entry.line, missingLevel,
               std::string(what) + " is " + shown(entry.value) +
                   ", which does not start with a number: the game reads 0");
    return std::nullopt;
  }
  if (!reading.exact) {
    report.warning(file.name, entry.line,
                   std::string(what) + " is " + shown(entry.value) + ", which the game reads as " +
                       std::to_string(reading.value));
  }
  return reading.value;
}

}  // namespace dw::lint
