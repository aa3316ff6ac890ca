#include "data/PartyFiles.h"

#include <gtest/gtest.h>

#include <climits>

#include "core/Game.h"
#include "data/ShopOffer.h"
#include "support/MemoryTiles.h"
#include "support/ScreenText.h"
#include "support/TestGame.h"
#include "world/WorldSetup.h"

namespace dw {
namespace {

using test::crlfLines;

// The spell words come from the first key scheme, the names and maximum
// levels from the second.
const std::string spellFile = crlfLines({
    "spell/906/1/sas=Warp",
    "spell/906/1/s=3",
    "spell/906/2/sas=vision",
    "spell/906/2/s=4",
    "spell/906/5/sas=HEAL",
    "spell/906/5/s=2",
    "spell/901/sas=5 warp",
    "5 WARP=\"the WARP\"",
    "spell/902/sas=vision",
    "vision=Sight",
    "spell/905/sas=8.5 heal",
    "8.5 heal=heal",
});

const std::string partyFile = crlfLines({
    "party/810/nas=\"the grey WANDERER\"",
    "party/81/Stat/1=12abc",
    "party/81/Stat/2=abc",
    "party/81/Stat/3=2.5",
    "party/81/Stat/4=3.5",
    "party/81/Stat/5=1e40",
    "party/81/Stat/6=-1e40",
    // Warp (spell 1, digit 2): both pairs complete; the presence values
    // themselves do not matter.
    "party/812/warp/e=0",
    "party/812/warp+/e=4",
    "party/812/warp/k=no",
    "party/812/warp+/k=1",
    // Heal (spell 5, digit 6): a presence key without its value, and a value
    // without its presence key.
    "party/816/heal/e=yes",
    "party/816/heal+/k=1",
    "party/820/nas=Bo",
    // The spell's own number as the digit names no spell of member 2.
    "party/821/warp/k=1",
    "party/821/warp+/k=1",
    "party/821/warp/e=1",
    "party/821/warp+/e=5",
    "PARTY/823/VISION/K=1",
    "party/823/vision+/k=2",
});

struct PartyGame {
  test::MemoryFilePlatform platform;
  Game game{platform};

  explicit PartyGame(bool withParty = true, bool withSpells = true) {
    if (withParty) platform.files["res\\party.dat"] = partyFile;
    if (withSpells) platform.files["res\\spells.dat"] = spellFile;
  }
  void load() {
    loadParty(game);
    loadSpells(game);
  }
  GameState& s() { return game.state; }
};

TEST(PartyFiles, MembersReadNamesMaximaAndSpellsFromTheirKeys) {
  PartyGame g;
  g.load();
  GameState& s = g.s();
  EXPECT_EQ(s.memberNames[1], "The Grey Wanderer");
  EXPECT_EQ(s.memberNames[2], "Bo");
  EXPECT_EQ(s.memberNames[3], "%%");
  const std::int32_t maxima[7] = {0, 12, 0, 2, 4, INT_MAX, INT_MIN};
  for (int k = 1; k <= statCount; ++k) EXPECT_EQ(s.memberStatMax[1][k], maxima[k]) << k;

  EXPECT_EQ(s.memberSpellLevels[1][spell::warp], 4);
  EXPECT_EQ(s.memberSpells[1][spell::warp], 1);
  EXPECT_EQ(s.memberSpellLevels[1][spell::heal], 0);  // "/e" without "+/e"
  EXPECT_EQ(s.memberSpells[1][spell::heal], 0);       // "+/k" without "/k"
  EXPECT_EQ(s.memberSpells[2][spell::warp], 0);
  EXPECT_EQ(s.memberSpellLevels[2][spell::warp], 0);
  EXPECT_EQ(s.memberSpells[2][spell::vision], 2);  // keys match without case

  for (int j = 3; j <= maxMembers; ++j) {
    for (int i = 1; i <= spellCount; ++i) {
      EXPECT_EQ(s.memberSpells[j][i], 0);
      EXPECT_EQ(s.memberStatMax[j][i], 0);
    }
  }
  // The live statistics are the join step's, not the loaders'.
  for (int j = 1; j <= maxMembers; ++j) EXPECT_EQ(s.memberStats[j][stat::hp], 0);
}

TEST(PartyFiles, SpellRecordValueGivesBothMaximumLevelAndNameKey) {
  PartyGame g;
  loadParty(g.game);
  GameState& s = g.s();
  // After the party loader alone: the words and the first maxima.
  EXPECT_EQ(s.spellNames[spell::warp], "warp");
  EXPECT_EQ(s.spellNames[spell::heal], "heal");
  EXPECT_EQ(s.spellNames[spell::tinker], "%%");
  EXPECT_EQ(s.spellMaxLevel[spell::warp], 3);
  EXPECT_EQ(s.spellMaxLevel[spell::heal], 2);

  loadSpells(g.game);
  EXPECT_EQ(s.spellNames[spell::warp], "The Warp");
  EXPECT_EQ(s.spellMaxLevel[spell::warp], 5);
  EXPECT_EQ(s.spellNames[spell::vision], "Sight");
  EXPECT_EQ(s.spellMaxLevel[spell::vision], 0);  // "vision" starts with no number
  EXPECT_EQ(s.spellNames[spell::heal], "Heal");
  EXPECT_EQ(s.spellMaxLevel[spell::heal], 8);  // 8.5 rounds to the even 8
  EXPECT_EQ(s.spellNames[spell::tinker], "%%");
  EXPECT_EQ(s.spellMaxLevel[spell::tinker], 0);
}

TEST(PartyFiles, LoadingAgainGivesTheSameTables) {
  PartyGame once, twice;
  once.load();
  twice.load();
  const std::size_t partyEntries = twice.game.partyTable.entries.size();
  const std::size_t spellEntries = twice.game.spellTable.entries.size();
  // A new game forgets what the Mystic Orb taught and what the join step set.
  GameState& s = twice.s();
  s.memberSpells[3][spell::flare] = 1;
  s.memberSpellLevels[1][spell::warp] = 10;
  s.memberStatMax[2][stat::hp] = 99;
  s.memberNames[4] = "Someone";
  s.spellNames[spell::heal] = "Other";
  s.memberStats[1][stat::hp] = 7;
  twice.load();

  const GameState& a = once.s();
  EXPECT_EQ(s.memberNames, a.memberNames);
  EXPECT_EQ(s.memberStatMax, a.memberStatMax);
  EXPECT_EQ(s.memberSpells, a.memberSpells);
  EXPECT_EQ(s.memberSpellLevels, a.memberSpellLevels);
  EXPECT_EQ(s.spellNames, a.spellNames);
  EXPECT_EQ(s.spellMaxLevel, a.spellMaxLevel);
  EXPECT_EQ(s.memberStats[1][stat::hp], 7);
  EXPECT_EQ(twice.game.partyTable.entries.size(), partyEntries);
  EXPECT_EQ(twice.game.spellTable.entries.size(), spellEntries);
}

TEST(PartyFiles, MissingFilesLeaveMarkersAndNoSpells) {
  PartyGame noSpells(true, false);
  noSpells.load();
  GameState& s = noSpells.s();
  EXPECT_EQ(s.memberNames[1], "The Grey Wanderer");
  EXPECT_EQ(s.memberStatMax[1][stat::hp], 12);
  for (int i = 1; i <= spellCount; ++i) {
    EXPECT_EQ(s.spellNames[i], "%%");
    EXPECT_EQ(s.spellMaxLevel[i], 0);
    for (int j = 1; j <= maxMembers; ++j) {
      EXPECT_EQ(s.memberSpells[j][i], 0);
      EXPECT_EQ(s.memberSpellLevels[j][i], 0);
    }
  }

  PartyGame nothing(false, false);
  nothing.load();
  for (int j = 1; j <= maxMembers; ++j) {
    EXPECT_EQ(nothing.s().memberNames[j], "%%");
    for (int k = 1; k <= statCount; ++k) EXPECT_EQ(nothing.s().memberStatMax[j][k], 0);
  }
}

// Reads the files the build lays out beside the game.
class ShippedFiles : public HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;
  std::optional<std::string> readFile(const std::string& path) override {
    return HeadlessPlatform::readFile(test::gameDir() + "/" + path);
  }
};

TEST(PartyFiles, ShippedDataLoads) {
  ShippedFiles platform("k");
  Game game(platform);
  worldSetup(game);
  ASSERT_TRUE(game.running());
  const GameState& s = game.state;
  for (int i = 1; i <= spellCount; ++i) {
    EXPECT_NE(s.spellNames[i], "%%") << i;
    EXPECT_FALSE(s.spellNames[i].empty()) << i;
    EXPECT_GE(s.spellMaxLevel[i], 1) << i;  // the Heal effect divides by it
  }
  for (int j = 1; j <= maxMembers; ++j) {
    EXPECT_NE(s.memberNames[j], "%%") << j;
    EXPECT_FALSE(s.memberNames[j].empty()) << j;
    EXPECT_GT(s.memberStatMax[j][stat::hp], 0) << j;
    for (int k = 1; k <= statCount; ++k) EXPECT_GE(s.memberStatMax[j][k], 0) << j << "/" << k;
  }
  // The steps the chase rules expect.
  const std::int32_t steps[5][2] = {{0, 0}, {-1, 0}, {0, 1}, {1, 0}, {0, -1}};
  for (int d = 0; d <= 4; ++d) {
    EXPECT_EQ(s.roseVectors[d][1], steps[d][0]) << d;
    EXPECT_EQ(s.roseVectors[d][2], steps[d][1]) << d;
  }
  game.loadTable("res\\shops.dat", game.shopTable);
  for (int shop = 1; shop <= 18; ++shop) {
    game.state.levelShop = shop;
    game.state.messageLine.clear();
    shopOffer(game);
    EXPECT_EQ(game.state.messageLine.find("%%"), std::string::npos) << game.state.messageLine;
  }
}

}  // namespace
}  // namespace dw
