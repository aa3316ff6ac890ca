#include "world/Monsters.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/TestGame.h"
#include "support/WorldHelpers.h"
#include "world/Moves.h"

namespace dw::test {
namespace {

struct MonsterTest : ::testing::Test, TestGame {
  MonsterTest() {
    setMember(1, 50, 5, 4, 10, 4, 5);
    // An open room, rows 4..16 and columns 4..16.
    for (int row = 4; row <= 16; ++row) putRows(game, row, 4, {std::string(13, '.')});
    placeHero(10, 10);
  }
};

// The direction and mode rolls of one monster kind, in the order drawn.
struct Rolls {
  long long direction, mode;
};
Rolls rollsOf(char monster, Random& r) {
  switch (monster) {
    case 'S':
      return {r.pick(4, 1), r.below(3)};
    case 'O':
      return {r.below(5), r.below(3)};
    case 'V':
      return {r.pick(4, 1), r.pick(2, 1)};
    case 'Z':
      return {r.pick(4, 1), r.pick(3, 1)};
    default:
      return {r.pick(4, 1), r.pick(1, 4)};
  }
}

TEST_F(MonsterTest, EachKindAttacksWithItsBaseLessADpRoll) {
  struct Kind {
    char symbol;
    int base;
    const char* prefix;
  };
  const Kind kinds[] = {{'S', 10, "[Attacked by Snake][Hp -"},
                        {'O', 20, "[Attacked by Orc][Hp -"},
                        {'V', 15, "[Attacked by Viperess][Hp -"},
                        {'Z', 17, "[Attacked by Zombie][Hp -"},
                        {'W', 22, "[Attacked by Shadow][Hp -"}};
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.symbol);
    putRows(game, 10, 10, {std::string(1, k.symbol) + "#"});
    s().stat(stat::hp) = 50;
    long long damage = 0;
    seedWhere(game, [&](Random& r) {
      for (int i = 0; i < 4; ++i) r.below(1);
      damage = r.below(k.base) - r.below(4);
      return damage > 0;
    });
    stepHero(game, Direction::right);
    EXPECT_EQ(s().messageLine, k.prefix + std::to_string(damage) + "]");
    EXPECT_EQ(s().stat(stat::hp), 50 - damage);
  }
}

TEST_F(MonsterTest, DpAboveTheAttackBaseLeavesNoDamage) {
  putRows(game, 10, 10, {"S#"});
  s().stat(stat::dp) = 1000;
  seedWhere(game, [](Random& r) {
    for (int i = 0; i < 4; ++i) r.below(1);
    return r.below(10) - r.below(1000) < 0;
  });
  stepHero(game, Direction::right);
  EXPECT_EQ(s().messageLine, "[Attacked by Snake][Hp -0]");
  EXPECT_EQ(s().stat(stat::hp), 50);
}

TEST_F(MonsterTest, ChaseModesChooseTheDirection) {
  // The monster starts at (10, 10); every expected step goes up or left, into
  // cells the scan has passed, so it is examined once.
  struct Case {
    const char* what;
    char monster;
    int heroRow, heroCol;
    long long direction, mode, tieMode;  // tieMode -1: no tie draw
    int toRow, toCol;
  };
  const Case cases[] = {
      {"random step", 'S', 13, 8, 1, 0, -1, 9, 10},
      {"vertical chase", 'S', 6, 13, 4, 1, -1, 9, 10},
      {"vertical chase on the hero's row keeps the roll", 'S', 10, 5, 1, 1, -1, 9, 10},
      {"horizontal chase", 'S', 14, 7, 1, 2, -1, 10, 9},
      {"longer distance is vertical", 'Z', 6, 13, 4, 3, -1, 9, 10},
      {"longer distance is horizontal", 'Z', 13, 6, 1, 3, -1, 10, 9},
      {"equal distances, vertical", 'Z', 7, 7, 3, 3, 1, 9, 10},
      {"equal distances, horizontal", 'Z', 7, 7, 3, 3, 2, 10, 9},
      {"Orc at rest", 'O', 13, 13, 0, 0, -1, 10, 10},
      {"Shadow never chases", 'W', 12, 6, 1, 4, -1, 9, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int row = 4; row <= 16; ++row) putRows(game, row, 4, {std::string(13, '.')});
    putRows(game, 10, 10, {std::string(1, c.monster)});
    placeHero(c.heroRow, c.heroCol);
    seedWhere(game, [&](Random& r) {
      Rolls rolls = rollsOf(c.monster, r);
      if (rolls.direction != c.direction || rolls.mode != c.mode) return false;
      return c.tieMode < 0 || r.pick(2, 1) == c.tieMode;
    });
    const auto before = game.random.draws();
    monsterTurn(game);
    EXPECT_EQ(game.grid.glyphAt(c.toRow, c.toCol), glyphOf(c.monster));
    if (c.toRow != 10 || c.toCol != 10) {
      EXPECT_EQ(rowText(game, 10, 10, 10), ".");
    }
    EXPECT_EQ(game.random.draws() - before, c.tieMode < 0 ? 2u : 3u);
  }
}

TEST_F(MonsterTest, MonstersOnlyStepOntoFloor) {
  for (char target : std::string("$->#+=t")) {
    SCOPED_TRACE(target);
    putRows(game, 9, 10, {std::string(1, target), "W"});
    seedWhere(game, [](Random& r) { return rollsOf('W', r).direction == 1; });
    monsterTurn(game);
    EXPECT_EQ(rowText(game, 9, 10, 10), std::string(1, target));
    EXPECT_EQ(rowText(game, 10, 10, 10), "W");
  }
}

TEST_F(MonsterTest, BothCellsAreRedrawnWhenSeenWhetherOrNotTheMonsterMoved) {
  DrawProbe probe(*this);
  // Moving up onto seen floor from a seen cell.
  putRows(game, 9, 10, {".", "W"});
  game.grid.seen[9][10] = game.grid.seen[10][10] = 1;
  seedWhere(game, [](Random& r) { return rollsOf('W', r).direction == 1; });
  monsterTurn(game);
  EXPECT_TRUE(probe.shows(9, 10, glyph::shadow));
  EXPECT_TRUE(probe.shows(10, 10, glyph::floor));

  // Blocked by gold: both redrawn as they are.
  probe.reset();
  putRows(game, 9, 10, {"$", "W"});
  seedWhere(game, [](Random& r) { return rollsOf('W', r).direction == 1; });
  monsterTurn(game);
  EXPECT_TRUE(probe.shows(9, 10, glyph::goldPile));
  EXPECT_TRUE(probe.shows(10, 10, glyph::shadow));

  // Cells never seen are not drawn.
  probe.reset();
  putRows(game, 9, 10, {".", "W"});
  game.grid.seen[9][10] = game.grid.seen[10][10] = 0;
  seedWhere(game, [](Random& r) { return rollsOf('W', r).direction == 1; });
  monsterTurn(game);
  EXPECT_EQ(rowText(game, 9, 10, 10), "W");
  EXPECT_TRUE(probe.untouched(9, 10));
  EXPECT_TRUE(probe.untouched(10, 10));
}

TEST_F(MonsterTest, MonsterSteppingRightOrDownIsExaminedAgainInTheSameTurn) {
  // The hero's sense covers columns 5..11 and rows 5..11.
  s().stat(stat::sense) = 3;
  placeHero(8, 8);
  putRows(game, 10, 10, {"W"});
  seedWhere(game, [](Random& r) {
    return rollsOf('W', r).direction == 2 && rollsOf('W', r).direction == 2;
  });
  auto before = game.random.draws();
  monsterTurn(game);
  EXPECT_EQ(rowText(game, 10, 10, 12), "..W");
  EXPECT_EQ(game.random.draws() - before, 4u);

  putRows(game, 10, 12, {"."});
  putRows(game, 10, 10, {"W"});
  seedWhere(game, [](Random& r) {
    return rollsOf('W', r).direction == 3 && rollsOf('W', r).direction == 3;
  });
  before = game.random.draws();
  monsterTurn(game);
  EXPECT_EQ(game.grid.glyphAt(12, 10), glyph::shadow);
  EXPECT_EQ(rowText(game, 10, 10, 10) + rowText(game, 11, 10, 10), "..");
  EXPECT_EQ(game.random.draws() - before, 4u);
}

TEST_F(MonsterTest, SenseZeroMovesOnlyAMonsterOnTheHerosCell) {
  s().stat(stat::sense) = 0;
  putRows(game, 10, 10, {"WW"});
  seedWhere(game, [](Random& r) { return rollsOf('W', r).direction == 1; });
  const auto before = game.random.draws();
  monsterTurn(game);
  EXPECT_EQ(game.random.draws() - before, 2u);
  EXPECT_EQ(rowText(game, 9, 10, 11), "W.");
  EXPECT_EQ(rowText(game, 10, 10, 11), ".W");
}

TEST_F(MonsterTest, OnlyMonstersWithinTheSenseSquareMove) {
  s().stat(stat::sense) = 1;
  putRows(game, 8, 8, {"O...O", ".O...", "..O..", ".....", "O...O"});
  // The Orcs at (9, 9) and under the hero roll a rest; the others never roll.
  seedWhere(game, [](Random& r) {
    Rolls first = rollsOf('O', r), second = rollsOf('O', r);
    return first.direction == 0 && first.mode == 0 && second.direction == 0 && second.mode == 0;
  });
  const auto before = game.random.draws();
  monsterTurn(game);
  EXPECT_EQ(game.random.draws() - before, 4u);
}

TEST_F(MonsterTest, HugeCompassStepsLeaveMonstersWhereTheyAre) {
  const std::int32_t big = 1000000000;
  const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  const std::int32_t steps[5][2] = {{big, -big}, {-big, 0}, {0, big}, {hi, lo}, {lo, hi}};
  for (int d = 0; d < 5; ++d) {
    s().roseVectors[d][1] = steps[d][0];
    s().roseVectors[d][2] = steps[d][1];
  }
  putRows(game, 9, 9, {"SOV", "ZWS", "OVZ"});
  fillSeen(game, 1);
  for (int turn = 0; turn < 20; ++turn) monsterTurn(game);
  EXPECT_EQ(rowText(game, 9, 9, 11) + rowText(game, 10, 9, 11) + rowText(game, 11, 9, 11),
            "SOVZWSOVZ");
}

TEST_F(MonsterTest, HugeSenseIsCutToTheGeneratedArea) {
  putRows(game, 2, 2, {"W"});
  putRows(game, 24, 39, {"W"});
  for (std::int32_t sense : {2000000000, std::numeric_limits<std::int32_t>::max()}) {
    s().stat(stat::sense) = sense;
    const auto before = game.random.draws();
    monsterTurn(game);
    EXPECT_EQ(game.random.draws() - before, 4u);
  }
  for (std::int32_t sense : {-1, std::numeric_limits<std::int32_t>::min()}) {
    s().stat(stat::sense) = sense;
    const auto before = game.random.draws();
    monsterTurn(game);
    EXPECT_EQ(game.random.draws() - before, 0u);
  }
}

}  // namespace
}  // namespace dw::test
