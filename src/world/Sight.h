#pragma once

#include <cstdint>

namespace dw {

class Game;

// Every cell within half the current member's sight is drawn and marked seen.
void drawSightArea(Game& game);
// Warp: the hero jumps to a random cell that sight has not shown. Refused
// (nothing changes) when no such cell is left. Returns whether he jumped.
bool castWarp(Game& game, std::int64_t cost);
// Vision and Flare: a small disc around a random open cell is revealed.
void revealArea(Game& game);

}  // namespace dw
