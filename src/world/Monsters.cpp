#include "world/Monsters.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/Game.h"
#include "dungeon/CellDrawing.h"

namespace dw {

namespace {

constexpr std::array<MonsterKind, 5> kinds = {{
    {glyph::snake, "Snake", 4, 1, 3, 0, 10, "[Attacked by Snake][Hp -"},
    {glyph::orc, "Orc", 5, 0, 3, 0, 20, "[Attacked by Orc][Hp -"},
    {glyph::viperess, "Viperess", 4, 1, 2, 1, 15, "[Attacked by Viperess][Hp -"},
    {glyph::zombie, "Zombie", 4, 1, 3, 1, 17, "[Attacked by Zombie][Hp -"},
    // A Shadow's mode is always 4: it never chases.
    {glyph::shadow, "Shadow", 4, 1, 1, 4, 22, "[Attacked by Shadow][Hp -"},
}};

int chaseVertical(const GameState& s, int row, int direction) {
  if (s.heroRow < row) return 1;
  if (s.heroRow > row) return 3;
  return direction;
}

int chaseHorizontal(const GameState& s, int col, int direction) {
  if (s.heroCol < col) return 4;
  if (s.heroCol > col) return 2;
  return direction;
}

}  // namespace

const MonsterKind* monsterKindOf(std::uint8_t g) {
  for (const auto& kind : kinds) {
    if (kind.glyph == g) return &kind;
  }
  return nullptr;
}

void moveMonster(Game& game, int row, int col, int direction, int mode) {
  const GameState& s = game.state;
  if (mode == 3) {
    int dr = std::abs(row - s.heroRow);
    int dc = std::abs(col - s.heroCol);
    if (dr == dc)
      mode = static_cast<int>(game.random.pick(2, 1));
    else
      mode = dr > dc ? 1 : 2;
  }
  if (mode == 1) direction = chaseVertical(s, row, direction);
  if (mode == 2) direction = chaseHorizontal(s, col, direction);

  // Compass steps come from a data file: a step that leads off the grid
  // leads nowhere.
  long long targetRow = row + static_cast<long long>(s.roseVectors[direction][1]);
  long long targetCol = col + static_cast<long long>(s.roseVectors[direction][2]);
  if (game.classify(targetRow, targetCol).classGlyph == glyph::floor) {
    auto tr = static_cast<int>(targetRow), tc = static_cast<int>(targetCol);
    game.grid.setGlyph(tr, tc, game.grid.glyphAt(row, col));
    game.grid.setGlyph(row, col, glyph::floor);
  }
  if (game.grid.seenAt(targetRow, targetCol) > 0) {
    drawCell(game, static_cast<int>(targetRow), static_cast<int>(targetCol));
  }
  if (game.grid.seenAt(row, col) > 0) drawCell(game, row, col);
}

void monsterTurn(Game& game) {
  const GameState& s = game.state;
  const GridSquare sq = squareAround(s.heroRow, s.heroCol, s.statOf(stat::sense));
  for (int col = sq.left; col <= sq.right; ++col) {
    for (int row = sq.top; row <= sq.bottom; ++row) {
      const MonsterKind* kind = monsterKindOf(game.classify(row, col).classGlyph);
      if (!kind) continue;
      int direction = static_cast<int>(game.random.pick(kind->directionRange, kind->directionBase));
      int mode = static_cast<int>(game.random.pick(kind->modeRange, kind->modeBase));
      moveMonster(game, row, col, direction, mode);
    }
  }
}

}  // namespace dw
