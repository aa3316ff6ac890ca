#include "dungeon/Generator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "platform/Font.h"
#include "support/MemoryTiles.h"
#include "support/TestGame.h"

namespace dw {
namespace {

bool isRockGlyph(const Game& game, int row, int col) {
  return game.classify(row, col).cellClass == 0;
}

// Checks one generated level; returns the positions of its shop cells.
std::vector<std::pair<int, int>> checkLevel(const Game& game, int seed) {
  const auto& g = game.grid.glyphs;
  std::vector<std::pair<int, int>> shops;
  int stairs = 0, open = 0;
  for (int row = 0; row < gridRows; ++row) {
    for (int col = 0; col < gridCols; ++col) {
      auto at = [&] {
        return "seed " + std::to_string(seed) + " row " + std::to_string(row) + " col " +
               std::to_string(col);
      };
      bool generated = row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
      bool inner = row >= 3 && row <= 23 && col >= 3 && col <= 38;
      EXPECT_EQ(game.grid.seen[row][col], 0) << at();
      if (!generated) {
        EXPECT_EQ(g[row][col], 0) << at();
        continue;
      }
      if (!inner) {
        EXPECT_EQ(g[row][col], glyph::rock) << at();
        continue;
      }
      CellInfo info = game.classify(row, col);
      EXPECT_TRUE(info.cellClass > 0 || g[row][col] == glyph::rock || g[row][col] == glyph::shop)
          << at();
      if (info.cellClass >= 1) ++open;
      if (g[row][col] == glyph::stairs) ++stairs;
      if (g[row][col] == glyph::shop) shops.emplace_back(row, col);
      if (info.cellClass == 2) {
        // A passage that stays sits between rock: on two opposite sides,
        // or with three or more rock cells around it.
        std::vector<std::pair<int, int>> rock;
        for (int c = col - 1; c <= col + 1; ++c) {
          for (int r = row - 1; r <= row + 1; ++r) {
            if (isRockGlyph(game, r, c)) rock.emplace_back(r, c);
          }
        }
        bool apart = rock.size() == 2 && (std::abs(rock[0].first - rock[1].first) >= 2 ||
                                          std::abs(rock[0].second - rock[1].second) >= 2);
        EXPECT_TRUE(rock.size() >= 3 || apart)
            << at() << ": a passage with " << rock.size() << " rock";
      }
    }
  }
  SCOPED_TRACE("seed " + std::to_string(seed));
  EXPECT_EQ(stairs, 1);
  EXPECT_EQ(game.state.openCells, open);
  EXPECT_EQ(game.state.exploredCells, 0);
  EXPECT_EQ(g[game.state.heroRow][game.state.heroCol], glyph::floor);
  EXPECT_GE(game.state.levelShop, 1);
  EXPECT_LE(game.state.levelShop, 18);
  EXPECT_LE(shops.size(), 2u);
  if (shops.size() == 2) {
    // Both shops go into the first room, at most 7 x 7 cells.
    EXPECT_LE(std::abs(shops[0].first - shops[1].first), 6);
    EXPECT_LE(std::abs(shops[0].second - shops[1].second), 6);
  }
  return shops;
}

TEST(Generator, EveryLevelKeepsItsRoomsInsideARingOfRock) {
  std::map<std::size_t, int> levelsByShops;
  for (int seed = 1; seed <= 200; ++seed) {
    test::TestGame t;
    t.game.grid.seen[5][5] = 2;  // from an earlier level
    t.game.random.randomize(seed, 0);
    generateLevel(t.game);
    ++levelsByShops[checkLevel(t.game, seed).size()];
    EXPECT_EQ(t.game.state.levelNumber, 1);
    if (HasFailure()) break;
  }
  // Over 200 levels each shop count turns up.
  if (HasFailure()) return;
  EXPECT_GT(levelsByShops[0], 0);
  EXPECT_GT(levelsByShops[1], 0);
  EXPECT_GT(levelsByShops[2], 0);
}

TEST(Generator, SameSeedGivesSameLevelAndTheNextLevelContinuesTheSequence) {
  test::TestGame a, b;
  a.game.random.randomize(42, 0);
  b.game.random.randomize(42, 0);
  generateLevel(a.game);
  generateLevel(b.game);
  EXPECT_EQ(levelText(a.game.grid), levelText(b.game.grid));
  EXPECT_EQ(a.game.random.draws(), b.game.random.draws());
  EXPECT_EQ(a.game.state.heroRow, b.game.state.heroRow);
  EXPECT_EQ(a.game.state.heroCol, b.game.state.heroCol);
  EXPECT_EQ(a.game.state.levelShop, b.game.state.levelShop);
  // At the least: five level values, the 874 cells of the clear, and for 26
  // rooms one attempt and four floor cells each.
  EXPECT_GE(a.game.random.draws(), 5u + 874u + 26u * 8u);

  const std::string first = levelText(a.game.grid);
  auto drawsBefore = a.game.random.draws();
  a.game.grid.seen[12][12] = 1;
  a.game.state.exploredCells = 9;
  generateLevel(a.game);
  EXPECT_NE(levelText(a.game.grid), first);
  EXPECT_GT(a.game.random.draws(), drawsBefore + 879);
  EXPECT_EQ(a.game.state.levelNumber, 2);
  checkLevel(a.game, 42);
}

TEST(Generator, PlaceCellDrawsOncePickingByTheClassWeights) {
  test::TestGame t;
  t.game.random.randomize(5, 0);
  const int calls = 2600;
  std::map<int, std::map<int, int>> counts;
  for (int k = 0; k <= 3; ++k) {
    for (int i = 0; i < calls; ++i) {
      auto before = t.game.random.draws();
      placeCell(t.game, k, 10, 10);
      ASSERT_EQ(t.game.random.draws(), before + 1);
      ++counts[k][t.game.grid.glyphs[10][10]];
    }
  }
  EXPECT_EQ(counts[0][glyph::rock], calls);
  EXPECT_EQ(counts[1][glyph::floor], calls);  // never the stairs
  // Weights 4 : 3 : 2 : 1 of ten, and 6, 4, 3, ... of 26.
  auto near = [&](int k, int g, int weight, int of) {
    double expected = double(calls) * weight / of;
    EXPECT_NEAR(counts[k][g], expected, expected * 0.25 + 10) << "glyph " << g;
  };
  near(2, glyph::openDoor, 4, 10);
  near(2, glyph::lockedDoor, 3, 10);
  near(2, glyph::gate, 2, 10);
  near(2, glyph::blockWall, 1, 10);
  near(3, glyph::goldPile, 6, 26);
  near(3, glyph::snake, 4, 26);
  near(3, glyph::treasure, 2, 26);
  near(3, glyph::shadow, 1, 26);
  EXPECT_EQ(counts[3].size(), 10u);
}

// After a level is made the work page shows the border and the unseen mark
// on every generated cell, nothing of the progress display.
void expectBorderAndCoverOnWorkPage(test::MarkerGame& t) {
  const Screen& s = t.game.screen;
  for (int row = 1; row <= 25; ++row) {
    for (int col = 1; col <= 40; ++col) {
      bool generated = row >= firstRow && row <= lastRow && col >= firstCol && col <= lastCol;
      if (generated) {
        EXPECT_EQ(t.cellOnWorkPage(row, col), glyph::unseenGlyph) << row << "," << col;
        continue;
      }
      int code = row == 1    ? (col == 1    ? 218
                                : col == 40 ? 191
                                            : 196)
                 : row == 25 ? (col == 1    ? 192
                                : col == 40 ? 217
                                            : 196)
                             : 179;
      const auto& font = fontGlyphs()[code];
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
          int want = (font[y] & (0x80 >> x)) ? 3 : 0;
          ASSERT_EQ(s.page(0)[(8 * row - 8 + y) * Screen::width + 8 * col - 8 + x], want)
              << "border cell " << row << "," << col;
        }
      }
    }
  }
}

TEST(Generator, ProgressShowsOverTheTitleAndNeverReachesTheWorkPage) {
  test::MarkerGame t;
  Screen& s = t.game.screen;
  s.setPages(2, 1);
  s.drawLine(0, 0, 319, 199, 5, LineKind::filledBox);  // the title picture
  s.setPages(0, 1);
  s.drawLine(0, 0, 319, 199, 6, LineKind::filledBox);  // whatever the work page held

  // The first unseen mark is read right after the first display of the
  // cover phase: bar value 1 of 23 on text row 20.
  std::vector<std::uint8_t> shownThen, workThen;
  t.platform.onRead = [&](const std::string& path) {
    if (path != tileFileName(glyph::unseenGlyph)) return;
    shownThen.assign(s.page(1), s.page(1) + Screen::pageSize);
    workThen.assign(s.page(0), s.page(0) + Screen::pageSize);
  };
  generateLevel(t.game);
  ASSERT_EQ(shownThen.size(), static_cast<std::size_t>(Screen::pageSize));

  // What page 1 should hold for a bar value ending at x: page 2 with the
  // text and the bar.
  Screen expected;
  expected.setPages(0, 0);
  expected.drawLine(0, 0, 319, 199, 5, LineKind::filledBox);
  expected.locate(20, 5);
  expected.print("Please wait...", false);
  auto expectBar = [&](const std::uint8_t* page, int x) {
    for (int y = 0; y < Screen::height; ++y) {
      for (int px = 0; px < Screen::width; ++px) {
        int want = expected.page(0)[y * Screen::width + px];
        if (y >= 168 && y <= 175 && px >= 32 && px <= 279) {
          bool edge = y == 168 || y == 175 || px == 32 || px == 279;
          want = edge ? 15 : (px <= x ? 10 : 8);
        }
        ASSERT_EQ(page[y * Screen::width + px], want) << "x " << px << " y " << y;
      }
    }
  };
  expectBar(shownThen.data(), 49);
  expectBar(s.page(1), 279);

  // Meanwhile the work page kept its own picture, now with the border.
  EXPECT_EQ(workThen[100 * Screen::width + 100], 6);
  EXPECT_EQ(workThen[170 * Screen::width + 100], 6);

  expectBorderAndCoverOnWorkPage(t);
  EXPECT_EQ(s.foreground(), 15);
  EXPECT_EQ(s.background(), 0);
}

}  // namespace
}  // namespace dw

namespace dw {
namespace {

// The room search gives up only where it could never end: no 2 x 2 block of
// rock left where a room may stand.
TEST(GeneratorFullLevel, RoomsFitUntilNoTwoByTwoRockBlockIsLeft) {
  test::TestGame t;
  EXPECT_TRUE(anyRoomFits(t.game));
  for (int row = 3; row <= 23; ++row) {
    for (int col = 3; col <= 38; col += 2) t.game.grid.glyphs[row][col] = glyph::floor;
  }
  EXPECT_FALSE(anyRoomFits(t.game));
  // One free block in the corner is enough.
  t.game.grid.glyphs[22][37] = t.game.grid.glyphs[23][37] = glyph::rock;
  EXPECT_TRUE(anyRoomFits(t.game));
}

}  // namespace
}  // namespace dw
