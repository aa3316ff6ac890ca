#include "platform/Screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "platform/Font.h"

namespace dw {
namespace {

int pixel(const Screen& s, int x, int y, int page = 0) {
  return s.page(page)[y * Screen::width + x];
}

long countNonZero(const Screen& s, int page = 0) {
  const std::uint8_t* p = s.page(page);
  return static_cast<long>(
      std::count_if(p, p + Screen::pageSize, [](std::uint8_t v) { return v; }));
}

void fillPage(Screen& s, int page, int colour) {
  int work = s.workPage(), visible = s.visiblePage();
  s.setPages(page, visible);
  s.drawLine(0, 0, 319, 199, colour, LineKind::filledBox);
  s.setPages(work, visible);
}

// True when text cell (row, col) of a page shows the font glyph of code in
// the given colours.
bool cellShows(const Screen& s, int page, int row, int col, std::uint8_t code, int fg, int bg) {
  const auto& glyph = fontGlyphs()[code];
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int expected = (glyph[y] & (0x80 >> x)) ? fg : bg;
      if (pixel(s, 8 * col - 8 + x, 8 * row - 8 + y, page) != expected) return false;
    }
  }
  return true;
}

TEST(Screen, OpenScreenClearsEveryPageAndResetsCursorAndColours) {
  Screen s;
  for (int p = 0; p < Screen::pageCount; ++p) fillPage(s, p, p + 1);
  s.setPages(0, 1);
  s.setTextColour(9, 4);
  s.locate(12, 30);
  s.openScreen();
  for (int p = 0; p < Screen::pageCount; ++p) EXPECT_EQ(countNonZero(s, p), 0) << "page " << p;
  EXPECT_EQ(s.cursorRow(), 1);
  EXPECT_EQ(s.cursorCol(), 1);
  EXPECT_EQ(s.foreground(), 15);
  EXPECT_EQ(s.background(), 0);
  s.print("A", false);
  EXPECT_TRUE(cellShows(s, 0, 1, 1, 'A', 15, 0));
}

TEST(Screen, PaletteStartsWithTheSixteenTextColours) {
  const int expected[16][3] = {{0, 0, 0},     {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                               {170, 0, 0},   {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                               {85, 85, 85},  {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                               {255, 85, 85}, {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};
  Screen s;
  const Palette& p = s.palette();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(p[i].r, expected[i][0]) << "entry " << i;
    EXPECT_EQ(p[i].g, expected[i][1]) << "entry " << i;
    EXPECT_EQ(p[i].b, expected[i][2]) << "entry " << i;
  }
  // Then the grey ramp from black to white and the first ring of hues.
  EXPECT_EQ(p[16].r + p[16].g + p[16].b, 0);
  EXPECT_EQ(p[31].r + p[31].g + p[31].b, 3 * 255);
  EXPECT_EQ(p[32].r, 0);
  EXPECT_EQ(p[32].b, 255);
}

TEST(Screen, PutImageCombinesEachPixelByItsModeWord) {
  // Source 10 and 0 over a target of 12; no source value is transparent.
  struct Case {
    const char* word;
    int overTen, overZero;
  };
  const Case cases[] = {{"pset", 10, 0}, {"preset", 245, 255}, {"and", 8, 0}, {"or", 14, 12},
                        {"xor", 6, 12},  {"blend", 6, 12},     {"", 6, 12},   {"PSET ", 6, 12}};
  Image image = createImage(2, 1);
  setPixel(image, 0, 0, 10);
  for (const Case& c : cases) {
    Screen s;
    fillPage(s, 0, 12);
    s.putImage(100, 50, image, c.word);
    EXPECT_EQ(pixel(s, 100, 50), c.overTen) << c.word;
    EXPECT_EQ(pixel(s, 101, 50), c.overZero) << c.word;
    EXPECT_EQ(pixel(s, 102, 50), 12) << c.word;
  }
  Image five = createImage(1, 1);
  setPixel(five, 0, 0, 5);
  Screen s;
  s.putImage(0, 0, five, "preset");
  EXPECT_EQ(pixel(s, 0, 0), 250);
}

TEST(Screen, PutImageClipsAtEveryEdgeAndFarOff) {
  Image image = createImage(3, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) setPixel(image, x, y, 1 + x + 3 * y);
  }
  Screen s;
  s.putImage(-1, -1, image, "pset");
  s.putImage(318, -2, image, "pset");
  s.putImage(-2, 198, image, "pset");
  s.putImage(318, 198, image, "pset");
  EXPECT_EQ(pixel(s, 0, 0), 5);
  EXPECT_EQ(pixel(s, 1, 1), 9);
  EXPECT_EQ(pixel(s, 318, 0), 7);
  EXPECT_EQ(pixel(s, 319, 0), 8);
  EXPECT_EQ(pixel(s, 0, 198), 3);
  EXPECT_EQ(pixel(s, 0, 199), 6);
  EXPECT_EQ(pixel(s, 318, 198), 1);
  EXPECT_EQ(pixel(s, 319, 199), 5);
  EXPECT_EQ(countNonZero(s), 4 + 2 + 2 + 4);

  Screen far;
  const int positions[][2] = {
      {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, 0}, {0, INT_MAX}, {INT_MAX, 0},
      {0, INT_MIN},       {320, 0},           {0, 200},     {-3, 0},      {0, -3},
      {-3, 199},          {319, -3}};
  for (const auto& at : positions) far.putImage(at[0], at[1], image, "pset");
  EXPECT_EQ(countNonZero(far), 0);

  Image big = createImage(400, 300);
  std::fill(big.pixels.begin(), big.pixels.end(), 7);
  Screen covered;
  covered.putImage(-40, -50, big, "pset");
  const std::uint8_t* p = covered.page(0);
  EXPECT_TRUE(std::all_of(p, p + Screen::pageSize, [](std::uint8_t v) { return v == 7; }));
}

TEST(Screen, LinesAndBoxesIncludeBothCornersAndClip) {
  Screen line;
  line.drawLine(13, 13, 10, 10, 1, LineKind::line);
  for (int i = 10; i <= 13; ++i) EXPECT_EQ(pixel(line, i, i), 1);
  EXPECT_EQ(countNonZero(line), 4);

  Screen box;
  box.drawLine(20, 30, 25, 33, 2, LineKind::box);
  EXPECT_EQ(countNonZero(box), 2 * 6 + 2 * 2);
  EXPECT_EQ(pixel(box, 20, 30), 2);
  EXPECT_EQ(pixel(box, 25, 33), 2);
  EXPECT_EQ(pixel(box, 22, 31), 0);

  Screen swapped, ordered;
  swapped.drawLine(50, 40, 30, 20, 3, LineKind::filledBox);
  ordered.drawLine(30, 20, 50, 40, 3, LineKind::filledBox);
  EXPECT_EQ(countNonZero(swapped), 21 * 21);
  EXPECT_TRUE(std::equal(swapped.page(0), swapped.page(0) + Screen::pageSize, ordered.page(0)));

  // 0xAAAA lights every other pixel along the line.
  Screen dotted;
  dotted.drawLine(0, 5, 15, 5, 4, LineKind::line, 0xAAAA);
  for (int x = 0; x <= 15; ++x) EXPECT_EQ(pixel(dotted, x, 5), x % 2 == 0 ? 4 : 0) << x;

  Screen clipped;
  clipped.drawLine(-1000, 100, 1000, 100, 5, LineKind::line);
  clipped.drawLine(-5, -5, 1000000000, 2, 6, LineKind::filledBox);
  clipped.drawLine(-10, -10, 400, 300, 7, LineKind::box);  // every side off the page
  clipped.drawLine(-50, 10, -1, 150, 7, LineKind::line);
  for (int x = 0; x < Screen::width; ++x) {
    EXPECT_EQ(pixel(clipped, x, 100), 5);
    EXPECT_EQ(pixel(clipped, x, 2), 6);
  }
  EXPECT_EQ(countNonZero(clipped), 4 * Screen::width);
}

TEST(Screen, TextUsesItsColoursAndNeverScrollsWithoutANewLine) {
  Screen s;
  s.setTextColour(9, 4);
  s.setTextColour(3);  // keeps the background
  s.locate(1, 2);
  s.print("\xC4\xB3", false);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(pixel(s, 8 + x, y), y == 4 ? 3 : 4);             // 196: fifth pixel row
      EXPECT_EQ(pixel(s, 16 + x, y), x == 3 || x == 4 ? 3 : 4);  // 179: fourth and fifth columns
    }
  }

  s.setTextColour(15, 0);
  s.locate(24, 1);
  s.print("Z", false);
  s.locate(25, 40);
  s.print("A", false);
  EXPECT_TRUE(cellShows(s, 0, 24, 1, 'Z', 15, 0));
  EXPECT_TRUE(cellShows(s, 0, 25, 40, 'A', 15, 0));
  EXPECT_EQ(s.cursorRow(), 25);

  // Characters past column 40 are cut, not wrapped.
  s.locate(3, 38);
  s.print("BCDEF", false);
  EXPECT_TRUE(cellShows(s, 0, 3, 38, 'B', 15, 0));
  EXPECT_TRUE(cellShows(s, 0, 3, 40, 'D', 15, 0));
  for (int col = 1; col <= 40; ++col) EXPECT_TRUE(cellShows(s, 0, 4, col, ' ', 15, 0)) << col;
  s.print("", true);
  EXPECT_EQ(s.cursorRow(), 4);
  EXPECT_EQ(s.cursorCol(), 1);
}

TEST(Screen, NewLineBelowTheLastRowScrollsOnlyTheWorkPage) {
  Screen s;
  fillPage(s, 1, 9);
  s.setPages(0, 1);
  s.locate(25, 1);
  s.print("Q", true);
  EXPECT_TRUE(cellShows(s, 0, 24, 1, 'Q', 15, 0));
  EXPECT_TRUE(cellShows(s, 0, 25, 1, ' ', 15, 0));
  EXPECT_EQ(s.cursorRow(), 25);
  EXPECT_EQ(countNonZero(s, 1), Screen::pageSize);
}

// Pages copied onto each other are shared and drawn on afterwards: every
// page must read as if each copy had been made in full. The second screen is
// made to take every page as changed throughout after each step, so it never
// leans on what was shared before.
TEST(Screen, SharedPagesReadAsFullCopiesThroughAnyDrawing) {
  Screen s, full;
  std::mt19937 rng(7);
  auto any = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  Image picture(13, 9);
  for (auto& p : picture.pixels) p = static_cast<std::uint8_t>(any(16));
  Image cell(8, 8);
  const RasterMode modes[] = {RasterMode::pset, RasterMode::preset, RasterMode::andMode,
                              RasterMode::orMode, RasterMode::xorMode};
  Screen::Saved saved = s.save();
  for (int step = 0; step < 4000; ++step) {
    const int what = any(100), a = any(8), b = any(8), x = any(340) - 10, y = any(220) - 10;
    const int colour = any(4) == 0 ? 0 : any(16);
    for (auto& p : cell.pixels) p = static_cast<std::uint8_t>(colour);
    const std::mt19937 before = rng;
    for (Screen* screen : {&s, &full}) {
      rng = before;  // the same step for both
      if (what < 30) {
        screen->copyPage(a, b);
      } else if (what < 40) {
        screen->setPages(a, b);
      } else if (what < 55) {
        screen->putImage(8 * (x / 8), 8 * (y / 8), cell, RasterMode::pset);
      } else if (what < 62) {
        screen->putImage(x, y, picture, modes[any(5)]);
      } else if (what < 72) {
        screen->drawLine(x, y, any(320), y + any(3) * any(40), colour,
                         static_cast<LineKind>(any(3)), any(2) ? 0xFFFF : 0xF0F0);
      } else if (what < 82) {
        screen->setTextColour(colour, any(3));
        screen->locate(1 + any(25), 1 + any(40));
        screen->print(any(2) ? "Please wait..." : "42", any(4) == 0);
      } else if (what < 92) {
        screen->fillChars(1 + any(25), 1 + any(40), any(4), any(12),
                          static_cast<std::uint8_t>(a + 176));
      } else if (what < 97) {
        screen->drawChar(1 + any(25), 1 + any(40), static_cast<std::uint8_t>(any(256)), colour, b);
      } else if (what < 98) {
        saved = screen->save();
      } else if (what < 99) {
        screen->restore(saved);
      } else {
        screen->openScreen();
      }
    }
    for (int n = 0; n < Screen::pageCount; ++n) (void)full.changePage(n);
    for (int n = 0; n < Screen::pageCount; ++n) {
      ASSERT_TRUE(std::equal(s.page(n), s.page(n) + Screen::pageSize, full.page(n)))
          << "page " << n << " after step " << step << " (" << what << ")";
    }
  }
}

}  // namespace
}  // namespace dw
