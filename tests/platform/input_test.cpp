#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/Font.h"
#include "support/MemoryTiles.h"

namespace dw {
namespace {

bool cellShows(const Screen& s, int row, int col, std::uint8_t code) {
  const auto& glyph = fontGlyphs()[code];
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      int expected = (glyph[y] & (0x80 >> x)) ? 15 : 0;
      if (s.page(0)[(8 * row - 8 + y) * Screen::width + 8 * col - 8 + x] != expected) return false;
    }
  }
  return true;
}

TEST(InputLine, EchoesTheLineLetsBackspaceEditAndEndsOnEnter) {
  test::MemoryFilePlatform p;
  // A Backspace on the empty line must not eat into the prompt.
  p.addKeys("\b12x\b\b5\r");
  Screen& s = p.screen();
  s.locate(3, 1);
  auto line = p.inputLine("rrand:");
  ASSERT_TRUE(line);
  EXPECT_EQ(*line, "15");
  const std::string shown = "rrand:? 15";
  for (int i = 0; i < static_cast<int>(shown.size()); ++i) {
    EXPECT_TRUE(cellShows(s, 3, i + 1, static_cast<std::uint8_t>(shown[i]))) << "column " << i + 1;
  }
  EXPECT_TRUE(cellShows(s, 3, 11, ' '));  // the erased "x"
  EXPECT_EQ(s.cursorRow(), 4);
  EXPECT_EQ(s.cursorCol(), 1);
}

TEST(InputLine, IgnoresKeysWithoutACharacterAndGivesUpWhenKeysRunOut) {
  test::MemoryFilePlatform p;
  p.queueKey(std::string("\0H", 2));
  p.addKeys("-7");
  p.queueKey("\x1b");
  p.addKeys("\r");
  auto line = p.inputLine("");
  ASSERT_TRUE(line);
  EXPECT_EQ(*line, "-7");
  p.addKeys("12");
  EXPECT_FALSE(p.inputLine("again"));
}

TEST(Keyboard, KeysWithoutACharacterNeverMatchACommand) {
  test::MemoryFilePlatform p;
  EXPECT_EQ(p.pollKey(), "");
  p.queueKey(std::string("\0K", 2));
  EXPECT_EQ(p.pollKey(), std::string("\0K", 2));
  p.queueKey(std::string("\0M", 2));
  p.addKeys("W");
  EXPECT_EQ(p.waitChar(), std::string(1, '\0'));
  EXPECT_EQ(p.waitChar(), "W");
  EXPECT_FALSE(p.waitChar());
}

class FixedClock : public HeadlessPlatform {
 public:
  ClockTime readLocalTime() override { return {7, 5, 9, 3, 4, 987}; }
};

TEST(Clock, TimeAndDateArePaddedWithZeros) {
  FixedClock p;
  EXPECT_EQ(p.timeText(), "07:05:09");
  EXPECT_EQ(p.dateText(), "03-04-0987");
}

TEST(Files, ReadsWholeBinaryFilesThroughBackslashPathsAndRefusesOnesOverSixteenMiB) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("duskwarren_files_" + std::to_string(::getpid()));
  fs::create_directories(dir / "res");
  const std::string bytes("a\0b\r\n\x1a\xff", 7);
  std::ofstream(dir / "res" / "x.dat", std::ios::binary) << bytes;
  std::string big(Platform::maxFileBytes + 5, 'z');
  std::ofstream(dir / "big.bin", std::ios::binary) << big;

  HeadlessPlatform p;
  auto read = p.readFile(dir.string() + "\\res\\x.dat");
  ASSERT_TRUE(read);
  EXPECT_EQ(*read, bytes);
  EXPECT_FALSE(p.readFile(dir.string() + "\\res\\missing.dat"));
  EXPECT_EQ(p.readWholeFile(dir.string() + "\\res\\missing.dat"), "");
  // Longer than a game file can be: refused whole, never cut, and kept to
  // be told when the game ends.
  EXPECT_EQ(p.refusedFile(), "");
  EXPECT_FALSE(p.readFile(dir.string() + "\\big.bin"));
  // Named as the system takes it ('/' between folders, which Windows takes too).
  const std::string tail = " is longer than a game file can be (16 MiB)";
  const std::string refused = p.refusedFile();
  ASSERT_TRUE(refused.ends_with(tail)) << refused;
  EXPECT_TRUE(fs::equivalent(refused.substr(0, refused.size() - tail.size()), dir / "big.bin"))
      << refused;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace dw
