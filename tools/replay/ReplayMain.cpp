// duskwarren-replay: runs the game headless on scripted keys and a fixed
// clock, and writes a trace and a screenshot (as a picture, or as the text a
// terminal shows).
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "LogFile.h"
#include "RecordingPlay.h"
#include "Trace.h"
#include "cli/CommandLine.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "platform/DataFolder.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/headless/Png.h"
#include "platform/terminal/CellMapper.h"
#include "recording/Fingerprint.h"

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
    "game's own, 1 when --check finds a difference, 2 for a bad command line or\n"
    "unreadable file.\n";

int fail(const std::string& message) {
  std::cerr << "duskwarren-replay: " << message << "\n" << usage;
  return 2;
}

bool readFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream data;
  data << in.rdbuf();
  out = data.str();
  return true;
}

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
  app.add_option("--data", o.dataDir);
  auto* keysOption = app.add_option("--keys", o.keysText);
  auto* keysFileOption = app.add_option("--keys-file", o.keysFile);
  auto* timerOption = app.add_option("--timer", o.timerText);
  app.add_option("--trace", o.tracePath);
  app.add_option("--screenshot", o.screenshotPath);
  app.add_option("--text-screenshot", o.textPath);
  app.add_option("--check", o.goldenPath);
  app.add_option("--log", o.logPath);
  auto* recordingOption = app.add_option("--recording", o.recordingPath);
  app.add_option("--record", o.recordPath);
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
  } else if (o.haveKeysFile && !readFile(o.keysFile, keys)) {
    return fail("cannot read keys file " + o.keysFile);
  }
  if (!o.goldenPath.empty()) {
    std::string text;
    if (!readFile(o.goldenPath, text)) return fail("cannot read golden trace " + o.goldenPath);
    golden = readLines(text);
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
                   std::optional<dw::ReplayRecording>& recording) {
  std::string error;
  recording = dw::loadReplayRecording(o.recordingPath, "", o.force, error);
  if (!recording) {
    std::cerr << "duskwarren-replay: " << error << "\n";
    return false;
  }
  for (const auto& note : recording->notes) std::cerr << "duskwarren-replay: " << note << "\n";
  dw::feedRecording(platform, *recording->input);
  return true;
}

// Closes the trace file; false (said on stderr) when any of it failed.
bool closeTrace(std::FILE* file, const dw::TraceRecorder& recorder, const std::string& path) {
  bool written = !recorder.writeFailed() && std::ferror(file) == 0;
  if (std::fclose(file) != 0 || !written) {
    std::cerr << "duskwarren-replay: cannot write trace " << path << "\n";
    return false;
  }
  return true;
}

// Writes the trace and the screenshots asked for and compares the trace with
// the golden one. Returns the exit status, or nothing when all went well.
std::optional<int> finishRun(const Options& o, const std::vector<std::string>& golden,
                             const std::vector<std::string>& lines, dw::Platform& platform) {
  if (!o.screenshotPath.empty() && !dw::writeScreenshot(o.screenshotPath, platform.screen())) {
    std::cerr << "duskwarren-replay: cannot write screenshot " << o.screenshotPath << "\n";
    return 2;
  }
  if (!o.textPath.empty()) {
    std::ofstream out(o.textPath, std::ios::binary);
    out << textScreenshot(platform);
    if (!out) {
      std::cerr << "duskwarren-replay: cannot write text screenshot " << o.textPath << "\n";
      return 2;
    }
  }
  if (!o.goldenPath.empty()) {
    std::string report = dw::compareTraces(golden, lines);
    if (!report.empty()) {
      std::cout << "out of step with " << o.goldenPath << ": " << report;
      return 1;
    }
    std::cout << "matches " << o.goldenPath << " (" << lines.size() << " lines)\n";
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
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
    return fail(dataError);
  }
  if (!warning.empty()) std::cerr << "duskwarren-replay: " << warning << "\n";

  dw::HeadlessPlatform platform(keys, o.timer);
  std::optional<dw::ReplayRecording> recording;
  if (o.haveRecording && !playRecording(o, platform, recording)) return 2;
  dw::Game game(platform);
  std::optional<dw::LogFile> log;
  if (!o.logPath.empty() && !log.emplace(o.logPath).error().empty()) {
    std::cerr << "duskwarren-replay: " << log->error() << "\n";
    return 2;
  }
  // A trace is made only for --trace or --check, and written as it is made.
  std::FILE* traceFile = nullptr;
  if (!o.tracePath.empty() && !(traceFile = std::fopen(o.tracePath.c_str(), "wb"))) {
    std::cerr << "duskwarren-replay: cannot write trace " << o.tracePath << ": "
              << std::strerror(errno) << "\n";
    return 2;
  }
  const bool tracing = traceFile || !o.goldenPath.empty();
  dw::TraceRecorder recorder(traceFile, !o.goldenPath.empty());
  if (tracing) game.observer = &recorder;
  if (log) game.observer = &log->observer(game.observer);
  std::optional<dw::ReplayRecorder> writer;
  if (!o.recordPath.empty()) {
    writer.emplace(game, o.recordPath, dw::gameFilesFingerprint(""));
    platform.setInputTap(&*writer);
  }
  int code = dw::runGame(game);
  if (tracing) recorder.finish(game);
  if (traceFile && !closeTrace(traceFile, recorder, o.tracePath)) return 2;
  if (log && !log->finish()) {
    std::cerr << "duskwarren-replay: " << log->error() << "\n";
    return 2;
  }
  if (writer) {
    platform.setInputTap(nullptr);
    if (!writer->finish(game.endReason == dw::EndReason::quit ? "quit" : "keys")) {
      std::cerr << "duskwarren-replay: cannot record: " << writer->error() << "\n";
      return 2;
    }
  }
  return finishRun(o, golden, recorder.lines(), platform).value_or(code);
}
