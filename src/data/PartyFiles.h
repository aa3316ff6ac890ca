#pragma once

namespace dw {

class Game;

// Fills the members' names, statistic maxima, known spells and spell levels
// from res\party.dat, with the spell words from res\spells.dat.
void loadParty(Game& game);
// Fills the spells' display names and maximum levels from res\spells.dat.
void loadSpells(Game& game);

}  // namespace dw
