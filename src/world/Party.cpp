#include "world/Party.h"

#include "core/Game.h"
#include "core/MessageText.h"

namespace dw {

namespace {

bool alive(const GameState& s, int member) {
  return s.memberStats[member][stat::hp] > 0;
}

}  // namespace

bool switchMember(Game& game, SwitchWay way) {
  GameState& s = game.state;
  const int n0 = s.currentMember;
  const int size = s.partySize;
  if (size < 1) return false;
  int n = n0;
  if (way == SwitchWay::next) {
    do n = (n % size) + 1;
    while (!(alive(s, n) || n == n0));
  } else {
    do n = size - ((size + 1 - n) % size);
    while (!(alive(s, n) || n == n0));
  }
  if (n == n0) return false;
  setMessage(s.messageLine, "[Switched to ", s.memberNames[n], "]");
  if (s.memberStats[n0][stat::hp] == 0)
    appendMessage(s.messageLine, "[Lost ", s.memberNames[n0], "]");
  s.currentMember = n;
  return true;
}

JoinResult joinStep(Game& game) {
  GameState& s = game.state;
  const int size = s.partySize;
  int living = 0;
  for (int m = 1; m <= size; ++m) living += alive(s, m) ? 1 : 0;
  if (living == size) return {size, 0};
  int k = size - living;
  if (k > 2) k = 2;
  int count = static_cast<int>(game.random.pick(k, 1));
  JoinResult result{count, 0};
  s.messageLine = "[";
  for (int i = 1; i <= count; ++i) {
    if (i > 1) s.messageLine += "+";
    int m;
    do m = static_cast<int>(game.random.pick(size, 1));
    while (s.memberStats[m][stat::hp] > 0);
    for (int t = 1; t <= statCount; ++t) {
      s.memberStats[m][t] = s.memberStatMax[m][t];
      if (s.memberSpells[m][t] > 0 && s.memberSpellLevels[m][t] > 10)
        s.memberSpellLevels[m][t] = 10;
    }
    s.messageLine += s.memberNames[m];
    result.lastJoined = m;
  }
  s.messageLine += " joined!]";
  return result;
}

}  // namespace dw
