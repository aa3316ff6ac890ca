// What the terminal game adds to a cycle, against the page copy every cycle
// makes anyway: reading the visible page as 1,000 text cells (from the
// remembered cells, and afresh as for the first screen) and writing the
// cells a move changed. Run with --benchmark_repetitions to get medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "core/Game.h"
#include "core/Tiles.h"
#include "dungeon/Generator.h"
#include "frame/PlayLoop.h"
#include "frame/RunGame.h"
#include "frame/StartUp.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/terminal/CellMapper.h"
#include "platform/terminal/TerminalOutput.h"
#include "world/WorldSetup.h"

namespace {

// Two screens of seed 42's first level, one move apart, and the tiles.
struct TwoScreens {
  dw::Screen before, after;
  dw::CellMapper tiled;
  TwoScreens() {
    dw::HeadlessPlatform platform{"@42\r ", 0.0};
    platform.setDataRoot(DUSKWARREN_GAME_DIR);
    dw::Game game{platform};
    dw::startUp(game);
    dw::startScreen(game);
    dw::newGameSequence(game);
    dw::generateLevel(game);
    for (const char* key : {"6", "6", "2"}) {
      platform.addKeys(key);
      (void)dw::playCycle(game);
    }
    before = platform.screen();
    platform.addKeys("4");
    (void)dw::playCycle(game);
    after = platform.screen();
    for (int g = 0; g < 256; ++g) {
      if (auto picture = dw::loadTileImage(platform, dw::tileFileName(g)))
        tiled.addTile(static_cast<std::uint8_t>(g), *picture);
    }
  }
};

TwoScreens& screens() {
  static TwoScreens s;
  return s;
}

void pageCopy(benchmark::State& state) {
  dw::Screen screen;
  for (auto _ : state) {
    screen.copyPage(0, 1);
    benchmark::DoNotOptimize(screen.page(1));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(pageCopy);

void readRememberedPage(benchmark::State& state) {
  auto& s = screens();
  dw::TextPage page;
  s.tiled.readPage(s.after, page);
  for (auto _ : state) {
    s.tiled.readPage(s.after, page);
    benchmark::DoNotOptimize(page.data());
  }
}
BENCHMARK(readRememberedPage);

void readFreshPage(benchmark::State& state) {
  auto& s = screens();
  dw::TextPage page;
  for (auto _ : state) {
    dw::CellMapper mapper = s.tiled;  // tiles known, no cell read yet
    mapper.readPage(s.before, page);
    benchmark::DoNotOptimize(page.data());
  }
}
BENCHMARK(readFreshPage);

// A move shown: the page read and the changed cells written, back and forth.
void showMove(benchmark::State& state) {
  auto& s = screens();
  dw::TerminalPainter painter({dw::ColourDepth::direct, true});
  dw::TextPage page;
  std::size_t bytes = 0, updates = 0;
  int i = 0;
  for (auto _ : state) {
    s.tiled.readPage((i++ & 1) ? s.before : s.after, page);
    std::string out = painter.update(page, s.after.palette(), false);
    bytes += out.size();
    ++updates;
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes) / static_cast<double>(updates);
}
BENCHMARK(showMove);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (median || single) times[run.run_name.function_name] = run.GetAdjustedRealTime();
    }
  }
  std::map<std::string, double> times;  // nanoseconds
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  auto& t = reporter.times;
  if (!t.count("pageCopy")) return 0;
  const double floor = t["pageCopy"];
  std::printf("\n%-26s %12s %s\n", "figure", "median", "ratio to the page copy");
  std::printf("%-26s %9.2f us %s\n", "page copy", floor / 1000, "1 (the floor)");
  const std::pair<const char*, const char*> rows[] = {
      {"readRememberedPage", "page read, cells known"},
      {"readFreshPage", "page read afresh"},
      {"showMove", "move read and written"}};
  for (const auto& [name, label] : rows) {
    if (t.count(name)) std::printf("%-26s %9.2f us %.2f\n", label, t[name] / 1000, t[name] / floor);
  }
  return 0;
}
