// The terminal game as the tests drive it: `terminal-game [FOLDER]` plays in
// the game folder given; `terminal-game --echo` shows each key it is given as
// its bytes in hex ("q" ends), for tests of what keys a terminal sends;
// `terminal-game --tile-table FOLDER` writes assets/tiles/TERMINAL.md for the
// tiles of that game folder.
#include "terminal/TerminalGame.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "core/Game.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "platform/Cp437.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/terminal/TerminalPlatform.h"
#include "terminal/TerminalKeys.h"

namespace {

int echoKeys(dw::TerminalPlatform& platform) {
  dw::Screen& screen = platform.screen();
  screen.openScreen();
  screen.print("keys:", false);
  while (platform.waitForKey()) {
    std::string key = platform.pollKey();
    if (key == "q") return 0;
    std::string hex;
    for (unsigned char c : key) {
      char byte[4];
      std::snprintf(byte, sizeof byte, "%02x", c);
      hex += byte;
    }
    screen.print("", true);
    screen.print(hex, false);
  }
  return 1;
}

constexpr const char* colourNames[16] = {"black",     "blue",          "green",       "cyan",
                                         "red",       "magenta",       "brown",       "light grey",
                                         "dark grey", "light blue",    "light green", "light cyan",
                                         "light red", "light magenta", "yellow",      "white"};

std::string colourName(int c) {
  return c < 16 ? colourNames[c] : "colour " + std::to_string(c);
}

std::string shown(std::uint8_t code, bool utf8) {
  std::string text;
  if (utf8) {
    dw::appendUtf8(text, dw::unicodeOfCp437(code));
  } else {
    text = std::string(1, dw::asciiOfCp437(code));
  }
  if (text == " ") return "&nbsp;";
  if (text == "|") return "\\|";
  if (text == "`" || text == "*" || text == "_" || text == "\\" || text == "<" || text == "[" ||
      text == "]")
    return "\\" + text;
  return text;
}

void grid(bool utf8) {
  std::printf("|    |");
  for (int x = 0; x < 16; ++x) std::printf(" _%X |", x);
  std::printf("\n|---|");
  for (int x = 0; x < 16; ++x) std::printf("---|");
  std::printf("\n");
  for (int y = 0; y < 16; ++y) {
    std::printf("| %X_ |", y);
    for (int x = 0; x < 16; ++x)
      std::printf(" %s |", shown(static_cast<std::uint8_t>(y * 16 + x), utf8).c_str());
    std::printf("\n");
  }
}

// One row per drawn tile: the character it shows and its colours.
void tileColourRows(dw::Platform& platform) {
  for (int g = 0; g < 256; ++g) {
    auto picture = dw::loadTileImage(platform, dw::tileFileName(g));
    if (!picture || picture->width != 8 || picture->height != 8) {
      std::printf("| %d | (no 8 x 8 tile: shows as the nearest character) | |\n", g);
      continue;
    }
    // The tiles of codes without art are their font glyph in light grey on black.
    auto code = static_cast<std::uint8_t>(g);
    dw::Screen glyph;
    glyph.openScreen();
    glyph.drawChar(1, 1, code, 7, 0);
    bool fontTile = true;
    for (int i = 0; i < 64; ++i) {
      if (glyph.page(0)[(i / 8) * dw::Screen::width + i % 8] != picture->pixels[i])
        fontTile = false;
    }
    if (fontTile) continue;
    dw::Screen screen;
    screen.openScreen();
    screen.putImage(0, 0, *picture, dw::RasterMode::pset);
    dw::TextPage page;
    dw::CellMapper mapper;
    mapper.addTile(code, *picture);
    mapper.readPage(screen, page);
    std::printf("| %d | %s | %s on %s |\n", g, shown(page[0].code, true).c_str(),
                colourName(page[0].fg).c_str(), colourName(page[0].bg).c_str());
  }
}

int tileTable(const std::string& folder) {
  dw::HeadlessPlatform platform;
  platform.setDataRoot(folder);
  std::printf(
      "# What the tiles show in a terminal\n\n"
      "`duskwarren --terminal` shows each 8 x 8 cell of the screen as one character.\n"
      "A cell showing the tile of a glyph code becomes the character of that code, in\n"
      "the tile's main colour on its background; text shows as itself; anything else\n"
      "(the bars of the level generator, say) as the character nearest to it.\n"
      "\n"
      "This file is written by `terminal-game --tile-table GAME-FOLDER` (a test\n"
      "program of the build, `build/ci/tests/terminal/`); a test fails while it\n"
      "does not match the tiles, so run it again after changing the tile art.\n"
      "\n"
      "## Characters\n\n"
      "The code of a tile is row + column, in hex (the hero, 120 = 0x78, is row 7_,\n"
      "column _8).\n\n");
  grid(true);
  std::printf(
      "\n## Colours of the drawn tiles\n\n"
      "The colours are the two of the tile's colours that make the character look most\n"
      "like the tile: the colour of most pixels under the character's ink, on the\n"
      "colour of most of the other pixels. Codes not listed here have the font's\n"
      "glyph as their tile, and show in light grey on black.\n\n"
      "| Code | Shows | Colour on background |\n|---|---|---|\n");
  tileColourRows(platform);
  std::printf(
      "\n## Without UTF-8\n\n"
      "Where the terminal's locale is not UTF-8, each character becomes an ASCII\n"
      "look-alike; the full block becomes a blank in its colour.\n\n");
  grid(false);
  std::printf(
      "\n## Colours\n\n"
      "The 16 game colours are the terminal's 16 standard colours. Where the terminal\n"
      "says it has more (`COLORTERM=truecolor` or `24bit`, or 256 colours in its\n"
      "terminfo entry or its `TERM` name), the game's own colours are used exactly or\n"
      "as near as 256 colours allow; set `COLORTERM=truecolor` before starting the\n"
      "game where an ssh connection does not pass it on.\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string arg = argc > 1 ? argv[1] : "";
  if (arg == "--tile-table") return argc > 2 ? tileTable(argv[2]) : 2;
  bool echo = arg == "--echo";
  if (!echo && !arg.empty() && chdir(arg.c_str()) != 0) {
    std::perror(arg.c_str());
    return 2;
  }
  std::string error;
  auto platform = dw::TerminalPlatform::open(error);
  if (!platform) {
    std::fprintf(stderr, "terminal-game: %s\n", error.c_str());
    return 2;
  }
  platform->setFrontKeys(dw::terminalKeys());
  int code;
  if (echo) {
    code = echoKeys(*platform);
  } else {
    dw::showTilesAsCells(*platform);
    dw::Game game(*platform);
    code = dw::runGame(game);
  }
  int sig = platform->endingSignal();
  platform.reset();
  if (sig != 0) std::raise(sig);
  return code;
}
