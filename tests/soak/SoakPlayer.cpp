#include "SoakPlayer.h"

#include <algorithm>

#include "frame/RunGame.h"

namespace dw::soak {

namespace {

// Weights of the keys a player would press, out of 1000.
struct Weighted {
  const char* keys;  // one of these, picked evenly
  int weight;
};
constexpr Weighted keyMix[] = {
    {"8624", 560},    // moves
    {"wvtphf", 150},  // spells
    {"b", 30},        // Bombs
    {" ", 150},       // pickups and the stairs
    {"+-", 80},       // member switches
    {"~", 3},         // a new game
    {"xq7\t", 27},    // keys without a command
};

bool onSomethingToTake(const Game& game) {
  switch (game.grid.glyphAt(game.state.heroRow, game.state.heroCol)) {
    case glyph::stairs:
    case glyph::mpItem:
    case glyph::goldPile:
    case glyph::hpItem:
    case glyph::treasure:
    case glyph::mysticOrbGlyph:
      return true;
    default:
      return false;
  }
}

bool partyFallen(const GameState& s) {
  for (int m = 1; m <= maxMembers; ++m) {
    if (s.memberStats[m][stat::hp] > 0) return false;
  }
  return true;
}

}  // namespace

SoakPlatform::SoakPlatform(std::int32_t seed, std::uint64_t keys) : budget_(keys) {
  choice_.randomize(seed, 0.0);
  // The seed prompt, then the key that ends the world set-up's wait.
  addKeys("@" + std::to_string(seed) + "\r ");
}

std::string SoakPlatform::chooseKey() {
  if (game_) {
    const GameState& s = game_->state;
    // Take what lies underfoot, and the stairs, most of the time.
    if (onSomethingToTake(*game_) && choice_.below(4) != 0) return " ";
    // A party with nobody standing can only start over.
    if (partyFallen(s) && choice_.below(8) == 0) return "~";
    if (s.memberStats[s.currentMember][stat::hp] <= 0 && choice_.below(2) == 0) {
      return choice_.below(2) == 0 ? "+" : "-";
    }
  }
  std::int64_t roll = choice_.below(1000);
  for (const auto& w : keyMix) {
    if (roll < w.weight) {
      const std::string_view keys = w.keys;
      return std::string(
          1, keys[static_cast<std::size_t>(choice_.below(static_cast<std::int64_t>(keys.size())))]);
    }
    roll -= w.weight;
  }
  return "8";
}

bool SoakPlatform::waitEvents() {
  if (given_ < budget_) {
    ++given_;
    std::string key = chooseKey();
    // "~" reruns the world set-up, which waits for a key of its own.
    if (key == "~")
      addKeys("~ ");
    else
      addKeys(key);
    return true;
  }
  if (!quitSent_) {
    quitSent_ = true;
    addKeys(std::string(1, escapeKey));
    return true;
  }
  return false;
}

void SoakObserver::onLevel(const Game& game) {
  timing_ = false;
  InvariantChecker::onLevel(game);
}

void SoakObserver::onKeyRead(const Game& game) {
  const Clock::time_point now = Clock::now();
  if (timing_) slowest_ = std::max(slowest_, std::chrono::duration<double>(now - last_).count());
  InvariantChecker::onKeyRead(game);
  last_ = Clock::now();
  timing_ = true;
}

std::vector<std::string> soakOneSeed(std::int32_t seed, std::uint64_t keys,
                                     std::shared_ptr<const test::FileMap> files,
                                     SoakTotals& totals) {
  SoakPlatform platform(seed, keys);
  platform.setShared(std::move(files));
  platform.setDiskFallback(false);
  Game game(platform);
  platform.watch(game);
  SoakObserver observer;
  game.observer = &observer;
  runGame(game);

  totals.keys += platform.keysGiven();
  totals.cycles += observer.cycles();
  totals.levels += observer.levels();
  totals.games += 1;
  totals.restarts += observer.newGames();
  totals.membersLost += observer.membersLost();
  totals.failures += observer.failureCount();
  totals.slowestCycle = std::max(totals.slowestCycle, observer.slowestCycleSeconds());
  std::vector<std::string> failures = observer.failures();
  if (game.running() || game.endReason != EndReason::quit || game.exitCode != 0) {
    failures.push_back("seed " + std::to_string(seed) + ": the game did not end with Escape");
  }
  return failures;
}

}  // namespace dw::soak
