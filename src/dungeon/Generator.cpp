#include "dungeon/Generator.h"

#include <cmath>
#include <optional>

#include "core/Game.h"
#include "dungeon/CellDrawing.h"

namespace dw {

namespace {

struct Room {
  int w, h, x0, y0;
};

bool rockAt(const Game& game, int row, int col) {
  return isRock(game.classes, game.grid.glyphAt(row, col));
}

// The "Please wait..." line and its bar, drawn over the title picture on the
// visible page while the work page is kept safe on page 3.
void showProgress(Game& game, int textRow, int y1, int y2, int value, int outOf) {
  Screen& screen = game.screen;
  screen.copyPage(0, 3);
  screen.copyPage(2, 0);
  screen.locate(textRow, 5);
  screen.print("Please wait...", false);
  screen.drawLine(32, y1, 279, y2, 8, LineKind::filledBox);
  int x = static_cast<int>(std::nearbyint(39.0 + 240.0 * value / outOf));
  screen.drawLine(32, y1, x, y2, 10, LineKind::filledBox);
  screen.drawLine(32, y1, 279, y2, 15, LineKind::box);
  screen.copyPage(0, 1);
  game.platform.present();  // a window shows the bar as it grows
  screen.copyPage(3, 0);
}

bool roomIsFree(const Game& game, const Room& r) {
  for (int col = r.x0; col < r.x0 + r.w; ++col) {
    for (int row = r.y0; row < r.y0 + r.h; ++row) {
      if (!rockAt(game, row, col)) return false;
    }
  }
  return true;
}

}  // namespace

bool anyRoomFits(const Game& game) {
  for (int y0 = 3; y0 <= 22; ++y0) {
    for (int x0 = 3; x0 <= 37; ++x0) {
      if (roomIsFree(game, Room{2, 2, x0, y0})) return true;
    }
  }
  return false;
}

namespace {

// Draws rooms until one lands on rock. The search has no limit of its own;
// it is given up only where it could never end: when no room fits at all,
// or after the generator has gone through its whole period (every attempt
// draws four values, so 2^30 attempts repeat the sequence from the start).
std::optional<Room> chooseRoom(Game& game) {
  Random& rng = game.random;
  for (long long attempt = 0; attempt < (1LL << 30); ++attempt) {
    // A long search is rare; only then is it worth asking whether it can end.
    if (attempt == 1000 && !anyRoomFits(game)) return std::nullopt;
    Room r{};
    r.w = static_cast<int>(rng.pick(6, 2));
    r.h = static_cast<int>(rng.belowFraction(20, r.w)) + 2;
    if (r.h > 7) r.h = 7;
    r.x0 = static_cast<int>(rng.pick(37 - r.w, 3));
    r.y0 = static_cast<int>(rng.pick(22 - r.h, 3));
    if (roomIsFree(game, r)) return r;
  }
  return std::nullopt;
}

// A passage goes into a one-cell rock gap with something open behind it;
// the run flag lets only the first gap of a run along a side have one.
void sideTest(Game& game, int aRow, int aCol, int bRow, int bCol, int& flag) {
  bool aRock = rockAt(game, aRow, aCol);
  bool bRock = rockAt(game, bRow, bCol);
  if (aRock && bRock && flag == 1) flag = 0;
  if (!aRock && bRock && flag == 0) {
    placeCell(game, 2, bRow, bCol);
    flag = 1;
  }
}

void cornerTest(Game& game, int diagRow, int diagCol, int aRow, int aCol, int bRow, int bCol,
                int placeRow, int placeCol) {
  if (!rockAt(game, diagRow, diagCol) && rockAt(game, aRow, aCol) && rockAt(game, bRow, bCol)) {
    placeCell(game, 2, placeRow, placeCol);
  }
}

void carveAndConnect(Game& game, const Room& r) {
  for (int col = r.x0; col < r.x0 + r.w; ++col) {
    for (int row = r.y0; row < r.y0 + r.h; ++row) placeCell(game, 1, row, col);
  }
  int north = 0, east = 0, south = 0, west = 0;
  for (int col = r.x0; col < r.x0 + r.w; ++col) {
    for (int row = r.y0; row < r.y0 + r.h; ++row) {
      sideTest(game, row - 2, col, row - 1, col, north);
      sideTest(game, row, col + 2, row, col + 1, east);
      sideTest(game, row + 2, col, row + 1, col, south);
      sideTest(game, row, col - 2, row, col - 1, west);
      cornerTest(game, row - 1, col - 1, row - 1, col, row, col - 1, row - 1, col);
      cornerTest(game, row - 1, col + 1, row - 1, col, row, col + 1, row, col + 1);
      cornerTest(game, row + 1, col + 1, row + 1, col, row, col + 1, row + 1, col);
      cornerTest(game, row + 1, col - 1, row + 1, col, row, col - 1, row, col - 1);
    }
  }
}

// A cell inside the room, column drawn first.
void pickCellIn(Game& game, const Room& r, int& row, int& col) {
  col = static_cast<int>(game.random.pick(r.w, r.x0));
  row = static_cast<int>(game.random.pick(r.h, r.y0));
}

void placeItems(Game& game, const Room& r, int itemDivisor) {
  int n = static_cast<int>(std::nearbyint(double(r.w * r.h) / itemDivisor));
  for (int i = 0; i < n; ++i) {
    int row, col;
    pickCellIn(game, r, row, col);
    placeCell(game, 3, row, col);
  }
}

void placeShops(Game& game, const Room& r, int roomIndex, int& shopsLeft) {
  while (shopsLeft > 0) {
    long long t = game.random.pick(roomIndex / shopsLeft, 1);
    if (t != 1) return;
    int row, col;
    pickCellIn(game, r, row, col);
    if (game.grid.glyphAt(row, col) == glyph::stairs) continue;
    game.grid.setGlyph(row, col, glyph::shop);
    --shopsLeft;
  }
}

// A passage stays only between rock: on two opposite sides, or with three
// or more rock cells around it. Others become floor.
void cleanUpPassage(Game& game, int row, int col) {
  int count = 0;
  int firstRow = 0, firstCol = 0, secondRow = 0, secondCol = 0;
  for (int c = col - 1; c <= col + 1; ++c) {
    for (int rr = row - 1; rr <= row + 1; ++rr) {
      if (!rockAt(game, rr, c)) continue;
      ++count;
      if (count == 1) firstRow = rr, firstCol = c;
      if (count == 2) secondRow = rr, secondCol = c;
    }
  }
  bool touching = std::abs(firstCol - secondCol) < 2 && std::abs(firstRow - secondRow) < 2;
  if (count < 2 || (count == 2 && touching)) placeCell(game, 1, row, col);
}

}  // namespace

void placeCell(Game& game, int k, int row, int col) {
  const std::string& glyphs = game.classes.classGlyphs[k];
  long long length = static_cast<long long>(glyphs.size());
  long long p = k == 1 ? game.random.pick(length - 1, 1) : game.random.pick(length, 1);
  std::uint8_t g = (p >= 1 && p <= length) ? static_cast<std::uint8_t>(glyphs[p - 1]) : 0;
  game.grid.setGlyph(row, col, g);
}

void generateLevel(Game& game) {
  GameState& s = game.state;
  Random& rng = game.random;
  Screen& screen = game.screen;

  const int roomCount = static_cast<int>(rng.pick(10, 26));
  const int stairsRoom = static_cast<int>(rng.pick(roomCount, 1));
  int shopsLeft = static_cast<int>(rng.below(3));
  s.levelShop = static_cast<std::int32_t>(rng.pick(18, 1));
  const int itemDivisor = static_cast<int>(rng.pick(8, 8));

  frameBorder(screen);
  ++s.levelNumber;

  for (int row = firstRow; row <= lastRow; ++row) {
    showProgress(game, 18, 152, 159, row - 1, 23);
    for (int col = firstCol; col <= lastCol; ++col) {
      game.grid.setGlyph(row, col, glyph::rock);
      game.grid.setSeen(row, col, 0);
      s.openCells = 0;
      s.exploredCells = 0;
      placeCell(game, 0, row, col);
    }
  }

  bool stairsPlaced = false;
  for (int i = 1; i <= roomCount; ++i) {
    screen.setTextColour(15, 0);
    std::optional<Room> room = chooseRoom(game);
    if (!room) break;  // the level is full: no further room could ever fit
    const Room& r = *room;
    carveAndConnect(game, r);
    placeItems(game, r, itemDivisor);
    if (i == stairsRoom) {
      int row, col;
      pickCellIn(game, r, row, col);
      game.grid.setGlyph(row, col, glyph::stairs);
      stairsPlaced = true;
    }
    placeShops(game, r, i, shopsLeft);
  }
  // Only a level whose rooms ran out before the stairs room gets here
  // without stairs; they go onto a floor cell so the way down stays open.
  bool anyFloor = false;
  for (int row = 3; row <= 23; ++row) {
    for (int col = 3; col <= 38; ++col)
      anyFloor = anyFloor || game.grid.glyphAt(row, col) == glyph::floor;
  }
  while (!stairsPlaced && anyFloor) {
    int col = static_cast<int>(rng.pick(36, 3));
    int row = static_cast<int>(rng.pick(21, 3));
    if (game.grid.glyphAt(row, col) == glyph::floor) {
      game.grid.setGlyph(row, col, glyph::stairs);
      stairsPlaced = true;
    }
  }

  for (int col = firstCol; col <= lastCol; ++col) {
    for (int row = firstRow; row <= lastRow; ++row) {
      if (game.classify(row, col).cellClass == 2) cleanUpPassage(game, row, col);
      if (game.classify(row, col).cellClass >= 1) ++s.openCells;
    }
    showProgress(game, 19, 160, 167, col - 1, 38);
  }

  for (int row = firstRow; row <= lastRow; ++row) {
    showProgress(game, 20, 168, 175, row - 1, 23);
    for (int col = firstCol; col <= lastCol; ++col) drawGlyph(game, glyph::unseenGlyph, row, col);
  }

  frameBorder(screen);

  do {
    s.heroCol = static_cast<int>(rng.pick(38, 2));
    s.heroRow = static_cast<int>(rng.pick(23, 2));
  } while (game.classify(s.heroRow, s.heroCol).classGlyph != glyph::floor);
}

}  // namespace dw
