#include "platform/terminal/CellMapper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/Font.h"
#include "platform/terminal/TerminalOutput.h"

namespace dw {
namespace {

std::string firstLine(const TextPage& page) {
  std::string text = textOfPage(page);
  return text.substr(0, text.find('\n'));
}

Image pictureOf(const char* rows) {
  Image image(8, 8);
  for (int i = 0; i < 64; ++i) image.pixels[i] = static_cast<std::uint8_t>(rows[i] - 'a');
  return image;
}

TEST(CellMapper, TextReadsAsItsCharactersInItsColours) {
  Screen screen;
  screen.openScreen();
  screen.setTextColour(14, 1);
  screen.print("Gold: 12 \xb0\x82\x01", false);
  screen.setTextColour(15, 0);
  screen.print(" end", false);
  CellMapper mapper;
  TextPage page;
  mapper.readPage(screen, page);
  std::string line = firstLine(page);
  // A blank on a colour other than black is a field of that colour: a full
  // block, like the cells of a bar.
  EXPECT_EQ(line, "Gold:\u258812\u2588\u2591\u00e9\u263a end" + std::string(24, ' '));
  EXPECT_EQ(page[0], (TextCell{'G', 14, 1}));
  EXPECT_EQ(page[8], (TextCell{219, 1, 0}));
  EXPECT_EQ(page[13], (TextCell{'e', 15, 0}));
  screen.drawLine(0, 8, 15, 15, 10, LineKind::filledBox);
  mapper.readPage(screen, page);
  EXPECT_EQ(page[40], (TextCell{219, 10, 0}));
  EXPECT_EQ(page[42], (TextCell{' ', 7, 0}));
}

TEST(CellMapper, TilesReadAsTheirCodeAndOtherCellsAsTheNearestGlyph) {
  // A hero-like picture: an "x" in light cyan on black with one white pixel.
  Image heroPicture(8, 8);
  const auto& xRows = fontGlyphs()['x'];
  for (int i = 0; i < 64; ++i) heroPicture.pixels[i] = (xRows[i / 8] & (0x80 >> (i % 8))) ? 11 : 0;
  for (auto& p : heroPicture.pixels) {
    if (p == 11) {
      p = 15;
      break;
    }
  }
  // A floor-like picture: black with grey specks under a full-block code.
  const char* floor =
      "aaaaaaaa"
      "aaaaaiaa"
      "aaaaaaaa"
      "aiaaaaaa"
      "aaaaaaaa"
      "aaaaaaia"
      "aaaaaaaa"
      "aaaaaaaa";
  CellMapper mapper;
  mapper.addTile(120, heroPicture);
  mapper.addTile(219, pictureOf(floor));
  mapper.addTile(7, heroPicture);  // a second code for the same picture: the first wins
  EXPECT_EQ(CellMapper::tileCell(120, heroPicture), (TextCell{120, 11, 0}));
  EXPECT_EQ(CellMapper::tileCell(219, pictureOf(floor)), (TextCell{219, 0, 8}));

  Screen screen;
  screen.openScreen();
  screen.putImage(8, 0, heroPicture, RasterMode::pset);
  screen.putImage(16, 0, pictureOf(floor), RasterMode::pset);
  // An "A" with one stray pixel of a third colour is still an "A".
  screen.setTextColour(15, 0);
  screen.locate(1, 4);
  screen.print("A", false);
  screen.changePage(0)[3 * 320 + 24] = 4;
  // A bar's cell: the lower half filled, with a line of another colour on top.
  screen.drawLine(32, 4, 39, 7, 10, LineKind::filledBox);
  screen.drawLine(32, 3, 39, 3, 15, LineKind::line);
  TextPage page;
  mapper.readPage(screen, page);
  EXPECT_EQ(page[1], (TextCell{120, 11, 0}));
  EXPECT_EQ(page[2], (TextCell{219, 0, 8}));
  EXPECT_EQ(page[3], (TextCell{'A', 15, 0}));
  // Drawn in its two commonest colours: black over the green.
  EXPECT_EQ(page[4], (TextCell{223, 0, 10}));
  EXPECT_EQ(firstLine(page).substr(0, 9), " x\u2588A\u2580");
  // The same cells read the same way from what was remembered.
  TextPage again;
  mapper.readPage(screen, again);
  EXPECT_EQ(again, page);
}

TEST(TerminalPainter, DrawsOnlyWhatChangedInTheTerminalsColours) {
  TextPage page{};
  page[0] = {'a', 1, 0};   // blue on black
  page[1] = {'b', 12, 6};  // light red on brown
  Palette palette = defaultPalette();
  TerminalPainter ansi({ColourDepth::ansi16, true});
  std::string first = ansi.update(page, palette, false);
  EXPECT_NE(first.find("\x1b[34;40ma"), std::string::npos) << first;
  EXPECT_NE(first.find("\x1b[91;43mb"), std::string::npos) << first;
  EXPECT_EQ(ansi.update(page, palette, false), "");
  page[81] = {178, 7, 0};
  EXPECT_EQ(ansi.update(page, palette, false), "\x1b[3;2H\x1b[37m\u2593");

  TerminalPainter direct({ColourDepth::direct, true});
  std::string all = direct.update(page, palette, false);
  const Rgb& red = palette[12];
  EXPECT_NE(all.find("38;2;" + std::to_string(red.r) + ";" + std::to_string(red.g) + ";" +
                     std::to_string(red.b)),
            std::string::npos);
  // Without UTF-8, characters become ASCII look-alikes and a full block a
  // blank in its colour.
  TerminalPainter ascii({ColourDepth::indexed256, false});
  page[2] = {219, 10, 0};
  std::string plain = ascii.update(page, palette, false);
  EXPECT_EQ(plain.find_first_of("\x80\xff"), std::string::npos);
  EXPECT_NE(plain.find("48;5;"), std::string::npos);
  EXPECT_NE(plain.find('&'), std::string::npos);

  std::string message = tooSmallMessage(30, 20);
  EXPECT_NE(message.find("40 x 25"), std::string::npos);
  EXPECT_NE(message.find("30 x 20"), std::string::npos);
  for (std::size_t at = 0; (at = message.find(";1H", at)) != std::string::npos; at += 3) {
    std::size_t end = message.find('\x1b', at);
    EXPECT_LE((end == std::string::npos ? message.size() : end) - at - 3, 30u);
  }
}

TEST(TerminalColours, TheTerminalSaysHowManyColoursItHas) {
  EXPECT_EQ(colourDepthFor("truecolor", "xterm", 8), ColourDepth::direct);
  EXPECT_EQ(colourDepthFor(nullptr, "xterm-256color", -1), ColourDepth::indexed256);
  EXPECT_EQ(colourDepthFor("", "screen", 256), ColourDepth::indexed256);
  EXPECT_EQ(colourDepthFor(nullptr, "vt100", -1), ColourDepth::ansi16);

  // Entries in a terminfo folder of our own: a good one, a cut-off one, junk.
  auto folder = std::filesystem::temp_directory_path() / "duskwarren-terminfo-test";
  std::filesystem::create_directories(folder / "d");
  auto entry = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(folder / "d" / name, std::ios::binary) << bytes;
  };
  std::string good("\x1a\x01\x04\x00\x00\x00\x0e\x00\x00\x00\x00\x00", 12);
  good += std::string("dw\0\0", 4);  // names, padded to an even offset
  for (int i = 0; i < 14; ++i)
    good += i == 13 ? std::string("\x00\x01", 2) : std::string("\xff\xff");
  entry("dw-good", good);
  entry("dw-cut", good.substr(0, 30));
  entry("dw-junk", std::string(5000, '\xff'));
  setenv("TERMINFO", folder.c_str(), 1);
  EXPECT_EQ(terminfoColours("dw-good"), 256);
  EXPECT_EQ(terminfoColours("dw-cut"), -1);
  EXPECT_EQ(terminfoColours("dw-junk"), -1);
  EXPECT_EQ(terminfoColours("../d/dw-good"), -1);
  unsetenv("TERMINFO");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace dw
