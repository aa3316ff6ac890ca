#pragma once

namespace dw {

class Game;

// Writes a glyph of class k at (row, col), picked from the class string with
// one draw (class 1 always gives floor).
void placeCell(Game& game, int k, int row, int col);

// Makes the next level: rooms, passages, items, monsters, the stairs and the
// shops, the not-yet-seen cover, and the hero's place. Shows its progress
// over the title picture kept on page 2.
void generateLevel(Game& game);

}  // namespace dw
