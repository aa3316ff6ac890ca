#include "world/Moves.h"

#include "core/Game.h"
#include "core/MessageText.h"
#include "dungeon/CellDrawing.h"
#include "world/Monsters.h"
#include "world/Party.h"

namespace dw {

namespace {

struct Step {
  int dRow = 0, dCol = 0;
};

Step stepOf(const std::string& key) {
  if (key == "8") return {-1, 0};
  if (key == "6") return {0, 1};
  if (key == "2") return {1, 0};
  if (key == "4") return {0, -1};
  return {};
}

// The bound of the key's direction, tested with the hero where he is now.
bool inBounds(const GameState& s) {
  if (s.lastKey == "8") return s.heroRow > 2;
  if (s.lastKey == "6") return s.heroCol < 39;
  if (s.lastKey == "2") return s.heroRow < 24;
  if (s.lastKey == "4") return s.heroCol > 2;
  return false;
}

void takeItem(Game& game) {
  game.grid.setGlyph(game.state.heroRow, game.state.heroCol, glyph::floor);
  revealNeighbours(game);
}

// "[Gold +" and 12 make "[Gold +12]".
void setAmount(std::string& line, std::string_view literal, long long value) {
  setMessage(line, literal, value, "]");
}

}  // namespace

void stepHero(Game& game) {
  GameState& s = game.state;
  Random& rng = game.random;
  const Step step = stepOf(s.lastKey);
  const int targetRow = s.heroRow + step.dRow;
  const int targetCol = s.heroCol + step.dCol;
  const CellInfo target = game.classify(targetRow, targetCol);
  const int k = target.cellClass;
  const std::uint8_t g = target.classGlyph;
  auto moveHero = [&] {
    s.heroRow = targetRow;
    s.heroCol = targetCol;
  };

  // a, b, c: floor, stairs and open doors are walked onto.
  if (k == 1 && g == glyph::floor && inBounds(s)) moveHero();
  if (k == 1 && g == glyph::stairs && inBounds(s)) moveHero();
  if (k == 2 && g == glyph::openDoor && inBounds(s)) moveHero();

  // d, e: locked doors.
  if (k == 2 && g == glyph::lockedDoor && s.keys == 0) s.messageLine = "[Door is locked]";
  if (k == 2 && g == glyph::lockedDoor && s.keys > 0 && inBounds(s)) {
    --s.keys;
    s.messageLine = "[Unlocked door][Used 1 Key]";
    game.grid.setGlyph(targetRow, targetCol, glyph::openDoor);
    revealNeighbours(game);
  }

  // f: trying a gate costs Hp.
  long long gateCost = 0;
  if (k == 2 && g == glyph::gate) {
    gateCost = rng.below(4);
    addClamped(s.stat(stat::hp), -gateCost);
    setAmount(s.messageLine, "[Couldn't force gate][Hp -", gateCost);
  }

  // g: the forcing test draws its three numbers on every move.
  const std::int64_t ap = s.statOf(stat::ap);
  const std::int64_t x = rng.pick(ap, 1);
  const std::int64_t y = rng.below(2 * ap);
  const std::int64_t z = rng.below(10);
  if (k == 2 && g == glyph::gate && x > y + z + 2 && inBounds(s)) {
    setAmount(s.messageLine, "[Forced gate][Hp -", gateCost);
  }

  // h: a forced gate opens into floor.
  if (k == 2 && g == glyph::gate && s.messageLine.compare(0, 13, "[Forced gate]") == 0) {
    game.grid.setGlyph(targetRow, targetCol, glyph::floor);
    revealNeighbours(game);
  }

  // i: passing through a wall; its cost is drawn on every move.
  const std::int64_t wallCost = rng.pick(3, 3);
  if (k == 2 && g == glyph::wall && s.statOf(stat::mp) >= wallCost && inBounds(s)) {
    moveHero();
    addClamped(s.stat(stat::mp), -wallCost);
    setAmount(s.messageLine, "[Passed through wall][Mp -", wallCost);
  }

  // j: items and monsters are walked onto; items are taken with space.
  if (k == 3 && inBounds(s)) moveHero();

  monsterAttack(game);
}

void monsterAttack(Game& game) {
  GameState& s = game.state;
  const MonsterKind* kind = monsterKindOf(game.grid.glyphAt(s.heroRow, s.heroCol));
  if (!kind) return;
  std::int64_t d = game.random.below(kind->attackBase);
  d -= game.random.below(s.statOf(stat::dp));
  if (d < 0) d = 0;
  addClamped(s.stat(stat::hp), -d);
  setAmount(s.messageLine, kind->attackPrefix, d);
}

void pickUpMpItem(Game& game) {
  long long a = game.random.pick(3, 5);
  addClamped(game.state.stat(stat::mp), a);
  setAmount(game.state.messageLine, "[Mp +", a);
  takeItem(game);
}

void pickUpGold(Game& game) {
  long long a = game.random.pick(15, 1);
  addClamped(game.state.gold, a);
  setAmount(game.state.messageLine, "[Gold +", a);
  takeItem(game);
}

void pickUpHpItem(Game& game) {
  long long a = game.random.pick(5, 8);
  addClamped(game.state.stat(stat::hp), a);
  setAmount(game.state.messageLine, "[Hp +", a);
  takeItem(game);
}

void pickUpTreasure(Game& game) {
  GameState& s = game.state;
  Random& rng = game.random;
  for (;;) {
    long long r = rng.pick(17, 1);
    if (r <= 3) {
      long long a = rng.below(4);
      addClamped(s.stat(stat::ap), a);
      addClamped(s.statMax(stat::ap), a);
      addClamped(s.stat(stat::dp), 3 - a);
      addClamped(s.statMax(stat::dp), 3 - a);
      setMessage(s.messageLine, "[Ap +", a, "][Dp +", 3 - a, "]");
    } else if (r <= 6) {
      long long a = rng.pick(3, 1);
      addClamped(s.stat(stat::ap), a);
      addClamped(s.statMax(stat::ap), a);
      setAmount(s.messageLine, "[Ap +", a);
    } else if (r <= 9) {
      long long a = rng.pick(3, 1);
      addClamped(s.stat(stat::dp), a);
      addClamped(s.statMax(stat::dp), a);
      setAmount(s.messageLine, "[Dp +", a);
    } else if (r <= 12) {
      addClamped(s.keys, 1);
      setAmount(s.messageLine, "[Key +", 1);
    } else if (r <= 15) {
      addClamped(s.bombs, 1);
      setAmount(s.messageLine, "[Bomb +", 1);
    } else if (joinStep(game).count == 0) {
      continue;  // only a party without members rolls again
    }
    break;
  }
  takeItem(game);
}

}  // namespace dw
