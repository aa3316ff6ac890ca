#pragma once

#include <cstdint>
#include <string>

#include "core/Game.h"

namespace dw {

// What the state showed before a turn, as much as a turn note compares.
struct TurnSnapshot {
  std::int32_t level = -1;
  int member = 0;
  std::int32_t bombs = 0;
  int lockedDoorsAround = 0;
  std::int64_t partyHp = 0;
};

TurnSnapshot snapshotOf(const Game& game);

// What a turn did that its message line does not say (the line said
// nothing, or only what a spell cost), from the state before and after it:
// whether Tinker opened a door, a Heal that raised no Hp, "b" without a
// Bomb, a spell the member does not know. Empty when the line says it all.
// It reads the game only; what a player who cannot see the picture is told.
std::string turnNote(const TurnSnapshot& before, const Game& after);

}  // namespace dw
