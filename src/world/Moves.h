#pragma once

namespace dw {

class Game;

// One move key ("8", "6", "2", "4" in lastKey): walking, doors, gates, walls,
// and the attack of a monster whose cell the hero stands in.
void stepHero(Game& game);

// The space-key pickups on the hero's cell.
void pickUpMpItem(Game& game);
void pickUpGold(Game& game);
void pickUpHpItem(Game& game);
void pickUpTreasure(Game& game);

// Rule k of a move: the monster sharing the hero's cell attacks.
void monsterAttack(Game& game);

}  // namespace dw
