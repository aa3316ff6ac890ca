#pragma once

#include <string>

#include "core/Game.h"

namespace dw {

// Whether a game read back from a checkpoint is one the rules can be handed:
// every index in range (the member, the party size, the hero's cell, the
// cell classes, the pages and cursor of the screen), every count one a game
// can reach. Values the party and spell files may set to anything are not
// bounded here: the rules already take any of them. Empty when the game
// passes; else what is out of range, for the player ("currentMember is
// 100000, not 1..7").
std::string checkpointGameProblem(const GameState& state, const LevelGrid& grid,
                                  const CellClassTable& classes, const Random::Saved& random,
                                  const Screen::Saved& screen);

}  // namespace dw
