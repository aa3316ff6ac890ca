#include "data/StatusDisplay.h"

#include "core/Game.h"
#include "data/MarkedText.h"

namespace dw {

namespace {

std::string icon(std::uint8_t picture) {
  return std::string("{{") + static_cast<char>(picture) + "}}";
}

constexpr int messageWidth = 36;

}  // namespace

std::string lastDigits(std::int64_t value, int n) {
  std::string text = std::to_string(value + 1000);
  return text.size() > static_cast<std::size_t>(n) ? text.substr(text.size() - n) : text;
}

std::string statusLine1(const GameState& s) {
  return "[" + icon(glyph::stairs) + lastDigits(s.levelNumber, 3) + "/" + icon(glyph::hpItem) +
         lastDigits(s.statOf(stat::hp), 3) + "/" + icon(glyph::treasure) +
         lastDigits(s.statOf(stat::ap), 2) + "/" + icon('#') + lastDigits(s.statOf(stat::dp), 2) +
         "/" + icon(glyph::mysticOrbGlyph) + lastDigits(s.statOf(stat::mp), 3) + "]";
}

std::string statusLine2(const GameState& s) {
  std::string line = "[" + icon(glyph::goldPile) + std::to_string(s.gold);
  if (s.keys > 0) line += "/" + icon('k') + std::to_string(s.keys);
  if (s.bombs > 0) line += "/" + icon('b') + std::to_string(s.bombs);
  return line + "]";
}

void clampCurrentMember(GameState& s) {
  for (int st = 1; st <= statCount; ++st) {
    std::int32_t& value = s.stat(st);
    if (value > s.statMax(st)) value = s.statMax(st);
    if (value < 0) value = 0;
  }
}

void statusDisplay(Game& game) {
  GameState& s = game.state;
  Screen& screen = game.screen;
  screen.locate(1, 3);
  screen.setTextColour(9, 0);
  screen.print(s.memberNames[s.currentMember], false);
  clampCurrentMember(s);
  std::string line1 = statusLine1(s);
  drawMarkedText(game, 1, 40 - markedTextWidth(line1), 9, 0, line1);
  std::string line2 = statusLine2(s);
  drawMarkedText(game, 25, 40 - markedTextWidth(line2), 9, 0, line2);
  if (!s.messageLine.empty()) {
    screen.locate(25, 3);
    screen.setTextColour(9, 0);
    screen.print(s.messageLine, false);
    screen.setTextColour(3);
    long long rule = messageWidth - static_cast<long long>(s.messageLine.size());
    if (rule > 0)
      screen.print(std::string(static_cast<std::size_t>(rule), static_cast<char>(196)), false);
    screen.setTextColour(15, 0);
  }
}

}  // namespace dw
