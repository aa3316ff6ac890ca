#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

namespace dw {

// Glyph codes of the dungeon (code page 437). A cell's glyph alone says what
// the cell is.
namespace glyph {
inline constexpr std::uint8_t rock = 176;
inline constexpr std::uint8_t wall = 177;  // never generated; see the wall rules
inline constexpr std::uint8_t floor = 219;
inline constexpr std::uint8_t stairs = 247;
inline constexpr std::uint8_t openDoor = 45;
inline constexpr std::uint8_t lockedDoor = 254;
inline constexpr std::uint8_t gate = 35;
inline constexpr std::uint8_t blockWall = 178;
inline constexpr std::uint8_t goldPile = 248;
inline constexpr std::uint8_t hpItem = 236;
inline constexpr std::uint8_t mpItem = 244;
inline constexpr std::uint8_t treasure = 231;
inline constexpr std::uint8_t mysticOrbGlyph = 241;
inline constexpr std::uint8_t snake = 253;
inline constexpr std::uint8_t orc = 240;
inline constexpr std::uint8_t viperess = 243;
inline constexpr std::uint8_t zombie = 224;
inline constexpr std::uint8_t shadow = 227;
inline constexpr std::uint8_t shop = 64;          // "@"
inline constexpr std::uint8_t unseenGlyph = 249;  // drawn over cells not yet seen
inline constexpr std::uint8_t hero = 120;         // "x", drawn over the hero's cell
}  // namespace glyph

inline constexpr int gridRows = 26;  // rows 0..25
inline constexpr int gridCols = 41;  // columns 0..40
// The generated area.
inline constexpr int firstRow = 2, lastRow = 24, firstCol = 2, lastCol = 39;
inline constexpr int areaRows = lastRow - firstRow + 1, areaCols = lastCol - firstCol + 1;

// The two layers of the level: each cell's glyph and whether it was seen
// (0 not yet, 1 shown, 2 also covered by an area reveal).
struct LevelGrid {
  std::array<std::array<std::uint8_t, gridCols>, gridRows> glyphs{};
  std::array<std::array<std::uint8_t, gridCols>, gridRows> seen{};

  static bool inGrid(long long row, long long col) {
    return row >= 0 && row < gridRows && col >= 0 && col < gridCols;
  }
  // Cells off the grid read as 0, which every rule treats as rock.
  std::uint8_t glyphAt(long long row, long long col) const {
    return inGrid(row, col) ? glyphs[row][col] : 0;
  }
  std::uint8_t seenAt(long long row, long long col) const {
    return inGrid(row, col) ? seen[row][col] : 0;
  }
  void setGlyph(int row, int col, std::uint8_t g) {
    if (inGrid(row, col)) glyphs[row][col] = g;
  }
  void setSeen(int row, int col, std::uint8_t s) {
    if (inGrid(row, col)) seen[row][col] = s;
  }
  bool operator==(const LevelGrid&) const = default;
};

// The four class strings: class 0 rock, 1 walkable floor, 2 passages,
// 3 items and monsters. Their order and repetitions are the weights the
// generator picks with.
struct CellClassTable {
  std::array<std::string, 4> classGlyphs;
  // Class and position of every glyph, found by the first occurrence.
  std::array<std::uint8_t, 256> classOf{};

  void setStandard();
  void rebuildIndex();
  bool operator==(const CellClassTable&) const = default;
};

struct CellInfo {
  int cellClass = 0;
  std::uint8_t classGlyph = glyph::rock;
};

// The class of a glyph and the glyph it is drawn as: itself for classes 1..3,
// rock for anything else.
CellInfo classifyGlyph(const CellClassTable& table, std::uint8_t g);
CellInfo classifyCell(const LevelGrid& grid, const CellClassTable& table, long long row,
                      long long col);

// Rock, to the generator: any glyph of no class 1..3.
inline bool isRock(const CellClassTable& table, std::uint8_t g) {
  return table.classOf[g] == 0;
}

// The distance between two cells, dr rows and dc columns apart.
inline double cellDistance(long long dr, long long dc) {
  return std::sqrt(static_cast<double>(dr * dr + dc * dc));
}

// The square of half-width reach around (row, col), cut to the generated
// area; empty (top > bottom) when the reach is negative. Reaches come from
// data, so they may be huge either way.
struct GridSquare {
  int top, bottom, left, right;
};
GridSquare squareAround(int row, int col, long long reach);

// One character per glyph, for readable golden files and bug reports.
char glyphSymbol(std::uint8_t g);
std::string levelText(const LevelGrid& grid);
std::string levelLegend();

}  // namespace dw
