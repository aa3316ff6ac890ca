#include "frame/StartUp.h"

#include <cstdio>

#include "core/Game.h"
#include "core/NumberText.h"
#include "data/PartyFiles.h"
#include "dungeon/CellDrawing.h"
#include "world/Party.h"
#include "world/WorldSetup.h"

namespace dw {

namespace {

constexpr int fmAddress = 0x388;
constexpr int fmData = 0x389;
const std::string dot(1, static_cast<char>(250));

}  // namespace

void fmChipWrite(Platform& platform, int reg, int value) {
  platform.portOut(fmAddress, static_cast<std::uint8_t>(reg));
  for (int i = 0; i < 6; ++i) (void)platform.portIn(fmAddress);
  platform.portOut(fmData, static_cast<std::uint8_t>(value));
  for (int i = 0; i < 35; ++i) (void)platform.portIn(fmAddress);
}

void fmChipReset(Platform& platform) {
  for (int r = 1; r <= 245; ++r) fmChipWrite(platform, r, 0);
}

int fmChipDetect(Platform& platform) {
  fmChipWrite(platform, 4, 0x60);
  fmChipWrite(platform, 4, 0x80);
  int s1 = platform.portIn(fmAddress);
  fmChipWrite(platform, 2, 0xFF);
  fmChipWrite(platform, 4, 0x21);
  for (int i = 0; i < 131; ++i) (void)platform.portIn(fmAddress);
  int s2 = platform.portIn(fmAddress);
  fmChipWrite(platform, 4, 0x60);
  fmChipWrite(platform, 4, 0x80);
  return ((s1 & 0xE0) == 0 && (s2 & 0xE0) == 0xC0) ? -1 : 0;
}

std::string timerText(double seconds) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16g", seconds);
  std::string text = buf;
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

void startUp(Game& game) {
  GameState& s = game.state;
  Platform& platform = game.platform;
  Screen& screen = game.screen;

  s.mouseDriverImage = platform.readWholeFile("drivers\\mouse.bin");
  platform.hideMouse();
  game.loadTable("res\\shops.dat", game.shopTable);
  s.partySize = maxMembers;
  s.currentMember = 1;
  s.memberStats = {};
  loadParty(game);
  loadSpells(game);

  screen.openScreen();
  screen.setPages(0, 0);

  screen.print("Mouse:", true);
  screen.print(dot + " not found", true);
  s.mouseResult = "NO";
  screen.print("Sound card:", true);
  if (fmChipDetect(platform) != 0) {
    fmChipReset(platform);
    screen.print(dot + " found and initialized", true);
    s.soundResult = "YES";
  } else {
    screen.print(dot + " not found", true);
    s.soundResult = "NO";
  }
  double t1 = platform.timer();
  double t2 = platform.timer();
  s.seed = clampToInt32(truncateToInt64((t1 - static_cast<double>(truncateToInt64(t2))) * 325.0));
  screen.print("Timer:", true);
  screen.print(dot + " " + timerText(platform.timer()), true);
  screen.print(dot + " activated", true);
  game.random.randomize(s.seed, platform.timer());
  screen.print(dot + " randomized " + std::to_string(s.seed), true);
  screen.print("Time:", true);
  screen.print(dot + " " + platform.timeText(), true);
  screen.print("Date:", true);
  screen.print(dot + " " + platform.dateText(), true);
  screen.print("Press the spacebar to start...", true);
}

void startScreen(Game& game) {
  GameState& s = game.state;
  Platform& platform = game.platform;
  Screen& screen = game.screen;
  s.lastKey = "";
  while (s.lastKey != " ") {
    s.lastKey = platform.pollKey();
    if (s.lastKey.empty()) {
      // Nothing else happens on this screen, so wait for the next key
      // instead of asking again at once.
      if (!platform.waitForKey()) {
        game.endReason = EndReason::inputClosed;
        return;
      }
      continue;
    }
    if (s.lastKey == std::string(1, escapeKey)) {
      game.endReason = EndReason::quit;
      game.exitCode = 0;
      return;
    }
    if (s.lastKey == "@") {
      screen.openScreen();
      screen.setPages(0, 0);
      auto line = platform.inputLine("rrand:");
      if (!line) {
        game.endReason = EndReason::inputClosed;
        return;
      }
      s.seed = typedLineToInt(*line);
      game.random.randomize(s.seed, platform.timer());
      screen.openScreen();
      screen.setPages(0, 1);
      s.lastKey = " ";
    }
  }
}

void newGameSequence(Game& game) {
  GameState& s = game.state;
  Screen& screen = game.screen;
  for (int i = 0; i < 2; ++i) {
    screen.openScreen();
    screen.setPages(0, 1);
  }
  worldSetup(game);
  if (!game.running()) return;
  JoinResult joined = joinStep(game);
  if (joined.lastJoined > 0) s.currentMember = joined.lastJoined;
  s.gold = 0;
  s.keys = 0;
  s.bombs = 0;
  s.levelShop = 1;
  frameBorder(screen);
  drawTileText(game, 96, 80, titleText);
  screen.setTextColour(15, 0);
  screen.copyPage(0, 2);
  screen.copyPage(0, 1);
}

}  // namespace dw
