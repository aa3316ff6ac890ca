// The speed of the game against the floor its screen model sets: a cycle
// copies one 64,000-byte page, a level start copies pages 336 times for its
// progress display. Run with --benchmark_repetitions to get medians; the
// table at the end gives each median as a multiple of its floor.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "core/Game.h"
#include "dungeon/Generator.h"
#include "frame/PlayLoop.h"
#include "frame/StartUp.h"
#include "platform/headless/HeadlessPlatform.h"
#include "world/WorldSetup.h"

namespace {

std::string gameDir() {
  return DUSKWARREN_GAME_DIR;
}

// A game on seed 42, its first level generated, played a few moves in.
struct MidPlay {
  dw::HeadlessPlatform platform{"@42\r ", 0.0};
  dw::Game game{platform};
  MidPlay() {
    platform.setDataRoot(gameDir());
    dw::startUp(game);
    dw::startScreen(game);
    dw::newGameSequence(game);
    dw::generateLevel(game);
    for (const char* key : {"6", "6", "2", "4", "8"}) {
      platform.addKeys(key);
      (void)dw::playCycle(game);
    }
  }
};

void pageCopy(benchmark::State& state) {
  dw::Screen screen;
  for (auto _ : state) {
    screen.copyPage(0, 1);
    benchmark::DoNotOptimize(screen.page(1));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(pageCopy);

void playCycle(benchmark::State& state) {
  MidPlay play;
  // Back and forth along the row, so the hero keeps meeting the same cells.
  const char* keys[] = {"6", "4"};
  int i = 0;
  for (auto _ : state) {
    play.platform.addKeys(keys[i++ & 1]);
    auto exit = dw::playCycle(play.game);
    benchmark::DoNotOptimize(exit);
  }
}
BENCHMARK(playCycle);

void levelGeneration(benchmark::State& state) {
  MidPlay play;
  for (auto _ : state) dw::generateLevel(play.game);
}
BENCHMARK(levelGeneration);

void startUpToStartScreen(benchmark::State& state) {
  for (auto _ : state) {
    dw::HeadlessPlatform platform("", 0.0);
    platform.setDataRoot(gameDir());
    auto game = std::make_unique<dw::Game>(platform);
    dw::startUp(*game);
    benchmark::DoNotOptimize(game->state.seed);
  }
}
BENCHMARK(startUpToStartScreen);

// Keeps the medians (or the single run's times) to print the ratios.
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
  std::printf("\n%-22s %14s %12s %s\n", "figure", "median", "floor", "ratio (target)");
  std::printf("%-22s %11.2f us %12s %s\n", "page copy", floor / 1000, "-", "1 (the floor)");
  if (t.count("playCycle")) {
    std::printf("%-22s %11.2f us %12s %.2f (within 4)\n", "play cycle", t["playCycle"] / 1000,
                "1 copy", t["playCycle"] / floor);
  }
  if (t.count("levelGeneration")) {
    std::printf("%-22s %11.2f us %12s %.2f (within 2)\n", "level generation",
                t["levelGeneration"] / 1000, "336 copies", t["levelGeneration"] / (336 * floor));
  }
  if (t.count("startUpToStartScreen")) {
    std::printf("%-22s %11.2f us %12s %s\n", "start-up", t["startUpToStartScreen"] / 1000, "-",
                "(under 5 ms)");
  }
  return 0;
}
