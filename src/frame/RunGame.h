#pragma once

#include <optional>

#include "core/Game.h"

namespace dw {

// Runs the whole program: start-up, the start screen, then games, levels and
// play cycles until the player quits or no key can come. Returns the exit code.
int runGame(Game& game);

// The game's icon for a window: the hero's own tile, or nothing when its file
// gives no picture.
std::optional<Image> gameIcon(Platform& platform);

}  // namespace dw
