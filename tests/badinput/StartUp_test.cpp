// Start-up without the mouse file and with a typed seed longer than any
// 32-bit number.
#include <gtest/gtest.h>

#include <limits>

#include "BadInputGame.h"

namespace dw::badinput {
namespace {

void expectSameGame(const PlayedGame& a, const PlayedGame& b) {
  EXPECT_EQ(a.game.state.seed, b.game.state.seed);
  EXPECT_EQ(a.game.random.draws(), b.game.random.draws());
  ASSERT_EQ(a.observer.records.size(), b.observer.records.size());
  for (std::size_t i = 0; i < a.observer.records.size(); ++i) {
    EXPECT_EQ(a.observer.records[i].heroRow, b.observer.records[i].heroRow) << "cycle " << i;
    EXPECT_EQ(a.observer.records[i].heroCol, b.observer.records[i].heroCol) << "cycle " << i;
    EXPECT_EQ(a.observer.records[i].message, b.observer.records[i].message) << "cycle " << i;
  }
  EXPECT_EQ(a.observer.lastShown, b.observer.lastShown);
}

TEST(MissingMouseFile, ChangesNothingInTheGame) {
  GameFolder with, without;
  without.remove("drivers\\mouse.bin");
  auto a = play(with, standardKeys());
  auto b = play(without, standardKeys());
  EXPECT_FALSE(a->game.state.mouseDriverImage.empty());
  EXPECT_TRUE(b->game.state.mouseDriverImage.empty());
  EXPECT_EQ(b->exitCode, 0);
  EXPECT_EQ(b->game.endReason, EndReason::quit);
  for (const auto& failure : b->observer.failures()) ADD_FAILURE() << failure;
  expectSameGame(*a, *b);
}

TEST(TypedSeed, OfThirtyDigitsIsHeldAtTheLargest32BitNumber) {
  GameFolder folder;
  const std::string commands = "8888666622224444 wvtphfb+-";
  auto typed = play(folder, "@123456789012345678901234567890\r " + commands + "\x1b");
  auto largest = play(folder, "@2147483647\r " + commands + "\x1b");
  EXPECT_EQ(typed->game.state.seed, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(typed->exitCode, 0);
  expectSameGame(*typed, *largest);
}

TEST(TypedSeed, OfThirtyDigitsBelowZeroIsHeldAtTheSmallest) {
  GameFolder folder;
  auto typed = play(folder, "@-123456789012345678901234567890\r 8642\x1b");
  auto smallest = play(folder, "@-2147483648\r 8642\x1b");
  EXPECT_EQ(typed->game.state.seed, std::numeric_limits<std::int32_t>::min());
  expectSameGame(*typed, *smallest);
}

}  // namespace
}  // namespace dw::badinput
