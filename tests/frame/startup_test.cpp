#include "frame/StartUp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <utility>
#include <vector>

#include "frame/RunGame.h"
#include "support/MemoryTiles.h"
#include "support/ScreenText.h"

namespace dw {
namespace {

using test::trimmedRow;

// A start-up platform: clock readings taken in turn (the last one repeats),
// a fixed local time, and optionally an FM chip that answers the probe.
class StartPlatform : public test::MemoryFilePlatform {
 public:
  std::deque<double> readings{1234.75, 1234.75, 1234.875};
  double lastReading = 0;
  bool chip = false;
  int selected = 0;
  bool timerExpired = false;
  std::vector<std::pair<int, int>> registerWrites;

  double readTimer() override {
    if (!readings.empty()) {
      lastReading = readings.front();
      readings.pop_front();
    }
    return lastReading;
  }
  ClockTime readLocalTime() override { return {9, 5, 7, 3, 14, 2031}; }
  std::uint8_t portIn(int port) override {
    HeadlessPlatform::portIn(port);
    return chip && timerExpired ? 0xC0 : 0x00;
  }
  void portOut(int port, std::uint8_t value) override {
    if (port == 0x388) {
      selected = value;
      return;
    }
    registerWrites.emplace_back(selected, value);
    if (selected == 4) timerExpired = value == 0x21;
  }
};

struct StartGame {
  StartPlatform platform;
  Game game{platform};
  Screen& screen() { return game.screen; }
  std::vector<std::uint8_t> pages() {
    std::vector<std::uint8_t> all;
    for (int p = 0; p < Screen::pageCount; ++p) {
      all.insert(all.end(), screen().page(p), screen().page(p) + Screen::pageSize);
    }
    return all;
  }
};

const std::string dot = "\xFA";

TEST(StartUp, ReportListsWhatWasFoundAndSeedsFromTheClock) {
  StartGame g;
  g.platform.files["drivers\\mouse.bin"] = std::string("MZ\0\x01", 4);
  g.platform.files["res\\party.dat"] = "party/810/nas=ANN";
  startUp(g.game);

  const std::string report[13] = {"Mouse:",
                                  dot + " not found",
                                  "Sound card:",
                                  dot + " not found",
                                  "Timer:",
                                  dot + " 1234.875",
                                  dot + " activated",
                                  dot + " randomized 243",
                                  "Time:",
                                  dot + " 09:05:07",
                                  "Date:",
                                  dot + " 03-14-2031",
                                  "Press the spacebar to start..."};
  ASSERT_EQ(g.screen().visiblePage(), 0);
  for (int row = 1; row <= 13; ++row) {
    EXPECT_EQ(trimmedRow(g.screen(), 0, row), report[row - 1]) << row;
    EXPECT_EQ(test::colourAt(g.screen(), 0, row, 1), 15) << row;
  }
  for (int row = 14; row <= 25; ++row) EXPECT_EQ(trimmedRow(g.screen(), 0, row), "") << row;

  const GameState& s = g.game.state;
  EXPECT_EQ(s.seed, 243);  // FIX((1234.75 - 1234) * 325)
  Random seeded;
  seeded.randomize(243, 0);
  EXPECT_EQ(g.game.random.state(), seeded.state());
  EXPECT_EQ(g.game.random.draws(), 0u);
  EXPECT_EQ(s.mouseDriverImage, std::string("MZ\0\x01", 4));
  EXPECT_EQ(s.mouseResult, "NO");
  EXPECT_EQ(s.soundResult, "NO");
  EXPECT_EQ(s.memberNames[1], "Ann");
  EXPECT_EQ(s.currentMember, 1);
  EXPECT_EQ(s.partySize, 7);
  EXPECT_EQ(g.platform.reads["res\\shops.dat"], 1);
  EXPECT_EQ(g.platform.reads["res\\rose.dat"], 0);
}

TEST(StartUp, ClockReadingsAcrossASecondGiveANegativeSeed) {
  StartGame g;
  g.platform.readings = {10.9, 11.2, 77.25};
  startUp(g.game);
  EXPECT_EQ(g.game.state.seed, -32);  // FIX((10.9 - 11) * 325) truncates toward zero
  EXPECT_EQ(trimmedRow(g.screen(), 0, 6), dot + " 77.25");
  EXPECT_EQ(trimmedRow(g.screen(), 0, 8), dot + " randomized -32");
}

TEST(StartUp, AnAnsweringSoundChipIsResetAndReported) {
  StartGame g;
  g.platform.chip = true;
  startUp(g.game);
  EXPECT_EQ(trimmedRow(g.screen(), 0, 4), dot + " found and initialized");
  EXPECT_EQ(g.game.state.soundResult, "YES");

  const std::vector<std::pair<int, int>> probe = {{4, 0x60}, {4, 0x80}, {2, 0xFF},
                                                  {4, 0x21}, {4, 0x60}, {4, 0x80}};
  const auto& writes = g.platform.registerWrites;
  ASSERT_EQ(writes.size(), probe.size() + 245);
  EXPECT_TRUE(std::equal(probe.begin(), probe.end(), writes.begin()));
  for (int r = 1; r <= 245; ++r) EXPECT_EQ(writes[probe.size() + r - 1], std::make_pair(r, 0));
  // Every register write waits 6 and 35 status reads; the probe reads the
  // status twice more with 131 reads between.
  EXPECT_EQ(g.platform.portReads(), (6 + 245) * 41 + 133);
}

TEST(StartScreen, EscapeEndsTheProgramWithoutDrawingMore) {
  StartGame reportOnly;
  startUp(reportOnly.game);

  StartGame g;
  g.platform.addKeys("\x1b m");
  EXPECT_EQ(runGame(g.game), 0);
  EXPECT_EQ(g.game.endReason, EndReason::quit);
  EXPECT_EQ(g.pages(), reportOnly.pages());
  EXPECT_EQ(g.screen().visiblePage(), 0);
  EXPECT_EQ(g.game.random.draws(), 0u);
  EXPECT_EQ(g.platform.reads["res\\rose.dat"], 0);
  EXPECT_EQ(g.platform.pollKey(), " ");  // nothing after Escape was read
}

TEST(StartScreen, OtherKeysAndKeysWithoutACharacterAreIgnored) {
  StartGame reportOnly;
  startUp(reportOnly.game);

  StartGame g;
  startUp(g.game);
  g.platform.addKeys("aW\r~\b");
  g.platform.queueKey(std::string("\0H", 2));  // an arrow
  g.platform.queueKey(std::string("\0@", 2));  // a key without a character, whatever its code
  g.platform.queueKey(std::string("\0\x1b", 2));
  g.platform.queueKey(std::string("\0 ", 2));
  g.platform.addKeys(" z");
  startScreen(g.game);
  EXPECT_TRUE(g.game.running());
  EXPECT_EQ(g.game.state.seed, 243);
  EXPECT_EQ(g.game.random.state(), reportOnly.game.random.state());
  EXPECT_EQ(g.pages(), reportOnly.pages());
  EXPECT_EQ(g.platform.pollKey(), "z");  // the blank ended the wait
}

TEST(StartScreen, SeedEntryPromptsOnAFreshScreen) {
  StartGame g;
  startUp(g.game);
  g.platform.addKeys("@4\b42");  // Enter never comes
  startScreen(g.game);
  EXPECT_EQ(g.game.endReason, EndReason::inputClosed);
  EXPECT_EQ(g.screen().visiblePage(), 0);
  EXPECT_EQ(trimmedRow(g.screen(), 0, 1), "rrand:? 42");
  for (int row = 2; row <= 25; ++row) EXPECT_EQ(trimmedRow(g.screen(), 0, row), "") << row;

  StartGame entered;
  startUp(entered.game);
  entered.platform.addKeys("@42\r x");
  startScreen(entered.game);
  EXPECT_TRUE(entered.game.running());
  EXPECT_EQ(entered.game.state.seed, 42);
  EXPECT_EQ(entered.game.state.lastKey, " ");
  EXPECT_EQ(entered.screen().workPage(), 0);
  EXPECT_EQ(entered.screen().visiblePage(), 1);
  for (int row = 1; row <= 25; ++row) EXPECT_EQ(trimmedRow(entered.screen(), 0, row), "") << row;
  EXPECT_EQ(entered.platform.pollKey(), " ");  // the seed entry itself ends the wait
}

// Keeps the glyphs of the first level of a run.
class FirstLevel : public GameObserver {
 public:
  std::vector<std::uint8_t> glyphs;
  void onLevel(const Game& game) override {
    if (!glyphs.empty()) return;
    for (int row = 0; row < gridRows; ++row) {
      glyphs.insert(glyphs.end(), game.grid.glyphs[row].begin(), game.grid.glyphs[row].end());
    }
  }
};

std::vector<std::uint8_t> firstLevel(const std::string& keys, double clock) {
  StartGame g;
  g.platform.readings = {clock};
  g.platform.addKeys(keys);
  FirstLevel level;
  g.game.observer = &level;
  runGame(g.game);
  EXPECT_EQ(g.game.endReason, EndReason::inputClosed);
  EXPECT_EQ(g.game.state.levelNumber, 1);
  return level.glyphs;
}

TEST(StartScreen, TypedSeedGivesTheSameFirstLevelOnEveryRun) {
  // The last key answers the world set-up's wait.
  auto a = firstLevel("@42\rk", 1234.5);
  auto b = firstLevel("@42\rk", 99.0625);
  auto hex = firstLevel("@&H2a\rk", 5.5);
  auto other = firstLevel("@43\rk", 1234.5);
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, hex);
  EXPECT_NE(a, other);
}

}  // namespace
}  // namespace dw
