// The game in a desktop window, or in the terminal it was started from.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "platform/DataFolder.h"
#include "platform/VisibleText.h"
#include "platform/sdl/SdlPlatform.h"
#include "platform/terminal/TerminalPlatform.h"
#include "runs/KeptRuns.h"
#include "runs/RecordingCheck.h"
#include "runs/RunFiles.h"
#include "runs/RunRecorder.h"
#include "runs/UserFolders.h"
#include "shell/Screenshots.h"
#include "shell/Settings.h"
#include "shell/Shell.h"
#include "window/WindowGame.h"

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
    "Opens the game in a window. F1 lists the keys, F2 shows the message log,\n"
    "F4 the past runs, F11 or Alt+Enter switches to full screen and F12 saves a\n"
    "screenshot in $XDG_PICTURES_DIR/duskwarren/. Every game is recorded in\n"
    "$XDG_DATA_HOME/duskwarren/recordings/ (the newest 100 runs are kept); when\n"
    "it ends, a line on stderr names its recording and how to go on with it.\n"
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
    "folder or recording.\n";

// A game file that grew past what the game reads while it ran: said, and
// the exit status for it.
std::optional<int> refusedFileCode(const dw::Platform& platform) {
  if (platform.refusedFile().empty()) return std::nullopt;
  std::cerr << "duskwarren: " << platform.refusedFile() << "\n";
  return dw::cli::exitUsage;
}

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

// Starts the game on the seed as a player would: "@", the seed and Enter.
void typeSeed(dw::Platform& platform, const std::string& seed) {
  if (seed.empty()) return;
  platform.typeAhead("@");
  for (char c : seed) platform.typeAhead(std::string(1, c));
  platform.typeAhead(std::string(1, dw::enterKey));
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

// The colour depth the player's settings choose over the terminal's own.
std::optional<dw::ColourDepth> chosenColours(const dw::Settings& settings) {
  if (!settings.terminalColours) return std::nullopt;
  if (*settings.terminalColours == 16) return dw::ColourDepth::ansi16;
  if (*settings.terminalColours == 256) return dw::ColourDepth::indexed256;
  return dw::ColourDepth::direct;
}

// The game as text in the terminal it was started from, with the shell
// around it; a recording given is watched instead, a run caught up goes on
// where it stopped, and a seed given starts the game on it.
int playInTerminal(const std::optional<dw::RecordingToPlay>& recording, dw::CaughtUpRun* run,
                   const std::string& seed) {
  dw::Environment env = dw::processEnvironment();
  dw::Settings settings = dw::readSettings(dw::settingsFile(env));
  // Named before the terminal is taken over; the game tells them too.
  for (const auto& problem : settings.problems) std::cerr << "duskwarren: " << problem << "\n";
  std::string error;
  auto platform = dw::TerminalPlatform::open(error, chosenColours(settings));
  if (!platform) {
    std::cerr << "duskwarren: cannot play in this terminal: " << error << "\n";
    return 1;
  }
  // Cells that show a tile read as its glyph code.
  for (int g = 0; g < 256; ++g) {
    if (auto picture = dw::loadTileImage(*platform, dw::tileFileName(g)))
      platform->addTilePicture(static_cast<std::uint8_t>(g), *picture);
  }
  typeSeed(*platform, seed);
  int code;
  std::string endOfRun;
  {
    dw::Shell shell(*platform, env, std::move(settings));
    shell.setPictureSaver([env](const dw::Screen& screen, int scale) {
      return dw::savePictureForPlayer(screen, scale, env);
    });
    code = recording ? shell.watch(*recording) : shell.play(run);
    endOfRun = shell.endOfRun();
  }
  int sig = platform->endingSignal();
  std::string refused = platform->refusedFile();
  platform.reset();  // the terminal as it was
  if (!refused.empty()) std::cerr << "duskwarren: " << refused << "\n";
  if (!endOfRun.empty()) std::cerr << "duskwarren: " << endOfRun << "\n";
  // Ended by Ctrl+C, a hang-up or a termination request: end the way the
  // shell expects of such an ending.
  if (sig != 0) std::raise(sig);
  return refused.empty() ? code : dw::cli::exitUsage;
}

// The one line for a machine without a desktop to show the window on.
std::string noDisplayLine(const std::string& reason) {
  const char* advice =
      "set DISPLAY or WAYLAND_DISPLAY, play in this terminal with duskwarren --terminal, or "
      "use duskwarren-replay for a game without a window";
  auto named = [](const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] != '\0';
  };
  if (!named("DISPLAY") && !named("WAYLAND_DISPLAY")) {
    return std::string("duskwarren: no display: ") + advice;
  }
  return "duskwarren: no usable display (" + reason + "): " + advice;
}

// A path given on the command line, taken from where the command was given.
void makeAbsolute(std::string& path) {
  if (path.empty()) return;
  std::error_code ignored;
  auto absolute = std::filesystem::absolute(path, ignored);
  if (!absolute.empty()) path = absolute.string();
}

// Catches up the run --continue names, before any window opens; nothing
// (said on stderr) when it cannot be continued.
std::optional<dw::CaughtUpRun> runToContinue(const std::string& file, bool force) {
  std::string error;
  auto run = dw::runToContinue(file, dw::recordingsFolder(dw::processEnvironment()), force, error);
  if (!run) {
    std::cerr << "duskwarren: " << error << "\n";
    return std::nullopt;
  }
  for (const auto& note : run->notes) std::cerr << "duskwarren: " << note << "\n";
  return run;
}

}  // namespace

int main(int argc, char* argv[]) {
  // A file-size limit makes a write fail, like a full disk: the game plays
  // on without its recording.
  std::signal(SIGXFSZ, SIG_IGN);
  std::string dataDir, watchFile, continueFile, seed;
  bool force = false, runs = false;
  CLI::App app("", "duskwarren");
  dw::cli::setUp(app, usage);
  bool terminal = false;
  app.add_option("--data", dataDir)->check(dw::cli::folderToUse());
  CLI::Option* watch = app.add_option("--watch", watchFile)->check(dw::cli::fileToRead());
  CLI::Option* resume = app.add_option("--continue", continueFile)->expected(0, 1);
  resume->excludes(watch);
  app.add_flag("--force", force);
  app.add_flag("--terminal", terminal);
  CLI::Option* seedOption = app.add_option("--seed", seed)->excludes(watch, resume);
  app.add_flag("--runs", runs)->excludes(watch, seedOption)->excludes("--terminal");
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  if (force && watch->count() == 0 && resume->count() == 0) {
    std::cerr << "duskwarren: --force goes with --watch or --continue\n";
    return dw::cli::exitUsage;
  }
  if (*seedOption && !seedAccepted(seed)) return dw::cli::refuse(app, seedRefusal(seed), std::cerr);
  makeAbsolute(watchFile);
  makeAbsolute(continueFile);
  std::string error;
  if (!dw::enterDataFolder(dataDir, argv[0], DUSKWARREN_DATA_FROM_BIN, "duskwarren", error)) {
    std::cerr << "duskwarren: " << error << "\n";
    return dw::cli::exitUsage;
  }

  if (runs) return listRuns();
  std::optional<dw::CaughtUpRun> run;
  if (resume->count() > 0 && !(run = runToContinue(continueFile, force))) return dw::cli::exitUsage;

  // A recording is read before the game starts, so one that cannot be
  // watched is refused without a window flashing up.
  std::optional<dw::RecordingToPlay> recording;
  if (!watchFile.empty()) {
    std::string why;
    recording = dw::readCheckedRecording(watchFile, dw::toWatch, force, why);
    if (!recording) {
      std::cerr << "duskwarren: " << why << "\n";
      return dw::cli::exitUsage;
    }
    for (const auto& note : recording->notes) std::cerr << "duskwarren: " << note << "\n";
  }
  if (terminal) return playInTerminal(recording, run ? &*run : nullptr, seed);

  dw::SdlPlatform::OpenFailure failure;
  auto platform = dw::SdlPlatform::open(failure);
  if (!platform) {
    if (failure.noDisplay) {
      std::cerr << noDisplayLine(failure.reason) << "\n";
    } else {
      std::cerr << "duskwarren: cannot open the game window: " << failure.reason
                << " (to play in this terminal instead: duskwarren --terminal)\n";
    }
    return 1;
  }
  if (auto icon = dw::gameIcon(*platform)) platform->setIcon(*icon);
  if (!recording) typeSeed(*platform, seed);
  int code = recording ? dw::watchInWindow(*platform, *recording)
                       : dw::playInWindow(*platform, run ? &*run : nullptr);
  return refusedFileCode(*platform).value_or(code);
}
