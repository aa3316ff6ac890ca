#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "Report.h"

namespace dw::lint {

struct LintOptions {
  std::filesystem::path folder = ".";
  // Rewrite data files whose lines do not end in CR LF, keeping FILE.bak.
  bool fixLineEndings = false;
};

// Checks a game folder: res/shops.dat, res/party.dat, res/spells.dat,
// res/rose.dat, drivers/mouse.bin and tiles/. A line for every file rewritten
// goes to `notes`.
void lintFolder(const LintOptions& options, Report& report, std::ostream& notes);

// The whole command: arguments without the program name. Findings go to
// `out`, usage and trouble to `err`. Returns 0 without errors, 1 with errors
// (or warnings under --strict), 2 when the check could not run.
int runLint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dw::lint
