#include "core/Tiles.h"

#include <algorithm>

#include "platform/Platform.h"

namespace dw {

namespace {

constexpr std::size_t headerBytes = 11;
constexpr std::uint8_t tileIdentification = 253;
// Pictures up to a page in size are kept decoded; larger ones are decoded on
// each draw, and only as far as they can land on the page.
constexpr long long keepDecodedPixels = Screen::pageSize;

int dimension(const std::string& bytes, std::size_t at) {
  auto byte = [&](std::size_t i) -> int {
    return i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
  };
  return (byte(at) | (byte(at + 1) << 8)) & 0x7FFF;
}

}  // namespace

std::string tileFileName(int g) {
  std::string digits = std::to_string(1000 + (g & 0xFF)).substr(1);
  return "tiles\\" + digits + "b0808.til";
}

Image tilePlaceholder() {
  Image image = createImage(24, 24);
  for (int v = 0; v <= 5; ++v) {
    if (v % 2 == 0) {
      drawLine(canvasOf(image), 5 - v, 0, 23 - v, 23, 12, LineKind::line, 0xAAAA);
    } else {
      drawLine(canvasOf(image), 23 - v, 0, 5 - v, 23, 12, LineKind::line, 0xAAAA);
    }
  }
  return image;
}

TileFile parseTileFile(std::string bytes) {
  TileFile tile;
  if (bytes.empty() || static_cast<std::uint8_t>(bytes[0]) != tileIdentification) return tile;
  tile.kind = TileFile::Kind::picture;
  tile.declaredWidth = dimension(bytes, 7);
  int declaredHeight = dimension(bytes, 9);
  bool quirk = tile.declaredWidth == 25 && declaredHeight == 25;
  tile.width = quirk ? 24 : tile.declaredWidth;
  tile.height = quirk ? 24 : declaredHeight;
  tile.bytes = std::move(bytes);
  if (static_cast<long long>(tile.width) * tile.height <= keepDecodedPixels) {
    tile.decoded = decodeTileWindow(tile, 0, 0, tile.width, tile.height);
    tile.fullyDecoded = true;
    tile.bytes.clear();
    tile.bytes.shrink_to_fit();
  } else {
    // A picture put at or right of and below the page's corner shows at most
    // its top-left page-sized part: keep that decoded, so that a huge tile
    // drawn on every cell costs no more than a small one.
    tile.decoded = decodeTileWindow(tile, 0, 0, std::min(tile.width, Screen::width),
                                    std::min(tile.height, Screen::height));
  }
  return tile;
}

Image decodeTileWindow(const TileFile& tile, int x0, int y0, int w, int h) {
  Image image = createImage(w, h);
  const std::string& bytes = tile.bytes;
  const long long planeBytes = (tile.declaredWidth + 7) / 8;
  const long long rowBytes = 4 * planeBytes;
  for (int y = 0; y < h; ++y) {
    long long rowStart = static_cast<long long>(headerBytes) + (y0 + y) * rowBytes;
    if (rowStart >= static_cast<long long>(bytes.size())) break;  // the rest reads as 0
    std::uint8_t* out = image.pixels.data() + static_cast<std::size_t>(y) * w;
    for (int p = 0; p < 4; ++p) {
      long long planeStart = rowStart + p * planeBytes;
      for (int x = 0; x < w; ++x) {
        long long at = planeStart + (x0 + x) / 8;
        if (at >= static_cast<long long>(bytes.size())) break;
        if (static_cast<std::uint8_t>(bytes[at]) & (0x80 >> ((x0 + x) % 8))) {
          out[x] ^= static_cast<std::uint8_t>(1 << p);
        }
      }
    }
  }
  return image;
}

std::optional<Image> tileImage(const TileFile& tile) {
  switch (tile.kind) {
    case TileFile::Kind::noImage:
      return std::nullopt;
    case TileFile::Kind::placeholder:
      return tile.decoded;
    case TileFile::Kind::picture:
      break;
  }
  // A huge picture is given only as far as a page could show it.
  return tile.decoded;
}

std::string encodeTileFile(const Image& image) {
  std::string bytes(headerBytes, '\0');
  bytes[0] = static_cast<char>(tileIdentification);
  auto put16 = [&](std::size_t at, int v) {
    bytes[at] = static_cast<char>(v & 0xFF);
    bytes[at + 1] = static_cast<char>((v >> 8) & 0x7F);
  };
  put16(7, image.width);
  put16(9, image.height);
  const int planeBytes = (image.width + 7) / 8;
  for (int y = 0; y < image.height; ++y) {
    for (int p = 0; p < 4; ++p) {
      std::string plane(static_cast<std::size_t>(planeBytes), '\0');
      for (int x = 0; x < image.width; ++x) {
        if (getPixel(image, x, y) & (1 << p)) {
          plane[x / 8] = static_cast<char>(plane[x / 8] | (0x80 >> (x % 8)));
        }
      }
      bytes += plane;
    }
  }
  return bytes;
}

const TileFile& TileSet::file(Platform& platform, const std::string& name) {
  auto found = byName_.find(name);
  if (found != byName_.end()) return *found->second;
  auto tile = std::make_unique<TileFile>();
  if (auto bytes = platform.readFile(name)) {
    *tile = parseTileFile(std::move(*bytes));
  } else {
    tile->kind = TileFile::Kind::placeholder;
    tile->decoded = tilePlaceholder();
    tile->width = tile->height = 24;
    tile->fullyDecoded = true;
  }
  return *byName_.emplace(name, std::move(tile)).first->second;
}

const TileFile& TileSet::firstGlyphFile(Platform& platform, int g) {
  g &= 0xFF;
  byGlyph_[g] = &file(platform, tileFileName(g));
  return *byGlyph_[g];
}

void TileSet::put(Platform& platform, int x, int y, const TileFile& tile, RasterMode mode) {
  Screen& screen = platform.screen();
  if (tile.kind == TileFile::Kind::noImage) return;
  if (tile.fullyDecoded || (x >= 0 && y >= 0)) {
    screen.putImage(x, y, tile.decoded, mode);
    return;
  }
  // Only the part of a huge picture that can land on the page is decoded.
  const PageClip clip = clipToPage(x, y, tile.width, tile.height);
  if (clip.empty()) return;
  const long long left = clip.left, top = clip.top, right = clip.right, bottom = clip.bottom;
  Image window = decodeTileWindow(tile, static_cast<int>(left), static_cast<int>(top),
                                  static_cast<int>(right - left), static_cast<int>(bottom - top));
  screen.putImage(static_cast<int>(x + left), static_cast<int>(y + top), window, mode);
}

void TileSet::clear() {
  byName_.clear();
  byGlyph_.fill(nullptr);
}

std::optional<Image> loadTileImage(Platform& platform, const std::string& name) {
  TileSet once;
  return tileImage(once.file(platform, name));
}

}  // namespace dw
