#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dw {

class Game;
class MessageLine;

// What every cast says: "[Cast 'Name'][Mp -cost]", put into `line`.
void setCastMessage(MessageLine& line, std::string_view name, std::int64_t cost);

// A spell's name and what it may cost: base .. base + range - 1 Mp, drawn
// as it is cast.
struct SpellCost {
  const char* name;
  int range, base;
};
// For spell::warp .. spell::flare.
SpellCost spellCost(int spellNumber);

// The current member casts a spell (spell::warp .. spell::flare) if he knows
// it and it can still do something. Returns whether it was cast, and so told
// on the message line.
bool castSpell(Game& game, int spellNumber);

}  // namespace dw
