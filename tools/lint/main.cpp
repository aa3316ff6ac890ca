#include <iostream>
#include <string>
#include <vector>

#include "Lint.h"
#include "cli/CommandLine.h"
#include "platform/SafeWrite.h"

int main(int argc, char** argv) {
  // A file-size limit makes a write fail, like a full disk.
  dw::ignoreFileSizeSignal();
  std::vector<std::string> args(argv + 1, argv + argc);
  int code = dw::lint::runLint(args, std::cout, std::cerr);
  // A report that did not reach its reader is no report.
  if (!dw::cli::outputWritten("duskwarren-lint", std::cerr)) return dw::cli::exitOutput;
  return code;
}
