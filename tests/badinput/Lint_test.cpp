// The data checker run on the same broken game folders the game itself is
// played on: each mistake that changes what the game reads is reported, and
// the shipped folder is clean.
#include "Lint.h"

#include <gtest/gtest.h>

#include <sstream>

#include "BadInputGame.h"

namespace dw::badinput {
namespace {

struct LintRun {
  int code = -1;
  std::string out;
};

LintRun lint(const GameFolder& folder) {
  std::ostringstream out, err;
  LintRun run;
  run.code = lint::runLint({folder.path()}, out, err);
  run.out = out.str() + err.str();
  return run;
}

TEST(LintOnBadFolders, ShippedFolderIsCleanAndEveryMissingFileIsAnError) {
  GameFolder shipped;
  LintRun clean = lint(shipped);
  EXPECT_EQ(clean.code, 0) << clean.out;

  GameFolder empty(GameFolder::Start::empty);
  LintRun run = lint(empty);
  EXPECT_EQ(run.code, 1);
  for (const char* file : {"res/party.dat", "res/spells.dat", "res/rose.dat", "res/shops.dat"}) {
    EXPECT_NE(run.out.find(std::string(file) + ": error: missing"), std::string::npos) << file;
  }
  EXPECT_NE(run.out.find("drivers/mouse.bin: warning"), std::string::npos) << run.out;
}

TEST(LintOnBadFolders, LfOnlyEmptyAndGarbledFilesAreErrors) {
  GameFolder folder;
  std::string party = shippedFile("res\\party.dat");
  std::string lf;
  for (char c : party) {
    if (c != '\r') lf += c;
  }
  folder.write("res\\party.dat", lf);
  folder.write("res\\rose.dat", "");
  folder.write("res\\spells.dat", std::string("\x00\xff\x13=\r\n\x80garbage", 13));
  LintRun run = lint(folder);
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.out.find("res/party.dat"), std::string::npos);
  EXPECT_NE(run.out.find("one line"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("res/rose.dat"), std::string::npos);
  EXPECT_NE(run.out.find("res/spells.dat"), std::string::npos);
}

TEST(LintOnBadFolders, ExtremeStatisticsAndCompassStepsAreReported) {
  GameFolder folder;
  folder.write("res\\party.dat",
               partyWithStatistics({"1e40", "-5", "abc", "99999999999", "2000000000", "-1e40"}));
  folder.write("res\\rose.dat",
               crlfLines({"rose(0,1)=0", "rose(0,2)=0", "rose(1,1)=-1000000000", "rose(1,2)=0",
                          "rose(2,1)=0", "rose(2,2)=1", "rose(3,1)=1", "rose(3,2)=0", "rose(4,1)=0",
                          "rose(4,2)=-1"}));
  LintRun run = lint(folder);
  EXPECT_EQ(run.code, 1) << run.out;
  for (const char* finding :
       {"Hp maximum is '1e40', which the game reads as 2147483647",
        "Mp maximum is '99999999999', which the game reads as 2147483647",
        "Dp maximum is 'abc', which does not start with a number", "Ap maximum is negative (-5)",
        "sense maximum is '-1e40', which the game reads as -2147483648"}) {
    EXPECT_NE(run.out.find(finding), std::string::npos) << finding << "\n" << run.out;
  }
  EXPECT_NE(run.out.find("res/rose.dat:3: warning"), std::string::npos) << run.out;
}

TEST(LintOnBadFolders, BrokenTileFilesAreFoundForGlyphsTheGameDraws) {
  GameFolder folder;
  folder.write("tiles\\219b0808.til", std::string(5, '\xfd'));  // cut short
  folder.write("tiles\\176b0808.til", "not a tile");            // wrong first byte
  folder.remove("tiles\\247b0808.til");                         // missing
  LintRun run = lint(folder);
  EXPECT_EQ(run.code, 1);
  for (const char* name : {"219b0808.til", "176b0808.til", "247b0808.til"}) {
    EXPECT_NE(run.out.find(name), std::string::npos) << name << "\n" << run.out;
  }
}

}  // namespace
}  // namespace dw::badinput
