#include "cli/CommandLine.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <ostream>

#include "DuskwarrenVersion.h"
#include "platform/CappedRead.h"
#include "platform/VisibleText.h"

namespace dw::cli {

const char* version() {
  return DUSKWARREN_VERSION;
}

void setUp(CLI::App& app, std::string usage) {
  app.formatter_fn(
      [text = std::move(usage)](const CLI::App*, std::string, CLI::AppFormatMode) { return text; });
  app.set_version_flag("--version", app.get_name() + " " + version(),
                       "print the program's name and release, and exit");
  // Anything the program does not know is collected and named below, in
  // the program's own words, rather than refused with the library's.
  app.allow_extras();
  // An option given twice means its last value, as in most tools.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  // Options are --long on every system: on Windows too, a value starting
  // with / is a path, never an option.
  app.allow_windows_style_options(false);
}

int refuse(const CLI::App& app, const std::string& message, std::ostream& err) {
  err << app.get_name() << ": " << visibleText(message) << " (see " << app.get_name()
      << " --help)\n";
  return exitUsage;
}

namespace {

std::string folderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

CLI::Validator nonEmpty() {
  return CLI::Validator(
      [](std::string& value) { return value.empty() ? std::string("the value is empty") : ""; }, "",
      "nonEmpty");
}

CLI::Validator fileToRead() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        if (value.empty()) return "the value is empty";
        auto info = dw::factsOf(value);
        if (!info) return "cannot read " + visibleText(value) + ": " + std::strerror(errno);
        if (info->folder()) return visibleText(value) + " is a folder, not a file";
        int fd = dw::openPath(value, O_RDONLY, true);
        if (fd < 0) return "cannot read " + visibleText(value) + ": " + std::strerror(errno);
        ::close(fd);
        return "";
      },
      "", "fileToRead");
}

CLI::Validator folderToUse() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        if (value.empty()) return "the value is empty";
        auto info = dw::factsOf(value);
        if (!info) return "no folder " + visibleText(value) + ": " + std::strerror(errno);
        if (!info->folder()) return visibleText(value) + " is not a folder";
        return "";
      },
      "", "folderToUse");
}

CLI::Validator fileToWrite() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        if (value.empty()) return "the value is empty";
        if (auto info = dw::factsOf(value); info && info->folder())
          return visibleText(value) + " is a folder, not a file";
        std::string folder = folderOf(value);
        if (auto info = dw::factsOf(folder); !info || !info->folder())
          return "cannot write " + visibleText(value) + ": there is no folder " +
                 visibleText(folder);
        return "";
      },
      "", "fileToWrite");
}

bool outputWritten(const std::string& program, std::ostream& err) {
  static bool told = false;
  errno = 0;
  std::cout.flush();
  bool written = static_cast<bool>(std::cout);
  int error = errno;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    written = false;
    if (error == 0) error = errno;
  }
  if (!written && !told) {
    told = true;
    err << program << ": cannot write to standard output"
        << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << "\n";
  }
  return written;
}

std::optional<int> parse(CLI::App& app, std::vector<std::string> args, std::ostream& out,
                         std::ostream& err) {
  std::reverse(args.begin(), args.end());
  try {
    app.parse(args);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      // --help or --version.
      app.exit(e, out, err);
      bool written =
          &out == &std::cout ? outputWritten(app.get_name(), err) : static_cast<bool>(out.flush());
      if (!written) {
        if (&out != &std::cout) err << app.get_name() << ": cannot write to standard output\n";
        return exitOutput;
      }
      return 0;
    }
    return refuse(app, e.what(), err);
  }
  bool optionsEnded = false;
  for (const std::string& extra : app.remaining()) {
    if (extra == "--" && !optionsEnded) {
      // The end of the options is kept among the leftovers.
      optionsEnded = true;
    } else if (!optionsEnded && extra.size() > 1 && extra[0] == '-') {
      return refuse(app, "unknown option " + extra.substr(0, extra.find('=')), err);
    } else {
      return refuse(app, "unexpected argument '" + extra + "'", err);
    }
  }
  return std::nullopt;
}

std::optional<int> parse(CLI::App& app, int argc, const char* const* argv, std::ostream& out,
                         std::ostream& err) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return parse(app, std::move(args), out, err);
}

}  // namespace dw::cli
