// The icon mark-up: any text drawn at any cell, with every tile a solid
// 8 x 8 square and the text colours alike, so that each cell the drawing
// touches is filled whole. The cells filled must be exactly the ones
// markedTextWidth counts (as far as the row reaches), and nothing else on
// the page may change.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "core/Game.h"
#include "core/Tiles.h"
#include "data/MarkedText.h"
#include "support/MemoryPlatform.h"

namespace {

using dw::fuzz::require;

constexpr int ink = 5;

std::shared_ptr<const dw::test::FileMap> solidTiles() {
  auto files = std::make_shared<dw::test::FileMap>();
  dw::Image square = dw::createImage(8, 8);
  std::fill(square.pixels.begin(), square.pixels.end(), static_cast<std::uint8_t>(ink));
  const std::string bytes = dw::encodeTileFile(square);
  for (int g = 0; g < 256; ++g) (*files)[dw::tileFileName(g)] = bytes;
  return files;
}

struct Setup {
  dw::test::MemoryPlatform platform;
  dw::Game game{platform};
  Setup() {
    platform.setShared(solidTiles());
    platform.setDiskFallback(false);
  }
};

// The page after drawing: exactly the cells col .. col + width - 1 of the row
// (as far as column 40) are filled; off the grid, only that nothing shows
// right of the last column is certain.
DW_FUZZ_CHECK_CODE void checkCells(const std::uint8_t* page, bool onGrid, int row, int col,
                                   int width) {
  if (!onGrid) {
    if (col <= 40) return;
    for (int i = 0; i < dw::Screen::pageSize; ++i) {
      require(page[i] == 0, "text placed right of the screen was drawn");
    }
    return;
  }
  const int lastCell = static_cast<int>(std::min<long long>(40, 0LL + col + width - 1));
  for (int y = 0; y < dw::Screen::height; ++y) {
    for (int x = 0; x < dw::Screen::width; ++x) {
      const int cellRow = y / 8 + 1, cellCol = x / 8 + 1;
      const bool inside = cellRow == row && cellCol >= col && cellCol <= lastCell;
      if (page[y * dw::Screen::width + x] != (inside ? ink : 0)) {
        dw::fuzz::broken("cell (" + std::to_string(cellRow) + "," + std::to_string(cellCol) +
                         ") is " + (inside ? "not drawn" : "drawn") + " for a width of " +
                         std::to_string(width) + " at column " + std::to_string(col));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  dw::Game& game = setup.game;
  dw::Screen& screen = game.screen;
  FuzzedDataProvider in(data, size);
  const bool onGrid = in.ConsumeIntegralInRange(0, 7) != 0;
  const int row = onGrid ? in.ConsumeIntegralInRange(1, 25) : in.ConsumeIntegral<int>();
  const int col = onGrid ? in.ConsumeIntegralInRange(1, 40) : in.ConsumeIntegral<int>();
  const std::string text = in.ConsumeRemainingBytesAsString();

  screen.setPages(0, 0);
  std::uint8_t* cleared = screen.changePage(0);
  std::fill(cleared, cleared + dw::Screen::pageSize, std::uint8_t{0});
  const int width = dw::markedTextWidth(text);
  require(width >= 0 && static_cast<std::size_t>(width) <= text.size(), "width out of range");
  dw::drawMarkedText(game, row, col, ink, ink, text);
  checkCells(screen.page(0), onGrid, row, col, width);
  return 0;
}
