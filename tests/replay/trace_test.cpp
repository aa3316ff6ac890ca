#include "Trace.h"

#include <gtest/gtest.h>

#include "platform/headless/HeadlessPlatform.h"

namespace dw {
namespace {

struct TracedGame {
  HeadlessPlatform platform;
  Game game{platform};

  TracedGame() {
    GameState& s = game.state;
    s.levelNumber = 3;
    s.levelShop = 7;
    s.heroRow = 5;
    s.heroCol = 9;
    s.currentMember = 2;
    s.gold = 12;
    s.keys = 1;
    s.bombs = 4;
    s.openCells = 300;
    s.exploredCells = 20;
    s.visionCells = 8;
    s.seed = -32;
    s.messageLine = "[Gold +12]\xC4\"\\";
    s.memberStats[2][stat::mp] = 40;
    s.memberStatMax[7][stat::sense] = 9;
    s.memberSpells[1][spell::warp] = 1;
    s.memberSpellLevels[3][spell::heal] = 2;
    for (int row = 0; row < gridRows; ++row) {
      for (int col = 0; col < gridCols; ++col) {
        game.grid.glyphs[row][col] = glyph::rock;
        game.grid.seen[row][col] = 0;
      }
    }
    game.grid.glyphs[7][12] = glyph::floor;
    game.grid.seen[7][12] = 2;
    game.grid.glyphs[25][40] = 0xFF;
    game.random.randomize(1, 0);
    for (int i = 0; i < 3; ++i) (void)game.random.rnd();
  }
  std::string line(const std::string& event, const std::string* key) {
    return traceLine(game, event, key);
  }
};

TEST(Trace, LineHoldsStateTablesAndGridRows) {
  TracedGame t;
  const std::string key = "\xE9";
  const std::string line = t.line("cycle", &key);
  EXPECT_EQ(line.rfind("{\"event\":\"cycle\",\"key\":\"\xC3\xA9\",\"levelNumber\":3,", 0), 0u)
      << line;
  auto flat = flattenTraceLine(line);
  ASSERT_TRUE(flat.has_value()) << line;
  auto& f = *flat;
  const std::pair<const char*, const char*> fields[] = {{"levelShop", "7"},
                                                        {"heroRow", "5"},
                                                        {"heroCol", "9"},
                                                        {"currentMember", "2"},
                                                        {"gold", "12"},
                                                        {"keys", "1"},
                                                        {"bombs", "4"},
                                                        {"openCells", "300"},
                                                        {"exploredCells", "20"},
                                                        {"visionCells", "8"},
                                                        {"seed", "-32"},
                                                        {"rndCalls", "3"},
                                                        {"memberStats[2][4]", "40"},
                                                        {"memberStatMax[7][6]", "9"},
                                                        {"memberSpells[1][1]", "1"},
                                                        {"memberSpellLevels[3][5]", "2"},
                                                        {"memberStats[1][1]", "0"}};
  for (auto [name, value] : fields) EXPECT_EQ(f[name], value) << name;
  EXPECT_EQ(f.count("memberStats[0][0]"), 0u);
  EXPECT_EQ(f.count("memberStats[8][1]"), 0u);
  EXPECT_EQ(f.count("memberStats[1][7]"), 0u);
  // Bytes from 128 up are the code points U+0080..U+00FF.
  EXPECT_EQ(f["messageLine"], "\"[Gold +12]\xC3\x84\\\"\\\\\"");

  // Every grid row is one string: two hex digits a glyph, one digit a seen mark.
  EXPECT_EQ(f.count("glyphGrid[25]"), 1u);
  EXPECT_EQ(f.count("glyphGrid[26]"), 0u);
  const std::string& glyphRow = f["glyphGrid[7]"];
  ASSERT_EQ(glyphRow.size(), 2u + 2 * gridCols);
  EXPECT_EQ(glyphRow.substr(1 + 2 * 12, 2), "db");
  EXPECT_EQ(glyphRow.substr(1, 2), "b0");
  EXPECT_EQ(f["glyphGrid[25]"].substr(1 + 2 * 40, 2), "ff");
  const std::string& seenRow = f["seenGrid[7]"];
  ASSERT_EQ(seenRow.size(), 2u + gridCols);
  EXPECT_EQ(seenRow, "\"" + std::string(12, '0') + "2" + std::string(28, '0') + "\"");

  const std::string escape = "\x1b";
  EXPECT_NE(t.line("cycle", &escape).find("\"key\":\"\\u001b\""), std::string::npos);
  EXPECT_EQ(t.line("level", nullptr).find("\"key\""), std::string::npos);
  EXPECT_EQ(endLine("quit"), "{\"event\":\"end\",\"reason\":\"quit\"}");
}

TEST(Trace, ComparisonNamesCycleKeyFieldAndGridCellOfTheFirstDifference) {
  TracedGame golden, replayed;
  const std::string six = "6", four = "4";
  std::vector<std::string> want = {golden.line("level", nullptr), golden.line("cycle", &six),
                                   golden.line("cycle", &four), endLine("quit")};
  EXPECT_EQ(compareTraces(want, want), "");

  std::vector<std::string> got = want;
  replayed.game.state.gold = 5;
  replayed.game.state.memberStats[2][stat::mp] = 41;
  replayed.game.grid.glyphs[7][12] = glyph::rock;
  replayed.game.grid.seen[3][40] = 1;
  replayed.game.grid.glyphs[10][3] = glyph::floor;
  replayed.game.grid.glyphs[2][5] = glyph::floor;
  replayed.game.state.memberSpells[3][spell::heal] = 1;
  got[2] = replayed.line("cycle", &four);
  replayed.game.state.keys = 9;
  got[3] = replayed.line("cycle", &four);  // later lines are not reported
  std::string report = compareTraces(want, got);
  EXPECT_NE(report.find("line 3 (cycle 2, event \"cycle\", key \"4\") differs"), std::string::npos)
      << report;
  EXPECT_NE(report.find("gold: golden 12, replayed 5"), std::string::npos) << report;
  EXPECT_NE(report.find("memberStats[2][4] (member 2, Mp): golden 40, replayed 41"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("glyphGrid[7]: row 7, column 12: db -> b0"), std::string::npos) << report;
  EXPECT_NE(report.find("seenGrid[3]: row 3, column 40: 0 -> 1"), std::string::npos) << report;
  EXPECT_NE(report.find("memberSpells[3][5] (member 3, Heal): golden 0, replayed 1"),
            std::string::npos)
      << report;
  // Rows come in the order they are numbered.
  EXPECT_LT(report.find("glyphGrid[2]:"), report.find("glyphGrid[7]:")) << report;
  EXPECT_LT(report.find("glyphGrid[7]:"), report.find("glyphGrid[10]:")) << report;
  EXPECT_EQ(report.find("keys"), std::string::npos) << report;
  EXPECT_EQ(report.find("heroRow"), std::string::npos) << report;

  std::vector<std::string> shorter(want.begin(), want.begin() + 2);
  EXPECT_NE(compareTraces(want, shorter).find("line 3: the replay ends before"), std::string::npos);
  EXPECT_NE(compareTraces(shorter, want).find("line 3: the replay goes on past"),
            std::string::npos);
  std::vector<std::string> broken = want;
  broken[1] = "not json";
  EXPECT_NE(compareTraces(want, broken).find("line 2: the replayed line is not a trace line"),
            std::string::npos);
}

}  // namespace
}  // namespace dw
