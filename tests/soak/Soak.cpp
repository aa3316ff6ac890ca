// duskwarren-soak: plays a great many random keys over many typed seeds on
// the headless backend and holds every cycle to the game's invariants.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "SoakPlayer.h"

namespace {

constexpr const char* usage =
    "usage: duskwarren-soak [--keys N] [--seeds N] [--first-seed N] [--data DIR]\n"
    "\n"
    "Plays N random keys (default 1000000) spread over N typed seeds (default\n"
    "1000, each a new game from the start screen) with the game files of DIR\n"
    "(res/, tiles/, drivers/; default the build's game folder), checks the\n"
    "invariants after every cycle and prints what it played. Exits 1 when an\n"
    "invariant broke.\n";

bool readCount(const char* text, std::int64_t& out) {
  char* end = nullptr;
  long long value = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0') return false;
  out = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::int64_t keys = 1000000, seeds = 1000, firstSeed = 1;
  std::string data = DUSKWARREN_GAME_DIR;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << usage;
      return 0;
    }
    if (i + 1 >= argc) {
      std::cerr << "duskwarren-soak: " << arg << " needs a value\n" << usage;
      return 2;
    }
    const char* value = argv[++i];
    bool good = true;
    if (arg == "--keys")
      good = readCount(value, keys) && keys >= 0;
    else if (arg == "--seeds")
      good = readCount(value, seeds) && seeds >= 1;
    else if (arg == "--first-seed")
      good = readCount(value, firstSeed);
    else if (arg == "--data")
      data = value;
    else
      good = false;
    if (!good) {
      std::cerr << "duskwarren-soak: bad option " << arg << " " << value << "\n" << usage;
      return 2;
    }
  }

  auto files = std::make_shared<const dw::test::FileMap>(dw::test::readGameFolder(data));
  if (files->empty())
    std::cerr << "duskwarren-soak: no game files in " << data << ", playing without\n";

  const auto start = std::chrono::steady_clock::now();
  dw::soak::SoakTotals totals;
  int reported = 0;
  for (std::int64_t i = 0; i < seeds; ++i) {
    // The keys are shared out evenly; the first games take the remainder.
    const auto share = static_cast<std::uint64_t>(keys / seeds + (i < keys % seeds ? 1 : 0));
    const auto seed = static_cast<std::int32_t>(firstSeed + i);
    for (const auto& failure : dw::soak::soakOneSeed(seed, share, files, totals)) {
      if (reported++ < 50) std::cout << "INVARIANT: " << failure << "\n";
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::printf("keys played:        %llu\n", static_cast<unsigned long long>(totals.keys));
  std::printf("command cycles:     %llu\n", static_cast<unsigned long long>(totals.cycles));
  std::printf("levels generated:   %llu\n", static_cast<unsigned long long>(totals.levels));
  std::printf("games from a seed:  %llu\n", static_cast<unsigned long long>(totals.games));
  std::printf("games restarted:    %llu\n", static_cast<unsigned long long>(totals.restarts));
  std::printf("members lost:       %llu\n", static_cast<unsigned long long>(totals.membersLost));
  std::printf("invariant failures: %llu\n", static_cast<unsigned long long>(totals.failures));
  std::printf("slowest cycle:      %.3f ms\n", totals.slowestCycle * 1000.0);
  std::printf("time taken:         %.1f s\n", seconds);
  return totals.failures == 0 && reported == 0 ? 0 : 1;
}
