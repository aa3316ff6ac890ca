#include <gtest/gtest.h>

#include <array>

#include "support/TestGame.h"
#include "support/WorldHelpers.h"
#include "world/MysticOrb.h"

namespace dw::test {
namespace {

struct OrbTest : ::testing::Test, TestGame {
  OrbTest() {
    setMember(1, 20, 5, 5, 5, 4, 3);
    s().stat(stat::hp) = 10;
    s().gold = 10;
    const char* names[] = {"", "Warp", "Vision", "Tinker", "Passage", "Heal", "Flare"};
    for (int sp = 1; sp <= spellCount; ++sp) {
      s().spellNames[sp] = names[sp];
      s().spellMaxLevel[sp] = 5;
    }
    putRows(game, 10, 10, {"o"});
    placeHero(10, 10);
  }
  void setSpell(int sp, int known, int level) {
    s().memberSpells[1][sp] = known;
    s().memberSpellLevels[1][sp] = level;
  }
};

// The five nudges (Mp, Gold, Hp, Ap, Dp), each -2..2.
std::array<long long, 5> nudges(Random& r) {
  std::array<long long, 5> a{};
  for (auto& v : a) v = r.pick(5, -2);
  return a;
}

TEST_F(OrbTest, NudgesRaiseMaximaOnGainsOnlyAndTheOrbIsUsedUp) {
  seedWhere(game, [](Random& r) {
    return nudges(r) == std::array<long long, 5>{2, -2, 1, -1, 0} && r.below(7) == 0;
  });
  const auto before = game.random.draws();
  useMysticOrb(game);
  EXPECT_EQ(game.random.draws() - before, 6u);
  EXPECT_EQ(s().stat(stat::mp), 7);
  EXPECT_EQ(s().statMax(stat::mp), 7);
  EXPECT_EQ(s().gold, 8);
  EXPECT_EQ(s().stat(stat::hp), 11);
  EXPECT_EQ(s().statMax(stat::hp), 21);
  EXPECT_EQ(s().stat(stat::ap), 4);
  EXPECT_EQ(s().statMax(stat::ap), 5);
  EXPECT_EQ(s().stat(stat::dp), 5);
  EXPECT_EQ(s().messageLine, "[Mystic Orb]");
  EXPECT_EQ(rowText(game, 10, 10, 10), ".");
}

TEST_F(OrbTest, GoldNeverFallsBelowZero) {
  s().gold = 1;
  seedWhere(game, [](Random& r) { return nudges(r)[1] == -2; });
  useMysticOrb(game);
  EXPECT_EQ(s().gold, 0);
}

TEST_F(OrbTest, SpellsAtTheirMaximumAreDrawnAgainUntilTheSearchEnds) {
  for (int sp = 1; sp <= spellCount; ++sp) setSpell(sp, 1, 5);
  // A spell known at level 0 with maximum 0 counts as at its maximum.
  s().spellMaxLevel[spell::tinker] = 0;
  setSpell(spell::tinker, 1, 0);
  unsigned searchDraws = 0;
  seedWhere(game, [&](Random& r) {
    nudges(r);
    searchDraws = 1;
    while (r.below(7) != 0) ++searchDraws;
    return searchDraws >= 4;
  });
  const auto before = game.random.draws();
  useMysticOrb(game);
  EXPECT_EQ(game.random.draws() - before, 5 + searchDraws);
  EXPECT_EQ(s().messageLine, "[Mystic Orb]");
  for (int sp = 1; sp <= spellCount; ++sp) EXPECT_EQ(s().memberSpellLevels[1][sp], sp == 3 ? 0 : 5);
}

TEST_F(OrbTest, UnknownSpellIsLearnedAtTheLevelAlreadyHeldUpToItsMaximum) {
  struct Case {
    int level, levelAfter;
  };
  for (Case c : {Case{2, 2}, Case{9, 5}}) {
    setSpell(spell::passage, 0, c.level);
    putRows(game, 10, 10, {"o"});
    seedWhere(game, [](Random& r) {
      nudges(r);
      return r.below(7) == spell::passage;
    });
    const auto before = game.random.draws();
    useMysticOrb(game);
    EXPECT_EQ(game.random.draws() - before, 6u);
    EXPECT_EQ(s().messageLine, "[Mystic Orb: Learned 'Passage']");
    EXPECT_EQ(s().memberSpells[1][spell::passage], 1);
    EXPECT_EQ(s().memberSpellLevels[1][spell::passage], c.levelAfter);
  }
}

TEST_F(OrbTest, KnownSpellIsRaisedWhenBothRollsStraddleTheLevel) {
  struct Case {
    long long r1, r2, gain;
    int levelAfter;
    const char* message;
  };
  const Case cases[] = {{1, 3, 1, 3, "[Mystic Orb: 'Vision' Increased]"},
                        {0, 5, 5, 5, "[Mystic Orb: 'Vision' Increased]"},
                        {2, 5, -1, 2, "[Mystic Orb]"},
                        {1, 2, -1, 2, "[Mystic Orb]"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.levelAfter);
    setSpell(spell::vision, 1, 2);
    seedWhere(game, [&](Random& r) {
      nudges(r);
      if (r.below(7) != spell::vision || r.below(5) != c.r1 || r.pick(5, 1) != c.r2) return false;
      return c.gain < 0 || r.pick(5, 1) == c.gain;
    });
    const auto before = game.random.draws();
    useMysticOrb(game);
    EXPECT_EQ(game.random.draws() - before, c.gain < 0 ? 8u : 9u);
    EXPECT_EQ(s().messageLine, c.message);
    EXPECT_EQ(s().memberSpellLevels[1][spell::vision], c.levelAfter);
  }
}

TEST_F(OrbTest, SpellMarkedOtherThanZeroOrOneIsNeitherTaughtNorRaised) {
  setSpell(spell::heal, 2, 7);
  seedWhere(game, [](Random& r) {
    nudges(r);
    return r.below(7) == spell::heal;
  });
  const auto before = game.random.draws();
  useMysticOrb(game);
  EXPECT_EQ(game.random.draws() - before, 6u);
  EXPECT_EQ(s().messageLine, "[Mystic Orb]");
  EXPECT_EQ(s().memberSpells[1][spell::heal], 2);
  EXPECT_EQ(s().memberSpellLevels[1][spell::heal], 5);  // only cut to the maximum
}

}  // namespace
}  // namespace dw::test
