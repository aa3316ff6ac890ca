#pragma once

#include <optional>

#include "core/Game.h"

namespace dw {

// Runs the whole program: start-up, the start screen, then games, levels and
// play cycles until the player quits or no key can come. Returns the exit code.
int runGame(Game& game);
// Goes on with a game saved at a play-loop key read (its state, level,
// tables, generator and screen put back): reads that key, then plays on as
// runGame does. Returns the exit code.
int resumeGame(Game& game);

// The game's icon for a window: the hero's own tile, or nothing when its file
// gives no picture.
std::optional<Image> gameIcon(Platform& platform);

}  // namespace dw
