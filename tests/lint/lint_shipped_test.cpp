// The shipped data read through the game's own key/value reader, the way the
// party, spell, compass and shop loaders ask for it.
#include <gtest/gtest.h>

#include <set>

#include "GameFolder.h"
#include "SpellCheck.h"
#include "core/Game.h"
#include "core/KeyValue.h"
#include "core/NumberText.h"
#include "data/PartyFiles.h"
#include "data/ShopOffer.h"
#include "platform/headless/HeadlessPlatform.h"

namespace dw::lint::test {
namespace {

KeyValueTable shippedTable(const std::string& file) {
  KeyValueTable table;
  appendKeyValueText(shippedFile(file), table);
  return table;
}

TEST(ShippedData, EveryLineEndsInCrLf) {
  for (const char* file : {"res/shops.dat", "res/party.dat", "res/spells.dat", "res/rose.dat"}) {
    const std::string bytes = shippedFile(file);
    ASSERT_GE(bytes.size(), 2u) << file;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << file;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ASSERT_EQ(bytes[i - 1], '\r') << file << " at byte " << i;
      }
      if (bytes[i] == '\r') {
        ASSERT_EQ(bytes.at(i + 1), '\n') << file << " at byte " << i;
      }
    }
  }
  EXPECT_FALSE(shippedFile("drivers/mouse.bin").empty());
}

TEST(ShippedData, PartyAndSpellsGiveSevenPlayableMembersAndSixCastableSpells) {
  HeadlessPlatform platform;
  platform.setDataRoot(DUSKWARREN_ASSETS_DIR);
  Game game(platform);
  loadParty(game);
  loadSpells(game);
  const GameState& s = game.state;
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(s.spellNames[i], spellTitles[i]);
    EXPECT_GE(s.spellMaxLevel[i], 1) << spellTitles[i];
  }
  EXPECT_EQ(lookupValue("spell/905/sas", game.spellTable), "8 heal");

  std::set<std::string> names;
  std::array<int, 7> knownBy{};
  for (int j = 1; j <= 7; ++j) {
    const std::string& name = s.memberNames[j];
    EXPECT_NE(name, "%%");
    EXPECT_LE(name.size(), 13u) << name;
    names.insert(name);
    const auto& stat = s.memberStatMax[j];
    EXPECT_GE(stat[1], 25) << name;  // a few blows from an Orc
    EXPECT_GE(stat[3], 4) << name;
    EXPECT_GE(stat[4], 12) << name;  // two or three casts
    EXPECT_GE(stat[5], 4) << name;
    EXPECT_LE(stat[5], 6) << name;
    EXPECT_GE(stat[6], 3) << name;
    EXPECT_LE(stat[6], 5) << name;
    for (int i = 1; i <= 6; ++i) {
      EXPECT_LE(s.memberSpellLevels[j][i], s.spellMaxLevel[i]) << name << " " << spellTitles[i];
      if (s.memberSpells[j][i] > 0) {
        EXPECT_EQ(s.memberSpells[j][i], 1) << name << " " << spellTitles[i];
        EXPECT_GE(s.memberSpellLevels[j][i], 1) << name << " " << spellTitles[i];
        ++knownBy[i];
      }
    }
  }
  EXPECT_EQ(names.size(), 7u);
  for (int i = 1; i <= 6; ++i) EXPECT_GE(knownBy[i], 1) << spellTitles[i];
  // Most of the party can force a gate.
  int gateForcers = 0;
  for (int j = 1; j <= 7; ++j) gateForcers += s.memberStatMax[j][2] >= 3 ? 1 : 0;
  EXPECT_GE(gateForcers, 5);
}

TEST(ShippedData, CompassGivesTheChaseSteps) {
  const KeyValueTable rose = shippedTable("res/rose.dat");
  const int steps[5][2] = {{0, 0}, {-1, 0}, {0, 1}, {1, 0}, {0, -1}};
  for (int d = 0; d <= 4; ++d) {
    for (int j = 1; j <= 2; ++j) {
      std::string key = "rose(" + std::to_string(d) + "," + std::to_string(j) + ")";
      EXPECT_EQ(lookupValue(key, rose), std::to_string(steps[d][j - 1])) << key;
    }
  }
}

TEST(ShippedData, ShopsFillEighteenRecordsAndUseEveryOfferMark) {
  const KeyValueTable shops = shippedTable("res/shops.dat");
  std::set<std::string> marks;
  for (int n = 1; n <= 18; ++n) {
    const std::string s = "m0i/" + std::to_string(1700 + n);
    std::string title = lookupValue(s + "/m0s$", shops);
    std::string article = lookupValue(s + "/m1s$", shops);
    int quantity = readNumber(lookupValue(s + "/m2i", shops));
    EXPECT_NE(title, missingValue) << n;
    EXPECT_GE(readNumber(lookupValue(s + "/m1i", shops)), 1) << n;
    EXPECT_GE(quantity, 1) << n;
    bool plus = !article.empty() && article.back() == '+';
    bool afterX = article.size() >= 2 && article[article.size() - 2] == 'x';
    if (article.size() >= 2 && article.substr(article.size() - 2) == "'+") {
      marks.insert("'+");
    } else if (plus) {
      marks.insert(quantity > 1 ? (afterX ? "x+ plural" : "+ plural") : "+ single");
    } else {
      marks.insert(quantity > 1 ? (article.back() == 'x' ? "x plural" : "plural") : "single");
    }
    std::string offer = "{" + title + ": " + lookupValue(s + "/m1i", shops) + "GP for " +
                        shopDescription(article, quantity) + "}";
    EXPECT_LE(offer.size(), 36u) << offer;
  }
  EXPECT_EQ(marks, (std::set<std::string>{"'+", "x+ plural", "+ plural", "+ single", "x plural",
                                          "plural", "single"}));
}

}  // namespace
}  // namespace dw::lint::test
