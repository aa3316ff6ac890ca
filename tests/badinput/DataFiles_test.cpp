// Data files that are missing, empty, written with LF only or full of
// garbage: the game still starts, plays its keys and ends cleanly.
#include <gtest/gtest.h>

#include <algorithm>

#include "BadInputGame.h"
#include "core/Random.h"

namespace dw::badinput {
namespace {

const char* const dataFiles[] = {"res\\party.dat", "res\\spells.dat", "res\\rose.dat",
                                 "res\\shops.dat"};

// The common end of every case: Escape was reached, nothing broke.
void expectCleanEnd(const PlayedGame& played) {
  EXPECT_EQ(played.exitCode, 0);
  EXPECT_EQ(played.game.endReason, EndReason::quit);
  for (const auto& failure : played.observer.failures()) ADD_FAILURE() << failure;
  EXPECT_GE(played.observer.levels(), 1u);
}

void expectNoPartyData(const GameState& s) {
  for (int m = 1; m <= maxMembers; ++m) {
    EXPECT_EQ(s.memberNames[m], "%%") << "member " << m;
    for (int k = 1; k <= statCount; ++k) EXPECT_EQ(s.memberStatMax[m][k], 0);
    for (int i = 1; i <= spellCount; ++i) EXPECT_EQ(s.memberSpells[m][i], 0);
  }
  for (int i = 1; i <= spellCount; ++i) {
    EXPECT_EQ(s.spellNames[i], "%%");
    EXPECT_EQ(s.spellMaxLevel[i], 0);
  }
}

int playKeyCount(const std::string& keys) {
  // "@1\r " and Escape are not play-loop commands; "~ " spends one key on
  // the world set-up's wait.
  const int restarts = static_cast<int>(std::count(keys.begin(), keys.end(), '~'));
  return static_cast<int>(keys.size()) - 5 - restarts;
}

TEST(MissingFiles, EmptyFolderStartsNamesEveryMemberAndPlaysOn) {
  GameFolder folder(GameFolder::Start::empty);
  const std::string keys = standardKeys();
  auto played = play(folder, keys);
  expectCleanEnd(*played);
  const GameState& s = played->game.state;
  expectNoPartyData(s);
  for (const auto& step : s.roseVectors) EXPECT_EQ(step[1] | step[2], 0);
  EXPECT_TRUE(s.mouseDriverImage.empty());
  EXPECT_EQ(played->observer.levels(), 2u) << "the first level and the one after \"~\"";
  EXPECT_EQ(played->observer.cycles(), static_cast<std::uint64_t>(playKeyCount(keys)));
  // Without tile files the dotted placeholder is drawn (colour 12).
  const auto& shown = played->observer.lastShown;
  EXPECT_NE(std::find(shown.begin(), shown.end(), 12), shown.end());
}

TEST(MissingFiles, NobodyStandsSoNothingMovesButSwitchesAndRestarts) {
  GameFolder folder(GameFolder::Start::empty);
  auto played = play(folder, standardKeys());
  expectCleanEnd(*played);
  // Every member has Hp 0: the hero never moves and the world waits.
  const auto& cycles = played->observer.records;
  ASSERT_FALSE(cycles.empty());
  for (std::size_t i = 1; i < cycles.size(); ++i) {
    if (cycles[i].levelNumber != cycles[i - 1].levelNumber) continue;
    EXPECT_EQ(cycles[i].heroRow, cycles[i - 1].heroRow);
    EXPECT_EQ(cycles[i].heroCol, cycles[i - 1].heroCol);
    EXPECT_EQ(monsterCells(cycles[i].grid), monsterCells(cycles[i - 1].grid));
  }
}

TEST(EmptyFiles, ReadLikeMissingOnesAndLeaveEveryTableEmpty) {
  GameFolder folder;
  for (const char* file : dataFiles) folder.write(file, "");
  folder.write("drivers\\mouse.bin", "");
  auto played = play(folder, standardKeys());
  expectCleanEnd(*played);
  const Game& game = played->game;
  expectNoPartyData(game.state);
  EXPECT_TRUE(game.partyTable.entries.empty());
  EXPECT_TRUE(game.spellTable.entries.empty());
  EXPECT_TRUE(game.compassTable.entries.empty());
  EXPECT_TRUE(game.shopTable.entries.empty());
}

TEST(LfOnlyFiles, AreOneLineEachSoNoKeyIsFound) {
  GameFolder folder;
  for (const char* file : dataFiles) {
    std::string text = shippedFile(file);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    ASSERT_NE(text.find('\n'), std::string::npos);
    folder.write(file, text);
  }
  auto played = play(folder, standardKeys());
  expectCleanEnd(*played);
  const Game& game = played->game;
  // The whole file is one line: at most one entry, whose key runs from the
  // start of the file to its first "=".
  EXPECT_LE(game.partyTable.entries.size(), 1u);
  EXPECT_LE(game.compassTable.entries.size(), 1u);
  EXPECT_LE(game.shopTable.entries.size(), 1u);
  expectNoPartyData(game.state);
  for (const auto& step : game.state.roseVectors) EXPECT_EQ(step[1] | step[2], 0);
  EXPECT_EQ(lookupValue("m0i/1701/m0s$", game.shopTable), "%%");
}

std::string garbage(Random& r, std::size_t size) {
  std::string bytes;
  for (std::size_t i = 0; i < size; ++i) {
    // Mostly any byte; line ends and "=" often enough to make entries.
    const std::int64_t kind = r.below(16);
    if (kind == 0)
      bytes += "\r\n";
    else if (kind == 1)
      bytes += '=';
    else
      bytes += static_cast<char>(r.below(256));
  }
  return bytes;
}

TEST(BinaryGarbage, InEveryDataFileAndSomeTilesPlaysTheSameTwice) {
  GameFolder folder;
  Random r;
  r.randomize(1234, 0);
  for (const char* file : dataFiles) folder.write(file, garbage(r, 4096));
  for (int g : {120, 176, 219, 247, 249, 35, 244}) folder.write(tileFileName(g), garbage(r, 300));
  folder.write("tiles\\253b0808.til", "\xFD" + garbage(r, 200));
  folder.write("drivers\\mouse.bin", garbage(r, 1000));

  auto first = play(folder, standardKeys());
  expectCleanEnd(*first);
  EXPECT_FALSE(first->game.partyTable.entries.empty()) << "the garbage should hold entries";
  // Garbage is still data: the same files and keys give the same game.
  auto second = play(folder, standardKeys());
  expectCleanEnd(*second);
  EXPECT_EQ(first->game.random.draws(), second->game.random.draws());
  ASSERT_EQ(first->observer.records.size(), second->observer.records.size());
  EXPECT_EQ(first->observer.records.back().heroRow, second->observer.records.back().heroRow);
  EXPECT_EQ(first->observer.records.back().heroCol, second->observer.records.back().heroCol);
  EXPECT_EQ(first->observer.lastShown, second->observer.lastShown);
}

}  // namespace
}  // namespace dw::badinput
