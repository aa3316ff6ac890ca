// Marked-up text placed far outside the screen: positions that do not fit
// the int range must neither overflow nor wrap around onto the page.
#include "data/MarkedText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"

namespace dw::badinput {
namespace {

bool pageIsBlank(const Screen& screen) {
  const std::uint8_t* page = screen.page(0);
  return std::all_of(page, page + Screen::pageSize, [](std::uint8_t p) { return p == 0; });
}

TEST(MarkedTextFarOff, RightOfTheLastColumnDrawsNothingEvenAtTheIntLimit) {
  HeadlessPlatform platform;
  Game game(platform);
  const int farRight = std::numeric_limits<int>::max() - 2;
  // Six cells from a column just below the limit: the later ones must not
  // wrap around to the left edge.
  drawMarkedText(game, 5, farRight, 15, 1, "abc{{h}}de");
  EXPECT_TRUE(pageIsBlank(game.screen));
  drawMarkedText(game, 5, 41, 15, 1, "{{g}}xyz");
  EXPECT_TRUE(pageIsBlank(game.screen));
}

TEST(MarkedTextFarOff, IconsOnRowsBeyondTheIntRangeStayOffThePage) {
  HeadlessPlatform platform;
  Game game(platform);
  for (int row : {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
    drawMarkedText(game, row, 3, 15, 1, "{{h}}{{m}}{{k}}");
    EXPECT_TRUE(pageIsBlank(game.screen)) << row;
  }
}

}  // namespace
}  // namespace dw::badinput
