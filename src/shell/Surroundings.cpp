#include "shell/Surroundings.h"

#include <cstdlib>

#include "shell/KeyHelp.h"

namespace dw {

namespace {

struct Around {
  int dr, dc;
  const char* name;
};
constexpr Around around[] = {{-1, -1, "Up-left"}, {-1, 0, "Up"},       {-1, 1, "Up-right"},
                             {0, -1, "Left"},     {0, 1, "Right"},     {1, -1, "Down-left"},
                             {1, 0, "Down"},      {1, 1, "Down-right"}};

// A glyph's name as the key help's legend gives it, without its advice.
std::string nameOf(std::uint8_t code) {
  for (const auto& glyph : mapGlyphs()) {
    if (glyph.code != code) continue;
    return glyph.name.substr(0, glyph.name.find_first_of(":("));
  }
  return "Rock";
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// What the map shows of a cell: its glyph once seen.
std::string cellWords(const Game& game, int row, int col) {
  if (game.grid.seenAt(row, col) == 0) return trimmed(nameOf(glyph::unseenGlyph));
  return trimmed(nameOf(game.grid.glyphAt(row, col)));
}

std::string stepsOf(int count, const char* way) {
  return std::to_string(count) + " " + way;
}

// Where the nearest seen stairs lie from the hero, in rows and columns.
std::string stairsWords(const Game& game) {
  const GameState& s = game.state;
  int best = -1, bestRow = 0, bestCol = 0;
  for (int row = 0; row < gridRows; ++row) {
    for (int col = 0; col < gridCols; ++col) {
      if (game.grid.glyphAt(row, col) != glyph::stairs || game.grid.seenAt(row, col) == 0) continue;
      int far = std::abs(row - s.heroRow) + std::abs(col - s.heroCol);
      if (best >= 0 && far >= best) continue;
      best = far;
      bestRow = row - s.heroRow;
      bestCol = col - s.heroCol;
    }
  }
  if (best < 0) return "Not seen yet";
  if (best == 0) return "Here: Space goes down";
  std::string words;
  if (bestRow != 0) words = stepsOf(std::abs(bestRow), bestRow < 0 ? "up" : "down");
  if (bestCol != 0) {
    words +=
        (words.empty() ? "" : ", ") + stepsOf(std::abs(bestCol), bestCol < 0 ? "left" : "right");
  }
  return words;
}

}  // namespace

OverlayContent surroundingsPanel(const Game& game) {
  OverlayContent panel;
  panel.title = "Around you";
  panel.empty = "No game yet";
  const GameState& s = game.state;
  for (const Around& a : around) {
    panel.lines.push_back({a.name, cellWords(game, s.heroRow + a.dr, s.heroCol + a.dc)});
  }
  panel.lines.push_back({"Here", trimmed(nameOf(game.grid.glyphAt(s.heroRow, s.heroCol)))});
  panel.lines.push_back({"Stairs", stairsWords(game)});
  return panel;
}

}  // namespace dw
