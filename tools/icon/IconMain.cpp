// duskwarren-icon TILE.til SIZE OUT.png [FLOOR.til]
//
// Draws the tile as a SIZE x SIZE RGBA PNG, every tile pixel a square of
// whole pixels, with colour 0 (the dungeon's darkness) transparent. A thing
// standing on the floor shows the floor tile's pixels around it; given that
// floor tile, those pixels are transparent too, so only the thing remains.
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/Tiles.h"
#include "platform/Screen.h"

namespace {

constexpr int maxSide = 1024;

int fail(const std::string& message) {
  std::fprintf(stderr, "duskwarren-icon: %s\n", message.c_str());
  return 2;
}

std::optional<dw::Image> readTile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return dw::tileImage(dw::parseTileFile(bytes.str()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: duskwarren-icon TILE.til SIZE OUT.png [FLOOR.til]\n");
    return 2;
  }
  const std::string tilePath = argv[1], sizeText = argv[2], outPath = argv[3];

  int size = 0;
  if (sizeText.empty() || sizeText.size() > 4 ||
      !std::all_of(sizeText.begin(), sizeText.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return fail("the size must be a whole number of pixels, not '" + sizeText + "'");
  size = std::stoi(sizeText);
  if (size < 1 || size > maxSide) return fail("the size must be 1.." + std::to_string(maxSide));

  auto image = readTile(tilePath);
  if (!image || image->width != image->height)
    return fail("'" + tilePath + "' is not a readable square tile");
  std::optional<dw::Image> floor;
  if (argc == 5) {
    floor = readTile(argv[4]);
    if (!floor || floor->width != image->width || floor->height != image->height)
      return fail(std::string("'") + argv[4] + "' is not a readable tile of the same size");
  }
  if (size % image->width != 0)
    return fail(std::to_string(size) + " is not a whole multiple of the tile's " +
                std::to_string(image->width) + " pixels");
  const int factor = size / image->width;

  const dw::Palette& palette = dw::defaultPalette();
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4, 0);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      int colour = dw::getPixel(*image, x / factor, y / factor);
      if (colour == 0) continue;
      if (floor && colour == dw::getPixel(*floor, x / factor, y / factor)) continue;
      const dw::Rgb& c = palette[colour & 0xFF];
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
      p[3] = 255;
    }
  }

  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(size);
  png.height = static_cast<png_uint_32>(size);
  png.format = PNG_FORMAT_RGBA;
  if (!png_image_write_to_file(&png, outPath.c_str(), 0, rgba.data(), 0, nullptr))
    return fail("cannot write '" + outPath + "': " + png.message);
  return 0;
}
