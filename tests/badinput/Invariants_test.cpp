// The checker the soak, the whole-game fuzz target and these tests rely on
// must notice each rule it stands for when that rule is broken.
#include "support/Invariants.h"

#include <gtest/gtest.h>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"

namespace dw::badinput {
namespace {

// A small sound level: rock, one row of floor with the stairs, the hero on
// it and everything he stands by seen.
struct SoundGame {
  HeadlessPlatform platform;
  Game game{platform};
  SoundGame() {
    game.classes.setStandard();
    for (int row = firstRow; row <= lastRow; ++row) {
      for (int col = firstCol; col <= lastCol; ++col) game.grid.glyphs[row][col] = glyph::rock;
    }
    for (int col = 5; col <= 10; ++col) game.grid.glyphs[5][col] = glyph::floor;
    game.grid.glyphs[5][10] = glyph::stairs;
    GameState& s = game.state;
    s.heroRow = 5;
    s.heroCol = 6;
    s.openCells = 6;
    s.exploredCells = 2;
    game.grid.seen[5][5] = game.grid.seen[5][6] = 1;
    for (int k = 1; k <= statCount; ++k) s.memberStats[1][k] = s.memberStatMax[1][k] = 10;
    s.lastKey = "8";
  }
};

// Runs the checks of a level start, a key read and a cycle on the game.
bool passes(const Game& game) {
  test::InvariantChecker checker;
  checker.onLevel(game);
  checker.onKeyRead(game);
  checker.onCycle(game);
  return checker.ok();
}

TEST(InvariantChecker, AcceptsASoundGame) {
  SoundGame g;
  EXPECT_TRUE(passes(g.game));
}

TEST(InvariantChecker, NoticesEachBrokenRule) {
  const struct {
    const char* rule;
    void (*breakIt)(Game&);
  } cases[] = {
      {"hero on the border", [](Game& game) { game.state.heroRow = 1; }},
      {"hero past the last column", [](Game& game) { game.state.heroCol = 40; }},
      {"statistic above its maximum", [](Game& game) { game.state.memberStats[1][stat::mp] = 11; }},
      {"statistic below zero", [](Game& game) { game.state.memberStats[1][stat::sight] = -1; }},
      {"seen mark 3", [](Game& game) { game.grid.seen[7][7] = 3; }},
      {"no stairs", [](Game& game) { game.grid.glyphs[5][10] = glyph::floor; }},
      {"two stairs", [](Game& game) { game.grid.glyphs[5][9] = glyph::stairs; }},
      {"more explored than seen", [](Game& game) { game.state.exploredCells = 3; }},
      {"more explored than open", [](Game& game) { game.state.openCells = 1; }},
      {"message at the key read", [](Game& game) { game.state.messageLine = "[Gold +3]"; }},
  };
  for (const auto& c : cases) {
    SoundGame g;
    c.breakIt(g.game);
    EXPECT_FALSE(passes(g.game)) << c.rule;
  }
}

TEST(InvariantChecker, HoldsNoStatisticToAMaximumBelowZeroNorARestartToTheMaxima) {
  SoundGame g;
  g.game.state.memberStatMax[1][stat::hp] = -5;
  g.game.state.memberStats[1][stat::hp] = 0;
  EXPECT_TRUE(passes(g.game));
  // "~" leaves the cycle before its clamp, and the new game's maxima may be
  // lower than what the member had.
  SoundGame restart;
  restart.game.state.lastKey = "~";
  restart.game.state.memberStats[1][stat::ap] = 12;
  test::InvariantChecker checker;
  checker.onLevel(restart.game);
  checker.onCycle(restart.game);
  EXPECT_TRUE(checker.ok());
  EXPECT_EQ(checker.newGames(), 1u);
}

TEST(InvariantChecker, CountsMembersLost) {
  SoundGame g;
  test::InvariantChecker checker;
  g.game.state.memberStats[2][stat::hp] = 5;
  checker.onLevel(g.game);
  g.game.state.memberStats[1][stat::hp] = 0;
  g.game.state.memberStats[2][stat::hp] = 0;
  checker.onCycle(g.game);
  EXPECT_EQ(checker.membersLost(), 2u);
}

}  // namespace
}  // namespace dw::badinput
