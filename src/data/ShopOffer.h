#pragma once

#include <cstdint>
#include <string>

namespace dw {

class Game;

// The wording of an article and its quantity, steered by the marks at the
// end of the article ("'+", "+", a final "x").
std::string shopDescription(const std::string& article, std::int32_t quantity);

// Puts the offer of the level's shop on the message line.
void shopOffer(Game& game);

}  // namespace dw
