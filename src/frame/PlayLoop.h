#pragma once

#include <optional>

namespace dw {

class Game;
struct Command;

// What ends a run of the play loop.
enum class LoopExit { newLevel, newGame, stop };

// One command cycle: draw, show, read one key, carry it out, let the world
// take its turn, clamp. Returns how the loop ends, or nothing to go on.
std::optional<LoopExit> playCycle(Game& game);
// The second half of a cycle, from its key read on: what a game saved at a
// key read goes on with.
std::optional<LoopExit> readAndCarryOut(Game& game);
// Cycles until a new level, a new game, or the end of the program.
LoopExit runPlayLoop(Game& game);

// Carries out one command and lets the world take its turn (the cycle
// without its drawing and key read). Returns how the loop ends, or nothing to
// go on.
std::optional<LoopExit> carryOutCommand(Game& game, const Command& command);

}  // namespace dw
