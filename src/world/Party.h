#pragma once

namespace dw {

class Game;

// "+" and "-": the next or previous living member becomes current.
enum class SwitchWay { next, previous };
// Returns whether another member became current (and so was named on the
// message line).
bool switchMember(Game& game, SwitchWay way);

struct JoinResult {
  int count = 0;       // every member when all were alive, else how many came back
  int lastJoined = 0;  // the last member brought back, 0 when nobody came
};
// One or two fallen members come back at full strength.
JoinResult joinStep(Game& game);

}  // namespace dw
