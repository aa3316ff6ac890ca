#include "world/Sight.h"

#include <algorithm>
#include <cmath>

#include "dungeon/CellDrawing.h"
#include "frame/Game.h"

namespace dw {

namespace {

double distance(long long dr, long long dc) {
  return std::sqrt(double(dr * dr + dc * dc));
}

// The square of half-width reach around (row, col), cut to the generated area.
struct Square {
  int top, bottom, left, right;
};

Square squareAround(int row, int col, long long reach) {
  const long long top = std::max<long long>(firstRow, row - reach);
  const long long bottom = std::min<long long>(lastRow, row + reach);
  const long long left = std::max<long long>(firstCol, col - reach);
  const long long right = std::min<long long>(lastCol, col + reach);
  // A negative reach covers nothing; its bounds may lie far outside the int
  // range and must not wrap back into it.
  if (top > bottom || left > right) return {firstRow, firstRow - 1, firstCol, firstCol - 1};
  return {static_cast<int>(top), static_cast<int>(bottom), static_cast<int>(left),
          static_cast<int>(right)};
}

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
  const Square sq = squareAround(s.heroRow, s.heroCol, sight);
  for (int col = sq.left; col <= sq.right; ++col) {
    for (int row = sq.top; row <= sq.bottom; ++row) {
      if (distance(row - s.heroRow, col - s.heroCol) > reach) continue;
      CellInfo info = drawCell(game, row, col);
      if (game.grid.seenAt(row, col) == 0) {
        game.grid.setSeen(row, col, 1);
        if (info.cellClass >= 1) ++s.exploredCells;
      }
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
  s.messageLine = "[Cast 'Warp'][Mp -" + std::to_string(cost) + "]";
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
  const Square sq = squareAround(r, c, 5);
  for (int col = sq.left; col <= sq.right; ++col) {
    for (int row = sq.top; row <= sq.bottom; ++row) {
      if (distance(row - r, col - c) > 2.5) continue;
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
