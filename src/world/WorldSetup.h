#pragma once

namespace dw {

class Game;

// The start of every game: the cell classes, the compass steps (echoed on
// screen until a key is pressed), then the party and spells afresh.
void worldSetup(Game& game);

}  // namespace dw
