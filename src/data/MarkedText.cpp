#include "data/MarkedText.h"

#include <algorithm>
#include <limits>

#include "core/Game.h"
#include "core/Tiles.h"

namespace dw {

namespace {

bool iconGroupAt(std::string_view text, std::size_t i) {
  return i + 4 < text.size() && text[i] == '{' && text[i + 1] == '{' && text[i + 3] == '}' &&
         text[i + 4] == '}';
}

// Cells and pixels far off the screen stay off it: positions are worked out
// in 64 bits and held within the int range, where no tile reaches the page.
int heldToInt(long long value) {
  return static_cast<int>(std::clamp<long long>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

char iconGlyph(char pictureByte) {
  switch (pictureByte) {
    case 'm':
    case 'M':
      return static_cast<char>(glyph::mpItem);
    case 'g':
    case 'G':
      return static_cast<char>(glyph::goldPile);
    case 'h':
    case 'H':
      return static_cast<char>(glyph::hpItem);
    case 'k':
    case 'K':
    case 'b':
    case 'B':
      return static_cast<char>(glyph::treasure);
    default:
      return pictureByte;
  }
}

void drawMarkedText(Game& game, int row, int col, int fg, int bg, std::string_view text) {
  Screen& screen = game.screen;
  long long k = 0;
  for (std::size_t i = 0; i < text.size(); ++i, ++k) {
    if (iconGroupAt(text, i)) {
      auto code = static_cast<std::uint8_t>(iconGlyph(text[i + 2]));
      game.tiles.put(game.platform, heldToInt((col + k - 1) * 8), heldToInt((row - 1LL) * 8),
                     game.tiles.glyphFile(game.platform, code), RasterMode::pset);
      i += 4;
      continue;
    }
    // Plain text up to the next icon goes in one print; left of column 1
    // each character is placed (and held at column 1) on its own.
    std::size_t end = i + 1;
    if (col + k >= 1) {
      while (end < text.size() && !iconGroupAt(text, end)) ++end;
    }
    screen.locate(row, heldToInt(col + k));
    screen.setTextColour(fg, bg);
    screen.print(text.substr(i, end - i), false);
    k += static_cast<long long>(end - i - 1);
    i = end - 1;
  }
}

int markedTextWidth(std::string_view text) {
  int n = 0;
  for (std::size_t i = 0; i < text.size(); ++i, ++n) {
    if (iconGroupAt(text, i)) i += 4;
  }
  return n;
}

}  // namespace dw
