#pragma once

#include <cstdint>

namespace dw {

class Game;

// Succeeds when INT(RND * level) + 1 >= INT(RND * maxLevel) + 1.
bool spellRoll(Game& game, std::int64_t level, std::int64_t maxLevel);

// Passage turns walls next to the hero into floor, Tinker opens locked
// doors; each visited cell has its own roll.
void passageEffect(Game& game);
void tinkerEffect(Game& game);
// Heal gives every living member a share of its maximum Hp.
void healEffect(Game& game);
// A Bomb clears monsters and open doors, opens locked doors and breaks walls
// within two cells of the hero.
void bombBlast(Game& game);
// The "b" key: sets off one of the party's Bombs, if it has any. Returns
// whether one went off (and so was told).
bool useBomb(Game& game);

}  // namespace dw
