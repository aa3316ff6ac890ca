#pragma once

#include <string>

#include "core/Game.h"
#include "platform/PanelText.h"

namespace dw {

// The hero's surroundings in words, for a player who cannot see the
// picture: the eight cells around as the map shows them, and where the
// stairs are once they have been seen. Read from the game's state only.
OverlayContent surroundingsPanel(const Game& game);

}  // namespace dw
