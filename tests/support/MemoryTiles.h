#pragma once

// Header-only helpers for tests that draw tiles: a headless platform whose
// files live in memory, tile file bytes built by hand, and "marker" tiles
// whose picture tells which glyph was drawn on a cell.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Game.h"
#include "platform/headless/HeadlessPlatform.h"

namespace dw::test {

// Serves exactly the files a test puts into `files`; every other path
// cannot be opened.
class MemoryFilePlatform : public HeadlessPlatform {
 public:
  std::map<std::string, std::string> files;
  std::map<std::string, int> reads;
  // Called before each read, to look at the screen at that moment.
  std::function<void(const std::string&)> onRead;

  std::optional<std::string> readFile(const std::string& path) override {
    ++reads[path];
    if (onRead) onRead(path);
    auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    return found->second;
  }
  // Queues a key string as a backend would, longer keys included.
  void queueKey(std::string key) { pushKey(std::move(key)); }
};

// The 11 header bytes of a tile file followed by its pixel data.
inline std::string tileBytes(int width, int height, const std::string& data,
                             unsigned char identification = 253) {
  std::string bytes(11, '\0');
  bytes[0] = static_cast<char>(identification);
  bytes[7] = static_cast<char>(width & 0xFF);
  bytes[8] = static_cast<char>((width >> 8) & 0xFF);
  bytes[9] = static_cast<char>(height & 0xFF);
  bytes[10] = static_cast<char>((height >> 8) & 0xFF);
  return bytes + data;
}

// A tile file of an image given as rows of colours 0..15, written here
// independently of the game's own encoder.
inline std::string tileOf(const std::vector<std::vector<int>>& rows) {
  int width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  int planeBytes = (width + 7) / 8;
  std::string data;
  for (const auto& row : rows) {
    for (int p = 0; p < 4; ++p) {
      std::string plane(static_cast<std::size_t>(planeBytes), '\0');
      for (int x = 0; x < width; ++x) {
        if (row[x] & (1 << p)) plane[x / 8] = static_cast<char>(plane[x / 8] | (0x80 >> (x % 8)));
      }
      data += plane;
    }
  }
  return tileBytes(width, static_cast<int>(rows.size()), data);
}

// The marker tile of glyph g: every row shows the bits of g, most
// significant first, as colour 15 for a set bit and 1 for a clear one.
inline std::string markerTile(int g) {
  std::vector<int> row(8);
  for (int x = 0; x < 8; ++x) row[x] = (g & (0x80 >> x)) ? 15 : 1;
  return tileOf(std::vector<std::vector<int>>(8, row));
}

// Serves a marker tile for every glyph code.
inline void serveMarkerTiles(MemoryFilePlatform& platform) {
  for (int g = 0; g < 256; ++g) platform.files[tileFileName(g)] = markerTile(g);
}

inline constexpr int blankCell = -1;
inline constexpr int otherPicture = -2;

// Which marker tile covers text cell (row, col) of a page: its glyph code,
// blankCell when the cell is all colour 0, otherPicture for anything else.
inline int markerAt(const Screen& screen, int page, int row, int col) {
  const std::uint8_t* pixels = screen.page(page);
  int x0 = 8 * col - 8, y0 = 8 * row - 8;
  bool blank = true, marker = true;
  int g = 0;
  for (int y = 0; y < 8; ++y) {
    int rowCode = 0;
    for (int x = 0; x < 8; ++x) {
      int c = pixels[(y0 + y) * Screen::width + x0 + x];
      if (c != 0) blank = false;
      if (c != 1 && c != 15) marker = false;
      if (c == 15) rowCode |= 0x80 >> x;
    }
    if (y == 0) g = rowCode;
    if (rowCode != g) marker = false;
  }
  if (blank) return blankCell;
  return marker ? g : otherPicture;
}

// A game on a platform that serves marker tiles, with the standard class
// table and a level of rock.
struct MarkerGame {
  MemoryFilePlatform platform;
  Game game{platform};

  MarkerGame() {
    serveMarkerTiles(platform);
    game.classes.setStandard();
    for (int row = firstRow; row <= lastRow; ++row) {
      for (int col = firstCol; col <= lastCol; ++col) game.grid.glyphs[row][col] = glyph::rock;
    }
    game.random.randomize(1, 0);
  }
  int cellOnWorkPage(int row, int col) const {
    return markerAt(game.screen, game.screen.workPage(), row, col);
  }
};

}  // namespace dw::test
