#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/Screen.h"

namespace dw {

// What a terminal shows for one 8 x 8 cell of the screen: a code-page-437
// character and two palette colours.
struct TextCell {
  std::uint8_t code = ' ';
  std::uint8_t fg = 7;
  std::uint8_t bg = 0;
  bool operator==(const TextCell&) const = default;
};

using TextPage = std::array<TextCell, Screen::textRows * Screen::textCols>;

// Reads the screen as text, cell by cell:
// - a cell that holds one of the registered tiles shows that tile's glyph
//   code in the tile's main colour on its background;
// - a cell that holds a glyph of the font in two colours shows that glyph;
// - any other cell (a bar, a line through text) shows the font glyph nearest
//   to it, in its two most common colours.
// Each distinct cell picture is worked out once and remembered.
class CellMapper {
 public:
  CellMapper();

  // Registers the 8 x 8 picture of a glyph code. Other sizes are ignored, and
  // so are pictures the font reads the same way already. Where two codes have
  // the same picture, the first registered wins.
  void addTile(std::uint8_t code, const Image& picture);

  // The cell whose top-left pixel is (x, y) of a 320-pixel-wide page.
  TextCell cellAt(const std::uint8_t* page, int x, int y);
  // Every cell of the screen's visible page, row by row.
  void readPage(const Screen& screen, TextPage& out);

  // The tile as its code's character, in the two of its colours that make
  // the character look most like the picture.
  static TextCell tileCell(std::uint8_t code, const Image& picture);

 private:
  using Pixels = std::array<std::uint8_t, 64>;
  struct PixelsHash {
    std::size_t operator()(const Pixels& p) const;
  };
  TextCell work(const Pixels& pixels) const;
  bool fontReads(const Pixels& pixels, TextCell& out) const;
  TextCell nearest(const Pixels& pixels) const;

  std::unordered_map<std::uint64_t, std::uint8_t> glyphOfMask_;
  std::unordered_map<Pixels, TextCell, PixelsHash> tiles_;
  std::unordered_map<Pixels, TextCell, PixelsHash> cache_;
};

// The 25 lines of 40 characters a terminal shows for the page, in UTF-8,
// each line ending in a newline.
std::string textOfPage(const TextPage& page);

}  // namespace dw
