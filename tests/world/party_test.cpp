#include "world/Party.h"

#include <gtest/gtest.h>

#include "support/TestGame.h"
#include "support/WorldHelpers.h"

namespace dw::test {
namespace {

struct PartyTest : ::testing::Test, TestGame {
  PartyTest() {
    for (int m = 1; m <= maxMembers; ++m) setMember(m, 10 + m, 2, 3, 4, 5, 6);
  }
  void kill(int member) { s().memberStats[member][stat::hp] = 0; }
  void press(const char* key) {
    s().messageLine.clear();
    switchMember(game, std::string(key) == "+" ? SwitchWay::next : SwitchWay::previous);
  }
};

TEST_F(PartyTest, PlusAndMinusWalkToTheNextLivingMember) {
  kill(2);
  kill(3);
  press("+");
  EXPECT_EQ(s().currentMember, 4);
  EXPECT_EQ(s().messageLine, "[Switched to M4]");
  press("-");
  EXPECT_EQ(s().currentMember, 1);
  press("-");  // from member 1 round to the last one
  EXPECT_EQ(s().currentMember, 7);
  press("+");
  EXPECT_EQ(s().currentMember, 1);
  kill(7);
  kill(6);
  press("-");
  EXPECT_EQ(s().currentMember, 5);
  EXPECT_EQ(s().messageLine, "[Switched to M5]");
}

TEST_F(PartyTest, LeavingAFallenMemberReportsHimLost) {
  kill(1);
  press("+");
  EXPECT_EQ(s().currentMember, 2);
  EXPECT_EQ(s().messageLine, "[Switched to M2][Lost M1]");
}

TEST_F(PartyTest, WithNobodyElseAliveTheSwitchChangesNothing) {
  for (int m = 1; m <= maxMembers; ++m) {
    if (m != 4) kill(m);
  }
  s().currentMember = 4;
  for (const char* key : {"+", "-"}) {
    press(key);
    EXPECT_EQ(s().currentMember, 4);
    EXPECT_EQ(s().messageLine, "");
  }
  kill(4);
  press("+");
  EXPECT_EQ(s().currentMember, 4);
  EXPECT_EQ(s().messageLine, "");
}

TEST_F(PartyTest, JoinStepOnAFullPartyChangesNothing) {
  const auto before = game.random.draws();
  JoinResult result = joinStep(game);
  EXPECT_EQ(result.count, maxMembers);
  EXPECT_EQ(result.lastJoined, 0);
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(game.random.draws(), before);
}

TEST_F(PartyTest, JoinStepBringsOneMemberBackAtFullStrength) {
  kill(5);
  s().memberStats[5][stat::mp] = 0;
  // Known spells above level 10 are cut to 10; unknown ones keep their level.
  s().memberSpells[5][spell::warp] = 1;
  s().memberSpellLevels[5][spell::warp] = 14;
  s().memberSpells[5][spell::heal] = 1;
  s().memberSpellLevels[5][spell::heal] = 9;
  s().memberSpellLevels[5][spell::flare] = 12;
  Random copy = game.random;
  EXPECT_EQ(copy.pick(1, 1), 1);
  while (copy.pick(maxMembers, 1) != 5) {
  }
  JoinResult result = joinStep(game);
  EXPECT_EQ(result.count, 1);
  EXPECT_EQ(result.lastJoined, 5);
  EXPECT_EQ(s().messageLine, "[M5 joined!]");
  EXPECT_EQ(s().memberStats[5], s().memberStatMax[5]);
  EXPECT_EQ(s().memberSpellLevels[5][spell::warp], 10);
  EXPECT_EQ(s().memberSpellLevels[5][spell::heal], 9);
  EXPECT_EQ(s().memberSpellLevels[5][spell::flare], 12);
  EXPECT_EQ(game.random.draws(), copy.draws());
}

TEST_F(PartyTest, JoinStepBringsTwoMembersBackWhenItRollsTwo) {
  kill(2);
  kill(3);
  kill(6);
  int first = 0, second = 0;
  seedWhere(game, [&](Random& r) {
    if (r.pick(2, 1) != 2) return false;
    auto pickDead = [&r] {
      for (;;) {
        int m = static_cast<int>(r.pick(maxMembers, 1));
        if (m == 2 || m == 3 || m == 6) return m;
      }
    };
    first = pickDead();
    second = pickDead();
    return first != second;
  });
  JoinResult result = joinStep(game);
  EXPECT_EQ(result.count, 2);
  EXPECT_EQ(result.lastJoined, second);
  EXPECT_EQ(s().messageLine,
            "[M" + std::to_string(first) + "+M" + std::to_string(second) + " joined!]");
  EXPECT_GT(s().memberStats[first][stat::hp], 0);
  EXPECT_GT(s().memberStats[second][stat::hp], 0);
}

TEST_F(PartyTest, MemberWithoutMaximumHpMayBePickedTwice) {
  for (int m = 1; m <= maxMembers; ++m) {
    if (m != 1) kill(m);
  }
  s().memberStatMax[3][stat::hp] = 0;
  // Both picks land on member 3, who stays at Hp 0.
  seedWhere(game, [](Random& r) {
    if (r.pick(2, 1) != 2) return false;
    for (int pick = 0; pick < 2; ++pick) {
      long long m;
      do m = r.pick(maxMembers, 1);
      while (m == 1);
      if (m != 3) return false;
    }
    return true;
  });
  JoinResult result = joinStep(game);
  EXPECT_EQ(s().messageLine, "[M3+M3 joined!]");
  EXPECT_EQ(result.lastJoined, 3);
  EXPECT_EQ(s().memberStats[3][stat::hp], 0);
  EXPECT_EQ(s().memberStats[3][stat::ap], 2);
}

}  // namespace
}  // namespace dw::test
