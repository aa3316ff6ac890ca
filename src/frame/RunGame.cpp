#include "frame/RunGame.h"

#include "dungeon/Generator.h"
#include "frame/PlayLoop.h"
#include "frame/StartUp.h"

namespace dw {

namespace {

// Games and levels follow one another from here: every stage returns to
// this loop, so a long run never deepens the stack.
void playGames(Game& game, LoopExit next) {
  while (game.running()) {
    if (next == LoopExit::newGame) {
      newGameSequence(game);
      if (!game.running()) break;
    }
    generateLevel(game);
    if (game.observer) game.observer->onLevel(game);
    next = runPlayLoop(game);
  }
}

}  // namespace

int runGame(Game& game) {
  startUp(game);
  startScreen(game);
  if (!game.running()) return game.exitCode;
  game.state.levelNumber = 0;
  playGames(game, LoopExit::newGame);
  return game.exitCode;
}

int resumeGame(Game& game) {
  if (!game.running()) return game.exitCode;
  // The rest of the cycle the game was saved in, the rest of its level,
  // then on as ever.
  auto exit = readAndCarryOut(game);
  playGames(game, exit ? *exit : runPlayLoop(game));
  return game.exitCode;
}

std::optional<Image> gameIcon(Platform& platform) {
  auto bytes = platform.readFile(tileFileName(glyph::hero));
  if (!bytes) return std::nullopt;
  return tileImage(parseTileFile(std::move(*bytes)));
}

}  // namespace dw
