#include <gtest/gtest.h>

#include <algorithm>

#include "dungeon/CellDrawing.h"
#include "support/MemoryTiles.h"

namespace dw {
namespace {

std::string bytes(std::initializer_list<int> codes) {
  std::string s;
  for (int c : codes) s += static_cast<char>(c);
  return s;
}

int pixel(const Screen& s, int x, int y) {
  return s.page(0)[y * Screen::width + x];
}

void fillWorkPage(Screen& s, int colour) {
  s.drawLine(0, 0, 319, 199, colour, LineKind::filledBox);
}

bool pageIs(const Screen& s, int colour) {
  return std::all_of(s.page(0), s.page(0) + Screen::pageSize,
                     [colour](std::uint8_t v) { return v == colour; });
}

TEST(TileFiles, NamesCarryThreeDigitsOfTheGlyphCode) {
  EXPECT_EQ(tileFileName(0), "tiles\\000b0808.til");
  EXPECT_EQ(tileFileName(7), "tiles\\007b0808.til");
  EXPECT_EQ(tileFileName(45), "tiles\\045b0808.til");
  EXPECT_EQ(tileFileName(219), "tiles\\219b0808.til");
  EXPECT_EQ(tileFileName(255), "tiles\\255b0808.til");
}

TEST(TileFiles, FourPlanesPerRowAddUpToColoursAndPartialBytesAreCut) {
  // Width 12: two bytes per plane and row; the low four bits of each second
  // byte lie beyond the picture and change nothing.
  const std::string data = bytes({0xFF, 0xFF, 0x80, 0x10, 0x00, 0x0F, 0x40, 0x00,    // row 0
                                  0x00, 0x00, 0x00, 0x00, 0xFF, 0xF0, 0x00, 0x20});  // row 1
  test::MemoryFilePlatform p;
  p.files["plain.til"] = test::tileBytes(12, 2, data);
  p.files["high.til"] = test::tileBytes(12 | 0x8000, 2 | 0x8000, data);  // bit 15 is not size
  for (const char* name : {"plain.til", "high.til"}) {
    auto image = loadTileImage(p, name);
    ASSERT_TRUE(image) << name;
    ASSERT_EQ(image->width, 12) << name;
    ASSERT_EQ(image->height, 2) << name;
    const int row0[12] = {3, 9, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3};
    const int row1[12] = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 12, 4};
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(getPixel(*image, x, 0), row0[x]) << name << " x " << x;
      EXPECT_EQ(getPixel(*image, x, 1), row1[x]) << name << " x " << x;
    }
  }
}

TEST(TileFiles, ShortFileGivesColourZeroForMissingBits) {
  test::MemoryFilePlatform p;
  p.files["short.til"] = test::tileBytes(8, 8, bytes({0xF0, 0xFF}));  // row 0, planes 0 and 1
  auto image = loadTileImage(p, "short.til");
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width, 8);
  ASSERT_EQ(image->height, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int expected = y > 0 ? 0 : (x < 4 ? 3 : 2);
      EXPECT_EQ(getPixel(*image, x, y), expected) << x << "," << y;
    }
  }
}

TEST(TileFiles, TwentyFiveSquareFileGivesTwentyFourSquareImage) {
  // Rows are laid out for 25 pixels (four bytes a plane); the 25th column
  // and row fall outside the image.
  std::string data;
  for (int y = 0; y < 25; ++y)
    data += bytes({0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80});
  test::MemoryFilePlatform p;
  p.files[tileFileName(1)] = test::tileBytes(25, 25, data);
  auto image = loadTileImage(p, tileFileName(1));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 24);
  EXPECT_EQ(image->height, 24);
  EXPECT_TRUE(
      std::all_of(image->pixels.begin(), image->pixels.end(), [](auto v) { return v == 1; }));

  Game game(p);
  fillWorkPage(game.screen, 7);
  putTileFile(game, 0, 0, tileFileName(1), "pset");
  EXPECT_EQ(pixel(game.screen, 23, 23), 1);
  EXPECT_EQ(pixel(game.screen, 24, 0), 7);
  EXPECT_EQ(pixel(game.screen, 0, 24), 7);
}

TEST(TileFiles, WrongIdentificationByteEmptyFileAndZeroSizeDrawNothing) {
  test::MemoryFilePlatform p;
  p.files["wrong.til"] = test::tileBytes(8, 8, std::string(32, '\xFF'), 252);
  p.files["empty.til"] = "";
  p.files["zero.til"] = test::tileBytes(0, 0, std::string(32, '\xFF'));
  p.files["flat.til"] = test::tileBytes(0, 9, std::string(32, '\xFF'));
  Game game(p);
  fillWorkPage(game.screen, 7);
  for (const char* name : {"wrong.til", "empty.til", "zero.til", "flat.til"}) {
    for (const char* mode : {"pset", "preset"}) putTileFile(game, 16, 16, name, mode);
    EXPECT_TRUE(pageIs(game.screen, 7)) << name;
  }
  EXPECT_FALSE(loadTileImage(p, "wrong.til"));
  EXPECT_FALSE(loadTileImage(p, "empty.til"));
}

TEST(TileFiles, MissingFileDrawsTheDottedPlaceholderOverThreeByThreeCells) {
  test::MemoryFilePlatform p;
  auto image = loadTileImage(p, "tiles\\missing.til");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 24);
  EXPECT_EQ(image->height, 24);

  Game game(p);
  for (int draw = 0; draw < 2; ++draw) {  // a second draw looks the same
    fillWorkPage(game.screen, 7);
    putTileFile(game, 16, 8, "tiles\\missing.til", "pset");
    const Screen& s = game.screen;
    for (int y = 0; y < 24; ++y) {
      for (int x = 0; x < 24; ++x) {
        int c = pixel(s, 16 + x, 8 + y);
        EXPECT_TRUE(c == 0 || c == 12) << x << "," << y;
        if (y % 2 == 1) {
          EXPECT_EQ(c, 0) << x << "," << y;
        }
      }
    }
    // The six lines start at x = 5, 3, 1 (falling right) and 22, 20, 18.
    for (int x = 0; x < 24; ++x) {
      bool start = x == 1 || x == 3 || x == 5 || x == 18 || x == 20 || x == 22;
      EXPECT_EQ(pixel(s, 16 + x, 8), start ? 12 : 0) << x;
    }
    EXPECT_EQ(pixel(s, 15, 8), 7);
    EXPECT_EQ(pixel(s, 40, 8), 7);
    EXPECT_EQ(pixel(s, 16, 7), 7);
    EXPECT_EQ(pixel(s, 16, 32), 7);
  }
}

TEST(TileFiles, HugeDeclaredPictureDrawsOnlyWhatLandsOnThePage) {
  // 32767 x 32767 pixels: 4096 bytes a plane, 16384 a row. Three rows are
  // given: colour 1 everywhere, then 2 on every odd x, then 8 everywhere;
  // the rest of the file is missing and reads as colour 0.
  const std::string plane(4096, '\0'), full(4096, '\xFF'), odd(4096, '\x55');
  std::string data = full + plane + plane + plane;
  data += plane + odd + plane + plane;
  data += plane + plane + plane + full;
  test::MemoryFilePlatform p;
  p.files["huge.til"] = test::tileBytes(32767, 32767, data);

  auto image = loadTileImage(p, "huge.til");
  ASSERT_TRUE(image);
  EXPECT_LE(static_cast<long long>(image->width) * image->height, Screen::pageSize);

  Game game(p);
  fillWorkPage(game.screen, 7);
  putTileFile(game, -9, -1, "huge.til", "pset");
  const Screen& s = game.screen;
  for (int x = 0; x < Screen::width; ++x) {
    ASSERT_EQ(pixel(s, x, 0), (x + 9) % 2 == 1 ? 2 : 0) << x;
    ASSERT_EQ(pixel(s, x, 1), 8) << x;
    ASSERT_EQ(pixel(s, x, 2), 0) << x;
    ASSERT_EQ(pixel(s, x, 199), 0) << x;
  }

  fillWorkPage(game.screen, 7);
  putTileFile(game, 5, 3, "huge.til", "xor");
  EXPECT_EQ(pixel(s, 4, 3), 7);
  EXPECT_EQ(pixel(s, 5, 2), 7);
  EXPECT_EQ(pixel(s, 5, 3), 6);   // 7 xor 1
  EXPECT_EQ(pixel(s, 5, 4), 7);   // 7 xor 0
  EXPECT_EQ(pixel(s, 6, 4), 5);   // 7 xor 2
  EXPECT_EQ(pixel(s, 7, 5), 15);  // 7 xor 8
  EXPECT_EQ(pixel(s, 7, 6), 7);
  EXPECT_EQ(pixel(s, 319, 199), 7);

  putTileFile(game, -40000, 0, "huge.til", "pset");
  putTileFile(game, 0, 32767, "huge.til", "pset");
  EXPECT_EQ(pixel(s, 0, 0), 7);
}

}  // namespace
}  // namespace dw
