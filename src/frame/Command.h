#pragma once

#include <string>

#include "world/Moves.h"

namespace dw {

// What a key asks the play loop for. A key is turned into a command once,
// when it is read; the rules are given the command, never the key.
enum class Action {
  other,           // any other key: the world still takes its turn
  quit,            // Escape
  restart,         // "~": a new game
  nextMember,      // "+"
  previousMember,  // "-"
  step,            // "8", "6", "2", "4"
  cast,            // "w", "v", "t", "p", "h", "f"
  bomb,            // "b"
  space,           // the stairs down, or what lies on the hero's cell
};

struct Command {
  Action action = Action::other;
  Direction direction = Direction::up;  // for a step
  int spellNumber = 0;                  // for a cast: spell::warp .. spell::flare
};

Command commandOfKey(const std::string& key);

}  // namespace dw
