#include "world/Sight.h"

#include <gtest/gtest.h>

#include <limits>

#include "dungeon/CellDrawing.h"
#include "support/TestGame.h"
#include "support/WorldHelpers.h"

namespace dw::test {
namespace {

struct SightTest : ::testing::Test, TestGame {
  SightTest() {
    setMember(1, 20, 2, 2, 20, 4, 3);
    for (int row = 4; row <= 16; ++row) putRows(game, row, 4, {std::string(13, '.')});
    placeHero(10, 10);
  }
  int seenCount() const {
    int n = 0;
    for (const auto& row : game.grid.seen) {
      for (auto v : row) n += v != 0;
    }
    return n;
  }
};

TEST_F(SightTest, SightIsADiameterOfShownCells) {
  struct Case {
    std::int32_t sight;
    int cells;
  };
  const Case cases[] = {{0, 1}, {1, 1}, {2, 5}, {3, 9}, {4, 13}, {-1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sight);
    fillSeen(game, 0);
    s().exploredCells = 0;
    s().stat(stat::sight) = c.sight;
    drawSightArea(game);
    EXPECT_EQ(seenCount(), c.cells);
    EXPECT_EQ(s().exploredCells, c.cells);
    drawSightArea(game);  // cells seen before are not counted again
    EXPECT_EQ(s().exploredCells, c.cells);
  }
}

TEST_F(SightTest, RockIsShownButNotCounted) {
  putRows(game, 9, 10, {"#"});
  drawSightArea(game);
  EXPECT_EQ(game.grid.seenAt(9, 10), 1);
  EXPECT_EQ(s().exploredCells, 12);
}

TEST_F(SightTest, HugeSightIsCutToTheGeneratedArea) {
  for (std::int32_t sight : {2000000000, std::numeric_limits<std::int32_t>::max()}) {
    fillSeen(game, 0);
    s().stat(stat::sight) = sight;
    drawSightArea(game);
    EXPECT_EQ(seenCount(), 23 * 38);
  }
  fillSeen(game, 0);
  s().stat(stat::sight) = std::numeric_limits<std::int32_t>::min();
  drawSightArea(game);
  EXPECT_EQ(seenCount(), 0);
}

TEST_F(SightTest, NeighbourhoodRevealShowsSideCellsAtSightTwoAndRedrawsSeenOnes) {
  DrawProbe probe(*this);
  s().stat(stat::sight) = 2;
  game.grid.seen[9][11] = 2;  // covered by Vision earlier
  revealNeighbours(game);
  EXPECT_EQ(seenText(game, 9, 9, 11), "011");
  EXPECT_EQ(seenText(game, 10, 9, 11), "111");
  EXPECT_EQ(seenText(game, 11, 9, 11), "010");
  EXPECT_TRUE(probe.untouched(9, 9));
  EXPECT_TRUE(probe.shows(9, 11, glyph::floor));
  EXPECT_EQ(s().exploredCells, 5);
}

TEST_F(SightTest, WarpLandsOnlyOnCellsSightHasNotShown) {
  // Everything is shown by sight except two cells: rock and a Vision-covered
  // Snake.
  fillSeen(game, 1);
  putRows(game, 14, 14, {"S"});
  game.grid.seen[14][14] = 2;
  game.grid.seen[2][2] = 0;
  Random copy = game.random;
  long long row, col;
  do {
    col = copy.pick(38, 2);
    row = copy.pick(23, 2);
  } while (row != 14 || col != 14);
  EXPECT_TRUE(castWarp(game, 7));
  EXPECT_EQ(s().heroRow, 14);
  EXPECT_EQ(s().heroCol, 14);
  EXPECT_EQ(game.random.draws(), copy.draws());
  // No attack on arrival.
  EXPECT_EQ(s().stat(stat::hp), 20);
  EXPECT_EQ(s().stat(stat::mp), 13);
  EXPECT_EQ(s().messageLine, "[Cast 'Warp'][Mp -7]");
  EXPECT_EQ(rowText(game, 10, 10, 10) + rowText(game, 14, 14, 14), ".S");
}

TEST_F(SightTest, WarpIsRefusedWhenOnlyPassagesAreUnseen) {
  fillSeen(game, 1);
  putRows(game, 5, 5, {"-+=|"});
  for (int col = 5; col <= 8; ++col) game.grid.seen[5][col] = 0;
  const auto before = game.random.draws();
  EXPECT_FALSE(castWarp(game, 6));
  EXPECT_EQ(game.random.draws(), before);
  EXPECT_EQ(s().heroRow, 10);
  EXPECT_EQ(s().heroCol, 10);
  EXPECT_EQ(s().stat(stat::mp), 20);
  EXPECT_EQ(s().messageLine, "");
}

TEST_F(SightTest, RevealAreaCoversADiscAroundAnOpenCentre) {
  // The centre is drawn row first until it is not rock.
  long long r = 0, c = 0;
  seedWhere(game, [&](Random& rng) {
    int rockTries = 0;
    for (;;) {
      r = rng.pick(23, 2);
      c = rng.pick(38, 2);
      if (r >= 4 && r <= 16 && c >= 4 && c <= 16) break;
      ++rockTries;
    }
    return rockTries >= 1 && r >= 6 && r <= 14 && c >= 6 && c <= 14;
  });
  revealArea(game);
  int covered = 0;
  for (int row = r - 3; row <= r + 3; ++row) {
    for (int col = c - 3; col <= c + 3; ++col) {
      const int dr = row - static_cast<int>(r), dc = col - static_cast<int>(c);
      const bool inDisc = dr * dr + dc * dc <= 6;  // within 2.5
      EXPECT_EQ(game.grid.seenAt(row, col), inDisc ? 2 : 0) << row << "," << col;
      covered += inDisc;
    }
  }
  EXPECT_EQ(covered, 21);
  EXPECT_EQ(s().exploredCells, 21);
  EXPECT_EQ(s().visionCells, 21);
}

TEST_F(SightTest, RevealAreaCountsEachCellOnceInEachCounter) {
  // A room of 3 x 3 at rows 9..11, columns 9..11, the disc centred on it.
  for (int row = 4; row <= 16; ++row) putRows(game, row, 4, {std::string(13, '#')});
  putRows(game, 9, 9, {"...", "...", "..."});
  seedWhere(game, [](Random& rng) {
    for (;;) {
      long long r = rng.pick(23, 2), c = rng.pick(38, 2);
      if (r >= 9 && r <= 11 && c >= 9 && c <= 11) return r == 10 && c == 10;
    }
  });
  fillSeen(game, 0);
  game.grid.seen[9][9] = 1;   // shown by sight
  game.grid.seen[9][10] = 2;  // covered before
  revealArea(game);
  EXPECT_EQ(s().exploredCells, 7);
  EXPECT_EQ(s().visionCells, 8);
  EXPECT_EQ(seenText(game, 9, 9, 11), "222");
  EXPECT_EQ(seenText(game, 8, 9, 11), "000");  // rock in the disc keeps 0
}

}  // namespace
}  // namespace dw::test
