#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace dw {
namespace {

namespace fs = std::filesystem;

TEST(Settings, ReadsEveryKeyWithCrLfBlanksAndComments) {
  Settings s = parseSettings(
      "# kept by the game\r\nfullscreen=on\r\n  view-4-3 \t=  on \r\n\r\n"
      "terminal-colours = 256\narrow-keys = walk\n");
  EXPECT_TRUE(s.fullscreen);
  EXPECT_TRUE(s.aspect);
  EXPECT_EQ(s.terminalColours, 256);
  EXPECT_TRUE(s.arrowsWalk);
  EXPECT_TRUE(s.problems.empty());
  EXPECT_EQ(parseSettings("terminal-colours = 24-bit").terminalColours, 24);
  // Lines that end in CR alone are lines too.
  Settings cr = parseSettings("# mine\rarrow-keys = walk\rview-4-3 = on\r");
  EXPECT_TRUE(cr.arrowsWalk && cr.aspect && cr.problems.empty());
}

TEST(Settings, WrittenAgainEveryLineKeepsItsOwnEndAndNothingFromTheFileIsObeyed) {
  Settings s = parseSettings("");
  s.aspect = true;
  EXPECT_EQ(settingsText("# mine\rarrow-keys = walk\rfullscreen = off", parseSettings("")),
            "# mine\rarrow-keys = turn\rfullscreen = off\rview-4-3 = off\r"
            "terminal-colours = auto\r");
  EXPECT_EQ(settingsText("# a\r\nx = 1\nview-4-3 = off\r\n", s),
            "# a\r\nx = 1\nview-4-3 = on\r\nfullscreen = off\r\nterminal-colours = auto\r\n"
            "arrow-keys = turn\r\n");
  // A bad line is named with its control characters made visible, never
  // passed on to a terminal as they are.
  Settings orders = parseSettings("fullscreen = on\x1b]2;HACKED\a\x1b[?1000h\n");
  ASSERT_EQ(orders.problems.size(), 1u);
  EXPECT_EQ(orders.problems[0],
            "settings line 1: fullscreen is on or off, not \"on^[]2;HACKED^G^[[?1000h\"");
}

TEST(Settings, NamesEachBadLineOnceAndKeepsTheRest) {
  const struct {
    const char* line;
    const char* named;
  } bad[] = {
      {"fullscreen = yes", "settings line 2: fullscreen is on or off, not \"yes\""},
      {"terminal-colours = 8", "settings line 2: terminal-colours is 16, 256, 24-bit or auto"},
      {"arrow-keys = run", "settings line 2: arrow-keys is walk or turn, not \"run\""},
      {"colours = many", "settings line 2: no setting is called \"colours\""},
      {"just words", "settings line 2: no \"key = value\""},
      {"= on", "settings line 2: no setting is called \"\""},
  };
  for (const auto& b : bad) {
    Settings s = parseSettings(std::string("arrow-keys = walk\n") + b.line + "\nview-4-3 = on\n");
    ASSERT_EQ(s.problems.size(), 1u) << b.line;
    EXPECT_EQ(s.problems[0].rfind(b.named, 0), 0u) << s.problems[0];
    EXPECT_TRUE(s.arrowsWalk && s.aspect) << b.line;
  }
}

TEST(Settings, WritingKeepsThePlayersOtherLinesAndNeverOverwritesAnUnreadableFile) {
  fs::path folder = fs::path(testing::TempDir()) / "duskwarren-settings-test";
  fs::remove_all(folder);
  fs::path file = folder / "duskwarren" / "settings";
  EXPECT_EQ(readSettings(file).problems.size(), 0u);  // missing: the defaults, quietly
  Settings s;
  s.fullscreen = true;
  ASSERT_EQ(writeSettings(file, s), "");
  {
    std::ofstream out(file, std::ios::app);
    out << "# my note\nfavourite = orc\nfullscreen = off\n";
  }
  s.aspect = true;
  ASSERT_EQ(writeSettings(file, s), "");
  std::stringstream text;
  text << std::ifstream(file).rdbuf();
  EXPECT_EQ(text.str(),
            "fullscreen = on\nview-4-3 = on\nterminal-colours = auto\narrow-keys = turn\n"
            "# my note\nfavourite = orc\n");
  Settings again = readSettings(file);
  EXPECT_TRUE(again.fullscreen && again.aspect);
  EXPECT_EQ(again.problems.size(), 1u);  // "favourite" is named, and kept

  fs::path folderFile = folder / "taken";
  fs::create_directories(folderFile);
  Settings unreadable = readSettings(folderFile);
  EXPECT_TRUE(unreadable.unreadable);
  // A file where the folder should be: a failed write, said in words.
  std::ofstream(folder / "blocker") << "not a folder";
  EXPECT_EQ(writeSettings(folder / "blocker" / "settings", s).rfind("cannot write ", 0), 0u);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace dw
