#include "platform/sdl/Overlay.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

OverlayContent logOf(int lines) {
  OverlayContent content;
  content.pageable = true;
  for (int i = 0; i < lines; ++i)
    content.lines.push_back({"L1 T" + std::to_string(i), "[Gold +5]"});
  return content;
}

TEST(OverlayPanel, TheLogOpensAtItsNewestLineAndPagesWithinItsEnds) {
  OverlayPanel panel;
  panel.open(logOf(50));
  const int last = 50 - OverlayPanel::bodyRows;
  EXPECT_EQ(panel.firstRow(), last);
  panel.move(OverlayPanel::Move::pageDown);
  EXPECT_EQ(panel.firstRow(), last);
  panel.move(OverlayPanel::Move::pageUp);
  EXPECT_EQ(panel.firstRow(), last - (OverlayPanel::bodyRows - 1));
  panel.move(OverlayPanel::Move::pageUp);
  EXPECT_EQ(panel.firstRow(), 0);
  panel.move(OverlayPanel::Move::lineDown);
  EXPECT_EQ(panel.firstRow(), 1);

  // A long message wraps onto rows of its own; a short log does not move.
  OverlayContent wide = logOf(3);
  wide.lines[1].text = std::string(60, 'x') + " end";
  panel.open(wide);
  EXPECT_EQ(panel.rowCount(), 5);
  EXPECT_EQ(panel.firstRow(), 0);
  panel.move(OverlayPanel::Move::pageDown);
  EXPECT_EQ(panel.firstRow(), 0);
}

TEST(BarNotice, GoesInTheLargestBarAtTheLargestWholeScaleThatFits) {
  const std::string notice = "Old Hesk has fallen: + or - picks another member";
  // A 3x page in 1100 x 700: bars of 50 above and below, 70 at the sides.
  auto below = placeBarNotice(1100, 700, {70, 50, 960, 600}, notice, 3);
  ASSERT_TRUE(below);
  EXPECT_EQ(below->scale, 2);
  EXPECT_EQ(below->lines, std::vector<std::string>{notice});
  EXPECT_GE(below->box.y, 650);
  EXPECT_LE(below->box.y + below->box.h, 700);
  EXPECT_EQ(below->box.w, static_cast<int>(notice.size()) * 16);

  // Bars only at the sides: the text wraps inside one of them.
  auto side = placeBarNotice(1280, 600, {160, 0, 960, 600}, notice, 3);
  ASSERT_TRUE(side);
  EXPECT_GT(side->lines.size(), 1u);
  EXPECT_GE(side->box.x, 0);
  EXPECT_LE(side->box.x + side->box.w, 160);

  // No bars, or bars too thin for a line: the title alone tells.
  EXPECT_FALSE(placeBarNotice(960, 600, {0, 0, 960, 600}, notice, 3));
  EXPECT_FALSE(placeBarNotice(960, 610, {0, 5, 960, 600}, notice, 3));
}

}  // namespace
}  // namespace dw
