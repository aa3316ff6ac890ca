// duskwarren-replay: runs the game headless on scripted keys and a fixed
// clock, and writes a trace and a screenshot.
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
#include "RecordingPlay.h"
#include "Trace.h"
#include "cli/CommandLine.h"
#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/headless/Png.h"
#include "recording/Fingerprint.h"

namespace {

constexpr const char* usage =
    "usage: duskwarren-replay [--data DIR] (--keys TEXT | --keys-file FILE) [--timer SECONDS]\n"
    "                         [--record FILE.dwrec] [--trace FILE] [--screenshot FILE.png]\n"
    "                         [--check GOLDEN.jsonl]\n"
    "       duskwarren-replay [--data DIR] --recording FILE.dwrec [--force] [--trace FILE]\n"
    "                         [--screenshot FILE.png] [--check GOLDEN.jsonl]\n"
    "       duskwarren-replay --help | --version\n"
    "\n"
    "Runs the game without a window. Each key is one byte; in --keys, \\r is Enter,\n"
    "\\e Escape, \\b Backspace, \\\\ a backslash and \\xNN any byte. The run ends when\n"
    "the game quits or the keys run out. --record writes the run as a recording.\n"
    "--recording plays a recording (.dwrec) with its own keys and clock; one made\n"
    "with another version or other data is refused unless --force is given.\n"
    "--check compares the trace with a golden\n"
    "one and exits 1 at the first difference. Options take their value as\n"
    "--opt VALUE or --opt=VALUE. Exit status: the game's own, 1 when --check\n"
    "finds a difference, 2 for a bad command line or unreadable file.\n";

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

std::vector<std::string> readLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dataDir, keysText, keysFile, tracePath, screenshotPath, goldenPath, timerText;
  CLI::App app("", "duskwarren-replay");
  dw::cli::setUp(app, usage);
  app.add_option("--data", dataDir);
  auto* keysOption = app.add_option("--keys", keysText);
  auto* keysFileOption = app.add_option("--keys-file", keysFile);
  auto* timerOption = app.add_option("--timer", timerText);
  app.add_option("--trace", tracePath);
  app.add_option("--screenshot", screenshotPath);
  app.add_option("--check", goldenPath);
  std::string recordingPath, recordPath;
  bool force = false;
  auto* recordingOption = app.add_option("--recording", recordingPath);
  app.add_option("--record", recordPath);
  app.add_flag("--force", force);
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  bool haveKeys = keysOption->count() > 0, haveKeysFile = keysFileOption->count() > 0;
  const bool haveRecording = recordingOption->count() > 0;
  double timer = 0.0;
  if (timerOption->count() > 0) {
    char* end = nullptr;
    errno = 0;
    timer = std::strtod(timerText.c_str(), &end);
    if (timerText.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(timer))
      return fail("--timer needs a number of seconds");
  }
  if (int(haveKeys) + int(haveKeysFile) + int(haveRecording) != 1)
    return fail("give exactly one of --keys, --keys-file and --recording");
  if (haveRecording && timerOption->count() > 0)
    return fail("--timer cannot change a recording's clock");
  if (haveRecording && !recordPath.empty()) return fail("--record cannot record a recording");
  if (force && !haveRecording) return fail("--force goes with --recording");
  if (!recordPath.empty() && access(recordPath.c_str(), F_OK) == 0)
    return fail(recordPath + " is there already; a recording is never written over");

  std::string keys;
  if (haveRecording) {
    // Read below, once the data folder it is checked against is entered.
  } else if (haveKeys) {
    std::string error;
    auto parsed = dw::parseKeyScript(keysText, error);
    if (!parsed) return fail(error);
    keys = *parsed;
  } else if (!readFile(keysFile, keys)) {
    return fail("cannot read keys file " + keysFile);
  }

  std::vector<std::string> golden;
  if (!goldenPath.empty()) {
    std::string text;
    if (!readFile(goldenPath, text)) return fail("cannot read golden trace " + goldenPath);
    golden = readLines(text);
  }
  // Output paths are taken as given, before the game's own directory is set.
  auto absolute = [](const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
  };
  tracePath = absolute(tracePath);
  screenshotPath = absolute(screenshotPath);
  recordingPath = absolute(recordingPath);
  recordPath = absolute(recordPath);
  if (!dataDir.empty() && chdir(dataDir.c_str()) != 0) {
    return fail("cannot enter data folder " + dataDir + ": " + std::strerror(errno));
  }
  if (std::string warning = dw::missingDataWarning(dataDir); !warning.empty())
    std::cerr << "duskwarren-replay: " << warning << "\n";

  dw::HeadlessPlatform platform(keys, timer);
  std::optional<dw::ReplayRecording> recording;
  if (haveRecording) {
    std::string error;
    recording = dw::loadReplayRecording(recordingPath, "", force, error);
    if (!recording) {
      std::cerr << "duskwarren-replay: " << error << "\n";
      return 2;
    }
    for (const auto& note : recording->notes) std::cerr << "duskwarren-replay: " << note << "\n";
    dw::feedRecording(platform, *recording->input);
  }
  dw::Game game(platform);
  // A trace is made only for --trace or --check, and written as it is made.
  std::FILE* traceFile = nullptr;
  if (!tracePath.empty() && !(traceFile = std::fopen(tracePath.c_str(), "wb"))) {
    std::cerr << "duskwarren-replay: cannot write trace " << tracePath << ": "
              << std::strerror(errno) << "\n";
    return 2;
  }
  const bool tracing = traceFile || !goldenPath.empty();
  dw::TraceRecorder recorder(traceFile, !goldenPath.empty());
  if (tracing) game.observer = &recorder;
  std::optional<dw::ReplayRecorder> writer;
  if (!recordPath.empty()) {
    writer.emplace(game, recordPath, dw::gameFilesFingerprint(""));
    platform.setInputTap(&*writer);
  }
  int code = dw::runGame(game);
  if (tracing) recorder.finish(game);
  if (traceFile) {
    bool written = !recorder.writeFailed() && std::ferror(traceFile) == 0;
    if (std::fclose(traceFile) != 0 || !written) {
      std::cerr << "duskwarren-replay: cannot write trace " << tracePath << "\n";
      return 2;
    }
  }
  if (writer) {
    platform.setInputTap(nullptr);
    if (!writer->finish(game.endReason == dw::EndReason::quit ? "quit" : "keys")) {
      std::cerr << "duskwarren-replay: cannot record: " << writer->error() << "\n";
      return 2;
    }
  }

  if (!screenshotPath.empty() && !dw::writeScreenshot(screenshotPath, platform.screen())) {
    std::cerr << "duskwarren-replay: cannot write screenshot " << screenshotPath << "\n";
    return 2;
  }
  if (!goldenPath.empty()) {
    std::string report = dw::compareTraces(golden, recorder.lines());
    if (!report.empty()) {
      std::cout << "out of step with " << goldenPath << ": " << report;
      return 1;
    }
    std::cout << "matches " << goldenPath << " (" << recorder.lines().size() << " lines)\n";
  }
  return code;
}
