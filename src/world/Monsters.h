#pragma once

#include <cstdint>

namespace dw {

class Game;

// What sets one kind of monster apart: how it rolls its direction and chase
// mode each turn, and how hard it hits.
struct MonsterKind {
  std::uint8_t glyph;
  const char* name;
  int directionRange, directionBase;  // direction = INT(RND * range) + base
  int modeRange, modeBase;            // chase mode = INT(RND * range) + base
  int attackBase;
  const char* attackPrefix;
};

// The kind whose glyph this is, in the order attacks test them; nullptr for
// a glyph that is no monster.
const MonsterKind* monsterKindOf(std::uint8_t g);

// The world's turn: every monster in the square of the current member's
// sense around the hero takes one step.
void monsterTurn(Game& game);
// One step of the monster in (row, col).
void moveMonster(Game& game, int row, int col, int direction, int mode);

}  // namespace dw
