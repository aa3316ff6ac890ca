#include "frame/PlayLoop.h"

#include "core/Game.h"
#include "core/MessageText.h"
#include "data/ShopOffer.h"
#include "data/StatusDisplay.h"
#include "dungeon/CellDrawing.h"
#include "frame/Command.h"
#include "frame/StartUp.h"
#include "world/Effects.h"
#include "world/Monsters.h"
#include "world/Moves.h"
#include "world/Party.h"
#include "world/Sight.h"
#include "world/Spells.h"

namespace dw {

namespace {

std::uint8_t heroGlyph(const Game& game) {
  return game.grid.glyphAt(game.state.heroRow, game.state.heroCol);
}

void drawPlayScreen(Game& game) {
  GameState& s = game.state;
  frameBorder(game.screen);
  drawSightArea(game);
  revealNeighbours(game);
  // Kept on purpose: the hero's cell is classified and the result dropped,
  // and the 3 x 3 reveal runs again after the page copy. The second reveal
  // only redraws the work page under the hero; what the player sees and every
  // count stay as the first reveal left them.
  (void)game.classify(s.heroRow, s.heroCol);
  drawGlyph(game, glyph::hero, s.heroRow, s.heroCol);
  statusDisplay(game);
  game.screen.copyPage(0, 1);
  revealNeighbours(game);
}

// The commands a living current member can give. Returns whether the
// command told the player anything on the message line.
bool carryOutAction(Game& game, const Command& command) {
  switch (command.action) {
    case Action::step:
      return stepHero(game, command.direction).told();
    case Action::cast:
      return castSpell(game, command.spellNumber);
    case Action::bomb:
      return useBomb(game);
    case Action::space:
      return takeWhatLiesHere(game);
    default:
      return false;
  }
}

}  // namespace

std::optional<LoopExit> carryOutCommand(Game& game, const Command& command) {
  GameState& s = game.state;
  if (command.action == Action::quit) {
    game.screen.openScreen();
    game.screen.setPages(0, 0);
    game.endReason = EndReason::quit;
    game.exitCode = 0;
    return LoopExit::stop;
  }
  if (command.action == Action::restart) return LoopExit::newGame;
  bool told = false;
  if (command.action == Action::nextMember) told = switchMember(game, SwitchWay::next);
  if (command.action == Action::previousMember) told = switchMember(game, SwitchWay::previous);

  // A fallen member can only quit, restart and switch; the world waits.
  if (s.statOf(stat::hp) > 0) {
    if (command.action == Action::space && heroGlyph(game) == glyph::stairs) {
      return LoopExit::newLevel;
    }
    told = carryOutAction(game, command) || told;
    monsterTurn(game);
    // The shop offer shows only in a cycle that told nothing else. Kept on
    // purpose: shop cells read as rock to every move, so the hero never
    // stands on one and the offer never shows in play.
    if (heroGlyph(game) == glyph::shop && !told) shopOffer(game);
  }

  clampCurrentMember(s);
  return std::nullopt;
}

std::optional<LoopExit> playCycle(Game& game) {
  GameState& s = game.state;
  drawPlayScreen(game);
  s.messageLine.clear();
  s.lastKey.clear();
  return readAndCarryOut(game);
}

std::optional<LoopExit> readAndCarryOut(Game& game) {
  GameState& s = game.state;
  if (game.observer) game.observer->onKeyRead(game);
  auto key = game.platform.waitChar();
  if (!key) {
    game.endReason = EndReason::inputClosed;
    return LoopExit::stop;
  }
  s.lastKey = *key;  // for observers: the trace records the key of each cycle
  auto exit = carryOutCommand(game, commandOfKey(*key));
  if (game.observer && exit != LoopExit::stop) game.observer->onCycle(game);
  return exit;
}

LoopExit runPlayLoop(Game& game) {
  for (;;) {
    if (auto exit = playCycle(game)) return *exit;
  }
}

}  // namespace dw
