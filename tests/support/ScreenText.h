#pragma once

// Header-only helpers that read text back from the pixels of a page: each
// 8 x 8 cell is matched against the glyphs of the font, and cells covered by
// marker tiles (see MemoryTiles.h) read as icon groups "{{" g "}}".

#include <array>
#include <initializer_list>
#include <string>

#include "platform/Font.h"
#include "platform/Screen.h"
#include "support/MemoryTiles.h"

namespace dw::test {

// A cell that is neither text on colour 0 nor a marker tile.
inline constexpr int unreadableCell = -3;

// The character drawn at text cell (row, col) of a page on background 0,
// and its foreground colour in *fg. A cell of colour 0 only reads as a
// blank. unreadableCell for anything that is not one glyph of the font in one
// colour on 0.
inline int textCodeAt(const Screen& screen, int page, int row, int col, int* fg = nullptr) {
  const std::uint8_t* pixels = screen.page(page);
  int x0 = 8 * col - 8, y0 = 8 * row - 8;
  int colour = 0;
  std::array<std::uint8_t, 8> bits{};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int c = pixels[(y0 + y) * Screen::width + x0 + x];
      if (c == 0) continue;
      if (colour != 0 && c != colour) return unreadableCell;
      colour = c;
      bits[y] = static_cast<std::uint8_t>(bits[y] | (0x80 >> x));
    }
  }
  if (fg) *fg = colour;
  // Blank first, then the printable bytes, then the rest.
  for (int n = 0; n < 256; ++n) {
    int code = (n + 32) % 256;
    if (fontGlyphs()[code] == bits) return code;
  }
  return unreadableCell;
}

// Cells fromCol..toCol of a text row: text as its bytes, a marker tile as
// "{{" + its glyph + "}}", anything else as "?".
inline std::string rowText(const Screen& screen, int page, int row, int fromCol = 1,
                           int toCol = Screen::textCols) {
  std::string out;
  for (int col = fromCol; col <= toCol; ++col) {
    int marker = markerAt(screen, page, row, col);
    if (marker >= 0) {
      out += "{{" + std::string(1, static_cast<char>(marker)) + "}}";
      continue;
    }
    int code = textCodeAt(screen, page, row, col);
    out += code >= 0 ? static_cast<char>(code) : '?';
  }
  return out;
}

// A text row without the blanks at its end.
inline std::string trimmedRow(const Screen& screen, int page, int row) {
  std::string text = rowText(screen, page, row);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The foreground colour of the character at a cell (0 for a blank).
inline int colourAt(const Screen& screen, int page, int row, int col) {
  int fg = 0;
  textCodeAt(screen, page, row, col, &fg);
  return fg;
}

// A file's lines joined by CR LF.
inline std::string crlfLines(std::initializer_list<std::string> lines) {
  std::string out;
  bool first = true;
  for (const std::string& line : lines) {
    if (!first) out += "\r\n";
    out += line;
    first = false;
  }
  return out;
}

}  // namespace dw::test
