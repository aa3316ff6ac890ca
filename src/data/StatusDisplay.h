#pragma once

#include <cstdint>
#include <string>

namespace dw {

class Game;
struct GameState;

// The last n digits of the decimal text of value + 1000.
std::string lastDigits(std::int64_t value, int n);
// "[" stairs level "/" Hp "/" Ap "/" Dp "/" Mp "]" with their icons.
std::string statusLine1(const GameState& s);
// "[" gold, then Keys and Bombs when there are any "]".
std::string statusLine2(const GameState& s);

// Brings the current member's statistics into 0..maximum.
void clampCurrentMember(GameState& s);

// The member's name, the two status lines and the message line.
void statusDisplay(Game& game);

}  // namespace dw
