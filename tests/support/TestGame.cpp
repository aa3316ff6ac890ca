#include "support/TestGame.h"

#include <sstream>

namespace dw::test {

namespace {

std::uint8_t glyphForSymbol(char c) {
  for (int g = 0; g < 256; ++g) {
    if (glyphSymbol(static_cast<std::uint8_t>(g)) == c && c != '?')
      return static_cast<std::uint8_t>(g);
  }
  return 0;
}

}  // namespace

TestGame::TestGame() {
  game.classes.setStandard();
  const int rose[5][2] = {{0, 0}, {-1, 0}, {0, 1}, {1, 0}, {0, -1}};
  for (int d = 0; d < 5; ++d) {
    game.state.roseVectors[d][1] = rose[d][0];
    game.state.roseVectors[d][2] = rose[d][1];
  }
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int col = firstCol; col <= lastCol; ++col) game.grid.glyphs[row][col] = glyph::rock;
  }
  for (int m = 1; m <= maxMembers; ++m) game.state.memberNames[m] = "M" + std::to_string(m);
  game.random.randomize(1, 0);
}

void TestGame::setLevel(const std::string& rows) {
  std::istringstream in(rows);
  std::string line;
  for (int row = 0; row < gridRows && std::getline(in, line); ++row) {
    for (int col = 0; col < gridCols && col < static_cast<int>(line.size()); ++col) {
      game.grid.glyphs[row][col] = glyphForSymbol(line[col]);
    }
  }
}

void TestGame::placeHero(int row, int col) {
  game.state.heroRow = row;
  game.state.heroCol = col;
}

void TestGame::setMember(int member, int hp, int ap, int dp, int mp, int sight, int sense) {
  const int values[6] = {hp, ap, dp, mp, sight, sense};
  for (int st = 1; st <= statCount; ++st) {
    game.state.memberStats[member][st] = values[st - 1];
    game.state.memberStatMax[member][st] = values[st - 1];
  }
}

std::string gameDir() {
  return DUSKWARREN_GAME_DIR;
}

}  // namespace dw::test
