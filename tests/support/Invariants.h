#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Game.h"

namespace dw::test {

// Watches a running game and checks, after every level start, before every
// key read and after every command, what must hold whatever the data files
// and the keys were:
// - the hero stands within rows 2..24 and columns 2..39;
// - the current member's six statistics lie within 0..maximum (for a
//   maximum of 0 or more) whenever the cycle reached its clamp;
// - every seen mark is 0, 1 or 2;
// - the level holds exactly one stairs cell;
// - exploredCells never exceeds the cells ever marked seen on this level;
// - the message line is empty when a key is read.
// It also counts what a long run did: cycles, levels, new games and
// members lost.
class InvariantChecker : public GameObserver {
 public:
  void onLevel(const Game& game) override;
  void onCycle(const Game& game) override;
  void onKeyRead(const Game& game) override;

  bool ok() const { return failures_.empty(); }
  // Each broken rule once per kind, with where it broke.
  const std::vector<std::string>& failures() const { return failures_; }
  // The number of checks that failed, repeats included.
  std::uint64_t failureCount() const { return failureCount_; }

  std::uint64_t keysRead() const { return keysRead_; }
  std::uint64_t cycles() const { return cycles_; }
  std::uint64_t levels() const { return levels_; }
  std::uint64_t newGames() const { return newGames_; }
  std::uint64_t membersLost() const { return membersLost_; }

 private:
  void checkCommon(const Game& game, const char* when);
  void checkStatistics(const Game& game, const char* when);
  void noteSeenCells(const Game& game);
  void countLosses(const Game& game);
  void fail(const Game& game, const char* when, const std::string& what);

  std::vector<std::string> failures_;
  std::uint64_t failureCount_ = 0;
  std::uint64_t keysRead_ = 0, cycles_ = 0, levels_ = 0, newGames_ = 0, membersLost_ = 0;
  // Cells marked seen at any time since the level began.
  std::array<std::array<bool, gridCols>, gridRows> everSeen_{};
  int everSeenCount_ = 0;
  // Who was alive after the last check, to count losses.
  std::array<bool, maxMembers + 1> wasAlive_{};
};

}  // namespace dw::test
