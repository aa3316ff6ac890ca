#include "dungeon/CellDrawing.h"

#include <cmath>

#include "core/Game.h"

namespace dw {

namespace {

void put(Screen& screen, int row, int col, std::uint8_t code) {
  screen.putChar(row, col, code);
}

}  // namespace

void frameBorder(Screen& screen) {
  screen.setTextColour(3);
  screen.fillChars(1, 2, 1, 38, 196);
  screen.fillChars(25, 2, 1, 38, 196);
  screen.fillChars(2, 1, 23, 1, 179);
  screen.fillChars(2, 40, 23, 1, 179);
  // The corners last: the cursor ends after the bottom right one.
  put(screen, 1, 1, 218);
  put(screen, 1, 40, 191);
  put(screen, 25, 1, 192);
  put(screen, 25, 40, 217);
  screen.setTextColour(15, 0);
}

void putTileFile(Game& game, int x, int y, const std::string& fileName, std::string_view modeWord) {
  game.tiles.put(game.platform, x, y, game.tiles.file(game.platform, fileName),
                 rasterModeFromWord(modeWord));
}

void drawGlyph(Game& game, std::uint8_t g, int row, int col) {
  game.tiles.put(game.platform, 8 * col - 8, 8 * row - 8, game.tiles.glyphFile(game.platform, g),
                 RasterMode::pset);
}

CellInfo drawCell(Game& game, int row, int col) {
  CellInfo info = game.classify(row, col);
  drawGlyph(game, info.classGlyph, row, col);
  return info;
}

void markSeen(Game& game, int row, int col, const CellInfo& info) {
  if (game.grid.seenAt(row, col) != 0) return;
  game.grid.setSeen(row, col, 1);
  if (info.cellClass >= 1) ++game.state.exploredCells;
}

void markCovered(Game& game, int row, int col, const CellInfo& info) {
  if (game.grid.seenAt(row, col) != 1) return;
  game.grid.setSeen(row, col, 2);
  if (info.cellClass >= 1) ++game.state.visionCells;
}

CellInfo revealCell(Game& game, int row, int col) {
  CellInfo info = drawCell(game, row, col);
  markSeen(game, row, col, info);
  return info;
}

void drawTileText(Game& game, int x, int y, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    long long px = x + 8LL * static_cast<long long>(i);
    long long py = y;
    if (px > 310) {
      px -= 312;
      py = y + 8LL;
    }
    if (px > 310) px = 0;
    auto c = static_cast<std::uint8_t>(text[i]);
    if (c >= 33) {
      game.tiles.put(game.platform, static_cast<int>(px), static_cast<int>(py),
                     game.tiles.glyphFile(game.platform, c), RasterMode::pset);
    }
  }
}

void revealNeighbours(Game& game) {
  GameState& s = game.state;
  double reach = s.statOf(stat::sight) * 0.5;
  for (int col = s.heroCol - 1; col <= s.heroCol + 1; ++col) {
    for (int row = s.heroRow - 1; row <= s.heroRow + 1; ++row) {
      const double d = cellDistance(row - s.heroRow, col - s.heroCol);
      if (d > reach && game.grid.seenAt(row, col) == 0) continue;
      revealCell(game, row, col);
      // Kept on purpose: a cell an area reveal had covered (2) goes back to
      // plain seen (1), so a later Vision or Flare counts it again.
      game.grid.setSeen(row, col, 1);
    }
  }
}

}  // namespace dw
