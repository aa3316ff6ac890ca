#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "frame/RunGame.h"
#include "frame/StartUp.h"
#include "support/MemoryTiles.h"
#include "support/ScreenText.h"
#include "world/WorldSetup.h"

namespace dw {
namespace {

using test::crlfLines;
using test::markerAt;
using test::trimmedRow;

const std::string compassFile = crlfLines({
    "; steps of the monster directions",
    "rose(0,1)=0",
    "rose(0,2)=0",
    "ROSE(1,1)=-1",
    "rose(1,2)=0",
    "rose(2,1)=0",
    "rose(2,2)=+1.5E0",
    "rose(3,1)=1 step",
    "rose(3,2)=0",
    "rose(4,1)=0",
});

const std::string partyFile = crlfLines({
    "party/810/nas=ann",
    "party/81/Stat/1=20",
    "party/812/warp/k=1",
    "party/812/warp+/k=1",
    "party/820/nas=bo",
    "party/82/Stat/1=15",
});

struct NewGame {
  test::MarkerGame g;
  Game& game = g.game;
  test::MemoryFilePlatform& platform = g.platform;

  NewGame() {
    platform.files["res\\rose.dat"] = compassFile;
    platform.files["res\\party.dat"] = partyFile;
    platform.files["res\\spells.dat"] = "spell/906/1/sas=warp";
    game.classes = CellClassTable{};
    game.state.roseVectors = {};
  }
  Screen& screen() { return game.screen; }
};

TEST(WorldSetup, EchoesEveryCompassValueAndWaitsForOneKey) {
  NewGame n;
  n.screen().setPages(0, 1);
  n.platform.addKeys("xy");
  worldSetup(n.game);

  const char* echo[10] = {"rose(0,1)=0", "rose(0,2)=0",      "rose(1,1)=-1",     "rose(1,2)=0",
                          "rose(2,1)=0", "rose(2,2)=+1.5e0", "rose(3,1)=1 step", "rose(3,2)=0",
                          "rose(4,1)=0", "rose(4,2)=%%"};
  for (int row = 1; row <= 10; ++row) EXPECT_EQ(trimmedRow(n.screen(), 1, row), echo[row - 1]);
  EXPECT_EQ(trimmedRow(n.screen(), 1, 11), "");
  const std::int32_t steps[5][2] = {{0, 0}, {-1, 0}, {0, 2}, {1, 0}, {0, 0}};
  for (int d = 0; d <= 4; ++d) {
    EXPECT_EQ(n.game.state.roseVectors[d][1], steps[d][0]) << d;
    EXPECT_EQ(n.game.state.roseVectors[d][2], steps[d][1]) << d;
  }
  EXPECT_EQ(n.platform.pollKey(), "y");  // the wait took exactly one key

  CellClassTable standard;
  standard.setStandard();
  EXPECT_EQ(n.game.classes.classGlyphs, standard.classGlyphs);
}

TEST(WorldSetup, MissingCompassFileEchoesMarkersAndGivesNoSteps) {
  NewGame n;
  n.platform.files.erase("res\\rose.dat");
  n.game.state.roseVectors[1][1] = 5;
  n.platform.addKeys("x");
  worldSetup(n.game);
  for (int row = 1; row <= 10; ++row) {
    std::string key =
        "rose(" + std::to_string((row - 1) / 2) + "," + std::to_string(2 - row % 2) + ")";
    EXPECT_EQ(trimmedRow(n.screen(), 0, row), key + "=%%");
  }
  for (const auto& direction : n.game.state.roseVectors) {
    EXPECT_EQ(direction[1], 0);
    EXPECT_EQ(direction[2], 0);
  }
}

TEST(WorldSetup, ReloadsThePartyAfterTheKey) {
  NewGame n;
  GameState& s = n.game.state;
  s.memberSpells[1][spell::warp] = 0;
  s.memberSpells[2][spell::flare] = 1;  // taught by the Mystic Orb last game
  s.memberStats[1][stat::hp] = 3;
  n.platform.addKeys("x");
  worldSetup(n.game);
  EXPECT_EQ(s.memberNames[1], "Ann");
  EXPECT_EQ(s.memberStatMax[2][stat::hp], 15);
  EXPECT_EQ(s.memberSpells[1][spell::warp], 1);
  EXPECT_EQ(s.memberSpells[2][spell::flare], 0);
  EXPECT_EQ(s.memberStats[1][stat::hp], 3);  // live values stay

  // Without a key the set-up goes no further.
  NewGame stuck;
  worldSetup(stuck.game);
  EXPECT_EQ(stuck.game.endReason, EndReason::inputClosed);
  EXPECT_EQ(stuck.platform.reads["res\\party.dat"], 0);
}

TEST(NewGameSequence, ResetsCountersJoinsMembersAndKeepsTheTitleOnPage2) {
  NewGame n;
  GameState& s = n.game.state;
  s.gold = 50;
  s.keys = 2;
  s.bombs = 3;
  s.levelShop = 9;
  s.levelNumber = 3;
  s.visionCells = 7;
  s.currentMember = 2;
  s.memberStats[2][stat::hp] = 4;
  s.memberStats[2][stat::ap] = 6;
  n.platform.addKeys("k");
  const auto drawsBefore = n.game.random.draws();
  newGameSequence(n.game);

  EXPECT_TRUE(n.game.running());
  EXPECT_EQ(s.gold, 0);
  EXPECT_EQ(s.keys, 0);
  EXPECT_EQ(s.bombs, 0);
  EXPECT_EQ(s.levelShop, 1);
  EXPECT_EQ(s.levelNumber, 3);
  EXPECT_EQ(s.visionCells, 7);
  EXPECT_EQ(s.memberStats[2][stat::ap], 6);       // live values are not reset
  EXPECT_GT(n.game.random.draws(), drawsBefore);  // the join step drew
  // The current member is the last one the join step brought back.
  EXPECT_NE(s.currentMember, 2);
  const std::string& name = s.memberNames[s.currentMember];
  ASSERT_GE(s.messageLine.size(), name.size() + 9);
  EXPECT_EQ(s.messageLine.substr(s.messageLine.size() - name.size() - 9), name + " joined!]");

  Screen& screen = n.screen();
  EXPECT_EQ(screen.workPage(), 0);
  EXPECT_EQ(screen.visiblePage(), 1);
  EXPECT_EQ(screen.foreground(), 15);
  EXPECT_EQ(screen.background(), 0);
  EXPECT_TRUE(std::equal(screen.page(0), screen.page(0) + Screen::pageSize, screen.page(2)));
  EXPECT_TRUE(std::equal(screen.page(0), screen.page(0) + Screen::pageSize, screen.page(1)));
  // " { DUSKWARREN }" from x = 96, y = 80: text row 11 from column 13;
  // blanks draw nothing.
  const std::string title = " { DUSKWARREN }";
  for (int i = 0; i < static_cast<int>(title.size()); ++i) {
    int expected = title[i] == ' ' ? test::blankCell : title[i];
    EXPECT_EQ(markerAt(screen, 2, 11, 13 + i), expected) << i;
  }
  EXPECT_EQ(markerAt(screen, 2, 11, 28), test::blankCell);
  // The frame border in colour 3.
  const int corners[4][3] = {{1, 1, 218}, {1, 40, 191}, {25, 1, 192}, {25, 40, 217}};
  for (const auto& c : corners) {
    EXPECT_EQ(test::textCodeAt(screen, 2, c[0], c[1]), c[2]);
    EXPECT_EQ(test::colourAt(screen, 2, c[0], c[1]), 3);
  }
  EXPECT_EQ(test::textCodeAt(screen, 2, 1, 20), 196);
  EXPECT_EQ(test::textCodeAt(screen, 2, 25, 2), 196);
  EXPECT_EQ(test::textCodeAt(screen, 2, 13, 40), 179);
}

// Notes the level numbers of new levels and the keys of play cycles.
class RunLog : public GameObserver {
 public:
  std::vector<int> levels;
  std::vector<std::string> keys;
  void onLevel(const Game& game) override { levels.push_back(game.state.levelNumber); }
  void onCycle(const Game& game) override { keys.push_back(game.state.lastKey); }
};

TEST(NewGameSequence, RestartKeepsCountingLevelsAndWaitsOnTheCompassEchoAgain) {
  NewGame n;
  n.platform.addKeys(" a6~b4");
  RunLog log;
  n.game.observer = &log;
  runGame(n.game);
  EXPECT_EQ(log.levels, (std::vector<int>{1, 2}));
  EXPECT_EQ(log.keys, (std::vector<std::string>{"6", "~", "4"}));
  EXPECT_EQ(n.platform.reads["res\\rose.dat"], 2);
  EXPECT_EQ(n.platform.reads["res\\shops.dat"], 1);
  EXPECT_EQ(n.game.compassTable.entries.size(), 9u);
}

}  // namespace
}  // namespace dw
