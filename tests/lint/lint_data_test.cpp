// The checks of the four data files, each on the shipped data with one
// mistake a modder could make.
#include <gtest/gtest.h>

#include "GameFolder.h"

namespace dw::lint::test {
namespace {

// Runs the checker after one replacement in a shipped data file.
LintRun withChange(const std::string& file, std::string_view from, std::string_view to) {
  GameFolder folder;
  folder.replace(file, from, to);
  return runLintOn(folder.path());
}

TEST(PartyCheck, MissingOrBrokenNamesAndStatisticsAreErrors) {
  LintRun run = withChange("res/party.dat", "party/830/nas=\"Corvin Quill\"\r\n", "");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.has({"res/party.dat: error: no party/830/nas: member 3 is named '%%'"}))
      << run.all();

  run = withChange("res/party.dat", "party/82/Stat/4=38", "party/82/Stat/4=-5");
  EXPECT_TRUE(run.has({"party.dat:23: error: member 2's Mp maximum is negative (-5)"}))
      << run.all();

  run = withChange("res/party.dat", "party/83/Stat/1=38", "party/83/Stat/1=lots");
  EXPECT_TRUE(
      run.has({":37: error: member 3's Hp maximum is 'lots', which does not start with a "
               "number: the game reads 0"}))
      << run.all();

  run = withChange("res/party.dat", "party/81/Stat/3=10", "party/81/Stat/3 = 10");
  EXPECT_TRUE(run.has({"error: no party/81/Stat/3: member 1's Dp maximum reads as 0",
                       "line 9 has it as 'party/81/Stat/3 '"}))
      << run.all();

  run = withChange("res/party.dat", "party/81/Stat/2=7", "party/81/Stat/2=7.5");
  EXPECT_EQ(run.exitCode, 0) << run.all();
  EXPECT_TRUE(run.has({":8: warning: member 1's Ap maximum is '7.5', which the game reads as 8"}));
}

TEST(PartyCheck, SpellKeysThatDoNotGiveWhatTheyMeanAreWarnings) {
  LintRun run = withChange("res/party.dat", "party/826/heal+/e=6\r\n", "");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(
      run.has({"warning: there is party/826/heal/e but no party/826/heal+/e, so member 2's "
               "Heal level is 0"}))
      << run.all();
  EXPECT_TRUE(run.has({"member 2 knows Heal at level 0, which restores no Hp"}));

  run = withChange("res/party.dat", "party/854/tinker/k=1\r\n", "");
  EXPECT_TRUE(
      run.has({"party/854/tinker+/k counts only together with party/854/tinker/k, which "
               "is missing, so member 5 does not know Tinker"}))
      << run.all();

  // The spell digit is the spell's number plus one: Flare (6) uses 7.
  run = withChange("res/party.dat", "party/847/flare/k=1", "party/846/flare/k=1");
  EXPECT_TRUE(
      run.has({"the game never reads the key 'party/846/flare/k': 'flare' is the word of "
               "spell 6 (Flare), whose keys use the digit 7"}))
      << run.all();

  run = withChange("res/party.dat", "party/832/warp/e=1", "party/832/blink/e=1");
  EXPECT_TRUE(run.has({"no spell has the word 'blink'"})) << run.all();

  run = withChange("res/party.dat", "party/854/tinker+/e=5", "party/854/tinker+/e=9");
  EXPECT_TRUE(run.has({"member 5's Tinker level 9 is above the spell's maximum 6"})) << run.all();

  run = withChange("res/party.dat", "party/832/warp/k=1", "party/832/warp/k=0");
  EXPECT_TRUE(run.has({"party/832/warp/k is 0, but the game only asks whether the key is there"}))
      << run.all();

  run = withChange("res/party.dat", "party/832/warp+/k=1", "party/832/warp+/k=2");
  EXPECT_TRUE(run.has({"the Mystic Orb raises only spells marked 1"})) << run.all();
}

TEST(PartyCheck, WholePartyLooksPlayable) {
  GameFolder folder;
  // Maelis and Wren are the ones who know Flare.
  folder.replace("res/party.dat", "party/847/flare/k=1\r\n", "");
  folder.replace("res/party.dat", "party/877/flare/k=1\r\n", "");
  folder.replace("res/party.dat", "party/870/nas=\"Wren\"", "party/870/nas=TOBIN LATCH");
  folder.replace("res/party.dat", "party/860/nas=\"old hesk\"", "party/860/nas=Hesk of the Deep");
  LintRun run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.has({"warning: no member knows Flare at the start of a game"})) << run.all();
  EXPECT_TRUE(run.has({"member 6's name 'Hesk Of The Deep' is 16 characters long"}));
  EXPECT_TRUE(run.has({"member 7 has the same name as member 5, 'Tobin Latch'"}));
}

TEST(SpellCheck, RecordsNamesAndMaximumLevels) {
  LintRun run = withChange("res/spells.dat", "spell/906/3/sas=tinker\r\n", "");
  EXPECT_TRUE(
      run.has({"error: no spell/906/3/sas: spell 3 (Tinker) has no word for the party "
               "keys, so no member knows it"}))
      << run.all();
  EXPECT_TRUE(run.has({"no spell has the word 'tinker'"}));

  run = withChange("res/spells.dat", "spell/905/sas=8 heal", "spell/905/sas=0 heal");
  EXPECT_TRUE(
      run.has({"error: Heal's maximum level is 0; it must be at least 1: Heal divides by "
               "it"}))
      << run.all();

  run = withChange("res/spells.dat", "spell/902/sas=4 vision", "spell/902/sas=vision");
  EXPECT_TRUE(run.has({"the record of Vision, 'vision', does not start with its maximum level",
                       "as in \"4 vision\""}));
  EXPECT_TRUE(run.has({"the name of Vision is looked up under the key 'vision'"})) << run.all();

  run = withChange("res/spells.dat", "6 passage=\"Passage\"\r\n", "");
  EXPECT_TRUE(run.has({"and there is none: the spell is named '%%'"})) << run.all();

  run = withChange("res/spells.dat", "spell/901/sas=3 warp\r\n", "");
  EXPECT_TRUE(
      run.has({"no spell/901/sas: Warp has no record, so it is named '%%' and its maximum "
               "level is 0"}));
  EXPECT_TRUE(run.has({"the game never reads the key '3 warp'"})) << run.all();

  run = withChange("res/spells.dat", "spell/906/1/s=3", "spell/906/1/s=4");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.has({"spell/906/1/s gives 4, but the record spell/901/sas gives 3"}));
}

TEST(RoseCheck, StepsMustBeThereBeNumbersAndPointWhereTheChaseExpects) {
  LintRun run = withChange("res/rose.dat", "rose(4,2)=-1\r\n", "");
  EXPECT_TRUE(run.has({"rose.dat: error: no rose(4,2): the column step of direction 4 reads as 0"}))
      << run.all();

  run = withChange("res/rose.dat", "rose(1,1)=-1", "rose(1,1)=up");
  EXPECT_TRUE(run.has({"error: rose(1,1) is 'up', which does not start with a number"}));

  run = withChange("res/rose.dat", "rose(2,2)=1", "rose(2,2)=2");
  EXPECT_TRUE(run.has({"warning: rose(2,2) is 2: monsters move one cell at a time"})) << run.all();

  run = withChange("res/rose.dat", "rose(3,1)=1", "rose(3,1)=-1");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(
      run.has({"direction 3 steps (-1, 0), but monsters chase the hero with direction 3 as "
               "a step down, (1, 0)"}))
      << run.all();
}

TEST(ShopCheck, RecordsAndHowTheirOffersRead) {
  GameFolder folder;
  std::string shops = folder.read("res/shops.dat");
  folder.write("res/shops.dat", shops.substr(0, shops.find("m0i/1718/")));
  LintRun run = runLintOn(folder.path());
  EXPECT_TRUE(run.has({"error: shop 18 has no record", "{%%: 0GP for 0%%}"})) << run.all();

  run = withChange("res/shops.dat", "m0i/1703/m1i=25", "m0i/1703/m1i=lots");
  EXPECT_TRUE(run.has({"error: shop 3's price is 'lots'"})) << run.all();

  run = withChange("res/shops.dat", "m0i/1702/m2i=6\r\n", "");
  EXPECT_TRUE(run.has({"error: no m0i/1702/m2i: shop 2: its quantity reads as 0"})) << run.all();

  run = withChange("res/shops.dat", "m0i/1702/m1s$= wick", "m0i/1702/m1s$=wick");
  EXPECT_TRUE(run.has({"shop 2 offers '6wicks'", "to read '6 wicks'"})) << run.all();

  run = withChange("res/shops.dat", "=The Smithy", "=The Smithy of the Seven Anvils");
  EXPECT_TRUE(run.has({"'{the smithy of the seven anvils: 30GP for 3 bomb...', is 50 characters"}))
      << run.all();
}

TEST(CommonChecks, DuplicatesStrayLinesAndUnreadKeys) {
  GameFolder folder;
  folder.replace("res/rose.dat", "rose(0,1)=0\r\n", "rose(0,1)=0\r\nROSE(0,1)=1\r\nrose 0 1\r\n");
  folder.replace("res/shops.dat", "m0i/1701/m1i=30\r\n", "m0i/1701/m1i=30\r\nm0i/1719/m1i=3\r\n");
  LintRun run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 0) << run.all();
  EXPECT_TRUE(
      run.has({"rose.dat:4: warning: the key 'ROSE(0,1)' appears again: the game uses the "
               "first one, on line 3"}))
      << run.all();
  EXPECT_TRUE(run.has({"rose.dat:5: warning: no \"=\" on this line, so the game skips it"}));
  EXPECT_TRUE(run.has({"warning: the game never reads the key 'm0i/1719/m1i'"}));
}

}  // namespace
}  // namespace dw::lint::test
