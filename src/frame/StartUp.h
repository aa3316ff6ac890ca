#pragma once

#include <string>

namespace dw {

class Game;
class Platform;
class Screen;

// Start-up: reads the mouse file and the data files, opens the screen,
// prints the report and seeds the generator.
void startUp(Game& game);
// Waits on the start screen for space, "@" (a typed seed) or Escape.
void startScreen(Game& game);
// The start of every game: world set-up, the join step, fresh counters and
// the title, kept on page 2 for the level generator.
void newGameSequence(Game& game);

// The FM sound chip probe over ports 0x388 and 0x389: -1 when a chip
// answers, else 0.
int fmChipDetect(Platform& platform);
void fmChipWrite(Platform& platform, int reg, int value);
void fmChipReset(Platform& platform);

// A clock reading as the report prints it: up to 16 significant digits.
std::string timerText(double seconds);

inline const char* const titleText = " { DUSKWARREN }";

}  // namespace dw
