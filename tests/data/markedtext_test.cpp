#include "data/MarkedText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/MemoryTiles.h"
#include "support/ScreenText.h"

namespace dw {
namespace {

using test::blankCell;
using test::markerAt;
using test::rowText;

TEST(MarkedText, IconGroupsCountAsOneCellAndEverythingElseByteByByte) {
  EXPECT_EQ(markedTextWidth(""), 0);
  EXPECT_EQ(markedTextWidth("[{{h}}012]"), 6);
  EXPECT_EQ(markedTextWidth("{{{}}"), 1);
  EXPECT_EQ(markedTextWidth("{{ab}}"), 6);
  EXPECT_EQ(markedTextWidth("ab{{c}"), 6);  // a group cut off by the end
  EXPECT_EQ(markedTextWidth("{{c}"), 4);
  EXPECT_EQ(markedTextWidth("{{c}}}"), 2);
  EXPECT_EQ(markedTextWidth("{{{{x}}}}"), 5);  // only "{{x}}" in the middle is a group
  EXPECT_EQ(markedTextWidth("{{h}}{{g}}"), 2);
  EXPECT_EQ(markedTextWidth("{{}}}"), 1);  // the picture byte may be a brace
}

TEST(MarkedText, PictureLettersAliasTheirGlyphsWithoutRegardToCase) {
  const std::pair<char, int> aliases[] = {{'m', 244}, {'M', 244}, {'g', 248}, {'G', 248},
                                          {'h', 236}, {'H', 236}, {'k', 231}, {'K', 231},
                                          {'b', 231}, {'B', 231}};
  for (auto [letter, code] : aliases) {
    EXPECT_EQ(static_cast<std::uint8_t>(iconGlyph(letter)), code) << letter;
  }
  EXPECT_EQ(iconGlyph('#'), '#');
  EXPECT_EQ(iconGlyph('x'), 'x');
  EXPECT_EQ(iconGlyph('X'), 'X');
  EXPECT_EQ(iconGlyph('\xF7'), '\xF7');
}

TEST(MarkedText, DrawsTextInItsColoursAndIconsAsTiles) {
  test::MarkerGame g;
  Screen& screen = g.game.screen;
  drawMarkedText(g.game, 3, 5, 9, 0, "[{{h}}012]");
  EXPECT_EQ(rowText(screen, 0, 3, 5, 10), "[{{\xEC}}012]");
  EXPECT_EQ(test::colourAt(screen, 0, 3, 5), 9);
  EXPECT_EQ(test::colourAt(screen, 0, 3, 9), 9);
  EXPECT_EQ(markerAt(screen, 0, 3, 4), blankCell);
  EXPECT_EQ(markerAt(screen, 0, 3, 11), blankCell);
  EXPECT_EQ(g.platform.reads["tiles\\236b0808.til"], 1);

  drawMarkedText(g.game, 4, 1, 12, 0, "{{{}}{{K}}{{k}}{{ab}}{{c}");
  EXPECT_EQ(rowText(screen, 0, 4, 1, 13), "{{{}}{{\xE7}}{{\xE7}}{{ab}}{{c}");
  EXPECT_EQ(test::colourAt(screen, 0, 4, 4), 12);
  EXPECT_EQ(g.platform.reads["tiles\\123b0808.til"], 1);

  // An empty text draws nothing at all.
  std::vector<std::uint8_t> before(screen.page(0), screen.page(0) + Screen::pageSize);
  drawMarkedText(g.game, 10, 10, 9, 0, "");
  EXPECT_TRUE(std::equal(before.begin(), before.end(), screen.page(0)));

  // Every cell sits right after the one before, whatever it holds.
  drawMarkedText(g.game, 25, 36, 14, 0, "a{{m}}b{{g}}c");
  EXPECT_EQ(rowText(screen, 0, 25, 36, 40), "a{{\xF4}}b{{\xF8}}c");
}

}  // namespace
}  // namespace dw
