// The speed of the game against a yardstick: the copy of one 64,000-byte
// page, which a cycle once made whole (the screen now shares a copied page
// and copies only the rows that differ when it is drawn on), and which a
// level start asks for 336 times for its progress display. Run with
// --benchmark_repetitions to get medians; the table at the end gives each
// median (of CPU time, so that other work on the machine skews it less) as a
// multiple of its yardstick, with the heap allocations a cycle (or a level)
// makes.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Trace.h"
#include "core/Game.h"
#include "dungeon/Generator.h"
#include "frame/PlayLoop.h"
#include "frame/StartUp.h"
#include "platform/headless/HeadlessPlatform.h"
#include "world/WorldSetup.h"

// Every heap allocation in this program passes through here and is counted,
// so a figure can say how many allocations its cycle makes.
namespace {
std::atomic<long long> heapAllocations{0};

void* countedAllocation(std::size_t size) {
  heapAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
  return countedAllocation(size);
}
void* operator new[](std::size_t size) {
  return countedAllocation(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  heapAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  heapAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

long long allocationsSoFar() {
  return heapAllocations.load(std::memory_order_relaxed);
}

std::string gameDir() {
  return DUSKWARREN_GAME_DIR;
}

void countAllocations(benchmark::State& state, long long allocations) {
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
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

// The yardstick: a page's bytes copied once.
void pageCopy(benchmark::State& state) {
  std::vector<std::uint8_t> from(dw::Screen::pageSize, 1), to(dw::Screen::pageSize, 0);
  long long before = allocationsSoFar();
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  countAllocations(state, allocationsSoFar() - before);
}
BENCHMARK(pageCopy);

// A cycle's page work at its least: the work page shown, then one cell
// drawn on it, so that it takes back a buffer of its own.
void sharedPageCopy(benchmark::State& state) {
  dw::Screen screen;
  dw::Image cell(8, 8);
  long long before = allocationsSoFar();
  int colour = 0;
  for (auto _ : state) {
    screen.copyPage(0, 1);
    std::fill(cell.pixels.begin(), cell.pixels.end(), static_cast<std::uint8_t>(++colour & 15));
    screen.putImage(8, 8, cell, dw::RasterMode::pset);
    benchmark::DoNotOptimize(screen.page(1));
    benchmark::ClobberMemory();
  }
  countAllocations(state, allocationsSoFar() - before);
}
BENCHMARK(sharedPageCopy);

// Back and forth along one row, so the hero keeps meeting the same cells.
void playCycle(benchmark::State& state) {
  MidPlay play;
  long long allocations = 0, keysLeft = 0;
  for (auto _ : state) {
    if (keysLeft == 0) {  // the keys go in ahead, so queuing them is not timed
      state.PauseTiming();
      std::string keys;
      for (int i = 0; i < 2048; ++i) keys += "64";
      play.platform.addKeys(keys);
      keysLeft = static_cast<long long>(keys.size());
      state.ResumeTiming();
    }
    --keysLeft;
    long long before = allocationsSoFar();
    auto exit = dw::playCycle(play.game);
    allocations += allocationsSoFar() - before;
    benchmark::DoNotOptimize(exit);
  }
  countAllocations(state, allocations);
}
BENCHMARK(playCycle);

// Real play: whole games from the start screen on several seeds, walking
// into monsters, opening doors and gates, picking up gold, items, treasure
// and the Mystic Orb, throwing Bombs, casting every spell, switching and
// losing members, starting again and taking the stairs.
const char* const realPlayScripts[] = {
    "@4\r 86622266888888888888888888888866 4488844 666tttt",
    "@12\r 2282864666888888888888888888888886h+-+66~ 2222",
    "@7\r 8666888828266888844886 446222222622224 2222222222666222 444888888888886 "
    "22444222222666262224444444444 b66b",
    "@10\r hvv+wv6666~ tpttpp-fwfff+h",
    "@42\r 24 44444 84444444224 8886666688888666666668866 222444444 66626666666886 ",
};
constexpr int realPlayScriptCount = sizeof realPlayScripts / sizeof realPlayScripts[0];

// The trace as the replay writes it, into a scratch file that starts over
// with every game so the disk does not fill.
class TraceToFile : public dw::GameObserver {
 public:
  TraceToFile() : file_(std::tmpfile()), recorder_(file_) {}
  ~TraceToFile() override {
    if (file_) std::fclose(file_);
  }
  TraceToFile(const TraceToFile&) = delete;
  TraceToFile& operator=(const TraceToFile&) = delete;
  bool ok() const { return file_ != nullptr; }
  void startOver() { std::rewind(file_); }
  void onLevel(const dw::Game& game) override { recorder_.onLevel(game); }
  void onCycle(const dw::Game& game) override { recorder_.onCycle(game); }

 private:
  std::FILE* file_;
  dw::TraceRecorder recorder_;
};

// One scripted game from the start screen. Its tiles are read ahead, as a
// game that has been running a while has them, so that the cycles do not
// time the reading of tile files.
struct ScriptedGame {
  dw::HeadlessPlatform platform;
  dw::Game game{platform};
  ScriptedGame(const char* keys, dw::GameObserver* observer) : platform(keys, 0.0) {
    platform.setDataRoot(gameDir());
    game.observer = observer;
    dw::startUp(game);
    for (int g = 0; g < 256; ++g) (void)game.tiles.glyphFile(platform, g);
    dw::startScreen(game);
    game.state.levelNumber = 0;
  }
};

// Plays the scripts one after another, one cycle a call. Starting a game, a
// new game and a level happen outside the timing; the cycles are timed and
// their allocations counted.
class RealPlay {
 public:
  explicit RealPlay(TraceToFile* trace) : trace_(trace) {}

  bool cycle(benchmark::State& state) {
    if (needLevel_) {
      state.PauseTiming();
      bool ready = enterLevel();
      state.ResumeTiming();
      if (!ready) return false;
    }
    long long before = allocationsSoFar();
    auto exit = dw::playCycle(run_->game);
    allocations_ += allocationsSoFar() - before;
    if (exit) {
      next_ = *exit;
      needLevel_ = true;
    }
    return true;
  }
  long long allocations() const { return allocations_; }

 private:
  // The next level, the next game or the next script; false when no script
  // gets a game going.
  bool enterLevel() {
    for (int failures = 0; failures <= realPlayScriptCount;) {
      if (!run_ || !run_->game.running()) {
        if (trace_) trace_->startOver();
        run_ = std::make_unique<ScriptedGame>(realPlayScripts[script_], trace_);
        script_ = (script_ + 1) % realPlayScriptCount;
        next_ = dw::LoopExit::newGame;
      }
      if (next_ == dw::LoopExit::newGame) dw::newGameSequence(run_->game);
      if (!run_->game.running()) {
        ++failures;
        continue;
      }
      dw::generateLevel(run_->game);
      if (trace_) trace_->onLevel(run_->game);
      needLevel_ = false;
      return true;
    }
    return false;
  }

  TraceToFile* trace_;
  std::unique_ptr<ScriptedGame> run_;
  int script_ = 0;
  dw::LoopExit next_ = dw::LoopExit::newGame;
  bool needLevel_ = true;
  long long allocations_ = 0;
};

void playRealGames(benchmark::State& state, TraceToFile* trace) {
  RealPlay play(trace);
  for (auto _ : state) {
    if (!play.cycle(state)) {
      state.SkipWithError("no script starts a game (is the game folder there?)");
      break;
    }
  }
  countAllocations(state, play.allocations());
}

void realPlayCycle(benchmark::State& state) {
  playRealGames(state, nullptr);
}
BENCHMARK(realPlayCycle);

void realPlayCycleTraced(benchmark::State& state) {
  TraceToFile trace;
  if (!trace.ok()) {
    state.SkipWithError("no scratch file for the trace");
    return;
  }
  playRealGames(state, &trace);
}
BENCHMARK(realPlayCycleTraced);

// One trace line (about 4 KB) made and written by the trace recorder, to a
// file that takes the bytes and keeps none.
void traceLine(benchmark::State& state) {
  MidPlay play;
  std::FILE* nowhere = std::fopen("/dev/null", "wb");
  if (!nowhere) {
    state.SkipWithError("cannot open /dev/null");
    return;
  }
  const long long bytes = static_cast<long long>(dw::traceLine(play.game, "cycle", nullptr).size());
  long long before = allocationsSoFar();
  {
    dw::TraceRecorder recorder(nowhere);
    for (auto _ : state) recorder.onCycle(play.game);
  }
  countAllocations(state, allocationsSoFar() - before);
  state.SetBytesProcessed(bytes * static_cast<long long>(state.iterations()));
  std::fclose(nowhere);
}
BENCHMARK(traceLine);

void levelGeneration(benchmark::State& state) {
  MidPlay play;
  long long before = allocationsSoFar();
  for (auto _ : state) dw::generateLevel(play.game);
  countAllocations(state, allocationsSoFar() - before);
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
  struct Figure {
    double nanoseconds = 0;
    double allocations = -1;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
      if (!median && !single) continue;
      Figure& f = figures[run.run_name.function_name];
      f.nanoseconds = run.GetAdjustedCPUTime();
      auto allocs = run.counters.find("allocs");
      if (allocs != run.counters.end()) f.allocations = allocs->second.value;
    }
  }
  std::map<std::string, Figure> figures;
};

void printRow(const char* name, const RatioReporter::Figure& f, const char* unit, double ratio,
              const char* target) {
  char allocs[32] = "-";
  if (f.allocations >= 0) std::snprintf(allocs, sizeof allocs, "%.2f", f.allocations);
  char ratioText[32] = "-";
  if (ratio >= 0) std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
  std::printf("%-24s %10.2f us %11s %7s %-12s %s\n", name, f.nanoseconds / 1000, unit, ratioText,
              target, allocs);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  auto& t = reporter.figures;
  if (!t.count("pageCopy")) return 0;
  const double floor = t["pageCopy"].nanoseconds;
  std::printf("\n%-24s %13s %11s %7s %-12s %s\n", "figure", "median (CPU)", "floor", "ratio",
              "(target)", "allocations");
  printRow("page copy", t["pageCopy"], "-", 1, "(yardstick)");
  if (t.count("sharedPageCopy"))
    printRow("shared page, one cell", t["sharedPageCopy"], "1 copy",
             t["sharedPageCopy"].nanoseconds / floor, "");
  struct Row {
    const char* name;
    const char* function;
    const char* unit;
    double floors;
    const char* target;
  };
  const Row rows[] = {
      {"row-walk cycle", "playCycle", "1 copy", 1, "(within 3)"},
      {"real-play cycle", "realPlayCycle", "1 copy", 1, "(within 3)"},
      {"real-play cycle, trace", "realPlayCycleTraced", "1 copy", 1, "(within 6)"},
      {"level generation", "levelGeneration", "336 copies", 336, "(within 1.5)"},
  };
  for (const Row& row : rows) {
    if (!t.count(row.function)) continue;
    const auto& f = t[row.function];
    printRow(row.name, f, row.unit, f.nanoseconds / (row.floors * floor), row.target);
  }
  if (t.count("startUpToStartScreen")) {
    printRow("start-up", t["startUpToStartScreen"], "-", -1, "(under 5 ms)");
  }
  return 0;
}
