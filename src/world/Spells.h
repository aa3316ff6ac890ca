#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dw {

class Game;
class MessageLine;

// What every cast says: "[Cast 'Name'][Mp -cost]", put into `line`.
void setCastMessage(MessageLine& line, std::string_view name, std::int64_t cost);

// The current member casts a spell (spell::warp .. spell::flare) if he knows
// it and it can still do something. Returns whether it was cast, and so told
// on the message line.
bool castSpell(Game& game, int spellNumber);

}  // namespace dw
