#include "shell/MessageLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "support/TestGame.h"

namespace dw {
namespace {

// Seed 42: Old Hesk falls to an Orc on the 96th walking key; after "+" the
// last member, Maelis Vey, falls on the 140th.
const std::string walkToTheEnd =
    "2284224246646846488428424622488828246486666288428448464282464666842886"
    "68824662422484824668486464+6226242888248646466664426224268682666686226";
constexpr std::size_t oldHeskFalls = 96;

// Notes every message as the game writes it, and hands the game on to the log.
class Watcher : public GameObserver {
 public:
  void onLevel(const Game& game) override {
    note(game);
    log.onLevel(game);
  }
  void onCycle(const Game& game) override {
    note(game);
    log.onCycle(game);
    if (++cycles == oldHeskFalls) noticeAfterFirstFall = log.notice();
  }
  void onMessageReplaced(const Game& game, std::string_view earlier) override {
    messages.emplace_back(earlier);
    log.onMessageReplaced(game, earlier);
  }
  MessageLog log;
  std::vector<std::string> messages;
  std::size_t cycles = 0;
  std::string noticeAfterFirstFall;

 private:
  void note(const Game& game) {
    if (!game.state.messageLine.empty()) messages.push_back(game.state.messageLine);
  }
};

struct PlayedGame {
  HeadlessPlatform platform;
  Game game{platform};
  Watcher watcher;
  explicit PlayedGame(const std::string& keys) : platform(keys) {
    platform.setDataRoot(test::gameDir());
    game.observer = &watcher;
    runGame(game);
  }
};

std::vector<std::string> textsOf(const MessageLog& log, std::vector<LogEntry::Kind> kinds) {
  std::vector<std::string> texts;
  for (const LogEntry& e : log.entries()) {
    for (auto k : kinds) {
      if (e.kind == k) texts.push_back(e.text);
    }
  }
  return texts;
}

TEST(MessageLog, KeepsEveryMessageInFullAndWhatTheRulesDoWithoutAWord) {
  PlayedGame played("@42\r " + walkToTheEnd);
  const MessageLog& log = played.watcher.log;
  using K = LogEntry::Kind;

  EXPECT_EQ(textsOf(log, {K::message}), played.watcher.messages);
  // Wider than the message line on the screen, kept whole.
  const std::string switched = "[Switched to Maelis Vey][Lost Old Hesk]";
  EXPECT_EQ(std::count(played.watcher.messages.begin(), played.watcher.messages.end(), switched),
            1);
  EXPECT_EQ(textsOf(log, {K::newGame, K::level, K::joined, K::back, K::fallen, K::partyDown}),
            (std::vector<std::string>{"A new game begins", "Maelis Vey joins the party",
                                      "Old Hesk joins the party", "Level 1 begun (seed 42)",
                                      "Old Hesk has fallen", "Maelis Vey has fallen",
                                      "The whole party has fallen"}));
  const LogEntry& fall = *std::find_if(log.entries().begin(), log.entries().end(),
                                       [](const LogEntry& e) { return e.kind == K::fallen; });
  EXPECT_EQ(fall.level, 1);
  EXPECT_EQ(fall.turn, static_cast<std::int64_t>(oldHeskFalls));

  EXPECT_EQ(played.watcher.noticeAfterFirstFall,
            "Old Hesk has fallen: + or - picks another member");
  EXPECT_EQ(log.notice(), "The whole party has fallen: ~ starts again, Escape quits");
}

TEST(MessageLog, AFreshStartBringsMembersBackAndClearsTheNotice) {
  PlayedGame played("@42\r " + walkToTheEnd + "~8");
  const MessageLog& log = played.watcher.log;
  std::vector<std::string> last;
  for (auto it = log.entries().end() - 4; it != log.entries().end(); ++it) last.push_back(it->text);
  EXPECT_EQ(last,
            (std::vector<std::string>{"A new game begins", "[Tobin Latch joined!]",
                                      "Tobin Latch joins the party", "Level 2 begun (seed 42)"}));
  EXPECT_EQ(log.notice(), "");
}

TEST(MessageLog, KeepsTheNewestThousandEntries) {
  // Each "+" switches between the two members and says so.
  PlayedGame played("@42\r " + std::string(1200, '+'));
  const auto& entries = played.watcher.log.entries();
  ASSERT_EQ(entries.size(), MessageLog::capacity);
  EXPECT_EQ(entries.back().turn, 1200);
  EXPECT_EQ(entries.front().turn, 201);
  EXPECT_EQ(entries.back().text, played.watcher.messages.back());
}

}  // namespace
}  // namespace dw
