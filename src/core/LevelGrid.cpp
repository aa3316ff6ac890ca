#include "core/LevelGrid.h"

#include <algorithm>

namespace dw {

void CellClassTable::setStandard() {
  using namespace glyph;
  auto bytes = [](std::initializer_list<std::uint8_t> list) {
    std::string s;
    for (auto b : list) s += static_cast<char>(b);
    return s;
  };
  classGlyphs[0] = bytes({rock});
  classGlyphs[1] = bytes({floor, stairs});
  classGlyphs[2] = bytes({openDoor, openDoor, openDoor, openDoor, lockedDoor, lockedDoor,
                          lockedDoor, gate, gate, blockWall});
  classGlyphs[3] = bytes(
      {goldPile, goldPile, goldPile, goldPile, goldPile, goldPile,       snake,  snake,  snake,
       snake,    orc,      orc,      orc,      viperess, viperess,       hpItem, hpItem, hpItem,
       mpItem,   mpItem,   mpItem,   treasure, treasure, mysticOrbGlyph, zombie, shadow});
  rebuildIndex();
}

void CellClassTable::rebuildIndex() {
  classOf.fill(0);
  // Classes are searched 1, 2, 3: a glyph belongs to the first that holds it.
  for (int k = 3; k >= 1; --k) {
    for (char c : classGlyphs[k])
      classOf[static_cast<std::uint8_t>(c)] = static_cast<std::uint8_t>(k);
  }
}

CellInfo classifyGlyph(const CellClassTable& table, std::uint8_t g) {
  int k = table.classOf[g];
  if (k == 0) return {0, glyph::rock};
  return {k, g};
}

CellInfo classifyCell(const LevelGrid& grid, const CellClassTable& table, long long row,
                      long long col) {
  return classifyGlyph(table, grid.glyphAt(row, col));
}

GridSquare squareAround(int row, int col, long long reach) {
  const long long top = std::max<long long>(firstRow, row - reach);
  const long long bottom = std::min<long long>(lastRow, row + reach);
  const long long left = std::max<long long>(firstCol, col - reach);
  const long long right = std::min<long long>(lastCol, col + reach);
  // Bounds of a negative reach may lie far outside the int range and must
  // not wrap back into it.
  if (top > bottom || left > right) return {firstRow, firstRow - 1, firstCol, firstCol - 1};
  return {static_cast<int>(top), static_cast<int>(bottom), static_cast<int>(left),
          static_cast<int>(right)};
}

char glyphSymbol(std::uint8_t g) {
  switch (g) {
    case 0:
      return ' ';
    case glyph::rock:
      return '#';
    case glyph::wall:
      return '%';
    case glyph::floor:
      return '.';
    case glyph::stairs:
      return '>';
    case glyph::openDoor:
      return '-';
    case glyph::lockedDoor:
      return '+';
    case glyph::gate:
      return '=';
    case glyph::blockWall:
      return '|';
    case glyph::goldPile:
      return '$';
    case glyph::hpItem:
      return 'h';
    case glyph::mpItem:
      return 'm';
    case glyph::treasure:
      return 't';
    case glyph::mysticOrbGlyph:
      return 'o';
    case glyph::snake:
      return 'S';
    case glyph::orc:
      return 'O';
    case glyph::viperess:
      return 'V';
    case glyph::zombie:
      return 'Z';
    case glyph::shadow:
      return 'W';
    case glyph::shop:
      return '@';
    default:
      return '?';
  }
}

std::string levelText(const LevelGrid& grid) {
  std::string text;
  for (int row = 0; row < gridRows; ++row) {
    for (int col = 0; col < gridCols; ++col) text += glyphSymbol(grid.glyphs[row][col]);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    text += '\n';
  }
  return text;
}

std::string levelLegend() {
  return "legend: # rock  . floor  > stairs  - open door  + locked door  = gate  | block wall  "
         "% wall  $ gold  h Hp item  m Mp item  t treasure  o Mystic Orb  S snake  O orc  "
         "V viperess  Z zombie  W shadow  @ shop  ? other\n";
}

}  // namespace dw
