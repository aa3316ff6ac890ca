// duskwarren-replay: runs the game headless on scripted keys and a fixed
// clock, and writes a trace and a screenshot (as a picture, or as the text a
// terminal shows).
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "DataWarning.h"
#include "KeyScript.h"
#include "LogFile.h"
#include "Trace.h"
#include "cli/CommandLine.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "platform/CappedRead.h"
#include "platform/DataFolder.h"
#include "platform/SafeWrite.h"
#include "platform/VisibleText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/png/Png.h"
#include "platform/terminal/CellMapper.h"
#include "recording/Fingerprint.h"
#include "runs/RecordingCheck.h"
#include "runs/RunRecorder.h"
#include "shell/CheckpointLog.h"

// Where the installed game data is, seen from the folder of the program.
#ifndef DUSKWARREN_DATA_FROM_BIN
#define DUSKWARREN_DATA_FROM_BIN "../share/duskwarren"
#endif

namespace {

constexpr const char* usage =
    "Usage: duskwarren-replay [OPTIONS] (--keys TEXT | --keys-file FILE)\n"
    "  or:  duskwarren-replay [OPTIONS] --recording FILE.dwrec [--force]\n"
    "  or:  duskwarren-replay --help | --version\n"
    "\n"
    "Runs the game without a window on scripted keys and a fixed clock, or plays a\n"
    "recording with its own keys and clock. The run ends when the game quits or\n"
    "the keys run out.\n"
    "\n"
    "Options:\n"
    "  --keys TEXT           the keys, one byte each: \\r is Enter, \\e Escape,\n"
    "                        \\b Backspace, \\\\ a backslash and \\xNN any byte\n"
    "  --keys-file FILE      the keys, the file's bytes as they are\n"
    "  --timer SECONDS       what the clock reads all along; default 0\n"
    "  --record FILE.dwrec   write the run as a recording\n"
    "  --recording FILE.dwrec\n"
    "                        play a recording; one made with another version or\n"
    "                        other data is refused\n"
    "  --force               play such a recording all the same\n"
    "  --data DIR            play from the game folder DIR; default: the current\n"
    "                        folder when it has res/, else the installed game data\n"
    "  --trace FILE          write one JSON line per level and per command\n"
    "  --screenshot FILE.png\n"
    "                        write the last screen\n"
    "  --text-screenshot FILE\n"
    "                        write the last screen as the 25 lines of 40\n"
    "                        characters (UTF-8) that duskwarren --terminal shows\n"
    "  --check GOLDEN.jsonl  compare the trace with a golden one\n"
    "  --log FILE            write the whole message log, one entry a line, each\n"
    "                        with its level and turn (\"L4 T17 ...\"), in UTF-8\n"
    "  -h, --help            this text\n"
    "  --version             the release\n"
    "\n"
    "Options take their value as --opt VALUE or --opt=VALUE. Exit status: the\n"
    "game's own, 1 when --check finds a difference, 2 for a bad command line, a\n"
    "file that cannot be read or written, or a recording its game contradicts.\n";

int fail(const std::string& message) {
  std::cerr << "duskwarren-replay: " << message << "\n" << usage;
  return 2;
}

// A file named on the command line that cannot be used: the reason alone.
int refuseFile(const std::string& message) {
  std::cerr << "duskwarren-replay: " << message << "\n";
  return 2;
}

// The longest keys file and golden trace read: far more than any game.
constexpr std::size_t keysFileMaxBytes = 16u * 1024 * 1024;
constexpr std::size_t goldenMaxBytes = 128u * 1024 * 1024;

// The screen as `duskwarren --terminal` shows it, with the game's tiles read
// as their glyph codes.
std::string textScreenshot(dw::Platform& platform) {
  dw::CellMapper mapper;
  for (int g = 0; g < 256; ++g) {
    if (auto picture = dw::loadTileImage(platform, dw::tileFileName(g)))
      mapper.addTile(static_cast<std::uint8_t>(g), *picture);
  }
  dw::TextPage page;
  mapper.readPage(platform.screen(), page);
  return dw::textOfPage(page);
}

std::vector<std::string> readLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

struct Options {
  std::string dataDir, keysText, keysFile, tracePath, screenshotPath, textPath, goldenPath;
  std::string timerText, recordingPath, recordPath, logPath;
  bool force = false, haveKeys = false, haveKeysFile = false, haveRecording = false;
  double timer = 0.0;
};

// Reads and checks the command line. Returns the exit status when the run
// ends here (help, version, a refused command line).
std::optional<int> readOptions(int argc, char** argv, Options& o) {
  CLI::App app("", "duskwarren-replay");
  dw::cli::setUp(app, usage);
  app.add_option("--data", o.dataDir)->check(dw::cli::folderToUse());
  auto* keysOption = app.add_option("--keys", o.keysText);
  auto* keysFileOption = app.add_option("--keys-file", o.keysFile)->check(dw::cli::fileToRead());
  auto* timerOption = app.add_option("--timer", o.timerText);
  app.add_option("--trace", o.tracePath)->check(dw::cli::fileToWrite());
  app.add_option("--screenshot", o.screenshotPath)->check(dw::cli::fileToWrite());
  app.add_option("--text-screenshot", o.textPath)->check(dw::cli::fileToWrite());
  app.add_option("--check", o.goldenPath)->check(dw::cli::fileToRead());
  app.add_option("--log", o.logPath)->check(dw::cli::fileToWrite());
  auto* recordingOption =
      app.add_option("--recording", o.recordingPath)->check(dw::cli::fileToRead());
  app.add_option("--record", o.recordPath)->check(dw::cli::fileToWrite());
  app.add_flag("--force", o.force);
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  o.haveKeys = keysOption->count() > 0;
  o.haveKeysFile = keysFileOption->count() > 0;
  o.haveRecording = recordingOption->count() > 0;
  if (timerOption->count() > 0) {
    char* end = nullptr;
    errno = 0;
    o.timer = std::strtod(o.timerText.c_str(), &end);
    if (o.timerText.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(o.timer))
      return fail("--timer needs a number of seconds");
  }
  if (int(o.haveKeys) + int(o.haveKeysFile) + int(o.haveRecording) != 1)
    return fail("give exactly one of --keys, --keys-file and --recording");
  if (o.haveRecording && timerOption->count() > 0)
    return fail("--timer cannot change a recording's clock");
  if (o.haveRecording && !o.recordPath.empty()) return fail("--record cannot record a recording");
  if (o.force && !o.haveRecording) return fail("--force goes with --recording");
  if (!o.recordPath.empty() && access(o.recordPath.c_str(), F_OK) == 0)
    return fail(o.recordPath + " is there already; a recording is never written over");
  return std::nullopt;
}

// The keys of --keys or --keys-file, and the golden trace of --check. A
// recording is read later, once the data folder it is checked against is
// entered. Returns the exit status when they cannot be read.
std::optional<int> readInputs(const Options& o, std::string& keys,
                              std::vector<std::string>& golden) {
  if (o.haveKeys) {
    std::string error;
    auto parsed = dw::parseKeyScript(o.keysText, error);
    if (!parsed) return fail(error);
    keys = *parsed;
  } else if (o.haveKeysFile) {
    std::string error;
    auto bytes = dw::readCappedFile(o.keysFile, keysFileMaxBytes, "a keys file", error);
    if (!bytes) return refuseFile(error);
    keys = std::move(*bytes);
  }
  if (!o.goldenPath.empty()) {
    std::string error;
    auto text = dw::readCappedFile(o.goldenPath, goldenMaxBytes, "a golden trace", error);
    if (!text) return refuseFile(error);
    golden = readLines(*text);
  }
  return std::nullopt;
}

// Output paths are taken as given, before the game's own directory is set.
std::string absolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

// Reads --recording and feeds its keys and clock to the platform; false
// (said on stderr) when the file cannot be played.
bool playRecording(const Options& o, dw::HeadlessPlatform& platform,
                   std::optional<dw::RecordingToPlay>& recording) {
  std::string error;
  recording = dw::readRecordingToPlay(o.recordingPath, dw::toPlay, o.force, error);
  if (!recording) {
    std::cerr << "duskwarren-replay: " << error << "\n";
    return false;
  }
  for (const auto& note : recording->notes) std::cerr << "duskwarren-replay: " << note << "\n";
  dw::feedRecording(platform, recording->input);
  return true;
}

// Says why a file could not be written and gives the exit status for it.
int cannotWrite(const std::string& what, const std::string& path, const std::string& why) {
  std::cerr << "duskwarren-replay: cannot write " << what << " " << dw::visibleText(path) << ": "
            << why << "\n";
  return 2;
}

// Writes the screenshots asked for and compares the trace with the golden
// one. Returns the exit status, or nothing when all went well.
std::optional<int> finishRun(const Options& o, const std::vector<std::string>& golden,
                             const std::vector<std::string>& lines, dw::Platform& platform) {
  std::string why;
  if (!o.screenshotPath.empty() && !dw::writeScreenshot(o.screenshotPath, platform.screen(), &why))
    return cannotWrite("screenshot", o.screenshotPath, why);
  if (!o.textPath.empty() &&
      !(why = dw::writeWholeFile(o.textPath, textScreenshot(platform))).empty())
    return cannotWrite("text screenshot", o.textPath, why);
  if (!o.goldenPath.empty()) {
    std::string report = dw::compareTraces(golden, lines);
    if (!report.empty()) {
      std::cout << "out of step with " << dw::visibleText(o.goldenPath) << ": " << report;
      return 1;
    }
    std::cout << "matches " << dw::visibleText(o.goldenPath) << " (" << lines.size() << " lines)\n";
  }
  return std::nullopt;
}

// What the run found wrong with the recording it played, or with a game
// file that grew while it ran. Returns the exit status when the run is
// refused for it.
std::optional<int> checkPlayed(const Options& o, const dw::Game& game,
                               const std::optional<dw::RecordingToPlay>& recording,
                               const dw::HeadlessPlatform& platform) {
  if (!platform.refusedFile().empty()) {
    std::cerr << "duskwarren-replay: " << platform.refusedFile() << "\n";
    return 2;
  }
  if (!recording) return std::nullopt;
  std::string error;
  std::vector<std::string> notes;
  if (!dw::passedWithForce(o.recordingPath, {"play", "played"},
                           dw::playedContradiction(*recording, game), o.force, error, notes)) {
    std::cerr << "duskwarren-replay: " << error << "\n";
    return 2;
  }
  for (const auto& note : notes) std::cerr << "duskwarren-replay: " << note << "\n";
  return std::nullopt;
}

// The run recorded with --record, with checkpoints beside it as play keeps
// them (each with the log the game keeps beside it), and one
// where the run goes on when it is continued, so that takes no replay.
class RecordedRun : public dw::GameObserver {
 public:
  RecordedRun(dw::Game& game, dw::HeadlessPlatform& platform, const std::string& path)
      : platform_(platform),
        writer_(game, dw::RunRecorder::InFile{path}),
        keeper_(log_, game.observer) {
    platform.setInputTap(&writer_);
    writer_.checkpoints().setCompanion(&companion_);
    writer_.checkpoints().setNext(this);
    game.observer = &writer_.checkpoints();
  }

  void onLevel(const dw::Game& game) override { keeper_.onLevel(game); }
  void onCycle(const dw::Game& game) override { keeper_.onCycle(game); }
  void onMessageReplaced(const dw::Game& game, std::string_view earlier) override {
    keeper_.onMessageReplaced(game, earlier);
  }
  void onKeyRead(const dw::Game& game) override {
    keeper_.onKeyRead(game);
    // The read of the last key: where a run that Escape ended goes on.
    if (platform_.keysWaiting() == 1) beforeLastKey_ = writer_.checkpoints().take(game);
  }

  // Keeps the checkpoint where the run goes on and writes the closing
  // entry; why the recording could not be made, or empty.
  std::string finish(dw::Game& game) {
    platform_.setInputTap(nullptr);
    std::optional<dw::TakenCheckpoint> last;
    if (game.endReason == dw::EndReason::inputClosed) {
      // Every key counts: the run goes on at the key read that found no
      // more, as a game still running there (as the catch-up leaves it).
      game.endReason = dw::EndReason::running;
      last = writer_.checkpoints().take(game);
      game.endReason = dw::EndReason::inputClosed;
    } else if (game.endReason == dw::EndReason::quit && platform_.keysWaiting() == 0) {
      last = std::move(beforeLastKey_);  // the Escape that quit is left out
    }
    if (last) writer_.checkpoints().write(*last);
    writer_.finish(dw::recordedEnding(game, "keys"));
    return writer_.error();
  }

 private:
  dw::HeadlessPlatform& platform_;
  dw::RunRecorder writer_;
  dw::MessageLog log_;
  dw::LogKeeper keeper_;
  dw::CheckpointLog companion_{log_};
  std::optional<dw::TakenCheckpoint> beforeLastKey_;
};

// The game with its trace and recording as asked for. Returns the game's
// exit status, or the run's when something could not be done.
int playAndWrite(const Options& o, const std::vector<std::string>& golden,
                 dw::HeadlessPlatform& platform,
                 const std::optional<dw::RecordingToPlay>& recording) {
  dw::Game game(platform);
  // A trace is made only for --trace or --check, and written as it is made
  // into a file that takes the trace's name when it is complete.
  dw::SafeFile traceFile;
  if (!o.tracePath.empty() && !traceFile.open(o.tracePath))
    return cannotWrite("trace", o.tracePath, traceFile.reason());
  const bool tracing = !o.tracePath.empty() || !o.goldenPath.empty();
  dw::TraceRecorder recorder(o.tracePath.empty() ? nullptr : &traceFile, !o.goldenPath.empty());
  if (tracing) game.observer = &recorder;
  std::optional<dw::LogFile> log;
  if (!o.logPath.empty()) {
    if (!log.emplace(o.logPath).error().empty()) {
      std::cerr << "duskwarren-replay: " << log->error() << "\n";
      return 2;
    }
    game.observer = &log->observer(game.observer);
  }
  std::optional<RecordedRun> writer;
  if (!o.recordPath.empty()) writer.emplace(game, platform, o.recordPath);
  int code = dw::runGame(game);
  game.observer = nullptr;
  if (tracing) recorder.finish(game);
  if (auto refused = checkPlayed(o, game, recording, platform)) return *refused;
  if (!o.tracePath.empty() && !traceFile.commit())
    return cannotWrite("trace", o.tracePath, traceFile.reason());
  if (log && !log->finish()) {
    std::cerr << "duskwarren-replay: " << log->error() << "\n";
    return 2;
  }
  if (writer) {
    std::string error = writer->finish(game);
    if (!error.empty()) {
      std::cerr << "duskwarren-replay: cannot record: " << error << "\n";
      return 2;
    }
  }
  return finishRun(o, golden, recorder.lines(), platform).value_or(code);
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit makes a write fail, like a full disk, instead of
  // ending the program.
  dw::ignoreFileSizeSignal();
  Options o;
  if (auto done = readOptions(argc, argv, o)) return *done;
  std::string keys;
  std::vector<std::string> golden;
  if (auto done = readInputs(o, keys, golden)) return *done;
  for (std::string* path :
       {&o.tracePath, &o.screenshotPath, &o.textPath, &o.recordingPath, &o.recordPath, &o.logPath})
    *path = absolutePath(*path);
  // A folder named with --data is checked as given; without --data, a folder
  // with no res/ plays the installed game data, or says it has none.
  std::string warning = o.dataDir.empty() ? std::string() : dw::missingDataWarning(o.dataDir);
  std::string dataError;
  if (!dw::enterDataFolder(o.dataDir, argv[0], DUSKWARREN_DATA_FROM_BIN, "duskwarren-replay",
                           dataError)) {
    return refuseFile(dataError);
  }
  if (!warning.empty()) std::cerr << "duskwarren-replay: " << warning << "\n";

  dw::HeadlessPlatform platform(keys, o.timer);
  std::optional<dw::RecordingToPlay> recording;
  if (o.haveRecording && !playRecording(o, platform, recording)) return 2;
  int code = playAndWrite(o, golden, platform, recording);
  if (!dw::cli::outputWritten("duskwarren-replay", std::cerr)) return dw::cli::exitOutput;
  return code;
}
