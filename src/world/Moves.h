#pragma once

namespace dw {

class Game;

// The four move keys: "8" up, "6" right, "2" down, "4" left.
enum class Direction { up, right, down, left };

// What one step came to, beyond the attack that may follow it.
enum class StepOutcome {
  stayed,        // nothing let the hero in, and nothing was said
  walked,        // floor, stairs, an open door, an item or a monster
  doorLocked,    // a locked door and no key
  doorUnlocked,  // a key opened a locked door; the hero stays
  gateHeld,      // a gate cost Hp and held
  gateForced,    // a gate cost Hp and opened into floor; the hero stays
  passedWall,    // Mp carried the hero through a wall
};

struct StepResult {
  StepOutcome outcome = StepOutcome::stayed;
  bool attacked = false;  // the monster in the hero's cell struck
  // Whether the step put anything on the message line.
  bool told() const {
    return attacked || (outcome != StepOutcome::stayed && outcome != StepOutcome::walked);
  }
};

// One move: walking, doors, gates, walls, and the attack of a monster whose
// cell the hero stands in.
StepResult stepHero(Game& game, Direction direction);

// The space key on the hero's cell: picks up the item or uses the Mystic Orb
// there. Returns whether anything was said (a treasure that brings back a
// whole party's worth of nobody says nothing).
bool takeWhatLiesHere(Game& game);

// The single pickups, each of which leaves floor behind.
void pickUpMpItem(Game& game);
void pickUpGold(Game& game);
void pickUpHpItem(Game& game);
// Returns whether the treasure said anything.
bool pickUpTreasure(Game& game);

// The monster sharing the hero's cell attacks; returns whether there was one.
bool monsterAttack(Game& game);

}  // namespace dw
