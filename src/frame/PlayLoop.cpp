#include "frame/PlayLoop.h"

#include "core/Game.h"
#include "core/MessageText.h"
#include "data/ShopOffer.h"
#include "data/StatusDisplay.h"
#include "dungeon/CellDrawing.h"
#include "frame/StartUp.h"
#include "world/Effects.h"
#include "world/Monsters.h"
#include "world/Moves.h"
#include "world/MysticOrb.h"
#include "world/Party.h"
#include "world/Sight.h"

namespace dw {

namespace {

bool knows(const GameState& s, int spellNumber) {
  return s.memberSpells[s.currentMember][spellNumber] > 0;
}

std::uint8_t heroGlyph(const Game& game) {
  return game.grid.glyphAt(game.state.heroRow, game.state.heroCol);
}

// A spell with an effect routine: the cost is drawn as soon as the key and
// the spell allow the cast, and a cast refused for lack of Mp still uses up
// that draw, so seeds replay the same.
void castSpell(Game& game, const char* name, int costRange, int costBase, void (*effect)(Game&)) {
  GameState& s = game.state;
  std::int64_t cost = game.random.pick(costRange, costBase);
  if (s.statOf(stat::mp) < cost) return;
  effect(game);
  addClamped(s.stat(stat::mp), -cost);
  setMessage(s.messageLine, "[Cast '", name, "'][Mp -", cost, "]");
}

void drawPlayScreen(Game& game) {
  GameState& s = game.state;
  frameBorder(game.screen);
  drawSightArea(game);
  revealNeighbours(game);
  (void)game.classify(s.heroRow, s.heroCol);
  drawGlyph(game, glyph::hero, s.heroRow, s.heroCol);
  statusDisplay(game);
  game.screen.copyPage(0, 1);
  revealNeighbours(game);
}

}  // namespace

std::optional<LoopExit> carryOutCommand(Game& game) {
  GameState& s = game.state;
  const std::string& key = s.lastKey;

  if (key == std::string(1, escapeKey)) {
    game.screen.openScreen();
    game.screen.setPages(0, 0);
    game.endReason = EndReason::quit;
    game.exitCode = 0;
    return LoopExit::stop;
  }
  if (key == "~") return LoopExit::newGame;
  if (key == "+" || key == "-") switchMember(game);

  // A fallen member can only quit, restart and switch; the world waits.
  if (s.statOf(stat::hp) > 0) {
    if (key == " " && heroGlyph(game) == glyph::stairs) return LoopExit::newLevel;
    if (key == "8" || key == "6" || key == "2" || key == "4") stepHero(game);
    if (key == "w" && knows(s, spell::warp) && s.exploredCells < s.openCells) {
      std::int64_t cost = game.random.pick(3, 6);
      if (s.statOf(stat::mp) >= cost) castWarp(game, cost);
    }
    if (key == "v" && knows(s, spell::vision) && s.visionCells < s.openCells) {
      castSpell(game, "Vision", 3, 4, revealArea);
    }
    if (key == "t" && knows(s, spell::tinker)) castSpell(game, "Tinker", 6, 4, tinkerEffect);
    if (key == "p" && knows(s, spell::passage)) castSpell(game, "Passage", 3, 5, passageEffect);
    if (key == "h" && knows(s, spell::heal)) castSpell(game, "Heal", 2, 4, healEffect);
    if (key == "f" && knows(s, spell::flare)) castSpell(game, "Flare", 5, 4, revealArea);
    if (key == "b" && s.bombs > 0) {
      bombBlast(game);
      --s.bombs;
      s.messageLine = "[Used Bomb][Bomb -1]";
    }
    if (key == " " && heroGlyph(game) == glyph::mpItem) pickUpMpItem(game);
    if (key == " " && heroGlyph(game) == glyph::goldPile) pickUpGold(game);
    if (key == " " && heroGlyph(game) == glyph::hpItem) pickUpHpItem(game);
    if (key == " " && heroGlyph(game) == glyph::treasure) pickUpTreasure(game);
    if (key == " " && heroGlyph(game) == glyph::mysticOrbGlyph) useMysticOrb(game);
    monsterTurn(game);
    if (heroGlyph(game) == glyph::shop) shopOffer(game);
  }

  clampCurrentMember(s);
  return std::nullopt;
}

std::optional<LoopExit> playCycle(Game& game) {
  GameState& s = game.state;
  drawPlayScreen(game);
  s.messageLine.clear();
  s.lastKey.clear();
  if (game.observer) game.observer->onKeyRead(game);
  auto key = game.platform.waitChar();
  if (!key) {
    game.endReason = EndReason::inputClosed;
    return LoopExit::stop;
  }
  s.lastKey = *key;
  auto exit = carryOutCommand(game);
  if (game.observer && exit != LoopExit::stop) game.observer->onCycle(game);
  return exit;
}

LoopExit runPlayLoop(Game& game) {
  for (;;) {
    if (auto exit = playCycle(game)) return *exit;
  }
}

}  // namespace dw
