#include <gtest/gtest.h>

#include "support/TestGame.h"
#include "support/WorldHelpers.h"
#include "world/Moves.h"

namespace dw::test {
namespace {

struct DoorTest : ::testing::Test, TestGame {
  DoorTest() {
    setMember(1, 50, 6, 0, 10, 4, 3);
    putRows(game, 10, 9, {"...."});
    placeHero(10, 10);
  }

  void pushRight() {
    s().messageLine.clear();
    stepHero(game, Direction::right);
  }
};

// What one push against a gate will roll, in the order the move draws.
struct GateRoll {
  long long cost;
  bool forced;
};
GateRoll rollGate(Random& r, long long ap) {
  long long cost = r.below(4);
  long long x = r.pick(ap, 1), y = r.below(2 * ap), z = r.below(10);
  r.pick(3, 3);  // the wall cost
  return {cost, x > y + z + 2};
}

TEST_F(DoorTest, LockedDoorNeedsAKeyAndOpensInPlace) {
  putRows(game, 10, 11, {"+"});
  pushRight();
  EXPECT_EQ(s().messageLine, "[Door is locked]");
  EXPECT_EQ(rowText(game, 10, 11, 11), "+");
  EXPECT_EQ(s().heroCol, 10);

  s().keys = 2;
  const auto before = game.random.draws();
  pushRight();
  EXPECT_EQ(s().messageLine, "[Unlocked door][Used 1 Key]");
  EXPECT_EQ(s().keys, 1);
  EXPECT_EQ(rowText(game, 10, 11, 11), "-");
  EXPECT_EQ(s().heroCol, 10);
  EXPECT_EQ(game.grid.seenAt(10, 11), 1);  // shown by the neighbourhood reveal
  EXPECT_EQ(game.random.draws() - before, 4u);

  pushRight();
  EXPECT_EQ(s().heroCol, 11);
  EXPECT_EQ(s().keys, 1);
}

TEST_F(DoorTest, LockedDoorBeyondTheLastColumnIsReportedButNeverUnlocked) {
  game.grid.glyphs[10][40] = glyph::lockedDoor;
  putRows(game, 10, 39, {"."});
  placeHero(10, 39);
  pushRight();
  EXPECT_EQ(s().messageLine, "[Door is locked]");
  s().keys = 1;
  pushRight();
  EXPECT_EQ(s().messageLine, "");
  EXPECT_EQ(s().keys, 1);
  EXPECT_EQ(game.grid.glyphAt(10, 40), glyph::lockedDoor);
}

TEST_F(DoorTest, FailedTryAtAGateCostsItsRollInHp) {
  putRows(game, 10, 11, {"="});
  for (long long wanted : {0, 3}) {
    SCOPED_TRACE(wanted);
    s().stat(stat::hp) = 2;
    seedWhere(game, [&](Random& r) {
      GateRoll g = rollGate(r, 6);
      return g.cost == wanted && !g.forced;
    });
    const auto before = game.random.draws();
    pushRight();
    EXPECT_EQ(s().messageLine, "[Couldn't force gate][Hp -" + std::to_string(wanted) + "]");
    // Below 0 until the end-of-cycle clamp.
    EXPECT_EQ(s().stat(stat::hp), 2 - wanted);
    EXPECT_EQ(rowText(game, 10, 11, 11), "=");
    EXPECT_EQ(s().heroCol, 10);
    EXPECT_EQ(game.random.draws() - before, 5u);
  }
}

TEST_F(DoorTest, ForcedGateBecomesFloorWhileTheHeroStays) {
  putRows(game, 10, 11, {"="});
  seedWhere(game, [](Random& r) {
    GateRoll g = rollGate(r, 6);
    return g.cost == 2 && g.forced;
  });
  pushRight();
  EXPECT_EQ(s().messageLine, "[Forced gate][Hp -2]");
  EXPECT_EQ(s().stat(stat::hp), 48);
  EXPECT_EQ(rowText(game, 10, 11, 11), ".");
  EXPECT_EQ(s().heroCol, 10);
  pushRight();
  EXPECT_EQ(s().heroCol, 11);
}

TEST_F(DoorTest, GateBeyondTheLastColumnIsNeverForced) {
  game.grid.glyphs[10][40] = glyph::gate;
  putRows(game, 10, 39, {"."});
  placeHero(10, 39);
  seedWhere(game, [](Random& r) {
    GateRoll g = rollGate(r, 6);
    return g.cost == 1 && g.forced;
  });
  pushRight();
  EXPECT_EQ(s().messageLine, "[Couldn't force gate][Hp -1]");
  EXPECT_EQ(game.grid.glyphAt(10, 40), glyph::gate);
}

TEST_F(DoorTest, MembersWithApBelowThreeNeverForceAGate) {
  putRows(game, 10, 11, {"="});
  s().stat(stat::hp) = 1000000;
  for (int ap : {0, 1, 2}) {
    s().stat(stat::ap) = ap;
    for (int i = 0; i < 300; ++i) {
      pushRight();
      ASSERT_EQ(s().messageLine.rfind("[Couldn't force gate]", 0), 0u) << "Ap " << ap;
    }
  }
  EXPECT_EQ(rowText(game, 10, 11, 11), "=");
  // Ap 3 can: a forcing roll exists.
  seedWhere(game, [](Random& r) { return rollGate(r, 3).forced; });
  s().stat(stat::ap) = 3;
  pushRight();
  EXPECT_EQ(rowText(game, 10, 11, 11), ".");
}

TEST_F(DoorTest, WallsAndBlockWallsStopTheHeroWithoutCostOrMessage) {
  for (char symbol : std::string("%|")) {
    SCOPED_TRACE(symbol);
    putRows(game, 10, 11, {std::string(1, symbol)});
    s().stat(stat::mp) = 100;
    const auto before = game.random.draws();
    pushRight();
    EXPECT_EQ(s().heroCol, 10);
    EXPECT_EQ(s().stat(stat::mp), 100);
    EXPECT_EQ(s().messageLine, "");
    EXPECT_EQ(rowText(game, 10, 11, 11), std::string(1, symbol));
    EXPECT_EQ(game.random.draws() - before, 4u);
  }
}

}  // namespace
}  // namespace dw::test
