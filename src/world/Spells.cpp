#include "world/Spells.h"

#include "core/Game.h"
#include "core/MessageText.h"
#include "world/Effects.h"
#include "world/Sight.h"

namespace dw {

namespace {

constexpr SpellCost costs[] = {{"Warp", 3, 6},    {"Vision", 3, 4}, {"Tinker", 6, 4},
                               {"Passage", 3, 5}, {"Heal", 2, 4},   {"Flare", 5, 4}};

bool knows(const GameState& s, int spellNumber) {
  return s.memberSpells[s.currentMember][spellNumber] > 0;
}

// A spell with an effect routine: the cost is drawn as soon as the spell
// allows the cast, and a cast refused for lack of Mp still uses up that draw,
// so seeds replay the same.
bool castWithEffect(Game& game, int spellNumber, void (*effect)(Game&)) {
  GameState& s = game.state;
  const SpellCost& info = costs[spellNumber - 1];
  std::int64_t cost = game.random.pick(info.range, info.base);
  if (s.statOf(stat::mp) < cost) return false;
  effect(game);
  addClamped(s.stat(stat::mp), -cost);
  setCastMessage(s.messageLine, info.name, cost);
  return true;
}

// Warp draws its cost only while some open cell is still unexplored.
bool castWarpSpell(Game& game) {
  GameState& s = game.state;
  if (s.exploredCells >= s.openCells) return false;
  const SpellCost& warp = costs[spell::warp - 1];
  std::int64_t cost = game.random.pick(warp.range, warp.base);
  if (s.statOf(stat::mp) < cost) return false;
  return castWarp(game, cost);
}

}  // namespace

SpellCost spellCost(int spellNumber) {
  return costs[spellNumber - 1];
}

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
      return castWithEffect(game, spell::vision, revealArea);
    case spell::tinker:
      return castWithEffect(game, spell::tinker, tinkerEffect);
    case spell::passage:
      return castWithEffect(game, spell::passage, passageEffect);
    case spell::heal:
      return castWithEffect(game, spell::heal, healEffect);
    case spell::flare:
      return castWithEffect(game, spell::flare, revealArea);
    default:
      return false;
  }
}

}  // namespace dw
