#include "data/StatusDisplay.h"

#include <gtest/gtest.h>

#include "support/MemoryTiles.h"
#include "support/ScreenText.h"

namespace dw {
namespace {

using test::colourAt;
using test::rowText;

struct StatusGame : test::MarkerGame {
  StatusGame() {
    GameState& s = game.state;
    s.currentMember = 2;
    s.memberNames[2] = "Ann";
    const int values[7] = {0, 5, 3, 12, 40, 4, 2};
    for (int st = 1; st <= statCount; ++st) {
      s.memberStats[2][st] = values[st];
      s.memberStatMax[2][st] = 200;
    }
    s.levelNumber = 2;
  }
  const Screen& screen() const { return game.screen; }
};

TEST(StatusDisplay, FirstLineShowsLastDigitsOfLevelAndStatistics) {
  StatusGame g;
  GameState& s = g.game.state;
  EXPECT_EQ(statusLine1(s), "[{{\xF7}}002/{{\xEC}}005/{{\xE7}}03/{{#}}12/{{\xF1}}040]");
  s.memberStats[2][stat::ap] = 123;
  s.levelNumber = 1001;
  s.memberStats[2][stat::hp] = 7;
  s.memberStatMax[2][stat::mp] = 5000;
  s.memberStats[2][stat::mp] = 1234;
  s.memberStats[2][stat::dp] = 0;
  EXPECT_EQ(statusLine1(s), "[{{\xF7}}001/{{\xEC}}007/{{\xE7}}23/{{#}}00/{{\xF1}}234]");

  statusDisplay(g.game);
  // The name from column 3, the line right-aligned to end in column 39.
  EXPECT_EQ(rowText(g.screen(), 0, 1, 1, 40),
            "  Ann          [{{\xF7}}001/{{\xEC}}007/{{\xE7}}23/{{#}}00/{{\xF1}}234] ");
  EXPECT_EQ(colourAt(g.screen(), 0, 1, 3), 9);
  EXPECT_EQ(colourAt(g.screen(), 0, 1, 16), 9);
}

TEST(StatusDisplay, StatisticsAreClampedBeforeTheyAreShown) {
  StatusGame g;
  GameState& s = g.game.state;
  s.memberStatMax[2][stat::hp] = 30;
  s.memberStats[2][stat::hp] = 45;
  s.memberStats[2][stat::mp] = -4;
  s.memberStats[2][stat::sense] = 201;
  s.memberStats[3][stat::hp] = 999;  // not the current member
  s.memberStatMax[3][stat::hp] = 10;
  statusDisplay(g.game);
  EXPECT_EQ(s.memberStats[2][stat::hp], 30);
  EXPECT_EQ(s.memberStats[2][stat::mp], 0);
  EXPECT_EQ(s.memberStats[2][stat::sense], 200);
  EXPECT_EQ(s.memberStats[3][stat::hp], 999);
  EXPECT_EQ(rowText(g.screen(), 0, 1, 22, 25), "{{\xEC}}030");

  s.memberStats[2][stat::hp] = 0;  // a fallen member stays fallen
  statusDisplay(g.game);
  EXPECT_EQ(s.memberStats[2][stat::hp], 0);
}

TEST(StatusDisplay, LongNameIsCoveredByTheFirstLine) {
  StatusGame g;
  g.game.state.memberNames[2] = "Bartholomew The Unready";
  statusDisplay(g.game);
  EXPECT_EQ(rowText(g.screen(), 0, 1, 1, 16), "  Bartholomew T[");
}

TEST(StatusDisplay, SecondLineShowsKeysAndBombsOnlyWhenThereAreAny) {
  StatusGame g;
  GameState& s = g.game.state;
  EXPECT_EQ(statusLine2(s), "[{{\xF8}}0]");
  statusDisplay(g.game);
  EXPECT_EQ(rowText(g.screen(), 0, 25, 35, 40), " [{{\xF8}}0] ");

  s.gold = 1234567;
  s.keys = 2;
  EXPECT_EQ(statusLine2(s), "[{{\xF8}}1234567/{{k}}2]");
  s.keys = 0;
  s.bombs = 11;
  EXPECT_EQ(statusLine2(s), "[{{\xF8}}1234567/{{b}}11]");
  s.keys = 3;
  s.gold = -5;
  EXPECT_EQ(statusLine2(s), "[{{\xF8}}-5/{{k}}3/{{b}}11]");
  statusDisplay(g.game);
  EXPECT_EQ(rowText(g.screen(), 0, 25, 27, 40), " [{{\xF8}}-5/{{\xE7}}3/{{\xE7}}11] ");
}

TEST(StatusDisplay, MessageIsFollowedByARuleUpTo36Cells) {
  StatusGame g;
  GameState& s = g.game.state;
  s.messageLine = "[Hi]";
  statusDisplay(g.game);
  EXPECT_EQ(rowText(g.screen(), 0, 25, 1, 7), "  [Hi]\xC4");
  for (int col = 3; col <= 6; ++col) EXPECT_EQ(colourAt(g.screen(), 0, 25, col), 9);
  for (int col = 7; col <= 38; ++col) {
    EXPECT_EQ(rowText(g.screen(), 0, 25, col, col), "\xC4") << col;
    EXPECT_EQ(colourAt(g.screen(), 0, 25, col), 3) << col;
  }
  EXPECT_EQ(rowText(g.screen(), 0, 25, 39, 40), "] ");  // what is left of the second line
  EXPECT_EQ(g.screen().foreground(), 15);
  EXPECT_EQ(g.screen().background(), 0);
}

TEST(StatusDisplay, MessagesOf36BytesOrMoreGetNoRuleAndAreCutAtTheEdge) {
  const std::string exact(36, 'm');
  StatusGame g;
  g.game.state.messageLine = exact;
  statusDisplay(g.game);
  EXPECT_EQ(rowText(g.screen(), 0, 25, 3, 40), exact + "] ");

  StatusGame longer;
  std::string text;
  for (int i = 0; i < 45; ++i) text += static_cast<char>('A' + i % 26);
  longer.game.state.messageLine = text;
  statusDisplay(longer.game);
  EXPECT_EQ(rowText(longer.screen(), 0, 25, 3, 40), text.substr(0, 38));
  // Nothing wrapped or scrolled: the first line is still at the top.
  EXPECT_EQ(rowText(longer.screen(), 0, 1, 39, 39), "]");
  EXPECT_EQ(rowText(longer.screen(), 0, 24, 1, 40), std::string(40, ' '));
}

TEST(StatusDisplay, NoMessageDrawsNoRule) {
  StatusGame g;
  statusDisplay(g.game);
  EXPECT_EQ(rowText(g.screen(), 0, 25, 1, 34), std::string(34, ' '));
}

}  // namespace
}  // namespace dw
