#pragma once

#include <string>
#include <string_view>

#include "core/LevelGrid.h"

namespace dw {

class Game;
class Screen;

// The border around the play area, in colour 3; leaves the colours 15 on 0.
void frameBorder(Screen& screen);

// Puts the picture of a tile file at (x, y) on the work page.
void putTileFile(Game& game, int x, int y, const std::string& fileName, std::string_view modeWord);
// Puts the tile of a glyph over the cell (row, col) of the work page.
void drawGlyph(Game& game, std::uint8_t g, int row, int col);
// Draws the cell as its class glyph and returns its class.
CellInfo drawCell(Game& game, int row, int col);
// Draws a cell and marks it seen, counting it as explored when it is open.
CellInfo revealCell(Game& game, int row, int col);
// Draws a text as tiles from (x, y); blanks and control bytes draw nothing.
void drawTileText(Game& game, int x, int y, std::string_view text);
// Shows the 3 x 3 cells around the hero that are within half the sight, and
// redraws every one of them seen before.
void revealNeighbours(Game& game);

}  // namespace dw
