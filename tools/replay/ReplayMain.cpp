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
#include <sstream>
#include <string>
#include <vector>

#include "KeyScript.h"
#include "Trace.h"
#include "cli/CommandLine.h"
#include "frame/Game.h"
#include "headless/HeadlessPlatform.h"
#include "headless/Png.h"

namespace {

constexpr const char* usage =
    "usage: duskwarren-replay [--data DIR] (--keys TEXT | --keys-file FILE) [--timer SECONDS]\n"
    "                         [--trace FILE] [--screenshot FILE.png] [--check GOLDEN.jsonl]\n"
    "       duskwarren-replay --help | --version\n"
    "\n"
    "Runs the game without a window. Each key is one byte; in --keys, \\r is Enter,\n"
    "\\e Escape, \\b Backspace, \\\\ a backslash and \\xNN any byte. The run ends when\n"
    "the game quits or the keys run out. --check compares the trace with a golden\n"
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

// What a run writes: each output only when it was asked for.
struct Outputs {
  std::string tracePath, screenshotPath, goldenPath;
  std::vector<std::string> golden;
};

// Plays the keys; a trace is made only for --trace or --check, and written
// out as it is made.
int play(const std::string& keys, double timer, const Outputs& out) {
  std::FILE* traceFile = nullptr;
  if (!out.tracePath.empty() && !(traceFile = std::fopen(out.tracePath.c_str(), "wb"))) {
    std::cerr << "duskwarren-replay: cannot write trace " << out.tracePath << ": "
              << std::strerror(errno) << "\n";
    return 2;
  }
  const bool tracing = traceFile || !out.goldenPath.empty();
  dw::HeadlessPlatform platform(keys, timer);
  dw::Game game(platform);
  dw::TraceRecorder recorder(traceFile, !out.goldenPath.empty());
  if (tracing) game.observer = &recorder;
  int code = dw::runGame(game);
  if (tracing) recorder.finish(game);

  if (traceFile) {
    bool written = !recorder.writeFailed() && std::ferror(traceFile) == 0;
    if (std::fclose(traceFile) != 0 || !written) {
      std::cerr << "duskwarren-replay: cannot write trace " << out.tracePath << "\n";
      return 2;
    }
  }
  if (!out.screenshotPath.empty() && !dw::writeScreenshot(out.screenshotPath, platform.screen())) {
    std::cerr << "duskwarren-replay: cannot write screenshot " << out.screenshotPath << "\n";
    return 2;
  }
  if (!out.goldenPath.empty()) {
    std::string report = dw::compareTraces(out.golden, recorder.lines());
    if (!report.empty()) {
      std::cout << "out of step with " << out.goldenPath << ": " << report;
      return 1;
    }
    std::cout << "matches " << out.goldenPath << " (" << recorder.lines().size() << " lines)\n";
  }
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dataDir, keysText, keysFile, timerText;
  Outputs out;
  CLI::App app("", "duskwarren-replay");
  dw::cli::setUp(app, usage);
  app.add_option("--data", dataDir);
  auto* keysOption = app.add_option("--keys", keysText);
  auto* keysFileOption = app.add_option("--keys-file", keysFile);
  auto* timerOption = app.add_option("--timer", timerText);
  app.add_option("--trace", out.tracePath);
  app.add_option("--screenshot", out.screenshotPath);
  app.add_option("--check", out.goldenPath);
  if (auto done = dw::cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  bool haveKeys = keysOption->count() > 0, haveKeysFile = keysFileOption->count() > 0;
  double timer = 0.0;
  if (timerOption->count() > 0) {
    char* end = nullptr;
    errno = 0;
    timer = std::strtod(timerText.c_str(), &end);
    if (timerText.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(timer))
      return fail("--timer needs a number of seconds");
  }
  if (haveKeys == haveKeysFile) return fail("give exactly one of --keys and --keys-file");

  std::string keys;
  if (haveKeys) {
    std::string error;
    auto parsed = dw::parseKeyScript(keysText, error);
    if (!parsed) return fail(error);
    keys = *parsed;
  } else if (!readFile(keysFile, keys)) {
    return fail("cannot read keys file " + keysFile);
  }

  if (!out.goldenPath.empty()) {
    std::string text;
    if (!readFile(out.goldenPath, text)) return fail("cannot read golden trace " + out.goldenPath);
    out.golden = readLines(text);
  }
  // Output paths are taken as given, before the game's own directory is set.
  auto absolute = [](const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
  };
  out.tracePath = absolute(out.tracePath);
  out.screenshotPath = absolute(out.screenshotPath);
  if (!dataDir.empty() && chdir(dataDir.c_str()) != 0) {
    return fail("cannot enter data folder " + dataDir + ": " + std::strerror(errno));
  }

  return play(keys, timer, out);
}
