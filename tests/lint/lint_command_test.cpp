// The command as a whole: the shipped game folder, exit codes, rewriting
// line endings, and files no one meant to feed it.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "GameFolder.h"
#include "Lint.h"
#include "Report.h"

namespace dw::lint::test {
namespace {

namespace fs = std::filesystem;

TEST(LintCommand, ShippedGameFolderHasNoFindings) {
  GameFolder folder;
  LintRun run = runLintOn(folder.path(), {"--strict"});
  EXPECT_EQ(run.exitCode, 0) << run.all();
  EXPECT_TRUE(run.lines.empty()) << run.all();
}

TEST(LintCommand, LaidOutGameFolderHasNoFindings) {
  if (!builtTilesPresent()) GTEST_SKIP() << "the build has not laid out the tiles";
  LintRun run = runLintOn(DUSKWARREN_GAME_DIR, {"--strict"});
  EXPECT_EQ(run.exitCode, 0) << run.all();
  EXPECT_TRUE(run.lines.empty()) << run.all();
  EXPECT_EQ(run.err, "duskwarren-lint: 0 error(s), 0 warning(s)\n");
}

TEST(LintCommand, ExitStatusSaysWhetherTheFolderIsFitToPlay) {
  GameFolder folder;
  folder.remove("drivers/mouse.bin");
  LintRun run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 0) << run.all();
  EXPECT_TRUE(run.has({"drivers/mouse.bin: warning: missing: the game starts without it"}));
  EXPECT_EQ(runLintOn(folder.path(), {"--strict"}).exitCode, 1);
  EXPECT_NE(run.err.find("0 error(s), 1 warning(s)"), std::string::npos);

  folder.remove("res/party.dat");
  folder.write("res/PARTY.DAT", "");
  run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 1);
  // Where file names ignore case (Windows), the game finds the file as it is
  // named, so only a file system that keeps case has it missing.
  if (!std::filesystem::exists(folder.path() / "res/party.dat")) {
    EXPECT_TRUE(run.has({"res/party.dat: error: missing: every member is named '%%'",
                         "(there is 'PARTY.DAT'; file names must match in case)"}))
        << run.all();
  }
}

TEST(LintCommand, RefusesToRunWithoutAFolderOrWithBadArguments) {
  GameFolder folder;
  std::ostringstream out, err;
  EXPECT_EQ(runLint({"--help"}, out, err), 0);
  EXPECT_NE(out.str().find("Usage: duskwarren-lint [OPTIONS] [FOLDER]"), std::string::npos);

  LintRun run = runLintOn(folder.path() / "nowhere");
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("nowhere: no such folder"), std::string::npos);
  EXPECT_EQ(runLintOn(folder.path() / "res/party.dat").exitCode, 2);
  EXPECT_EQ(runLintOn(folder.path(), {"--fix"}).exitCode, 2);
  EXPECT_EQ(runLintOn(folder.path(), {folder.path().string()}).exitCode, 2);
  EXPECT_EQ(runLintOn(folder.path(), {"--"}).exitCode, 0);
}

TEST(LintCommand, FixLineEndingsRewritesOnlyDataFilesThatNeedIt) {
  GameFolder folder;
  const std::string party = shippedFile("res/party.dat");
  std::string lfParty, crSpells;
  for (char c : party) {
    if (c != '\r') lfParty += c;
  }
  for (char c : shippedFile("res/spells.dat")) {
    if (c != '\n') crSpells += c;
  }
  folder.write("res/party.dat", lfParty);
  folder.write("res/spells.dat", crSpells);
  folder.write("drivers/mouse.bin", "a\nb\n");

  LintRun run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(
      run.has({"res/party.dat: error: lines end in LF, not CR LF: the game reads this "
               "file as one line"}))
      << run.all();
  EXPECT_EQ(folder.read("res/party.dat"), lfParty);  // checking alone changes nothing

  run = runLintOn(folder.path(), {"--fix-line-endings"});
  EXPECT_EQ(run.exitCode, 0) << run.all();
  EXPECT_TRUE(run.lines.empty()) << run.all();
  EXPECT_NE(run.err.find("res/party.dat: rewritten with CR LF line endings"), std::string::npos);
  EXPECT_EQ(folder.read("res/party.dat"), party);
  EXPECT_EQ(folder.read("res/party.dat.bak"), lfParty);
  EXPECT_EQ(folder.read("res/spells.dat"), shippedFile("res/spells.dat"));
  EXPECT_EQ(folder.read("res/spells.dat.bak"), crSpells);
  EXPECT_FALSE(fs::exists(folder.path() / "res/rose.dat.bak"));
  EXPECT_EQ(folder.read("drivers/mouse.bin"), "a\nb\n");
}

TEST(LintCommand, AnyBytesInAnyFileGiveABoundedReportOfSingleLines) {
  GameFolder folder;
  std::mt19937 random(7);
  std::string noise(300000, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  std::string manyLines;
  for (int i = 0; i < 100000; ++i) manyLines += "no equals sign\r\n";
  folder.write("res/party.dat", noise);
  folder.write("res/spells.dat", std::string(3000000, '=') + "\r\n" + std::string(1000, '\0'));
  folder.write("res/shops.dat", manyLines);
  folder.write("res/rose.dat", std::string(1, '\0'));
  folder.write("tiles/176b0808.til", noise);
  folder.write("tiles/219b0808.til", std::string("\xFD\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"));

  LintRun run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_LT(run.lines.size(), 4 * (Report::keptPerFile + 1) + 40);
  for (const std::string& line : run.lines) {
    EXPECT_LT(line.size(), 600u);
    EXPECT_EQ(line.find('\r'), std::string::npos);
  }
  EXPECT_TRUE(run.has({"res/shops.dat: error:", "more findings in this file are not shown"}));
}

}  // namespace
}  // namespace dw::lint::test
