#include "world/MysticOrb.h"

#include "core/Game.h"
#include "core/MessageText.h"
#include "dungeon/CellDrawing.h"

namespace dw {

namespace {

void orbUsedUp(Game& game) {
  game.grid.setGlyph(game.state.heroRow, game.state.heroCol, glyph::floor);
  revealNeighbours(game);
}

// A nudge of -2..+2; a gain raises the maximum too, a loss never lowers it.
void nudge(Game& game, int statistic) {
  long long a = game.random.pick(5, -2);
  addClamped(game.state.stat(statistic), a);
  if (a > 0) addClamped(game.state.statMax(statistic), a);
  orbUsedUp(game);
}

enum class OrbNews { none, increased, learned };

// What the orb does to spell sp of member c: it may raise a known spell, and
// teaches one not known yet; no spell ends above its highest level.
OrbNews growSpell(Game& game, int c, int sp) {
  GameState& s = game.state;
  Random& rng = game.random;
  OrbNews news = OrbNews::none;
  std::int32_t& level = s.memberSpellLevels[c][sp];
  const std::int64_t maxLevel = s.spellMaxLevel[sp];
  if (s.memberSpells[c][sp] == 1 && level < maxLevel) {
    std::int64_t r1 = rng.below(maxLevel);
    std::int64_t r2 = rng.pick(maxLevel, 1);
    if (r1 < level && r2 > level) {
      addClamped(level, rng.pick(5, 1));
      news = OrbNews::increased;
    }
  }
  if (s.memberSpells[c][sp] == 0) {
    s.memberSpells[c][sp] = 1;
    news = OrbNews::learned;
  }
  if (level > maxLevel) level = static_cast<std::int32_t>(maxLevel);
  return news;
}

}  // namespace

void useMysticOrb(Game& game) {
  GameState& s = game.state;
  Random& rng = game.random;
  const int c = s.currentMember;

  nudge(game, stat::mp);
  addClamped(s.gold, rng.pick(5, -2));
  if (s.gold < 0) s.gold = 0;
  orbUsedUp(game);
  nudge(game, stat::hp);
  nudge(game, stat::ap);
  nudge(game, stat::dp);

  // Spells already at their highest level are drawn again; 0 ends the search.
  int sp;
  do sp = static_cast<int>(rng.below(7));
  while (sp > 0 && s.memberSpellLevels[c][sp] == s.spellMaxLevel[sp]);

  // The orb says one thing: the spell it raised or taught, else only its name.
  switch (sp > 0 ? growSpell(game, c, sp) : OrbNews::none) {
    case OrbNews::increased:
      setMessage(s.messageLine, "[Mystic Orb: '", s.spellNames[sp], "' Increased]");
      break;
    case OrbNews::learned:
      setMessage(s.messageLine, "[Mystic Orb: Learned '", s.spellNames[sp], "']");
      break;
    case OrbNews::none:
      s.messageLine = "[Mystic Orb]";
      break;
  }
}

}  // namespace dw
