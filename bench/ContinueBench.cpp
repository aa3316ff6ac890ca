// Continuing a long run: the time from opening its recording to the first
// frame the player can play on, headless, for runs of 100,000 and 1,000,000
// keys. "replay" plays the whole recording into a fresh game; "checkpoint"
// starts from the checkpoint beside it and plays only what follows. Both
// count the recording going on in the recordings folder. The runs are the
// real-play scripts strung together, each followed by a walk and a fresh
// start ("~", which takes the party one level deeper), so that they go
// hundreds of levels down.
//   duskwarren-continue-bench [--benchmark_repetitions=N]  (in the game folder)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/Fingerprint.h"
#include "runs/CatchUp.h"
#include "runs/Checkpoint.h"
#include "runs/RecordingChain.h"
#include "runs/RunRecorder.h"

namespace {

namespace fs = std::filesystem;

const char* const realPlayScripts[] = {
    "86622266888888888888888888888866 4488844 666tttt",
    "2282864666888888888888888888888886h+-+66~ 2222",
    "8666888828266888844886 446222222622224 2222222222666222 444888888888886 "
    "22444222222666262224444444444 b66b",
    "hvv+wv6666~ tpttpp-fwfff+h",
    "24 44444 84444444224 8886666688888666666668866 222444444 66626666666886 ",
};

// About a level for every 300 keys: a script, a walk, a fresh start.
std::string runKeys(std::size_t count) {
  std::string keys = "@42\r ";
  unsigned seed = 16;
  const std::string walk = "2468246824682468 hv+";
  for (std::size_t script = 0; keys.size() < count; ++script) {
    keys += realPlayScripts[script % 5];
    for (int i = 0; i < 220; ++i) {
      seed = seed * 1103515245u + 12345u;
      keys += walk[(seed >> 16) % walk.size()];
    }
    keys += "~ ";
  }
  keys.resize(count);
  return keys + "\x1b";
}

// Records the run with its checkpoints, as the game does while it is played.
bool recordRun(const std::string& path, std::size_t keys) {
  dw::HeadlessPlatform platform(runKeys(keys));
  dw::Game game(platform);
  dw::RunRecorder recorder(game, dw::RunRecorder::InFile{path});
  game.observer = &recorder.checkpoints();
  platform.setInputTap(&recorder);
  dw::runGame(game);
  recorder.finish(dw::recordedEnding(game));
  return recorder.error().empty() && recorder.checkpoints().error().empty();
}

std::map<std::string, int> deepest;

// Opens the recording, catches the run up and puts it into the player's
// game, with the recording going on in a folder of its own.
void continueRun(benchmark::State& state, const std::string& name, const std::string& path,
                 bool useCheckpoint) {
  fs::path folder = fs::path(path).parent_path() / "recordings";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(folder);
    fs::create_directories(folder);
    state.ResumeTiming();
    std::string error;
    auto run = dw::catchUpRun(path, false, error, useCheckpoint);
    if (!run || run->fromCheckpoint != useCheckpoint) {
      state.SkipWithError(error.empty() ? "the checkpoint was not used" : error.c_str());
      return;
    }
    dw::HeadlessPlatform live;
    dw::Game game(live);
    dw::copyGame(*run->game, game);
    dw::RunRecorder recorder(game, *run, folder);
    if (!recorder.error().empty()) {
      state.SkipWithError(recorder.error().c_str());
      return;
    }
    live.present();  // the first frame the player can play on
    deepest[name] = game.state.levelNumber;
  }
}

// A recording from elsewhere, alone in its folder (no checkpoint beside
// it), continued into the recordings folder: the first continue catches it
// up from its start; the second takes up the run it became, from the
// checkpoint the first left.
void continueForeign(benchmark::State& state, const std::string& path, bool second) {
  fs::path folder = fs::path(path).parent_path() / "foreign-recordings";
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::string target = path;
    if (second) {
      std::string error;
      auto first = dw::catchUpRun(path, false, error);
      if (!first) {
        state.SkipWithError(error.c_str());
        return;
      }
      dw::HeadlessPlatform live;
      dw::Game game(live);
      dw::copyGame(*first->game, game);
      target = dw::RunRecorder(game, *first, folder).path();
    }
    state.ResumeTiming();
    std::string error;
    auto run = dw::catchUpRun(target, false, error);
    if (!run || run->fromCheckpoint != second) {
      state.SkipWithError(error.empty() ? "the checkpoint was not used as it should"
                                        : error.c_str());
      return;
    }
    dw::HeadlessPlatform live;
    dw::Game game(live);
    dw::copyGame(*run->game, game);
    dw::RunRecorder recorder(game, *run, folder);
    live.present();  // the first frame the player can play on
  }
}

// What proving a recording's lines costs a continue: every line's checksum
// followed from the header to the end of the file, as a continue checks a
// run before it goes on.
void checkChain(benchmark::State& state, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    state.SkipWithError("cannot open the recording");
    return;
  }
  std::uint64_t lines = 0;
  for (auto _ : state) {
    dw::ChainScan scan = dw::scanChain(file);
    if (scan.brokenAt) {
      state.SkipWithError("the chain breaks");
      break;
    }
    lines = scan.lines;
  }
  std::fclose(file);
  state.counters["lines"] = static_cast<double>(lines);
}

// What a checkpoint costs the game it is taken in, once every 1,000 keys:
// saving the game, proving it by restoring it into a fresh one, and writing
// the file.
void takeCheckpoint(benchmark::State& state, const std::string& path) {
  std::string error;
  auto run = dw::catchUpRun(path, false, error);
  if (!run) {
    state.SkipWithError(error.c_str());
    return;
  }
  const dw::CheckpointPlace place{run->keep, dw::gameFilesFingerprint(""),
                                  static_cast<std::uint64_t>(run->tally.turns())};
  const std::string target = path + ".bench.dwcp";
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto checkpoint = dw::checkedCheckpoint(*run->game, place);
    if (!checkpoint || !dw::writeCheckpointFile(target, *checkpoint, error)) {
      state.SkipWithError("the checkpoint was not written");
      return;
    }
    bytes = checkpoint->size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  char scratch[] = "/tmp/duskwarren-continue-bench.XXXXXX";
  if (!::mkdtemp(scratch)) return 1;
  for (std::size_t keys : {100000u, 1000000u}) {
    std::string path = std::string(scratch) + "/run-" + std::to_string(keys) + ".dwrec";
    if (!recordRun(path, keys)) {
      std::fprintf(stderr, "cannot record the %zu-key run (run in the game folder)\n", keys);
      return 1;
    }
    std::string name = std::to_string(keys / 1000) + "k keys";
    benchmark::RegisterBenchmark(("continue " + name + ", replay").c_str(), continueRun, name, path,
                                 false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark(("continue " + name + ", checkpoint").c_str(), continueRun, name,
                                 path, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  }
  // The 1,000,000-key run's recording alone in a folder of its own.
  const fs::path foreign = fs::path(scratch) / "elsewhere" / "long.dwrec";
  fs::create_directories(foreign.parent_path());
  fs::copy_file(std::string(scratch) + "/run-1000000.dwrec", foreign);
  benchmark::RegisterBenchmark("continue 1000k keys from elsewhere, first", continueForeign,
                               foreign.string(), false)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::RegisterBenchmark("continue 1000k keys from elsewhere, second", continueForeign,
                               foreign.string(), true)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::RegisterBenchmark("recording chain 1000k keys", checkChain,
                               std::string(scratch) + "/run-1000000.dwrec")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("checkpoint taken", takeCheckpoint,
                               std::string(scratch) + "/run-100000.dwrec")
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  for (const auto& [name, level] : deepest)
    std::printf("the %s run stops on level %d\n", name.c_str(), level);
  fs::remove_all(scratch);
  return 0;
}
