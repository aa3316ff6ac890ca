#include "Report.h"

#include <algorithm>
#include <cstdio>

namespace dw::lint {

std::string formatFinding(const Finding& finding) {
  std::string text = finding.file;
  if (finding.line > 0) text += ":" + std::to_string(finding.line);
  text += finding.level == Level::error ? ": error: " : ": warning: ";
  return text + finding.message;
}

void Report::error(std::string_view file, long long line, std::string message) {
  add(file, line, Level::error, std::move(message));
}

void Report::warning(std::string_view file, long long line, std::string message) {
  add(file, line, Level::warning, std::move(message));
}

void Report::noteFile(std::string_view file) {
  if (files_.find(file) != files_.end()) return;
  FileTally tally;
  tally.order = files_.size();
  files_.emplace(std::string(file), tally);
}

void Report::add(std::string_view file, long long line, Level level, std::string message) {
  (level == Level::error ? errors_ : warnings_) += 1;
  noteFile(file);
  FileTally& tally = files_.find(file)->second;
  if (tally.kept >= keptPerFile) {
    (level == Level::error ? tally.droppedErrors : tally.droppedWarnings) += 1;
    return;
  }
  ++tally.kept;
  findings_.push_back({std::string(file), line, level, std::move(message)});
}

void Report::finish() {
  auto orderOf = [&](const Finding& f) { return files_.find(f.file)->second.order; };
  std::stable_sort(findings_.begin(), findings_.end(), [&](const Finding& a, const Finding& b) {
    if (orderOf(a) != orderOf(b)) return orderOf(a) < orderOf(b);
    return a.line < b.line;
  });
  std::vector<Finding> ordered;
  ordered.reserve(findings_.size() + files_.size());
  for (std::size_t i = 0; i < findings_.size(); ++i) {
    ordered.push_back(std::move(findings_[i]));
    bool lastOfFile = i + 1 == findings_.size() || findings_[i + 1].file != ordered.back().file;
    if (!lastOfFile) continue;
    FileTally& tally = files_.find(ordered.back().file)->second;
    std::size_t dropped = tally.droppedErrors + tally.droppedWarnings;
    if (dropped == 0) continue;
    // Counted already; this closing line only says they were left out.
    ordered.push_back({ordered.back().file, 0,
                       tally.droppedErrors > 0 ? Level::error : Level::warning,
                       std::to_string(dropped) + " more findings in this file are not shown (" +
                           std::to_string(tally.droppedErrors) + " errors, " +
                           std::to_string(tally.droppedWarnings) + " warnings)"});
    tally.droppedErrors = tally.droppedWarnings = 0;
  }
  findings_ = std::move(ordered);
}

std::string shown(std::string_view text) {
  constexpr std::size_t maxShown = 48;
  std::string out = "'";
  std::size_t count = 0;
  for (char c : text) {
    if (count == maxShown) {
      out += "...";
      break;
    }
    auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (byte < 32 || byte >= 127) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
    ++count;
  }
  return out + "'";
}

}  // namespace dw::lint
