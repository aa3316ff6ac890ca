#include "frame/RunGame.h"

#include "dungeon/Generator.h"
#include "frame/PlayLoop.h"
#include "frame/StartUp.h"

namespace dw {

int runGame(Game& game) {
  startUp(game);
  startScreen(game);
  if (!game.running()) return game.exitCode;
  game.state.levelNumber = 0;

  // Games and levels follow one another from here: every stage returns to
  // this loop, so a long run never deepens the stack.
  LoopExit next = LoopExit::newGame;
  while (game.running()) {
    if (next == LoopExit::newGame) {
      newGameSequence(game);
      if (!game.running()) break;
    }
    generateLevel(game);
    if (game.observer) game.observer->onLevel(game);
    next = runPlayLoop(game);
  }
  return game.exitCode;
}

std::optional<Image> gameIcon(Platform& platform) {
  auto bytes = platform.readFile(tileFileName(glyph::hero));
  if (!bytes) return std::nullopt;
  return tileImage(parseTileFile(std::move(*bytes)));
}

}  // namespace dw
