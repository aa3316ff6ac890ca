#pragma once

#include "shell/Session.h"

namespace dw {

class TerminalPlatform;

// Plays what the order asks in the terminal the game was started from, with
// the shell around it, and gives the terminal back as it was. Returns the
// exit status: the game's, 1 when the terminal cannot be played in; a game
// ended by Ctrl+C, a hang-up or a termination request ends the program the
// same way.
int playInTerminal(const SessionOrder& order);

// Cells showing a tile read as its glyph code, in the tile's colours.
void showTilesAsCells(TerminalPlatform& terminal);

}  // namespace dw
