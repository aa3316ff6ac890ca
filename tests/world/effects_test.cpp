#include "world/Effects.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/TestGame.h"
#include "support/WorldHelpers.h"

namespace dw::test {
namespace {

struct EffectTest : ::testing::Test, TestGame {
  EffectTest() {
    setMember(1, 20, 2, 2, 20, 4, 3);
    for (int row = 4; row <= 16; ++row) putRows(game, row, 4, {std::string(13, '.')});
    placeHero(10, 10);
  }
  void setSpell(int spellNumber, int level, int maxLevel) {
    s().memberSpells[1][spellNumber] = 1;
    s().memberSpellLevels[1][spellNumber] = level;
    s().spellMaxLevel[spellNumber] = maxLevel;
  }
};

// Whether each of the next rolls of a spell succeeds.
bool spellRollOf(Random& r, long long level, long long maxLevel) {
  long long a = r.pick(level, 1);
  return a >= r.pick(maxLevel, 1);
}

TEST_F(EffectTest, PassageAndTinkerVisitTheHerosCellAndItsSideNeighboursOnly) {
  for (void (*effect)(Game&) : {passageEffect, tinkerEffect}) {
    setSpell(spell::passage, 1, 1);
    setSpell(spell::tinker, 1, 1);
    fillSeen(game, 0);
    s().exploredCells = 0;
    putRows(game, 9, 9, {"+#+", "+.+", "+#+"});
    auto before = game.random.draws();
    effect(game);
    EXPECT_EQ(game.random.draws() - before, 10u);
    EXPECT_EQ(seenText(game, 9, 9, 11), "010");
    EXPECT_EQ(seenText(game, 10, 9, 11), "111");
    EXPECT_EQ(seenText(game, 11, 9, 11), "010");
    // Rock is shown but not counted.
    EXPECT_EQ(s().exploredCells, 3);
    // The diagonal doors stay locked whatever the rolls.
    EXPECT_EQ(rowText(game, 9, 9, 11) + rowText(game, 11, 9, 11), "+#++#+");

    // At the top edge the cell above is off the generated area: four cells.
    placeHero(2, 10);
    before = game.random.draws();
    effect(game);
    EXPECT_EQ(game.random.draws() - before, 8u);
    EXPECT_EQ(game.grid.seenAt(1, 10), 0);
    placeHero(10, 10);
  }
}

TEST_F(EffectTest, TinkerOpensEachLockedDoorByItsOwnRoll) {
  // Level 1 of 2: each roll succeeds when its second number is 1.
  setSpell(spell::tinker, 1, 2);
  struct Case {
    bool left, right;
    std::string row;
  };
  const Case cases[] = {
      {true, true, "-.-"}, {true, false, "-.+"}, {false, true, "+.-"}, {false, false, "+.+"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    putRows(game, 10, 9, {"+.+"});
    // Columns left to right, rows top to bottom: left door, above, hero, below, right door.
    seedWhere(game, [&](Random& r) {
      bool rolls[5];
      for (bool& roll : rolls) roll = spellRollOf(r, 1, 2);
      return rolls[0] == c.left && rolls[4] == c.right;
    });
    tinkerEffect(game);
    EXPECT_EQ(rowText(game, 10, 9, 11), c.row);
  }
}

TEST_F(EffectTest, PassageLeavesWallsStandingWithTheStandardClasses) {
  setSpell(spell::passage, 5, 1);
  putRows(game, 9, 10, {"%"});
  putRows(game, 10, 9, {"%.%"});
  passageEffect(game);
  EXPECT_EQ(rowText(game, 9, 10, 10) + rowText(game, 10, 9, 11), "%%.%");
}

TEST_F(EffectTest, HealGivesEachLivingMemberWhoseRollSucceedsAShareOfHisMaximum) {
  struct Case {
    int level, maxLevel;
  };
  for (Case c : {Case{10, 10}, Case{5, 10}}) {
    SCOPED_TRACE(c.level);
    setSpell(spell::heal, c.level, c.maxLevel);
    for (int m = 1; m <= maxMembers; ++m) setMember(m, 3, 1, 1, 1, 1, 1);
    for (int m = 1; m <= maxMembers; ++m) s().memberStatMax[m][stat::hp] = 7;
    s().memberStats[4][stat::hp] = 0;
    Random copy = game.random;
    bool success[maxMembers + 1] = {};
    for (int m = 1; m <= maxMembers; ++m) success[m] = spellRollOf(copy, c.level, c.maxLevel);
    healEffect(game);
    EXPECT_EQ(game.random.draws(), copy.draws());
    const int share = c.level == 10 ? 7 : 3;  // 7 x 0.5 rounded down
    for (int m = 1; m <= maxMembers; ++m) {
      const int expected = m == 4 ? 0 : 3 + (success[m] ? share : 0);
      EXPECT_EQ(s().memberStats[m][stat::hp], expected) << "member " << m;
    }
  }
}

TEST_F(EffectTest, HealWithoutAMaximumLevelHealsNobodyButStillRolls) {
  setSpell(spell::heal, 3, 0);
  for (int m = 1; m <= maxMembers; ++m) setMember(m, 5, 1, 1, 1, 1, 1);
  const auto before = game.random.draws();
  healEffect(game);
  EXPECT_EQ(game.random.draws() - before, 2u * maxMembers);
  for (int m = 1; m <= maxMembers; ++m) EXPECT_EQ(s().memberStats[m][stat::hp], 5);
}

TEST_F(EffectTest, BombClearsMonstersAndOpenDoorsAndOpensLockedDoorsWithinTwoCells) {
  s().stat(stat::sight) = 4;
  putRows(game, 7, 7, {".SO.V.", ".Z+-.+", "--W-=.", "+|...+", ".+%t.Z", "O..S.."});
  fillSeen(game, 0);
  bombBlast(game);
  EXPECT_EQ(rowText(game, 7, 7, 12), ".SO.V.");
  EXPECT_EQ(rowText(game, 8, 7, 12), ".Z+..+");
  EXPECT_EQ(rowText(game, 9, 7, 12), "--..=.");
  EXPECT_EQ(rowText(game, 10, 7, 12), "+|...-");
  EXPECT_EQ(rowText(game, 11, 7, 12), ".+%t.Z");
  EXPECT_EQ(rowText(game, 12, 7, 12), "O.....");
  // Every visited cell ends at 2, counted once in each counter (walls are rock).
  EXPECT_EQ(seenText(game, 8, 8, 12), "00200");
  EXPECT_EQ(seenText(game, 10, 8, 12), "22222");
  EXPECT_EQ(s().exploredCells, 12);
  EXPECT_EQ(s().visionCells, 12);
}

TEST_F(EffectTest, BombCountsCellsSeenBeforeOnlyAsRevealedByIt) {
  s().stat(stat::sight) = 4;
  fillSeen(game, 1);
  game.grid.seen[9][10] = 2;
  bombBlast(game);
  EXPECT_EQ(s().exploredCells, 0);
  EXPECT_EQ(s().visionCells, 12);
  EXPECT_EQ(seenText(game, 9, 8, 12), "12221");
}

TEST_F(EffectTest, BombNearTheTopReachesRowTwoButNeverRowOne) {
  for (int sight : {0, 4}) {
    SCOPED_TRACE(sight);
    s().stat(stat::sight) = sight;
    putRows(game, 2, 10, {"O", "."});
    game.grid.glyphs[1][10] = glyph::orc;
    placeHero(3, 10);
    bombBlast(game);
    EXPECT_EQ(game.grid.glyphAt(2, 10), glyph::floor);
    EXPECT_EQ(game.grid.glyphAt(1, 10), glyph::orc);
    EXPECT_EQ(game.grid.seenAt(1, 10), 0);
  }
}

TEST_F(EffectTest, BombReachFollowsSightInOpenGround) {
  struct Case {
    std::int32_t sight;
    int cells;
  };
  const Case cases[] = {{0, 1},
                        {-1, 0},
                        {1, 9},
                        {2, 13},
                        {2000000000, 13},
                        {std::numeric_limits<std::int32_t>::max(), 13},
                        {std::numeric_limits<std::int32_t>::min(), 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sight);
    fillSeen(game, 0);
    s().visionCells = 0;
    s().stat(stat::sight) = c.sight;
    bombBlast(game);
    EXPECT_EQ(s().visionCells, c.cells);
  }
}

}  // namespace
}  // namespace dw::test
