#include "world/Spells.h"

#include "core/Game.h"
#include "core/MessageText.h"
#include "world/Effects.h"
#include "world/Sight.h"

namespace dw {

namespace {

bool knows(const GameState& s, int spellNumber) {
  return s.memberSpells[s.currentMember][spellNumber] > 0;
}

// A spell with an effect routine: the cost is drawn as soon as the spell
// allows the cast, and a cast refused for lack of Mp still uses up that draw,
// so seeds replay the same.
bool castWithEffect(Game& game, const char* name, int costRange, int costBase,
                    void (*effect)(Game&)) {
  GameState& s = game.state;
  std::int64_t cost = game.random.pick(costRange, costBase);
  if (s.statOf(stat::mp) < cost) return false;
  effect(game);
  addClamped(s.stat(stat::mp), -cost);
  setCastMessage(s.messageLine, name, cost);
  return true;
}

// Warp draws its cost only while some open cell is still unexplored.
bool castWarpSpell(Game& game) {
  GameState& s = game.state;
  if (s.exploredCells >= s.openCells) return false;
  std::int64_t cost = game.random.pick(3, 6);
  if (s.statOf(stat::mp) < cost) return false;
  return castWarp(game, cost);
}

}  // namespace

void setCastMessage(MessageLine& line, std::string_view name, std::int64_t cost) {
  setMessage(line, "[Cast '", name, "'][Mp -", cost, "]");
}

bool castSpell(Game& game, int spellNumber) {
  const GameState& s = game.state;
  if (!knows(s, spellNumber)) return false;
  switch (spellNumber) {
    case spell::warp:
      return castWarpSpell(game);
    case spell::vision:
      // Vision draws nothing once every open cell has been covered by it.
      if (s.visionCells >= s.openCells) return false;
      return castWithEffect(game, "Vision", 3, 4, revealArea);
    case spell::tinker:
      return castWithEffect(game, "Tinker", 6, 4, tinkerEffect);
    case spell::passage:
      return castWithEffect(game, "Passage", 3, 5, passageEffect);
    case spell::heal:
      return castWithEffect(game, "Heal", 2, 4, healEffect);
    case spell::flare:
      return castWithEffect(game, "Flare", 5, 4, revealArea);
    default:
      return false;
  }
}

}  // namespace dw
