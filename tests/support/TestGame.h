#pragma once

#include <memory>
#include <string>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"

namespace dw::test {

// A game on the headless backend, with the standard class table, the
// compass steps the chase rules expect, and a level of rock.
struct TestGame {
  HeadlessPlatform platform;
  Game game{platform};

  TestGame();
  GameState& s() { return game.state; }
  // Fills the grid from text rows (see glyphSymbol), row 0 first.
  void setLevel(const std::string& rows);
  void placeHero(int row, int col);
  // A member with the given statistics as current values and maxima.
  void setMember(int member, int hp, int ap, int dp, int mp, int sight, int sense);
};

// The folder the build lays the game out in (res/, tiles/, drivers/).
std::string gameDir();

}  // namespace dw::test
