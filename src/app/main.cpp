// The game in a desktop window, or in the terminal it was started from: the
// command line is read here and handed over to the front-end it asks for.
#include <algorithm>
#include <climits>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "platform/DataFolder.h"
#include "platform/SafeWrite.h"
#include "platform/VisibleText.h"
#include "runs/KeptRuns.h"
#include "runs/RecordingCheck.h"
#include "runs/RunFiles.h"
#include "runs/RunRecorder.h"
#include "runs/UserFolders.h"
#ifdef DUSKWARREN_TERMINAL
#include "terminal/TerminalGame.h"
#endif
#ifdef DUSKWARREN_WINDOW
#include "window/WindowGame.h"
#endif

// Where the installed game data is, seen from the folder of the program.
#ifndef DUSKWARREN_DATA_FROM_BIN
#define DUSKWARREN_DATA_FROM_BIN "../share/duskwarren"
#endif

namespace {

constexpr const char* usage =
    "Usage: duskwarren [--data DIR] [--seed N | --watch FILE.dwrec [--force]]\n"
    "  or:  duskwarren [--data DIR] --terminal [--seed N | --watch FILE.dwrec [--force]]\n"
    "  or:  duskwarren [--data DIR] [--terminal] [--continue [FILE.dwrec] [--force]]\n"
    "  or:  duskwarren [--data DIR] --runs\n"
    "  or:  duskwarren --help | --version\n"
    "\n"
    "Opens the game in a window. F1 lists the keys, F2 shows the message log, F4\n"
    "the past runs (Enter continues one), F11 or Alt+Enter switches to full\n"
    "screen and F12 saves a screenshot in $XDG_PICTURES_DIR/duskwarren/. Every\n"
    "game is recorded in $XDG_DATA_HOME/duskwarren/recordings/ (the newest 100\n"
    "runs are kept); when it ends, a line on stderr names its recording and how\n"
    "to go on with it.\n"
    "\n"
    "Options:\n"
    "  --data DIR   play from the game folder DIR (it holds res/, tiles/ and\n"
    "               drivers/); default: the current folder when it has res/,\n"
    "               else the installed game data\n"
    "  --watch FILE plays a recording (in the window, or with --terminal in the\n"
    "               terminal): Space pauses, + and -\n"
    "               change the speed, Escape stops\n"
    "  --continue [FILE]\n"
    "               take up the newest run where it stopped (or the run of the\n"
    "               recording FILE); it goes on in the recordings folder\n"
    "  --force      watch or continue a recording made with other rules or data\n"
    "  --terminal   play in this terminal instead of a window (at least 40 x 25\n"
    "               characters), also over ssh or without a display; F1 or ?\n"
    "               lists the keys, F2 or l shows the message log, F4 or r the\n"
    "               past runs\n"
    "  --seed N     starts a game on seed N at once, as if @, N and Enter had\n"
    "               been typed: the same seed gives the same levels\n"
    "  --runs       lists the kept runs, newest first: date, seed, deepest\n"
    "               level, turns, Gold, members standing, how the run ended\n"
    "               and its recording\n"
    "  -h, --help   this text\n"
    "  --version    the release\n"
    "\n"
    "Exit status: 0 after the game, 1 when it cannot run, 2 for a bad command line,\ngame "
    "folder or recording.\n"
#ifndef DUSKWARREN_WINDOW
    "\n"
    "This build has no window: it plays in the terminal only (--terminal).\n"
#endif
    ;

// A seed as the start screen takes it: a whole number the game's seed holds.
bool seedAccepted(const std::string& text) {
  std::string_view digits(text);
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 10 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  long long value = std::stoll(text);
  return value >= INT32_MIN && value <= INT32_MAX;
}

std::string seedRefusal(const std::string& seed) {
  return "--seed: '" + seed + "' is no seed: give a whole number from -2147483648 to 2147483647";
}

// The table of the kept runs, newest first.
int listRuns() {
  std::filesystem::path folder = dw::recordingsFolder(dw::processEnvironment());
  std::vector<std::string> notes;  // files beside the recordings passed over
  dw::RunListing how;
  how.notes = &notes;
  auto runs = dw::keptRuns(folder, how);
  for (const auto& note : notes) std::cerr << "duskwarren: " << note << "\n";
  if (runs.empty()) {
    std::cout << "No runs kept in " << dw::visibleText(folder.string()) << " yet.\n";
  } else {
    std::cout << dw::runsTable(runs);
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "duskwarren: cannot write the table of runs\n";
    return 1;
  }
  return 0;
}

// A path given on the command line, taken from where the command was given.
void makeAbsolute(std::string& path) {
  if (path.empty()) return;
  std::error_code ignored;
  auto absolute = std::filesystem::absolute(path, ignored);
  if (!absolute.empty()) path = absolute.string();
}

// The recording of the run --continue names, checked before any window
// opens; nothing (said on stderr) when it cannot be continued. The run is
// caught up in front of the player.
std::optional<std::string> recordingToContinue(const std::string& file, bool force) {
  std::string error;
  std::vector<std::string> notes;
  auto path = dw::recordingToContinue(file, dw::recordingsFolder(dw::processEnvironment()), force,
                                      error, notes);
  if (!path) {
    std::cerr << "duskwarren: " << error << "\n";
    return std::nullopt;
  }
  for (const auto& note : notes) std::cerr << "duskwarren: " << note << "\n";
  return path;
}

// The recording --watch names, read before the game starts, so one that
// cannot be watched is refused without a window flashing up; nothing (said
// on stderr) when it cannot be watched.
std::optional<dw::RecordingToPlay> recordingToWatch(const std::string& file, bool force) {
  std::string why;
  auto recording = dw::readCheckedRecording(file, dw::toWatch, force, why);
  if (!recording) {
    std::cerr << "duskwarren: " << why << "\n";
    return std::nullopt;
  }
  for (const auto& note : recording->notes) std::cerr << "duskwarren: " << note << "\n";
  return recording;
}

// What the command line asks for.
struct Request {
  std::string dataDir, watchFile, continueFile, seed;
  bool force = false, runs = false, terminal = false, resume = false;
};

// Reads the command line into the request; the exit status when the program
// is done with it (--help, --version, a command line it cannot use).
std::optional<int> readCommandLine(int argc, char* argv[], Request& r) {
  CLI::App app("", "duskwarren");
  dw::cli::setUp(app, usage);
  app.add_option("--data", r.dataDir)->check(dw::cli::folderToUse());
  CLI::Option* watch = app.add_option("--watch", r.watchFile)->check(dw::cli::fileToRead());
  CLI::Option* resume = app.add_option("--continue", r.continueFile)->expected(0, 1);
  resume->excludes(watch);
  app.add_flag("--force", r.force);
  app.add_flag("--terminal", r.terminal);
  CLI::Option* seedOption = app.add_option("--seed", r.seed)->excludes(watch, resume);
  app.add_flag("--runs", r.runs)->excludes(watch, seedOption)->excludes("--terminal");
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return done;
  r.resume = resume->count() > 0;
  if (r.force && watch->count() == 0 && !r.resume) {
    std::cerr << "duskwarren: --force goes with --watch or --continue\n";
    return dw::cli::exitUsage;
  }
  if (*seedOption && !seedAccepted(r.seed))
    return dw::cli::refuse(app, seedRefusal(r.seed), std::cerr);
  makeAbsolute(r.watchFile);
  makeAbsolute(r.continueFile);
  return std::nullopt;
}

// Hands the game over to the front-end the request names: the terminal, or
// the window where this build has one.
int handOver(const Request& r) {
  std::optional<std::string> toContinue;
  if (r.resume && !(toContinue = recordingToContinue(r.continueFile, r.force)))
    return dw::cli::exitUsage;
  std::optional<dw::RecordingToPlay> recording;
  if (!r.watchFile.empty() && !(recording = recordingToWatch(r.watchFile, r.force)))
    return dw::cli::exitUsage;
  dw::SessionOrder order{recording ? &*recording : nullptr, nullptr, r.seed,
                         toContinue.value_or(""), r.force};
#ifdef DUSKWARREN_TERMINAL
  if (r.terminal) return dw::playInTerminal(order);
#else
  if (r.terminal) {
    std::cerr << "duskwarren: the terminal is not in the Windows build: play in the window "
                 "(without --terminal)\n";
    return 1;
  }
#endif
#ifdef DUSKWARREN_WINDOW
  return dw::playInWindow(order);
#else
  std::cerr << "duskwarren: this build has no window: play in the terminal with duskwarren "
               "--terminal\n";
  return 1;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  // A file-size limit makes a write fail, like a full disk: the game plays
  // on without its recording.
  dw::ignoreFileSizeSignal();
  Request request;
  if (auto done = readCommandLine(argc, argv, request)) return *done;
  std::string error;
  if (!dw::enterDataFolder(request.dataDir, argv[0], DUSKWARREN_DATA_FROM_BIN, "duskwarren",
                           error)) {
    std::cerr << "duskwarren: " << error << "\n";
    return dw::cli::exitUsage;
  }
  if (request.runs) return listRuns();
  return handOver(request);
}
