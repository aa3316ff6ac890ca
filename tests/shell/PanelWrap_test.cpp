// The panels wrap like text in every front-end: at spaces, keeping each
// bracketed piece of a message whole, and filling each line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/RunGame.h"
#include "platform/PanelText.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/KeyHelp.h"
#include "shell/MessageLog.h"
#include "support/TestGame.h"

namespace dw {
namespace {

// Where a line may break: the pieces wrapping keeps whole when it can.
std::vector<std::string> unitsOf(const std::string& text) {
  std::vector<std::string> units;
  std::string unit;
  int depth = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    bool breakHere =
        (c == ' ' && depth == 0) || (c == '[' && depth == 0 && i > 0 && text[i - 1] == ']');
    if (breakHere && !unit.empty()) units.push_back(std::exchange(unit, ""));
    if (c != ' ' || depth > 0) unit += c;
    depth += c == '[' ? 1 : (c == ']' && depth > 0 ? -1 : 0);
  }
  if (!unit.empty()) units.push_back(unit);
  return units;
}

// Each line fits, no bracketed piece that fits a line is split, and no
// line ends while the next one's first piece would still have fitted.
void expectWrappedLikeText(const std::string& text, int width) {
  SCOPED_TRACE(text);
  auto lines = wrapPanelText(text, width);
  std::string joined;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(static_cast<int>(lines[i].size()), width) << lines[i];
    joined += lines[i];
    if (i + 1 == lines.size()) continue;
    auto next = unitsOf(lines[i + 1]);
    ASSERT_FALSE(next.empty());
    EXPECT_GT(lines[i].size() + 1 + next.front().size(), static_cast<std::size_t>(width))
        << "\"" << lines[i] << "\" had room for \"" << next.front() << "\"";
  }
  for (const std::string& unit : unitsOf(text)) {
    if (static_cast<int>(unit.size()) > width) continue;
    EXPECT_NE(joined.find(unit), std::string::npos) << "\"" << unit << "\" was split";
  }
}

class LogOnly : public GameObserver {
 public:
  void onLevel(const Game& game) override { log.onLevel(game); }
  void onCycle(const Game& game) override { log.onCycle(game); }
  void onMessageReplaced(const Game& game, std::string_view earlier) override {
    log.onMessageReplaced(game, earlier);
  }
  MessageLog log;
};

TEST(PanelWrap, TheHelpAndTheLogWrapAtSpacesKeepingBracketsWhole) {
  EXPECT_EQ(wrapPanelText("[Attacked by Orc][Hp -7]", 11),
            (std::vector<std::string>{"[Attacked", "by Orc]", "[Hp -7]"}));
  EXPECT_EQ(wrapPanelText("L1 T9 [Gold +5][Hp -2]", 16),
            (std::vector<std::string>{"L1 T9 [Gold +5]", "[Hp -2]"}));
  EXPECT_EQ(wrapPanelText("abcdefghij kl", 4),
            (std::vector<std::string>{"abcd", "efgh", "ij", "kl"}));
  EXPECT_EQ(wrapPanelText("", 10), std::vector<std::string>{""});

  HeadlessPlatform platform("@42\r " + std::string(30, '+') + "b2284224246646846488");
  platform.setDataRoot(test::gameDir());
  Game game(platform);
  LogOnly watcher;
  game.observer = &watcher;
  runGame(game);
  // The widths of the terminal's and the window's panels, and a narrow one.
  for (int width : {42, 56, 24}) {
    for (const OverlayContent& panel : {keyHelp({}), watcher.log.panel()}) {
      for (const OverlayLine& line : panel.lines) expectWrappedLikeText(line.text, width);
    }
  }
}

TEST(PanelWrap, ANoticeFitsItsRowCutAtAWord) {
  const std::string told = "Watching seed7.dwrec: the end of the recording: any key closes";
  EXPECT_EQ(fitToRow(told, 80), told);
  EXPECT_EQ(fitToRow(told, 40), "Watching seed7.dwrec: the end of the\xe2\x80\xa6");
  EXPECT_EQ(fitToRow("Caf\xc3\xa9 ouvert", 9), "Caf\xc3\xa9\xe2\x80\xa6");
  EXPECT_EQ(fitToRow("abcdefghij", 5), "abcd\xe2\x80\xa6");
}

}  // namespace
}  // namespace dw
