#include <gtest/gtest.h>

#include <set>

#include "support/TestGame.h"

namespace dw {
namespace {

std::string bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s += static_cast<char>(c);
  return s;
}

TEST(LevelGrid, StandardClassStringsHoldTheGlyphsInTheirWeightedOrder) {
  // Order and repetitions are what the generator's picks index into.
  CellClassTable t;
  t.setStandard();
  EXPECT_EQ(t.classGlyphs[0], bytes({176}));
  EXPECT_EQ(t.classGlyphs[1], bytes({219, 247}));
  EXPECT_EQ(t.classGlyphs[2], bytes({45, 45, 45, 45, 254, 254, 254, 35, 35, 178}));
  EXPECT_EQ(t.classGlyphs[3],
            bytes({248, 248, 248, 248, 248, 248, 253, 253, 253, 253, 240, 240, 240,
                   243, 243, 236, 236, 236, 244, 244, 244, 231, 231, 241, 224, 227}));
}

TEST(LevelGrid, ClassifyGivesTheClassAndTheGlyphACellIsDrawnAs) {
  test::TestGame t;
  const std::set<int> classOne = {219, 247};
  const std::set<int> classTwo = {45, 254, 35, 178};
  const std::set<int> classThree = {248, 253, 240, 243, 236, 244, 231, 241, 224, 227};
  for (int g = 0; g < 256; ++g) {
    t.game.grid.glyphs[10][10] = static_cast<std::uint8_t>(g);
    CellInfo info = t.game.classify(10, 10);
    int expectedClass = classOne.count(g) ? 1 : classTwo.count(g) ? 2 : classThree.count(g) ? 3 : 0;
    EXPECT_EQ(info.cellClass, expectedClass) << "glyph " << g;
    EXPECT_EQ(info.classGlyph, expectedClass == 0 ? 176 : g) << "glyph " << g;
  }
  // Cells beyond the grid read as 0: rock.
  for (auto [row, col] : {std::pair{-1, 5}, {26, 0}, {0, 41}, {-2, -2}}) {
    CellInfo info = t.game.classify(row, col);
    EXPECT_EQ(info.cellClass, 0);
    EXPECT_EQ(info.classGlyph, 176);
  }
}

TEST(LevelGrid, LevelTextShowsOneSymbolPerCell) {
  test::TestGame t;
  t.game.grid.glyphs[3][4] = glyph::stairs;
  t.game.grid.glyphs[3][5] = glyph::shop;
  t.game.grid.glyphs[3][6] = 7;
  std::string text = levelText(t.game.grid);
  std::vector<std::string> rows;
  for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    rows.push_back(text.substr(at, end - at));
  }
  ASSERT_EQ(rows.size(), 26u);
  EXPECT_EQ(rows[0], "");
  EXPECT_EQ(rows[2], "  " + std::string(38, '#'));
  EXPECT_EQ(rows[3], "  ##>@?" + std::string(33, '#'));
  EXPECT_NE(levelLegend().find("> stairs"), std::string::npos);
}

}  // namespace
}  // namespace dw
