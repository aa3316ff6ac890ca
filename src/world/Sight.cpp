#include "world/Sight.h"

#include <algorithm>
#include <cmath>

#include "core/Game.h"
#include "core/MessageText.h"
#include "dungeon/CellDrawing.h"
#include "world/Spells.h"

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
    col = static_cast<int>(game.random.pick(areaCols, firstCol));
    row = static_cast<int>(game.random.pick(areaRows, firstRow));
  } while (!warpTarget(game, row, col));
  s.heroCol = col;
  s.heroRow = row;
  addClamped(s.stat(stat::mp), -cost);
  setCastMessage(s.messageLine, "Warp", cost);
  return true;
}

void revealArea(Game& game) {
  if (!anyCell(game, openCell)) return;
  int r, c;
  do {
    r = static_cast<int>(game.random.pick(areaRows, firstRow));
    c = static_cast<int>(game.random.pick(areaCols, firstCol));
  } while (!openCell(game, r, c));
  const GridSquare sq = squareAround(r, c, 5);
  for (int col = sq.left; col <= sq.right; ++col) {
    for (int row = sq.top; row <= sq.bottom; ++row) {
      if (cellDistance(row - r, col - c) > 2.5) continue;
      // Only open cells are marked: rock is drawn and stays unseen.
      const CellInfo info = drawCell(game, row, col);
      if (info.cellClass < 1) continue;
      markSeen(game, row, col, info);
      markCovered(game, row, col, info);
    }
  }
}

}  // namespace dw
