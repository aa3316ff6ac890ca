#pragma once

namespace dw {

class Game;

// "+" and "-": the next or previous living member becomes current.
void switchMember(Game& game);

struct JoinResult {
  int count = 0;       // every member when all were alive, else how many came back
  int lastJoined = 0;  // the last member brought back, 0 when nobody came
};
// One or two fallen members come back at full strength.
JoinResult joinStep(Game& game);

}  // namespace dw
