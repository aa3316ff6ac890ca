#include "shell/TurnNotes.h"

#include "frame/Command.h"

namespace dw {

namespace {

int lockedDoorsAround(const Game& game) {
  const GameState& s = game.state;
  int count = 0;
  for (int dr = -1; dr <= 1; ++dr) {
    for (int dc = -1; dc <= 1; ++dc) {
      if (game.grid.glyphAt(s.heroRow + dr, s.heroCol + dc) == glyph::lockedDoor) ++count;
    }
  }
  return count;
}

const char* spellName(int number) {
  constexpr const char* names[] = {"", "Warp", "Vision", "Tinker", "Passage", "Heal", "Flare"};
  return number >= 1 && number <= 6 ? names[number] : "";
}

// The line says only what a spell cost: "[Cast 'Tinker'][Mp -5]".
bool onlyTheCost(const std::string& line) {
  return line.rfind("[Cast '", 0) == 0 && line.find("][Mp -") != std::string::npos &&
         line.find(']', line.find("][Mp -") + 1) == line.size() - 1;
}

std::string castNote(const TurnSnapshot& before, const Game& after, int number) {
  const GameState& s = after.state;
  const std::string& line = s.messageLine;
  if (s.memberSpells[before.member][number] <= 0) {
    return s.memberNames[before.member] + " does not know " + spellName(number) +
           ": the turn is spent";
  }
  if (line.empty()) return std::string("No ") + spellName(number) + ": the turn is spent";
  if (!onlyTheCost(line)) return "";
  if (number == spell::tinker) {
    int opened = before.lockedDoorsAround - lockedDoorsAround(after);
    if (opened <= 0) return "No door opened";
    return opened == 1 ? "A door opened" : std::to_string(opened) + " doors opened";
  }
  if (number == spell::heal && snapshotOf(after).partyHp <= before.partyHp)
    return "The Heal raised no Hp";
  return "";
}

}  // namespace

TurnSnapshot snapshotOf(const Game& game) {
  const GameState& s = game.state;
  TurnSnapshot shot{s.levelNumber, s.currentMember, s.bombs, lockedDoorsAround(game), 0};
  for (int m = 1; m <= s.partySize && m <= maxMembers; ++m) {
    if (s.memberStats[m][stat::hp] > 0) shot.partyHp += s.memberStats[m][stat::hp];
  }
  return shot;
}

std::string turnNote(const TurnSnapshot& before, const Game& after) {
  const GameState& s = after.state;
  // A level begun, or a member switched: the line and the status say it.
  if (before.level != s.levelNumber || before.member != s.currentMember) return "";
  Command command = commandOfKey(s.lastKey);
  if (command.action == Action::bomb && before.bombs <= 0) return "No Bombs: the turn is spent";
  if (command.action == Action::cast) return castNote(before, after, command.spellNumber);
  return "";
}

}  // namespace dw
