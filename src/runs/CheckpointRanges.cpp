#include "runs/CheckpointRanges.h"

#include <cstdint>

namespace dw {

namespace {

// The first value found out of its range, worded for the player.
class RangeCheck {
 public:
  void within(const char* name, std::int64_t value, std::int64_t low, std::int64_t high) {
    if (!problem.empty() || (value >= low && value <= high)) return;
    problem = std::string(name) + " is " + std::to_string(value) + ", not " + std::to_string(low) +
              ".." + std::to_string(high);
  }
  void holds(const char* what, bool ok) {
    if (problem.empty() && !ok) problem = what;
  }
  std::string problem;
};

constexpr std::int64_t int32Max = INT32_MAX;
constexpr std::int64_t gridCells = gridRows * gridCols;

void checkCounts(RangeCheck& c, const GameState& s) {
  c.within("currentMember", s.currentMember, 1, maxMembers);
  c.within("partySize", s.partySize, 1, maxMembers);
  c.within("currentMember", s.currentMember, 1, s.partySize);
  c.within("heroRow", s.heroRow, firstRow, lastRow);
  c.within("heroCol", s.heroCol, firstCol, lastCol);
  c.within("gold", s.gold, 0, int32Max);
  c.within("keys", s.keys, 0, int32Max);
  c.within("bombs", s.bombs, 0, int32Max);
  c.within("levelNumber", s.levelNumber, 1, int32Max);
  c.within("levelShop", s.levelShop, 1, 18);
  c.within("openCells", s.openCells, 0, gridCells);
  c.within("exploredCells", s.exploredCells, 0, gridCells);
  c.within("visionCells", s.visionCells, 0, int32Max);
}

// Index 0 of the party tables holds nothing: members, statistics and
// spells count from 1.
void checkTables(RangeCheck& c, const GameState& s) {
  bool emptyFirst = s.memberNames[0].empty() && s.spellNames[0].empty() && s.spellMaxLevel[0] == 0;
  for (const MemberTable* table :
       {&s.memberStats, &s.memberStatMax, &s.memberSpells, &s.memberSpellLevels}) {
    for (int m = 0; m <= maxMembers; ++m) emptyFirst = emptyFirst && (*table)[m][0] == 0;
    for (int k = 0; k <= statCount; ++k) emptyFirst = emptyFirst && (*table)[0][k] == 0;
  }
  c.holds("a party table holds something at index 0", emptyFirst);
}

void checkGrid(RangeCheck& c, const LevelGrid& grid, const CellClassTable& classes) {
  bool seenOk = true;
  for (const auto& row : grid.seen) {
    for (std::uint8_t s : row) seenOk = seenOk && s <= 2;
  }
  c.holds("a cell is marked seen with a code other than 0, 1 or 2", seenOk);
  bool classesOk = true;
  for (std::uint8_t k : classes.classOf) classesOk = classesOk && k < classes.classGlyphs.size();
  c.holds("a glyph has a cell class other than 0..3", classesOk);
}

void checkScreen(RangeCheck& c, const Screen::Saved& screen, const Random::Saved& random) {
  c.within("the work page", screen.work, 0, Screen::pageCount - 1);
  c.within("the visible page", screen.visible, 0, Screen::pageCount - 1);
  c.within("the cursor row", screen.row, 1, Screen::textRows);
  c.within("the cursor column", screen.col, 1, Screen::textCols + 1);
  c.within("the foreground colour", screen.fg, 0, 255);
  c.within("the background colour", screen.bg, 0, 255);
  c.within("the last draw", random.last15, 0, 0x7FFF);
  c.holds("the last draw and its fraction disagree", random.lastRnd == random.last15 / 32768.0);
}

}  // namespace

std::string checkpointGameProblem(const GameState& state, const LevelGrid& grid,
                                  const CellClassTable& classes, const Random::Saved& random,
                                  const Screen::Saved& screen) {
  RangeCheck check;
  checkCounts(check, state);
  checkTables(check, state);
  checkGrid(check, grid, classes);
  checkScreen(check, screen, random);
  return check.problem;
}

}  // namespace dw
