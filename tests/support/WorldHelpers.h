#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "core/Tiles.h"
#include "support/TestGame.h"

namespace dw::test {

// The glyph a level symbol stands for (see glyphSymbol); ' ' is glyph 0.
inline std::uint8_t glyphOf(char symbol) {
  for (int g = 0; g < 256; ++g) {
    if (glyphSymbol(static_cast<std::uint8_t>(g)) == symbol) return static_cast<std::uint8_t>(g);
  }
  ADD_FAILURE() << "no glyph for symbol '" << symbol << "'";
  return 0;
}

// Writes text rows into the grid with their first symbol at (top, left).
inline void putRows(Game& game, int top, int left, std::initializer_list<std::string> rows) {
  int row = top;
  for (const std::string& text : rows) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      game.grid.glyphs[row][left + static_cast<int>(i)] = glyphOf(text[i]);
    }
    ++row;
  }
}

// The symbols of cells (row, fromCol) .. (row, toCol).
inline std::string rowText(const Game& game, int row, int fromCol, int toCol) {
  std::string text;
  for (int col = fromCol; col <= toCol; ++col) text += glyphSymbol(game.grid.glyphAt(row, col));
  return text;
}

// The seen marks of cells (row, fromCol) .. (row, toCol) as digits.
inline std::string seenText(const Game& game, int row, int fromCol, int toCol) {
  std::string text;
  for (int col = fromCol; col <= toCol; ++col) text += char('0' + game.grid.seenAt(row, col));
  return text;
}

inline void fillSeen(Game& game, std::uint8_t value) {
  for (auto& row : game.grid.seen) row.fill(value);
}

// Reseeds the game's generator with the first seed whose coming draws make
// `wanted` true; `wanted` draws from a copy, in the order the rule draws.
template <class Wanted>
void seedWhere(Game& game, Wanted wanted, int tries = 200000) {
  for (int seed = 1; seed <= tries; ++seed) {
    Random probe;
    probe.randomize(seed, 0);
    Random copy = probe;
    if (wanted(copy)) {
      game.random = probe;
      return;
    }
  }
  FAIL() << "no seed gives the wanted draws";
}

// Watches which cells of the work page get drawn, and with which tile: the
// page is painted with a colour no tile uses, and the real tile files are
// read from the game folder.
struct DrawProbe {
  static constexpr std::uint8_t untouchedColour = 200;
  TestGame& t;

  explicit DrawProbe(TestGame& testGame) : t(testGame) {
    t.platform.setDataRoot(gameDir());
    reset();
  }
  void reset() {
    std::uint8_t* page = t.game.screen.changePage(0);
    for (int i = 0; i < Screen::width * Screen::height; ++i) page[i] = untouchedColour;
  }
  bool untouched(int row, int col) const {
    const std::uint8_t* page = t.game.screen.page(0);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (page[(8 * row - 8 + y) * Screen::width + 8 * col - 8 + x] != untouchedColour) {
          return false;
        }
      }
    }
    return true;
  }
  // The cell of the page shows exactly the tile of glyph g.
  bool shows(int row, int col, std::uint8_t g, int pageNumber = 0) const {
    std::optional<Image> tile = tileImage(t.game.tiles.glyphFile(t.platform, g));
    if (!tile || tile->width < 8 || tile->height < 8) return false;
    const std::uint8_t* page = t.game.screen.page(pageNumber);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (page[(8 * row - 8 + y) * Screen::width + 8 * col - 8 + x] != getPixel(*tile, x, y)) {
          return false;
        }
      }
    }
    return true;
  }
};

}  // namespace dw::test
