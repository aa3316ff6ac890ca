// The tile loader: any bytes as a tile file, read through the game's tile
// set and put on a page at positions and with raster modes taken from the
// end of the input. Every pixel of the page is checked against a plain
// reading of the file, so a file that declares 32767 x 32767 pixels must
// cost no more than the part of it a page can show.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "core/Tiles.h"
#include "support/MemoryPlatform.h"

namespace {

using dw::fuzz::require;

struct PlainTile {
  bool image = false;
  int width = 0, height = 0;
  long long planeBytes = 0;
  const std::string* bytes = nullptr;

  DW_FUZZ_CHECK_CODE std::uint8_t byteAt(long long i) const {
    return i >= 0 && i < static_cast<long long>(bytes->size())
               ? static_cast<std::uint8_t>((*bytes)[static_cast<std::size_t>(i)])
               : 0;
  }
  // The colour of pixel (x, y): four planes per row, most significant bit
  // leftmost, bytes past the end reading as 0.
  DW_FUZZ_CHECK_CODE std::uint8_t pixel(int x, int y) const {
    std::uint8_t colour = 0;
    for (int p = 0; p < 4; ++p) {
      long long at = 11 + static_cast<long long>(y) * 4 * planeBytes + p * planeBytes + x / 8;
      if (byteAt(at) & (0x80 >> (x % 8))) colour = static_cast<std::uint8_t>(colour | (1 << p));
    }
    return colour;
  }
};

DW_FUZZ_CHECK_CODE PlainTile plainReading(const std::string& bytes) {
  PlainTile t;
  t.bytes = &bytes;
  if (bytes.empty() || static_cast<std::uint8_t>(bytes[0]) != 253) return t;
  t.image = true;
  int w = (t.byteAt(7) | (t.byteAt(8) << 8)) & 0x7FFF;
  int h = (t.byteAt(9) | (t.byteAt(10) << 8)) & 0x7FFF;
  t.planeBytes = (w + 7) / 8;
  t.width = (w == 25 && h == 25) ? 24 : w;
  t.height = (w == 25 && h == 25) ? 24 : h;
  return t;
}

DW_FUZZ_CHECK_CODE std::uint8_t combine(std::uint8_t d, std::uint8_t s, dw::RasterMode mode) {
  switch (mode) {
    case dw::RasterMode::pset:
      return s;
    case dw::RasterMode::preset:
      return static_cast<std::uint8_t>(~s);
    case dw::RasterMode::andMode:
      return d & s;
    case dw::RasterMode::orMode:
      return d | s;
    case dw::RasterMode::xorMode:
      return d ^ s;
  }
  return d;
}

DW_FUZZ_CHECK_CODE void checkImage(const dw::Image& image, const PlainTile& plain) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (dw::getPixel(image, x, y) != plain.pixel(x, y)) {
        dw::fuzz::broken("pixel (" + std::to_string(x) + "," + std::to_string(y) +
                         ") of the image differs");
      }
    }
  }
}

// What a put of the plain picture at (x, y) makes of the page.
DW_FUZZ_CHECK_CODE void applyPut(std::vector<std::uint8_t>& page, const PlainTile& plain, int x,
                                 int y, dw::RasterMode mode) {
  const long long top = std::max<long long>(0, y);
  const long long bottom = std::min<long long>(dw::Screen::height, 0LL + y + plain.height);
  const long long left = std::max<long long>(0, x);
  const long long right = std::min<long long>(dw::Screen::width, 0LL + x + plain.width);
  for (long long py = top; py < bottom; ++py) {
    for (long long px = left; px < right; ++px) {
      std::uint8_t& d = page[static_cast<std::size_t>(py) * dw::Screen::width + px];
      d = combine(d, plain.pixel(static_cast<int>(px - x), static_cast<int>(py - y)), mode);
    }
  }
}

DW_FUZZ_CHECK_CODE void checkPage(const std::uint8_t* page,
                                  const std::vector<std::uint8_t>& expected) {
  if (std::equal(expected.begin(), expected.end(), page)) return;
  for (int i = 0; i < dw::Screen::pageSize; ++i) {
    if (page[i] != expected[i]) {
      dw::fuzz::broken("page pixel (" + std::to_string(i % 320) + "," + std::to_string(i / 320) +
                       ") differs after the puts");
    }
  }
}

int position(FuzzedDataProvider& in, int near) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return in.ConsumeIntegral<int>();
    case 1:
      return in.ConsumeIntegralInRange(-40000, 40000);
    default:
      return in.ConsumeIntegralInRange(-near, near + 320);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static dw::test::MemoryPlatform platform;
  FuzzedDataProvider in(data, size);
  // The placement comes from the end of the input, so a tile file used as a
  // seed is read whole.
  const int puts = in.ConsumeIntegralInRange(1, 3);
  struct Put {
    int x, y;
    dw::RasterMode mode;
  };
  std::vector<Put> placements;
  for (int i = 0; i < puts; ++i) {
    int x = position(in, 40);
    int y = position(in, 40);
    auto mode = static_cast<dw::RasterMode>(in.ConsumeIntegralInRange(0, 4));
    placements.push_back({x, y, mode});
  }
  const std::string bytes = in.ConsumeRemainingBytesAsString();

  platform.setFile("tiles\\fuzz.til", bytes);
  dw::TileSet tiles;
  const dw::TileFile& tile = tiles.file(platform, "tiles\\fuzz.til");
  const PlainTile plain = plainReading(bytes);

  require((tile.kind == dw::TileFile::Kind::picture) == plain.image, "kind differs");
  if (plain.image) {
    require(tile.width == plain.width && tile.height == plain.height, "size differs");
  }
  auto image = dw::tileImage(tile);
  require(image.has_value() == plain.image, "image presence differs");
  if (image) {
    // A picture up to a page in size is given whole, a larger one only as
    // far as a page can show it.
    const bool whole = static_cast<long long>(plain.width) * plain.height <= dw::Screen::pageSize;
    require(image->width == (whole ? plain.width : std::min(plain.width, 320)) &&
                image->height == (whole ? plain.height : std::min(plain.height, 200)),
            "image size differs");
    checkImage(*image, plain);
  }

  dw::Screen& screen = platform.screen();
  screen.setPages(0, 0);
  static const std::vector<std::uint8_t> background = [] {
    std::vector<std::uint8_t> pixels(dw::Screen::pageSize);
    for (int i = 0; i < dw::Screen::pageSize; ++i) pixels[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return pixels;
  }();
  std::vector<std::uint8_t> expected = background;
  std::copy(expected.begin(), expected.end(), screen.changePage(0));
  for (const Put& put : placements) {
    tiles.put(platform, put.x, put.y, tile, put.mode);
    if (plain.image) applyPut(expected, plain, put.x, put.y, put.mode);
  }
  checkPage(screen.page(0), expected);
  return 0;
}
