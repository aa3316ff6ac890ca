#include "data/StatusDisplay.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "core/Game.h"
#include "data/MarkedText.h"

namespace dw {

namespace {

constexpr int messageWidth = 36;

// A status line put together in place, without a string made for it.
class LineText {
 public:
  void add(std::string_view piece) {
    std::size_t n = std::min(piece.size(), bytes_.size() - size_);
    std::copy_n(piece.data(), n, bytes_.data() + size_);
    size_ += n;
  }
  void addNumber(std::int64_t value) {
    char digits[24];
    add({digits, static_cast<std::size_t>(std::to_chars(digits, digits + 24, value).ptr - digits)});
  }
  // The last n digits of the decimal text of value + 1000.
  void addLastDigits(std::int64_t value, int n) {
    char digits[24];
    auto length =
        static_cast<std::size_t>(std::to_chars(digits, digits + 24, value + 1000).ptr - digits);
    std::size_t keep = std::min(length, static_cast<std::size_t>(n));
    add({digits + length - keep, keep});
  }
  void addIcon(std::uint8_t picture) {
    const char group[] = {'{', '{', static_cast<char>(picture), '}', '}'};
    add({group, sizeof group});
  }
  std::string_view text() const { return {bytes_.data(), size_}; }

 private:
  std::array<char, 80> bytes_{};
  std::size_t size_ = 0;
};

LineText line1Text(const GameState& s) {
  LineText line;
  line.add("[");
  line.addIcon(glyph::stairs);
  line.addLastDigits(s.levelNumber, 3);
  line.add("/");
  line.addIcon(glyph::hpItem);
  line.addLastDigits(s.statOf(stat::hp), 3);
  line.add("/");
  line.addIcon(glyph::treasure);
  line.addLastDigits(s.statOf(stat::ap), 2);
  line.add("/");
  line.addIcon('#');
  line.addLastDigits(s.statOf(stat::dp), 2);
  line.add("/");
  line.addIcon(glyph::mysticOrbGlyph);
  line.addLastDigits(s.statOf(stat::mp), 3);
  line.add("]");
  return line;
}

LineText line2Text(const GameState& s) {
  LineText line;
  line.add("[");
  line.addIcon(glyph::goldPile);
  line.addNumber(s.gold);
  if (s.keys > 0) {
    line.add("/");
    line.addIcon('k');
    line.addNumber(s.keys);
  }
  if (s.bombs > 0) {
    line.add("/");
    line.addIcon('b');
    line.addNumber(s.bombs);
  }
  line.add("]");
  return line;
}

}  // namespace

std::string lastDigits(std::int64_t value, int n) {
  LineText text;
  text.addLastDigits(value, n);
  return std::string(text.text());
}

std::string statusLine1(const GameState& s) {
  return std::string(line1Text(s).text());
}

std::string statusLine2(const GameState& s) {
  return std::string(line2Text(s).text());
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
  const LineText line1 = line1Text(s);
  drawMarkedText(game, 1, 40 - markedTextWidth(line1.text()), 9, 0, line1.text());
  const LineText line2 = line2Text(s);
  drawMarkedText(game, 25, 40 - markedTextWidth(line2.text()), 9, 0, line2.text());
  if (!s.messageLine.empty()) {
    screen.locate(25, 3);
    screen.setTextColour(9, 0);
    screen.print(s.messageLine, false);
    screen.setTextColour(3);
    static constexpr auto rule = [] {
      std::array<char, messageWidth> line{};
      line.fill(static_cast<char>(196));
      return line;
    }();
    long long rest = messageWidth - static_cast<long long>(s.messageLine.size());
    if (rest > 0) screen.print({rule.data(), static_cast<std::size_t>(rest)}, false);
    screen.setTextColour(15, 0);
  }
}

}  // namespace dw
