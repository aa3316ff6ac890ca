#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dw::lint {

enum class Level { warning, error };

// One thing the checker found: "file:line: level: message". Line 0 means the
// finding is about the file as a whole.
struct Finding {
  std::string file;
  long long line = 0;
  Level level = Level::warning;
  std::string message;
};

std::string formatFinding(const Finding& finding);

// Collects the findings of one run. A damaged file can produce a finding on
// every line; past a limit per file they are only counted, so the report stays
// readable and its memory bounded, and `finish` says how many were left out.
class Report {
 public:
  static constexpr std::size_t keptPerFile = 40;

  void error(std::string_view file, long long line, std::string message);
  void warning(std::string_view file, long long line, std::string message);
  void add(std::string_view file, long long line, Level level, std::string message);
  // Files are listed in the order they are first named, here or by a finding.
  void noteFile(std::string_view file);

  // Orders the findings by file (in the order the files were first named) and
  // line, and adds a closing finding per file whose findings were cut short.
  void finish();

  const std::vector<Finding>& findings() const { return findings_; }
  // These count every finding, also those left out of the list.
  std::size_t errorCount() const { return errors_; }
  std::size_t warningCount() const { return warnings_; }

 private:
  struct FileTally {
    std::size_t order = 0;
    std::size_t kept = 0;
    std::size_t droppedErrors = 0;
    std::size_t droppedWarnings = 0;
  };
  std::vector<Finding> findings_;
  std::map<std::string, FileTally, std::less<>> files_;
  std::size_t errors_ = 0;
  std::size_t warnings_ = 0;
};

// A text from a data file as it can be shown on one output line: in single
// quotes, control and non-ASCII bytes written as \xNN, cut after a few dozen
// bytes.
std::string shown(std::string_view text);

}  // namespace dw::lint
