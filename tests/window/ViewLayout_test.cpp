#include "platform/sdl/ViewLayout.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace dw {
namespace {

void expectArea(const ViewLayout& v, int x, int y, int w, int h) {
  EXPECT_EQ(v.area.x, x);
  EXPECT_EQ(v.area.y, y);
  EXPECT_EQ(v.area.w, w);
  EXPECT_EQ(v.area.h, h);
}

TEST(ViewLayout, PlainViewUsesTheLargestWholeScaleCentred) {
  ViewLayout exact = layoutView(960, 600, false);
  expectArea(exact, 0, 0, 960, 600);
  EXPECT_FALSE(exact.smooth);

  expectArea(layoutView(1000, 700, false), 20, 50, 960, 600);
  expectArea(layoutView(1920, 1080, false), 160, 40, 1600, 1000);
  expectArea(layoutView(1280, 1024, false), 0, 112, 1280, 800);
  expectArea(layoutView(639, 10000, false), 159, 4900, 320, 200);
}

TEST(ViewLayout, WindowSmallerThanThePageShrinksTheWholePage) {
  ViewLayout v = layoutView(300, 150, false);
  expectArea(v, 30, 0, 240, 150);
  EXPECT_TRUE(v.smooth);
  expectArea(layoutView(0, -5, false), 0, 0, 1, 0);
}

TEST(ViewLayout, FourThreeViewEnlargesByWholePixelsThenSmoothsTheRest) {
  ViewLayout v = layoutView(1280, 960, true);
  expectArea(v, 0, 0, 1280, 960);
  EXPECT_EQ(v.stageW, 1280);
  EXPECT_EQ(v.stageH, 800);
  EXPECT_TRUE(v.smooth);

  ViewLayout wide = layoutView(1920, 1080, true);
  expectArea(wide, 240, 0, 1440, 1080);
  EXPECT_EQ(wide.stageW, 1280);
  EXPECT_EQ(wide.stageH, 1000);

  // 1600 x 1200 is a whole multiple both ways: no filtering at all.
  ViewLayout whole = layoutView(1600, 1200, true);
  EXPECT_EQ(whole.stageW, 1600);
  EXPECT_EQ(whole.stageH, 1200);
  EXPECT_FALSE(whole.smooth);
}

TEST(ViewLayout, EveryWindowSizeGivesACentredFittingPicture) {
  for (int w = 40; w <= 2600; w += 37) {
    for (int h = 40; h <= 1700; h += 29) {
      for (bool aspect : {false, true}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << (aspect ? " 4:3" : " plain"));
        ViewLayout v = layoutView(w, h, aspect);
        ASSERT_LE(v.area.w, w);
        ASSERT_LE(v.area.h, h);
        ASSERT_LE(std::abs(2 * v.area.x + v.area.w - w), 1);
        ASSERT_LE(std::abs(2 * v.area.y + v.area.h - h), 1);
        // A picture that is not a whole multiple fills the window one way.
        if (aspect || v.smooth) {
          ASSERT_TRUE(v.area.w >= w - 1 || v.area.h >= h - 1);
        }
        ASSERT_EQ(v.stageW % 320, 0);
        ASSERT_EQ(v.stageH % 200, 0);
        if (aspect) {
          ASSERT_LE(std::abs(v.area.w * 3 - v.area.h * 4), 4);
          if (v.area.w >= 320) {
            ASSERT_GT(v.stageW + 320, v.area.w);
          }
          if (v.area.h >= 200) {
            ASSERT_GT(v.stageH + 200, v.area.h);
          }
          ASSERT_EQ(v.smooth, v.stageW != v.area.w || v.stageH != v.area.h);
        } else if (!v.smooth) {
          ASSERT_EQ(v.area.w * 200, v.area.h * 320);
          ASSERT_TRUE(v.area.w + 320 > w || v.area.h + 200 > h);
        }
      }
    }
  }
}

TEST(ViewLayout, NewWindowFitsThreeQuartersOfTheDesktop) {
  EXPECT_EQ(startScale(1920, 1080), 4);
  EXPECT_EQ(startScale(1280, 1024), 3);
  EXPECT_EQ(startScale(2560, 1440), 5);
  EXPECT_EQ(startScale(3840, 2160), 8);
  EXPECT_EQ(startScale(800, 600), 1);
  EXPECT_EQ(startScale(100, 100), 1);
}

}  // namespace
}  // namespace dw
