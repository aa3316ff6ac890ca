#pragma once

// What every Duskwarren program's command line shares: --help showing the
// program's own usage text, --version, "--opt value" and "--opt=value",
// and the same words and exit code (2) for a command line it cannot use.

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace dw::cli {

// Exit status for a command line the program cannot use.
constexpr int exitUsage = 2;

// The release, as "1.0.0".
const char* version();

// Gives `app` the -h/--help flag (printing `usage`) and --version (printing
// "NAME VERSION"); NAME is app's name.
void setUp(CLI::App& app, std::string usage);

// Parses `args` (without the program name). Nothing when the program should
// go on; otherwise the exit status, after --help or --version printed to
// `out` (0) or the reason the command line is refused went to `err` (2).
// Unknown options are named as such.
std::optional<int> parse(CLI::App& app, std::vector<std::string> args, std::ostream& out,
                         std::ostream& err);
std::optional<int> parse(CLI::App& app, int argc, const char* const* argv, std::ostream& out,
                         std::ostream& err);

// Prints "NAME: message" and the pointer to --help on `err`; returns 2.
int refuse(const CLI::App& app, const std::string& message, std::ostream& err);

// Checks for an option's value, run as the command line is read: a value
// that fails them is refused naming its option ("--trace: the value is
// empty"), with exit status 2. None of them takes an empty value.
//   fileToRead:   an existing file (not a folder) that can be opened
//   folderToUse:  an existing folder
//   fileToWrite:  not a folder, in a folder that is there
CLI::Validator fileToRead();
CLI::Validator folderToUse();
CLI::Validator fileToWrite();
CLI::Validator nonEmpty();

// Exit status when what the program printed could not all be written.
constexpr int exitOutput = 2;

// Flushes standard output and tells whether everything printed there was
// written; when not (a full disk, a closed pipe) says so on `err`, naming
// the program. Every program checks it before it ends.
bool outputWritten(const std::string& program, std::ostream& err);

}  // namespace dw::cli
