#include "world/Sight.h"

#include <algorithm>
#include <cmath>

#include "core/Game.h"
#include "core/MessageText.h"
#include "dungeon/CellDrawing.h"

namespace dw {

namespace {

bool warpTarget(const Game& game, int row, int col) {
  int k = game.classify(row, col).cellClass;
  return game.grid.seenAt(row, col) != 1 && (k == 1 || k == 3);
}

bool anyCell(const Game& game, bool (*accept)(const Game&, int, int)) {
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int col = firstCol; col <= lastCol; ++col) {
      if (accept(game, row, col)) return true;
    }
  }
  return false;
}

bool openCell(const Game& game, int row, int col) {
  return game.classify(row, col).cellClass != 0;
}

}  // namespace

void drawSightArea(Game& game) {
  GameState& s = game.state;
  const long long sight = s.statOf(stat::sight);
  const double reach = sight * 0.5;
  const GridSquare sq = squareAround(s.heroRow, s.heroCol, sight);
  for (int col = sq.left; col <= sq.right; ++col) {
    for (int row = sq.top; row <= sq.bottom; ++row) {
      if (cellDistance(row - s.heroRow, col - s.heroCol) > reach) continue;
      revealCell(game, row, col);
    }
  }
}

bool castWarp(Game& game, std::int64_t cost) {
  GameState& s = game.state;
  // When only passages are left unseen no cell would ever be accepted.
  if (!anyCell(game, warpTarget)) return false;
  int row, col;
  do {
    col = static_cast<int>(game.random.pick(38, 2));
    row = static_cast<int>(game.random.pick(23, 2));
  } while (!warpTarget(game, row, col));
  s.heroCol = col;
  s.heroRow = row;
  addClamped(s.stat(stat::mp), -cost);
  setMessage(s.messageLine, "[Cast 'Warp'][Mp -", cost, "]");
  return true;
}

void revealArea(Game& game) {
  GameState& s = game.state;
  if (!anyCell(game, openCell)) return;
  int r, c;
  do {
    r = static_cast<int>(game.random.pick(23, 2));
    c = static_cast<int>(game.random.pick(38, 2));
  } while (!openCell(game, r, c));
  const GridSquare sq = squareAround(r, c, 5);
  for (int col = sq.left; col <= sq.right; ++col) {
    for (int row = sq.top; row <= sq.bottom; ++row) {
      if (cellDistance(row - r, col - c) > 2.5) continue;
      CellInfo info = drawCell(game, row, col);
      if (game.grid.seenAt(row, col) == 0 && info.cellClass >= 1) {
        ++s.exploredCells;
        game.grid.setSeen(row, col, 1);
      }
      if (game.grid.seenAt(row, col) == 1 && info.cellClass >= 1) {
        ++s.visionCells;
        game.grid.setSeen(row, col, 2);
      }
    }
  }
}

}  // namespace dw
