#include "world/Moves.h"

#include <gtest/gtest.h>

#include "frame/Command.h"
#include "support/TestGame.h"
#include "support/WorldHelpers.h"

namespace dw::test {
namespace {

struct MoveTest : ::testing::Test, TestGame {
  MoveTest() { setMember(1, 50, 5, 0, 10, 4, 3); }

  void press(const char* key) { stepHero(game, commandOfKey(key).direction); }
};

TEST_F(MoveTest, HeroNeverLeavesRowsTwoToTwentyFourAndColumnsTwoToThirtyNine) {
  struct Edge {
    const char* key;
    int row, col;    // the hero, on the edge of the generated area
    int dRow, dCol;  // the key's step
  };
  const Edge edges[] = {
      {"8", 2, 10, -1, 0}, {"6", 10, 39, 0, 1}, {"2", 24, 10, 1, 0}, {"4", 10, 2, 0, -1}};
  for (const Edge& e : edges) {
    SCOPED_TRACE(e.key);
    // Floor beyond the edge and on it: only the step onto the edge is taken.
    game.grid.glyphs[e.row + e.dRow][e.col + e.dCol] = glyph::floor;
    game.grid.glyphs[e.row][e.col] = glyph::floor;
    placeHero(e.row - e.dRow, e.col - e.dCol);
    game.grid.glyphs[s().heroRow][s().heroCol] = glyph::floor;
    press(e.key);
    EXPECT_EQ(s().heroRow, e.row);
    EXPECT_EQ(s().heroCol, e.col);
    const auto before = game.random.draws();
    press(e.key);
    EXPECT_EQ(s().heroRow, e.row);
    EXPECT_EQ(s().heroCol, e.col);
    EXPECT_EQ(game.random.draws() - before, 4u);
  }
}

TEST_F(MoveTest, WalkableCellsAreEnteredAndKeepTheirGlyph) {
  for (char symbol : std::string(".>-$hmto")) {
    SCOPED_TRACE(symbol);
    putRows(game, 10, 10, {std::string(".") + symbol});
    placeHero(10, 10);
    press("6");
    EXPECT_EQ(s().heroCol, 11);
    EXPECT_EQ(rowText(game, 10, 10, 11), std::string(".") + symbol);
    EXPECT_EQ(s().messageLine, "");
  }
}

TEST_F(MoveTest, RockBlockWallsShopsAndUnwrittenCellsAreNeverEntered) {
  for (char symbol : std::string("#|@ ")) {
    SCOPED_TRACE(symbol);
    putRows(game, 10, 10, {std::string(".") + symbol});
    placeHero(10, 10);
    const auto before = game.random.draws();
    press("6");
    EXPECT_EQ(s().heroCol, 10);
    EXPECT_EQ(rowText(game, 10, 10, 11), std::string(".") + symbol);
    EXPECT_EQ(game.random.draws() - before, 4u);
  }
}

TEST_F(MoveTest, EveryMoveDrawsFourNumbersFiveAtAGateAndTwoMoreOnAMonster) {
  struct Case {
    std::string target;
    unsigned draws;
  };
  const Case cases[] = {{".", 4}, {"#", 4}, {"+", 4}, {"$", 4}, {"=", 5}, {"O", 6}, {"W", 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    putRows(game, 10, 10, {"." + c.target});
    placeHero(10, 10);
    s().stat(stat::hp) = 50;
    const auto before = game.random.draws();
    press("6");
    EXPECT_EQ(game.random.draws() - before, c.draws);
  }
}

TEST_F(MoveTest, BlockedMoveOnAMonstersCellIsAttackedAgain) {
  // The hero stands on an Orc at the top edge; the floor above is out of reach.
  game.grid.glyphs[1][10] = glyph::floor;
  game.grid.glyphs[2][10] = glyph::orc;
  placeHero(2, 10);
  s().stat(stat::dp) = 3;
  long long damage = 0;
  seedWhere(game, [&](Random& r) {
    for (int i = 0; i < 4; ++i) r.below(100);
    damage = r.below(20) - r.below(3);
    return damage > 0;
  });
  press("8");
  EXPECT_EQ(s().heroRow, 2);
  EXPECT_EQ(s().stat(stat::hp), 50 - damage);
  EXPECT_EQ(s().messageLine, "[Attacked by Orc][Hp -" + std::to_string(damage) + "]");
  EXPECT_EQ(rowText(game, 2, 10, 10), "O");
}

TEST_F(MoveTest, MpGoldAndHpPickupsAddTheirAmountAndLeaveFloor) {
  struct Case {
    char item;
    int range, base;
    const char* prefix;
    std::int32_t& counter;
  };
  s().gold = 4;
  const Case cases[] = {{'m', 3, 5, "[Mp +", s().stat(stat::mp)},
                        {'$', 15, 1, "[Gold +", s().gold},
                        {'h', 5, 8, "[Hp +", s().stat(stat::hp)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    putRows(game, 10, 10, {std::string(1, c.item)});
    placeHero(10, 10);
    Random copy = game.random;
    const long long a = copy.pick(c.range, c.base);
    const std::int32_t before = c.counter;
    if (c.item == 'm') pickUpMpItem(game);
    if (c.item == '$') pickUpGold(game);
    if (c.item == 'h') pickUpHpItem(game);
    // The gain may pass the maximum; the end-of-cycle clamp lowers it.
    EXPECT_EQ(c.counter, before + a);
    EXPECT_EQ(s().messageLine, c.prefix + std::to_string(a) + "]");
    EXPECT_EQ(rowText(game, 10, 10, 10), ".");
    EXPECT_EQ(game.random.draws(), copy.draws());
  }
}

TEST_F(MoveTest, TreasureRollsRaiseStatisticsOrAddKeysAndBombs) {
  struct Case {
    int rFrom, rTo, amount;  // amount -1: any
    std::string message;
  };
  const Case cases[] = {{1, 3, 0, "[Ap +0][Dp +3]"}, {1, 3, 2, "[Ap +2][Dp +1]"},
                        {4, 6, 3, "[Ap +3]"},        {7, 9, 1, "[Dp +1]"},
                        {10, 12, -1, "[Key +1]"},    {13, 15, -1, "[Bomb +1]"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    setMember(1, 50, 5, 6, 10, 4, 3);
    s().keys = 2;
    s().bombs = 0;
    putRows(game, 10, 10, {"t"});
    placeHero(10, 10);
    seedWhere(game, [&](Random& r) {
      long long roll = r.pick(17, 1);
      if (roll < c.rFrom || roll > c.rTo) return false;
      if (c.rTo == 3) return r.below(4) == c.amount;
      return c.amount < 0 || r.pick(3, 1) == c.amount;
    });
    pickUpTreasure(game);
    EXPECT_EQ(s().messageLine, c.message);
    const int apGain = c.rTo == 3 ? c.amount : (c.rTo == 6 ? c.amount : 0);
    const int dpGain = c.rTo == 3 ? 3 - c.amount : (c.rTo == 9 ? c.amount : 0);
    EXPECT_EQ(s().stat(stat::ap), 5 + apGain);
    EXPECT_EQ(s().statMax(stat::ap), 5 + apGain);
    EXPECT_EQ(s().stat(stat::dp), 6 + dpGain);
    EXPECT_EQ(s().statMax(stat::dp), 6 + dpGain);
    EXPECT_EQ(s().keys, c.rTo == 12 ? 3 : 2);
    EXPECT_EQ(s().bombs, c.rTo == 15 ? 1 : 0);
    EXPECT_EQ(rowText(game, 10, 10, 10), ".");
  }
}

TEST_F(MoveTest, TreasureJoinRollBringsAFallenMemberBackOrIsLostOnAFullParty) {
  for (int m = 2; m <= maxMembers; ++m) setMember(m, 20, 1, 1, 1, 1, 1);
  auto joinRoll = [](Random& r) { return r.pick(17, 1) >= 16; };

  // Full party: the treasure is used up with no reward and no message.
  putRows(game, 10, 10, {"t"});
  placeHero(10, 10);
  seedWhere(game, joinRoll);
  auto before = game.random.draws();
  pickUpTreasure(game);
  EXPECT_EQ(game.random.draws() - before, 1u);
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(rowText(game, 10, 10, 10), ".");

  // One member down: the join step brings him back with its message.
  s().memberStats[3][stat::hp] = 0;
  putRows(game, 10, 10, {"t"});
  seedWhere(game, joinRoll);
  pickUpTreasure(game);
  EXPECT_EQ(s().messageLine, "[M3 joined!]");
  EXPECT_EQ(s().memberStats[3][stat::hp], 20);
  EXPECT_EQ(s().currentMember, 1);
  EXPECT_EQ(rowText(game, 10, 10, 10), ".");
}

}  // namespace
}  // namespace dw::test
