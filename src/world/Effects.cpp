#include "world/Effects.h"

#include <algorithm>
#include <cmath>

#include "core/Game.h"
#include "core/Random.h"
#include "dungeon/CellDrawing.h"

namespace dw {

namespace {

// The hero's cell and its four side neighbours, each with its own roll; a
// cell whose drawn glyph is `from` becomes `to` when the roll succeeds.
void sideCellSpell(Game& game, int spellNumber, std::uint8_t from, std::uint8_t to) {
  GameState& s = game.state;
  const std::int64_t level = s.memberSpellLevels[s.currentMember][spellNumber];
  const std::int64_t maxLevel = s.spellMaxLevel[spellNumber];
  const GridSquare sq = squareAround(s.heroRow, s.heroCol, 1);
  for (int col = sq.left; col <= sq.right; ++col) {
    for (int row = sq.top; row <= sq.bottom; ++row) {
      if (cellDistance(row - s.heroRow, col - s.heroCol) > 1.0) continue;
      CellInfo info = revealCell(game, row, col);
      bool success = spellRoll(game, level, maxLevel);
      if (info.classGlyph == from && success) {
        game.grid.setGlyph(row, col, to);
        drawCell(game, row, col);
      }
    }
  }
}

bool clearedByBomb(std::uint8_t g) {
  switch (g) {
    case glyph::openDoor:
    case glyph::orc:
    case glyph::snake:
    case glyph::viperess:
    case glyph::zombie:
    case glyph::shadow:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool spellRoll(Game& game, std::int64_t level, std::int64_t maxLevel) {
  std::int64_t a = game.random.pick(level, 1);
  std::int64_t b = game.random.pick(maxLevel, 1);
  return a >= b;
}

void passageEffect(Game& game) {
  sideCellSpell(game, spell::passage, glyph::wall, glyph::floor);
}

void tinkerEffect(Game& game) {
  sideCellSpell(game, spell::tinker, glyph::lockedDoor, glyph::openDoor);
}

void healEffect(Game& game) {
  GameState& s = game.state;
  const std::int64_t level = s.memberSpellLevels[s.currentMember][spell::heal];
  const std::int64_t maxLevel = s.spellMaxLevel[spell::heal];
  for (int m = 1; m <= s.partySize; ++m) {
    bool success = spellRoll(game, level, maxLevel);
    // A spell without a maximum level of 1 or more heals nobody (there is
    // no share of nothing), though its rolls are still made so seeds replay
    // the same. A level or a maximum Hp below zero gives no gain either: a
    // Heal never wounds.
    if (!success || s.memberStats[m][stat::hp] <= 0 || maxLevel <= 0) continue;
    double share = static_cast<double>(level) / static_cast<double>(maxLevel);
    double gain = std::floor(static_cast<double>(s.memberStatMax[m][stat::hp]) * share);
    if (gain > 0) addClamped(s.memberStats[m][stat::hp], truncateToInt64(gain));
  }
}

void bombBlast(Game& game) {
  GameState& s = game.state;
  const long long sight = s.statOf(stat::sight);
  long long top = firstRow - s.heroRow;
  if (top < -4) top = -sight;
  long long bottom = lastRow - s.heroRow;
  if (bottom > 4) bottom = sight;
  long long left = firstCol - s.heroCol;
  if (left < -4) left = -sight;
  long long right = lastCol - s.heroCol;
  if (right > 4) right = sight;
  // Only cells within two steps are touched, so walk no further than that
  // whatever the sight says.
  top = std::max(top, -2LL);
  left = std::max(left, -2LL);
  bottom = std::min(bottom, 2LL);
  right = std::min(right, 2LL);
  for (long long dc = left; dc <= right; ++dc) {
    for (long long dr = top; dr <= bottom; ++dr) {
      if (cellDistance(dr, dc) > 2.0) continue;
      const int row = static_cast<int>(s.heroRow + dr);
      const int col = static_cast<int>(s.heroCol + dc);
      CellInfo info = revealCell(game, row, col);
      if (game.grid.seenAt(row, col) == 1) {
        game.grid.setSeen(row, col, 2);
        if (info.cellClass >= 1) ++s.visionCells;
      }
      if (clearedByBomb(info.classGlyph)) {
        game.grid.setGlyph(row, col, glyph::floor);
        info = drawCell(game, row, col);
      }
      if (info.classGlyph == glyph::lockedDoor) {
        game.grid.setGlyph(row, col, glyph::openDoor);
        info = drawCell(game, row, col);
      }
      if (info.classGlyph == glyph::wall) {
        game.grid.setGlyph(row, col, glyph::rock);
        drawCell(game, row, col);
      }
    }
  }
}

}  // namespace dw
