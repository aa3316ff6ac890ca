// Numbers in the data files far outside what the game expects: they are
// held within the 32-bit range, loops over them are cut to the level, and
// play goes on.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <ostream>
#include <string>

#include "BadInputGame.h"
#include "data/ShopOffer.h"
#include "world/Effects.h"

namespace dw::badinput {
namespace {

constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();

void expectCleanEnd(const PlayedGame& played) {
  EXPECT_EQ(played.exitCode, 0);
  EXPECT_EQ(played.game.endReason, EndReason::quit);
  for (const auto& failure : played.observer.failures()) ADD_FAILURE() << failure;
}

TEST(ExtremeNumbers, AreHeldAtTheLimitsAndNanTextReadsAsZero) {
  GameFolder folder;
  folder.write("res\\party.dat",
               partyWithStatistics({"1e40", "-1e40", "NaN", "99999999999", "4", "3"}));
  folder.write("res\\shops.dat", crlfLines({"m0i/1701/m0s$=Vault", "m0i/1701/m1s$= coin",
                                            "m0i/1701/m1i=1e40", "m0i/1701/m2i=-1e40"}));
  auto played = play(folder, standardKeys());
  expectCleanEnd(*played);
  Game& game = played->game;
  for (int m = 1; m <= maxMembers; ++m) {
    EXPECT_EQ(game.state.memberStatMax[m][stat::hp], int32Max);
    EXPECT_EQ(game.state.memberStatMax[m][stat::ap], int32Min);
    EXPECT_EQ(game.state.memberStatMax[m][stat::dp], 0);
    EXPECT_EQ(game.state.memberStatMax[m][stat::mp], int32Max);
  }
  // The shop line shows the held values.
  game.state.levelShop = 1;
  game.state.messageLine.clear();
  shopOffer(game);
  EXPECT_EQ(game.state.messageLine, "{vault: 2147483647GP for -2147483648 coin}");
}

TEST(ExtremeNumbers, HugeHpAndApStillFightAndForceGates) {
  GameFolder folder;
  folder.write("res\\party.dat",
               partyWithStatistics({"99999999999", "99999999999", "99999999999", "30", "4", "3"}));
  auto played = play(folder, standardKeys());
  expectCleanEnd(*played);
  for (const auto& cycle : played->observer.records) {
    for (int m = 1; m <= maxMembers; ++m) EXPECT_GE(cycle.hp[m], 0);
  }
}

TEST(HugeSightAndSense, AreCutToTheLevelSoEveryCycleStaysFast) {
  GameFolder folder;
  folder.write("res\\party.dat",
               partyWithStatistics({"40", "5", "5", "30", "2000000000", "2000000000"}));
  auto played = play(folder, standardKeys());
  expectCleanEnd(*played);
  // Walking two billion cells each way would take minutes per cycle.
  EXPECT_LT(played->seconds, 60.0);
  // Sight reaches the whole level: every generated cell is seen at once.
  const Game& game = played->game;
  int unseen = 0;
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int col = firstCol; col <= lastCol; ++col) unseen += game.grid.seen[row][col] == 0;
  }
  EXPECT_EQ(unseen, 0);
  // Sense reaches the whole level too: monsters far from the hero move.
  const auto& cycles = played->observer.records;
  ASSERT_FALSE(cycles.empty());
  EXPECT_NE(monsterCells(played->observer.levelStarts[0]), monsterCells(cycles[0].grid));
}

TEST(NegativeStatistics, AFallenPartyStaysWhereItIsAndIsClampedToZero) {
  GameFolder folder;
  folder.write("res\\party.dat", partyWithStatistics({"-5", "-2000000000", "-7", "-1",
                                                      "-2000000000", "-2000000000"}));
  auto played = play(folder, standardKeys());
  expectCleanEnd(*played);
  const GameState& s = played->game.state;
  for (int k = 1; k <= statCount; ++k) EXPECT_EQ(s.memberStats[s.currentMember][k], 0) << k;
  const auto& cycles = played->observer.records;
  ASSERT_FALSE(cycles.empty());
  for (std::size_t i = 1; i < cycles.size(); ++i) {
    if (cycles[i].levelNumber != cycles[i - 1].levelNumber) continue;
    EXPECT_EQ(cycles[i].heroRow, cycles[i - 1].heroRow);
    EXPECT_EQ(cycles[i].heroCol, cycles[i - 1].heroCol);
  }
}

TEST(NegativeStatistics, NoSightShowsOnlyTheCellsWalked) {
  GameFolder folder;
  folder.write("res\\party.dat",
               partyWithStatistics({"500", "9", "9", "30", "-2000000000", "-2000000000"}));
  auto played = play(folder, seedOneKeys("8888666622224444888866662222444466668888"));
  expectCleanEnd(*played);
  const Game& game = played->game;
  const auto& record = played->observer;
  ASSERT_EQ(record.levelStarts.size(), 1u);
  // Only cells the hero stood on were ever revealed.
  std::vector<std::pair<int, int>> walked = {record.levelStartHero[0]};
  for (const auto& cycle : record.records) walked.push_back({cycle.heroRow, cycle.heroCol});
  for (int row = 0; row < gridRows; ++row) {
    for (int col = 0; col < gridCols; ++col) {
      if (game.grid.seen[row][col] == 0) continue;
      EXPECT_NE(std::find(walked.begin(), walked.end(), std::make_pair(row, col)), walked.end())
          << "cell (" << row << "," << col << ") seen without being walked";
    }
  }
  EXPECT_GT(game.state.exploredCells, 0);
}

// Spell files whose maximum levels are 0 or below, and party levels below
// zero: casts go on, and Heal never lowers anyone's Hp.
std::string spellsWithMaxima(const std::string& maximum) {
  std::vector<std::string> lines;
  const char* words[] = {"warp", "vision", "tinker", "passage", "heal", "flare"};
  for (int i = 1; i <= spellCount; ++i) {
    const std::string n = std::to_string(i), word = words[i - 1];
    lines.push_back("spell/906/" + n + "/sas=" + word);
    lines.push_back("spell/906/" + n + "/s=" + maximum);
    lines.push_back("spell/90" + n + "/sas=" + maximum + " " + word);
    lines.push_back(maximum + " " + word + "=\"" + word + "\"");
  }
  return crlfLines(lines);
}

std::string partyKnowingEverySpellAt(const std::string& level) {
  std::vector<std::string> lines;
  const char* words[] = {"warp", "vision", "tinker", "passage", "heal", "flare"};
  for (int j = 1; j <= maxMembers; ++j) {
    const std::string member = "party/8" + std::to_string(j);
    lines.push_back(member + "0/nas=caster " + std::to_string(j));
    const char* stats[] = {"40", "6", "6", "2000", "4", "3"};
    for (int k = 1; k <= statCount; ++k) {
      lines.push_back(member + "/Stat/" + std::to_string(k) + "=" + stats[k - 1]);
    }
    for (int i = 1; i <= spellCount; ++i) {
      const std::string p = member + std::to_string(i + 1) + "/" + words[i - 1];
      lines.insert(lines.end(), {p + "/e=1", p + "+/e=" + level, p + "/k=1", p + "+/k=1"});
    }
  }
  return crlfLines(lines);
}

void expectHealNeverLowersHp(const RecordingObserver& record) {
  int heals = 0;
  for (std::size_t i = 1; i < record.records.size(); ++i) {
    const CycleRecord& cycle = record.records[i];
    if (cycle.message.rfind("[Cast 'Heal']", 0) != 0) continue;
    ++heals;
    for (int m = 1; m <= maxMembers; ++m) {
      EXPECT_GE(cycle.hp[m], record.records[i - 1].hp[m]) << "member " << m << " cycle " << i;
    }
  }
  EXPECT_GT(heals, 0) << "Heal was never cast";
}

// The spells' maximum level and every member's level, as the files give them.
struct SpellLevelCase {
  const char* maximum;
  const char* level;
  const char* name;  // what the test is called
};
void PrintTo(const SpellLevelCase& c, std::ostream* out) {
  *out << "maximum " << c.maximum << ", level " << c.level;
}

class SpellLevels : public ::testing::TestWithParam<SpellLevelCase> {};

TEST_P(SpellLevels, CastsGoOnAndHealNeverHurts) {
  const auto [maximum, level, name] = GetParam();
  GameFolder folder;
  folder.write("res\\spells.dat", spellsWithMaxima(maximum));
  folder.write("res\\party.dat", partyKnowingEverySpellAt(level));
  auto played = play(folder, seedOneKeys("hhhh8h6h2h4hwvtpfbhhtpwhhh  ~ hhhhtttpppwwwvvvfff"));
  expectCleanEnd(*played);
  const GameState& s = played->game.state;
  for (int i = 1; i <= spellCount; ++i) EXPECT_EQ(s.spellMaxLevel[i], std::stoi(maximum));
  expectHealNeverLowersHp(played->observer);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, SpellLevels,
    ::testing::Values(SpellLevelCase{"0", "3", "WithMaximumZeroAndLevelThree"},
                      SpellLevelCase{"0", "-3", "WithMaximumZeroAndLevelMinusThree"},
                      SpellLevelCase{"-4", "3", "WithMaximumMinusFourAndLevelThree"},
                      SpellLevelCase{"8", "-3", "WithMaximumEightAndLevelMinusThree"},
                      SpellLevelCase{"-4", "-2000000000",
                                     "WithMaximumMinusFourAndLevelMinusTwoBillion"}),
    [](const ::testing::TestParamInfo<SpellLevelCase>& info) {
      return std::string(info.param.name);
    });

TEST(HealEffect, NeverWoundsWhateverTheLevelAndMaximumSay) {
  HeadlessPlatform platform;
  Game game(platform);
  GameState& s = game.state;
  const std::pair<std::int32_t, std::int32_t> cases[] = {
      {-3, 8}, {3, -4}, {int32Min, 1}, {5, int32Min}, {-1, -1}};
  for (const auto& [level, maximum] : cases) {
    game.random.randomize(7, 0);
    s.memberSpellLevels[1][spell::heal] = level;
    s.spellMaxLevel[spell::heal] = maximum;
    for (int round = 0; round < 200; ++round) {
      for (int m = 1; m <= maxMembers; ++m) {
        s.memberStatMax[m][stat::hp] = m == 7 ? -50 : 40;
        s.memberStats[m][stat::hp] = 10 + m;
      }
      const std::uint64_t before = game.random.draws();
      healEffect(game);
      EXPECT_EQ(game.random.draws() - before, 2u * maxMembers) << "every member rolls";
      for (int m = 1; m <= maxMembers; ++m) {
        ASSERT_GE(s.memberStats[m][stat::hp], 10 + m) << level << " of " << maximum;
      }
    }
  }
}

// Compass steps far off the grid lead nowhere: no monster ever moves.
TEST(RoseSteps, OfABillionCellsMoveNoMonster) {
  for (const char* step : {"1000000000", "-1000000000"}) {
    GameFolder folder;
    std::vector<std::string> lines;
    for (int d = 0; d <= 4; ++d) {
      for (int j = 1; j <= 2; ++j) {
        lines.push_back("rose(" + std::to_string(d) + "," + std::to_string(j) + ")=" + step);
      }
    }
    folder.write("res\\rose.dat", crlfLines(lines));
    folder.write("res\\party.dat", partyWithStatistics({"900", "5", "5", "30", "4", "20"}));
    auto played = play(folder, seedOneKeys("zzzzzzzzzzzzzzzzzzzz"));
    expectCleanEnd(*played);
    for (int d = 0; d <= 4; ++d) EXPECT_EQ(played->game.state.roseVectors[d][1], std::stoi(step));
    for (const auto& cycle : played->observer.records) {
      EXPECT_EQ(monsterCells(cycle.grid), monsterCells(played->observer.levelStarts[0])) << step;
    }
  }
}

TEST(RoseSteps, TheShippedCompassDoesMoveMonstersWithTheSameKeys) {
  GameFolder folder;
  folder.write("res\\party.dat", partyWithStatistics({"900", "5", "5", "30", "4", "20"}));
  auto played = play(folder, seedOneKeys("zzzzzzzzzzzzzzzzzzzz"));
  expectCleanEnd(*played);
  EXPECT_NE(monsterCells(played->observer.records.back().grid),
            monsterCells(played->observer.levelStarts[0]));
}

}  // namespace
}  // namespace dw::badinput
