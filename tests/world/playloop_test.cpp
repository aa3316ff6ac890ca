#include "frame/PlayLoop.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "frame/Command.h"
#include "support/TestGame.h"
#include "support/WorldHelpers.h"

namespace dw::test {
namespace {

struct PlayLoopTest : ::testing::Test, TestGame {
  PlayLoopTest() {
    setMember(1, 20, 2, 2, 30, 4, 3);
    setMember(2, 15, 2, 2, 10, 4, 3);
    for (int row = 4; row <= 16; ++row) putRows(game, row, 4, {std::string(13, '.')});
    placeHero(10, 10);
    s().openCells = 100;
  }
  std::optional<LoopExit> press(const std::string& key) {
    s().messageLine.clear();
    s().lastKey = key;
    return carryOutCommand(game, commandOfKey(key));
  }
  std::uint64_t drawsOf(const std::string& key) {
    const auto before = game.random.draws();
    press(key);
    return game.random.draws() - before;
  }
  // A Shadow in the far corner of the hero's sense square: it rolls its two
  // numbers once, wherever it goes.
  void cornerShadow() { putRows(game, 12, 12, {"..", ".W"}); }
  void knowSpell(int sp) {
    s().memberSpells[s().currentMember][sp] = 1;
    s().memberSpellLevels[s().currentMember][sp] = 1;
    s().spellMaxLevel[sp] = 1;
  }
};

TEST_F(PlayLoopTest, EscapeEndsTheGameOnACleanScreenBeforeAnythingElse) {
  putRows(game, 10, 10, {">W"});
  for (int p : {0, 1}) std::fill_n(game.screen.changePage(p), Screen::pageSize, 7);
  game.screen.setPages(0, 1);
  const auto before = game.random.draws();
  EXPECT_EQ(press(std::string(1, escapeKey)), LoopExit::stop);
  EXPECT_EQ(game.endReason, EndReason::quit);
  EXPECT_EQ(game.exitCode, 0);
  EXPECT_EQ(game.screen.visiblePage(), 0);
  for (int p : {0, 1}) {
    EXPECT_EQ(std::count(game.screen.page(p), game.screen.page(p) + Screen::pageSize, 0),
              Screen::pageSize);
  }
  EXPECT_EQ(game.random.draws(), before);
  EXPECT_EQ(rowText(game, 10, 10, 11), ">W");
}

TEST_F(PlayLoopTest, NewGameAndStairsAbandonTheRestOfTheCycle) {
  putRows(game, 10, 10, {">W"});
  s().stat(stat::hp) = 99;  // above the maximum: no clamp runs
  auto before = game.random.draws();
  EXPECT_EQ(press("~"), LoopExit::newGame);
  EXPECT_EQ(press(" "), LoopExit::newLevel);
  EXPECT_EQ(game.random.draws(), before);
  EXPECT_EQ(rowText(game, 10, 10, 11), ">W");
  EXPECT_EQ(s().stat(stat::hp), 99);
  // Anywhere else space lets the world move and ends in the clamp.
  placeHero(12, 12);
  EXPECT_EQ(press(" "), std::nullopt);
  EXPECT_EQ(s().stat(stat::hp), 20);
  EXPECT_GT(game.random.draws(), before);
}

TEST_F(PlayLoopTest, FallenMemberCanOnlySwitchAndTheWorldWaits) {
  cornerShadow();
  knowSpell(spell::flare);
  s().bombs = 1;
  for (std::int32_t hp : {0, -3}) {
    SCOPED_TRACE(hp);
    s().currentMember = 1;
    s().stat(stat::hp) = hp;
    for (const char* key : {"6", "f", "b", " ", "x"}) {
      EXPECT_EQ(drawsOf(key), 0u) << key;
      EXPECT_EQ(s().heroCol, 10);
    }
    EXPECT_EQ(s().bombs, 1);
  }
  // The switch works, and the member now current is alive: the Shadow rolls.
  s().stat(stat::hp) = 0;
  EXPECT_EQ(drawsOf("+"), 2u);
  EXPECT_EQ(s().currentMember, 2);
  EXPECT_EQ(s().messageLine, "[Switched to M2][Lost M1]");
  // With nobody alive nothing happens at all.
  s().stat(stat::hp) = 0;
  EXPECT_EQ(drawsOf("-"), 0u);
  EXPECT_EQ(s().currentMember, 2);
  EXPECT_EQ(s().messageLine, "");
}

TEST_F(PlayLoopTest, ClampKeepsTheMemberCurrentAfterTheCommandWithinHisMaxima) {
  s().memberStats[2][stat::hp] = 40;
  s().memberStats[2][stat::mp] = -5;
  s().memberStats[2][stat::sense] = 99;
  s().memberStats[1][stat::ap] = 50;
  press("+");
  EXPECT_EQ(s().memberStats[2][stat::hp], 15);
  EXPECT_EQ(s().memberStats[2][stat::mp], 0);
  EXPECT_EQ(s().memberStats[2][stat::sense], 3);
  EXPECT_EQ(s().memberStats[1][stat::ap], 50);
}

TEST_F(PlayLoopTest, SpellsCostTheirDrawnMpAndReportTheCast) {
  struct Case {
    const char* key;
    int sp;
    int range, base;
    const char* name;
  };
  const Case cases[] = {
      {"w", spell::warp, 3, 6, "Warp"},     {"v", spell::vision, 3, 4, "Vision"},
      {"t", spell::tinker, 6, 4, "Tinker"}, {"p", spell::passage, 3, 5, "Passage"},
      {"h", spell::heal, 2, 4, "Heal"},     {"f", spell::flare, 5, 4, "Flare"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(drawsOf(c.key), 0u);  // not known: nothing is drawn
    knowSpell(c.sp);
    s().stat(stat::mp) = 30;
    Random copy = game.random;
    const long long cost = copy.pick(c.range, c.base);
    press(c.key);
    EXPECT_EQ(s().messageLine,
              std::string("[Cast '") + c.name + "'][Mp -" + std::to_string(cost) + "]");
    EXPECT_EQ(s().stat(stat::mp), 30 - cost);
  }
}

TEST_F(PlayLoopTest, RefusedCastStillUsesItsCostDraw) {
  knowSpell(spell::heal);
  for (long long cost : {4, 5}) {
    SCOPED_TRACE(cost);
    s().stat(stat::mp) = 4;
    seedWhere(game, [&](Random& r) { return r.pick(2, 4) == cost; });
    const std::uint64_t draws = drawsOf("h");
    if (cost == 4) {
      EXPECT_EQ(s().stat(stat::mp), 0);
      EXPECT_EQ(s().messageLine, "[Cast 'Heal'][Mp -4]");
      EXPECT_EQ(draws, 1u + 2u * maxMembers);
    } else {
      EXPECT_EQ(s().stat(stat::mp), 4);
      EXPECT_EQ(s().messageLine, "");
      EXPECT_EQ(draws, 1u);
    }
  }
}

TEST_F(PlayLoopTest, VisionAndWarpAreNotCastOnceTheirCounterIsFull) {
  cornerShadow();
  knowSpell(spell::vision);
  knowSpell(spell::warp);
  s().visionCells = s().openCells;
  s().exploredCells = s().openCells;
  // Only the Shadow's two rolls: no cost is drawn, and the world still moves.
  EXPECT_EQ(drawsOf("v"), 2u);
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(s().stat(stat::mp), 30);
  cornerShadow();
  EXPECT_EQ(drawsOf("w"), 2u);
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(s().heroCol, 10);
}

TEST_F(PlayLoopTest, WarpWithOnlyPassagesUnseenIsRefusedAfterItsCostDraw) {
  knowSpell(spell::warp);
  fillSeen(game, 1);
  putRows(game, 4, 4, {"-+="});
  for (int col = 4; col <= 6; ++col) game.grid.seen[4][col] = 0;
  EXPECT_EQ(drawsOf("w"), 1u);
  EXPECT_EQ(s().stat(stat::mp), 30);
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(s().heroRow, 10);
  EXPECT_EQ(s().heroCol, 10);
}

TEST_F(PlayLoopTest, BombNeedsOneInStock) {
  EXPECT_EQ(press("b"), std::nullopt);
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(s().bombs, 0);
  s().bombs = 2;
  putRows(game, 9, 10, {"Z"});
  press("b");
  EXPECT_EQ(s().bombs, 1);
  EXPECT_EQ(s().messageLine, "[Used Bomb][Bomb -1]");
  EXPECT_EQ(rowText(game, 9, 10, 10), ".");
}

TEST_F(PlayLoopTest, SpaceTakesTheItemUnderTheHeroThenTheWorldMoves) {
  putRows(game, 10, 10, {"m"});
  cornerShadow();
  Random copy = game.random;
  const long long gain = copy.pick(3, 5);
  EXPECT_EQ(drawsOf(" "), 3u);
  EXPECT_EQ(s().messageLine, "[Mp +" + std::to_string(gain) + "]");
  EXPECT_EQ(rowText(game, 10, 10, 10), ".");
  // Space on floor: only the world's turn.
  cornerShadow();
  EXPECT_EQ(drawsOf(" "), 2u);
  EXPECT_EQ(s().messageLine, "");
}

TEST_F(PlayLoopTest, ShopOfferShowsOnlyInACycleThatToldNothingElse) {
  putRows(game, 10, 10, {"@"});
  press("x");
  EXPECT_EQ(s().messageLine.rfind("{", 0), 0u);
  press("+");
  EXPECT_EQ(s().messageLine, "[Switched to M2]");
  // A cast keeps its own message; a refused one (too little Mp) says nothing
  // and leaves the line to the shop.
  knowSpell(spell::heal);
  press("h");
  EXPECT_EQ(s().messageLine.rfind("[Cast 'Heal'][Mp -", 0), 0u);
  s().stat(stat::mp) = 0;
  press("h");
  EXPECT_EQ(s().messageLine.rfind("{", 0), 0u);
}

TEST_F(PlayLoopTest, CycleShowsTheHeroReadsOneKeyAndEndsWhenKeysRunOut) {
  DrawProbe probe(*this);
  s().messageLine = "[Old news]";
  platform.addKeys("6");
  EXPECT_EQ(playCycle(game), std::nullopt);
  EXPECT_TRUE(probe.shows(10, 10, glyph::hero, 1));
  EXPECT_TRUE(probe.shows(10, 10, glyph::floor, 0));
  EXPECT_EQ(s().heroCol, 11);
  EXPECT_EQ(s().lastKey, "6");
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(playCycle(game), LoopExit::stop);
  EXPECT_EQ(game.endReason, EndReason::inputClosed);
}

}  // namespace
}  // namespace dw::test
