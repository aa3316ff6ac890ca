// The pad's presses as the game's keys: one table for every front-end.
#include "shell/Gamepad.h"

#include <gtest/gtest.h>

#include "shell/KeyHelp.h"
#include "shell/Settings.h"

namespace dw {
namespace {

using B = PadButton;

// Presses and lets go of each button in turn, a tenth of a second apart,
// and gives every key the pad handed the game.
std::string play(Gamepad& pad, std::initializer_list<B> buttons, bool startScreen = false) {
  std::string keys;
  std::uint64_t now = 1000;
  for (B b : buttons) {
    for (auto& k : pad.press(b, startScreen, now += 100).keys) keys += k;
    for (auto& k : pad.release(b, startScreen, now += 100).keys) keys += k;
  }
  return keys;
}

TEST(Gamepad, TheDefaultsGiveTheGamesKeys) {
  Gamepad pad;
  EXPECT_EQ(play(pad, {B::south, B::right, B::right, B::down, B::down, B::left, B::up}), " 662248");
  EXPECT_EQ(play(pad, {B::north, B::leftShoulder, B::rightShoulder, B::east}), "b-+");
  EXPECT_EQ(pad.press(B::back, false, 0).action, FrontAction::messageLog);
  EXPECT_FALSE(pad.pickerOpen());
}

TEST(Gamepad, PickersChooseAndClose) {
  Gamepad pad;
  pad.setSpells({{"Warp 6-8 Mp", "w"}, {"Vision 4-6 Mp", "v"}, {"Tinker 4-9 Mp", "t"}});
  // West, right, south: the second spell, and the picker is gone.
  EXPECT_EQ(play(pad, {B::west}), "");
  EXPECT_EQ(pad.overlay(), "Cast:  [Warp 6-8 Mp]  Vision 4-6 Mp  Tinker 4-9 Mp");
  EXPECT_EQ(play(pad, {B::right, B::south}), "v");
  EXPECT_FALSE(pad.pickerOpen());
  // East closes a picker with nothing cast; left wraps round.
  EXPECT_EQ(play(pad, {B::west, B::left, B::east, B::up}), "8");
  // On the start screen west is the digit row, open until Enter.
  EXPECT_EQ(play(pad,
                 {B::west, B::south, B::right, B::right, B::right, B::right, B::right, B::south,
                  B::left, B::left, B::south, B::left, B::left, B::left, B::left, B::south},
                 true),
            "@42\r");
  EXPECT_FALSE(pad.pickerOpen());
  // Start opens the menu; Escape is its second choice, asked once.
  EXPECT_EQ(play(pad, {B::start}), "");
  EXPECT_EQ(play(pad, {B::down, B::south}), "\x1b");
  EXPECT_EQ(play(pad, {B::start}), "");
  EXPECT_EQ(pad.press(B::south, false, 0).action, FrontAction::keyHelp);
}

TEST(Gamepad, StartHeldStickAndRepeat) {
  Gamepad pad;
  // Start held long on the start screen is F3; short, the menu.
  pad.press(B::start, true, 0);
  const std::vector<std::string> f3{std::string{'\0', 61}};
  EXPECT_EQ(pad.release(B::start, true, Gamepad::longPressMs).keys, f3);
  EXPECT_FALSE(pad.pickerOpen());
  // The stick walks past its dead zone only, once per push.
  EXPECT_TRUE(pad.stick(0.3, -0.2, false, 0).keys.empty());
  EXPECT_EQ(pad.stick(0.9, -0.2, false, 0).keys, std::vector<std::string>{"6"});
  EXPECT_TRUE(pad.stick(0.95, -0.1, false, 10).keys.empty());
  // Held, it repeats after a pause, five times a second.
  EXPECT_EQ(pad.untilTick(10), Gamepad::repeatDelayMs - 10);
  EXPECT_TRUE(pad.tick(Gamepad::repeatDelayMs - 1).keys.empty());
  EXPECT_EQ(pad.tick(Gamepad::repeatDelayMs).keys, std::vector<std::string>{"6"});
  EXPECT_EQ(pad.untilTick(Gamepad::repeatDelayMs), Gamepad::repeatEveryMs);
  EXPECT_TRUE(pad.stick(0, 0, false, 500).keys.empty());
  EXPECT_EQ(pad.untilTick(500), -1);
}

TEST(Gamepad, SettingsRemapAndAreChecked) {
  Settings s = parseSettings(
      "pad-north = v\npad-west = none\npad-south = escape\npad-top = b\npad-east = ~~\n");
  EXPECT_EQ(s.pad[static_cast<int>(B::north)], "v");
  EXPECT_EQ(s.pad[static_cast<int>(B::south)], "space");
  ASSERT_EQ(s.problems.size(), 3u);
  EXPECT_NE(s.problems[0].find("Start menu"), std::string::npos);
  EXPECT_NE(s.problems[1].find("no gamepad button is called \"top\""), std::string::npos);
  Gamepad pad(s.pad);
  EXPECT_EQ(play(pad, {B::north, B::west, B::south}), "v ");
}

// F1 names the buttons the way the pad plugged in prints them, with what
// they do; no pad, no gamepad lines.
TEST(Gamepad, HelpNamesThePadsOwnButtons) {
  HelpFacts facts;
  auto labels = [&facts] {
    std::string all;
    for (const OverlayLine& line : keyHelp(facts).lines) all += "|" + line.label;
    return all;
  };
  EXPECT_EQ(labels().find("cross"), std::string::npos);
  facts.pad = PadKind::playstation;
  EXPECT_NE(labels().find("|cross|circle|square|triangle|"), std::string::npos);
  facts.pad = PadKind::xbox;
  EXPECT_NE(labels().find("|A|B|X|Y|"), std::string::npos);
  facts.pad = PadKind::nintendo;
  EXPECT_NE(labels().find("|B|A|Y|X|"), std::string::npos);
}

}  // namespace
}  // namespace dw
