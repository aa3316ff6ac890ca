#pragma once

#include <string>
#include <string_view>

namespace dw {

class Game;

// Icon groups in a status line: "{{" + a picture byte + "}}" draws the tile
// of that byte ("m" Mp item, "g" gold, "h" Hp item, "k" and "b" treasure,
// any other byte its own tile) in one text cell.
char iconGlyph(char pictureByte);
void drawMarkedText(Game& game, int row, int col, int fg, int bg, std::string_view text);
// How many text cells drawMarkedText uses for the text.
int markedTextWidth(std::string_view text);

}  // namespace dw
