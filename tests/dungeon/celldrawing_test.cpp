#include "dungeon/CellDrawing.h"

#include <gtest/gtest.h>

#include "support/MemoryTiles.h"

namespace dw {
namespace {

using test::blankCell;

TEST(CellDrawing, GlyphGoesOnItsTextCell) {
  test::MarkerGame t;
  drawGlyph(t.game, 65, 3, 5);
  EXPECT_EQ(t.cellOnWorkPage(3, 5), 65);
  const std::uint8_t* page = t.game.screen.page(0);
  EXPECT_NE(page[16 * Screen::width + 32], 0);
  EXPECT_EQ(page[16 * Screen::width + 31], 0);
  EXPECT_EQ(page[15 * Screen::width + 32], 0);
  EXPECT_EQ(page[24 * Screen::width + 32], 0);
}

TEST(CellDrawing, CellIsDrawnAsItsClassGlyph) {
  test::MarkerGame t;
  struct Case {
    int stored, drawn, cellClass;
  };
  const Case cases[] = {{0, 176, 0},   {64, 176, 0},  {177, 176, 0}, {176, 176, 0},
                        {219, 219, 1}, {247, 247, 1}, {45, 45, 2},   {253, 253, 3}};
  int col = 3;
  for (const Case& c : cases) {
    t.game.grid.glyphs[4][col] = static_cast<std::uint8_t>(c.stored);
    CellInfo info = drawCell(t.game, 4, col);
    EXPECT_EQ(info.cellClass, c.cellClass) << c.stored;
    EXPECT_EQ(info.classGlyph, c.drawn) << c.stored;
    EXPECT_EQ(t.cellOnWorkPage(4, col), c.drawn) << c.stored;
    ++col;
  }
  EXPECT_EQ(t.platform.reads.count(tileFileName(64)), 0u);
}

TEST(CellDrawing, TileTextSkipsBlanksAndWrapsPastX310) {
  test::MarkerGame t;
  drawTileText(t.game, 8, 16, "A B\t!\xFF");
  EXPECT_EQ(t.cellOnWorkPage(3, 2), 'A');
  EXPECT_EQ(t.cellOnWorkPage(3, 3), blankCell);
  EXPECT_EQ(t.cellOnWorkPage(3, 4), 'B');
  EXPECT_EQ(t.cellOnWorkPage(3, 5), blankCell);
  EXPECT_EQ(t.cellOnWorkPage(3, 6), '!');
  EXPECT_EQ(t.cellOnWorkPage(3, 7), 255);

  // x 296 and 304 fit; 312 and 320 go to the next 8-pixel line at 0 and 8.
  drawTileText(t.game, 296, 40, "DEFG");
  EXPECT_EQ(t.cellOnWorkPage(6, 38), 'D');
  EXPECT_EQ(t.cellOnWorkPage(6, 39), 'E');
  EXPECT_EQ(t.cellOnWorkPage(6, 40), blankCell);
  EXPECT_EQ(t.cellOnWorkPage(7, 1), 'F');
  EXPECT_EQ(t.cellOnWorkPage(7, 2), 'G');

  // Still past 310 after the wrap: x 0 of the next line.
  drawTileText(t.game, 700, 120, "HI");
  EXPECT_EQ(t.cellOnWorkPage(17, 1), 'I');
  EXPECT_EQ(t.cellOnWorkPage(16, 1), blankCell);
}

// The hero at (10, 10) with this around:
//   row 9:  floor  orc    floor
//   row 10: gold   floor  rock
//   row 11: floor  stairs shop
struct Neighbourhood : test::MarkerGame {
  explicit Neighbourhood(int sight) {
    auto& g = game.grid.glyphs;
    g[9][9] = glyph::floor, g[9][10] = glyph::orc, g[9][11] = glyph::floor;
    g[10][9] = glyph::goldPile, g[10][10] = glyph::floor, g[10][11] = glyph::rock;
    g[11][9] = glyph::floor, g[11][10] = glyph::stairs, g[11][11] = glyph::shop;
    game.state.heroRow = 10;
    game.state.heroCol = 10;
    game.state.currentMember = 2;
    game.state.memberStats[2][stat::sight] = sight;
  }
  // What each of the nine cells shows, row by row; "_" for a covered cell.
  std::string shown() const {
    std::string out;
    for (int row = 9; row <= 11; ++row) {
      for (int col = 9; col <= 11; ++col) {
        int m = cellOnWorkPage(row, col);
        out += m == blankCell ? '_' : glyphSymbol(static_cast<std::uint8_t>(m));
      }
      out += '/';
    }
    return out;
  }
  std::string seen() const {
    std::string out;
    for (int row = 9; row <= 11; ++row) {
      for (int col = 9; col <= 11; ++col) out += static_cast<char>('0' + game.grid.seen[row][col]);
      out += '/';
    }
    return out;
  }
};

TEST(RevealNeighbours, SightDecidesHowFarTheHeroSees) {
  struct Case {
    int sight;
    const char* shown;
    const char* seen;
    int explored;
  };
  // Class 1..3 cells count as explored; the rock and the shop cell do not.
  const Case cases[] = {{0, "___/_._/___/", "000/010/000/", 1},
                        {1, "___/_._/___/", "000/010/000/", 1},
                        {2, "_O_/$.#/_>_/", "010/111/010/", 4},
                        {3, ".O./$.#/.>#/", "111/111/111/", 7}};
  for (const Case& c : cases) {
    Neighbourhood n(c.sight);
    revealNeighbours(n.game);
    EXPECT_EQ(n.shown(), c.shown) << "sight " << c.sight;
    EXPECT_EQ(n.seen(), c.seen) << "sight " << c.sight;
    EXPECT_EQ(n.game.state.exploredCells, c.explored) << "sight " << c.sight;
  }
}

TEST(RevealNeighbours, CellsSeenBeforeAreRedrawnAtAnyDistanceAndCountOnce) {
  Neighbourhood n(0);
  n.game.grid.seen[9][9] = 2;  // left by an area reveal
  n.game.grid.seen[11][11] = 1;
  n.game.state.exploredCells = 5;
  n.game.grid.glyphs[9][9] = glyph::snake;  // a monster moved in since
  revealNeighbours(n.game);
  EXPECT_EQ(n.shown(), "S__/_._/__#/");
  EXPECT_EQ(n.seen(), "100/010/001/");
  EXPECT_EQ(n.game.state.exploredCells, 6);
  revealNeighbours(n.game);
  EXPECT_EQ(n.game.state.exploredCells, 6);
}

}  // namespace
}  // namespace dw
