#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Random.h"
#include "support/Invariants.h"
#include "support/MemoryPlatform.h"

namespace dw::soak {

// A random player: it types a seed on the start screen, then makes up each
// key when the game waits for one, mostly moves, then spells, Bombs, space
// (more often on the stairs or an item), member switches and now and then
// "~" or a key without a command. It ends with Escape once its keys are
// played.
class SoakPlatform : public test::MemoryPlatform {
 public:
  SoakPlatform(std::int32_t seed, std::uint64_t keys);
  // The game whose state guides the choice of key.
  void watch(const Game& game) { game_ = &game; }
  std::uint64_t keysGiven() const { return given_; }

 protected:
  bool waitEvents() override;

 private:
  std::string chooseKey();

  Random choice_;
  std::uint64_t budget_;
  std::uint64_t given_ = 0;
  bool quitSent_ = false;
  const Game* game_ = nullptr;
};

// The invariant checks, and the slowest cycle (from one key read to the next).
class SoakObserver : public test::InvariantChecker {
 public:
  void onKeyRead(const Game& game) override;
  void onLevel(const Game& game) override;
  double slowestCycleSeconds() const { return slowest_; }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point last_{};
  bool timing_ = false;
  double slowest_ = 0.0;
};

struct SoakTotals {
  std::uint64_t keys = 0, cycles = 0, levels = 0, games = 0, restarts = 0, membersLost = 0;
  std::uint64_t failures = 0;
  double slowestCycle = 0.0;
};

// Plays one typed seed for the given number of keys on the files given (the
// shipped data and tiles) and adds what happened to the totals. Returns the
// invariant failures of this game, if any.
std::vector<std::string> soakOneSeed(std::int32_t seed, std::uint64_t keys,
                                     std::shared_ptr<const test::FileMap> files,
                                     SoakTotals& totals);

}  // namespace dw::soak
