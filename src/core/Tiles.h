#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/Screen.h"

namespace dw {

class Platform;

// "tiles\NNNb0808.til" for glyph code g (0..255), NNN with leading zeros.
std::string tileFileName(int g);

// What a tile file holds, as far as drawing is concerned.
struct TileFile {
  enum class Kind { picture, noImage, placeholder };
  Kind kind = Kind::noImage;
  int width = 0;  // of the image it gives (25 x 25 files give 24 x 24)
  int height = 0;
  int declaredWidth = 0;  // as the pixel data is laid out
  std::string bytes;      // the whole file, for pictures too large to keep decoded
  Image decoded;          // the whole image when it is small enough, else its
                          // top-left part as large as a page
  bool fullyDecoded = false;
};

// Reads a tile file's bytes: identification byte 253, width and height at
// bytes 8..11 (little-endian, bit 15 cleared), then four bit planes per pixel
// row. Bytes past the end of the file read as 0.
TileFile parseTileFile(std::string bytes);
// The 24 x 24 picture shown for a tile file that cannot be opened.
Image tilePlaceholder();
// Decodes the part of a picture whose top-left pixel is (x0, y0) and whose
// size is w x h (already within the picture).
Image decodeTileWindow(const TileFile& tile, int x0, int y0, int w, int h);
// The image a tile file gives (a huge one only as far as a page can show
// it), or nothing for a file that gives none.
std::optional<Image> tileImage(const TileFile& tile);

// Builds a tile file from an image of colours 0..15.
std::string encodeTileFile(const Image& image);

// Tile files as the game reads them. Files do not change while the game
// runs, so each is read and decoded once.
class TileSet {
 public:
  const TileFile& file(Platform& platform, const std::string& name);
  const TileFile& glyphFile(Platform& platform, int g) {
    const TileFile* known = byGlyph_[static_cast<std::size_t>(g & 0xFF)];
    return known != nullptr ? *known : firstGlyphFile(platform, g);
  }
  // Puts the tile with its top-left corner at (x, y) on the work page.
  void put(Platform& platform, int x, int y, const TileFile& tile, RasterMode mode);
  void clear();

 private:
  // glyphFile for a glyph not drawn before: reads its file.
  const TileFile& firstGlyphFile(Platform& platform, int g);
  std::unordered_map<std::string, std::unique_ptr<TileFile>> byName_;
  std::array<const TileFile*, 256> byGlyph_{};
};

// loadTileImage: the image a file gives (the placeholder when it cannot be
// opened, nothing for a wrong identification byte).
std::optional<Image> loadTileImage(Platform& platform, const std::string& name);

}  // namespace dw
