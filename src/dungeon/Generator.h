#pragma once

namespace dw {

class Game;

// Writes a glyph of class k at (row, col), picked from the class string with
// one draw (class 1 always gives floor).
void placeCell(Game& game, int k, int row, int col);

// Whether any room can still be cut: the smallest room is 2 x 2, with its
// corner in columns 3..37 and rows 3..22.
bool anyRoomFits(const Game& game);

// Makes the next level: rooms, passages, items, monsters, the stairs and the
// shops, the not-yet-seen cover, and the hero's place. Shows its progress
// over the title picture kept on page 2.
void generateLevel(Game& game);

}  // namespace dw
