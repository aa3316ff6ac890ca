#include "TileConvert.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <system_error>

#include "core/Tiles.h"
#include "platform/CappedRead.h"
#include "platform/SafeWrite.h"

namespace dw::tiles {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t tileHeaderBytes = 11;
constexpr std::uint8_t tileIdentification = 253;

std::string hexColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", r, g, b);
  return text;
}

std::string hexColour(Rgb c) {
  return hexColour(c.r, c.g, c.b);
}

int readLe16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]) | (static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

// Frees a png_image however the reading ends.
struct PngImageGuard {
  png_image* image;
  ~PngImageGuard() { png_image_free(image); }
};

}  // namespace

Rgb gameColour(int index) {
  return defaultPalette()[static_cast<std::size_t>(index & 15)];
}

ColourMatch nearestGameColour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  ColourMatch best{0, 256};
  for (int i = 0; i < gameColourCount; ++i) {
    Rgb c = gameColour(i);
    int d = std::max({std::abs(r - c.r), std::abs(g - c.g), std::abs(b - c.b)});
    if (d < best.distance) best = {i, d};
  }
  return best;
}

std::string readFileBytes(const fs::path& path, std::uintmax_t limit) {
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (ec) throw ToolError(say("cannot open ", Quoted{path}, ": ", ec.message()));
  if (!fs::exists(status)) throw ToolError(say("cannot open ", Quoted{path}, ": no such file"));
  if (fs::is_directory(status)) throw ToolError(say(Quoted{path}, " is a folder, not a file"));
  std::string error;
  auto bytes = readCappedFile(path.string(), static_cast<std::size_t>(limit),
                              "a file this tool reads", error);
  if (!bytes) throw ToolError(error);
  return std::move(*bytes);
}

void writeFileBytes(const fs::path& path, const std::string& bytes) {
  // Written whole into a file beside the target and renamed over it, so a
  // failed write leaves the target as it was.
  std::string why = writeWholeFile(path.string(), bytes);
  if (!why.empty()) throw ToolError(say("cannot write ", Quoted{path}, ": ", why));
}

namespace {

// A palette PNG whose indices are the game colours themselves.
Image readPaletteIndices(png_image& png, const fs::path& path, Image image) {
  const int width = image.width, height = image.height;
  if (!(png.format & PNG_FORMAT_FLAG_COLORMAP)) {
    throw ToolError(say(Quoted{path}, " has no palette; --indices needs a palette PNG"));
  }
  png.format = PNG_FORMAT_RGBA_COLORMAP;
  std::vector<std::uint8_t> colormap(PNG_IMAGE_COLORMAP_SIZE(png));
  std::vector<std::uint8_t> indices(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, indices.data(), 0, colormap.data())) {
    throw ToolError(say("cannot read PNG ", Quoted{path}, ": ", png.message));
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int index = indices[static_cast<std::size_t>(y) * width + x];
      if (index >= gameColourCount) {
        throw ToolError(say(Quoted{path}, ": pixel (", x, ", ", y, ") has palette index ", index,
                            "; with --indices only indices 0..15 are game colours"));
      }
      setPixel(image, x, y, index);
    }
  }
  return image;
}

// Any PNG, each opaque pixel mapped to the nearest game colour.
Image readNearestColours(png_image& png, const fs::path& path, const PngOptions& options,
                         Image image) {
  const int width = image.width, height = image.height;
  png.format = PNG_FORMAT_RGBA;
  std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) {
    throw ToolError(say("cannot read PNG ", Quoted{path}, ": ", png.message));
  }
  long long farPixels = 0;
  std::string firstFar;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      if (p[3] < 128) continue;  // transparent: colour 0
      ColourMatch match = nearestGameColour(p[0], p[1], p[2]);
      if (match.distance > options.tolerance) {
        if (farPixels == 0) {
          firstFar = say("(", x, ", ", y, ") is ", hexColour(p[0], p[1], p[2]),
                         ", nearest game colour ", match.index, " ",
                         hexColour(gameColour(match.index)), " is off by ", match.distance);
        }
        ++farPixels;
        continue;
      }
      setPixel(image, x, y, match.index);
    }
  }
  if (farPixels > 0) {
    throw ToolError(say(Quoted{path}, ": ", farPixels, farPixels == 1 ? " pixel" : " pixels",
                        " far from all 16 game colours (allowed: ", options.tolerance,
                        " per channel); first: ", firstFar,
                        ". Repaint them, or pass --tolerance N (255 maps every colour)"));
  }
  return image;
}

}  // namespace

Image readPicturePng(const fs::path& path, const PngOptions& options) {
  const std::string bytes = readFileBytes(path);
  static const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
  if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0) {
    throw ToolError(say(Quoted{path}, " is not a PNG file"));
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
    std::string message = png.message;
    png_image_free(&png);
    throw ToolError(say("cannot read PNG ", Quoted{path}, ": ", message));
  }
  PngImageGuard guard{&png};
  if (png.width == 0 || png.height == 0 || png.width > static_cast<png_uint_32>(maxPictureSide) ||
      png.height > static_cast<png_uint_32>(maxPictureSide)) {
    throw ToolError(say(Quoted{path}, " is ", png.width, " x ", png.height,
                        " pixels; this tool handles at most ", maxPictureSide, " x ",
                        maxPictureSide));
  }
  const int width = static_cast<int>(png.width);
  const int height = static_cast<int>(png.height);
  Image image(width, height);

  if (options.paletteIndices) return readPaletteIndices(png, path, std::move(image));
  return readNearestColours(png, path, options, std::move(image));
}

void writePicturePng(const fs::path& path, const Image& image) {
  if (image.width <= 0 || image.height <= 0) {
    throw ToolError(say("cannot write an empty picture to ", Quoted{path}));
  }
  std::vector<std::uint8_t> colormap(gameColourCount * 3);
  for (int i = 0; i < gameColourCount; ++i) {
    Rgb c = gameColour(i);
    colormap[i * 3] = c.r;
    colormap[i * 3 + 1] = c.g;
    colormap[i * 3 + 2] = c.b;
  }
  std::vector<std::uint8_t> pixels(image.pixels);
  for (auto& p : pixels) p &= 15;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB_COLORMAP;
  png.colormap_entries = gameColourCount;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), image.width,
                                 colormap.data())) {
    throw ToolError(say("cannot encode PNG for ", Quoted{path}, ": ", png.message));
  }
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, pixels.data(), image.width,
                                 colormap.data())) {
    throw ToolError(say("cannot encode PNG for ", Quoted{path}, ": ", png.message));
  }
  bytes.resize(size);
  writeFileBytes(path, bytes);
}

TilePicture decodeTileBytes(const std::string& bytes, const std::string& what) {
  if (bytes.empty()) throw ToolError(say(what, " is empty, not a tile file"));
  if (static_cast<std::uint8_t>(bytes[0]) != tileIdentification) {
    throw ToolError(say(what, " is not a tile file: its first byte is ",
                        static_cast<int>(static_cast<std::uint8_t>(bytes[0])), ", not 253"));
  }
  if (bytes.size() < tileHeaderBytes) {
    throw ToolError(
        say(what, " is cut short: ", bytes.size(), " bytes, less than the 11-byte header"));
  }
  const int width = readLe16(bytes, 7) & 0x7FFF;
  const int height = readLe16(bytes, 9) & 0x7FFF;
  const std::string size = say(width, " x ", height);
  if (width == 0 || height == 0) {
    throw ToolError(say(what, " declares an empty picture (", size, ")"));
  }
  if (width > maxPictureSide || height > maxPictureSide) {
    throw ToolError(say(what, " declares ", size, " pixels; this tool handles at most ",
                        maxPictureSide, " x ", maxPictureSide));
  }
  const std::size_t need =
      tileHeaderBytes + static_cast<std::size_t>(height) * 4 * ((width + 7) / 8);
  if (bytes.size() < need) {
    throw ToolError(say(what, " is cut short: a ", size, " tile needs ", need,
                        " bytes, the file has ", bytes.size()));
  }
  TileFile tile;
  tile.kind = TileFile::Kind::picture;
  tile.declaredWidth = width;
  tile.width = width;
  tile.height = height;
  tile.bytes = bytes.substr(0, need);
  TilePicture picture;
  picture.image = decodeTileWindow(tile, 0, 0, width, height);
  picture.trailingBytes = bytes.size() - need;
  return picture;
}

TilePicture readTileFile(const fs::path& path) {
  return decodeTileBytes(readFileBytes(path), say(Quoted{path}));
}

void writeTileFile(const fs::path& path, const Image& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > maxPictureSide ||
      image.height > maxPictureSide) {
    throw ToolError(
        say("cannot write a ", image.width, " x ", image.height, " tile to ", Quoted{path}));
  }
  writeFileBytes(path, encodeTileFile(image));
}

std::string tileLeafName(int g) {
  std::string name = std::to_string(1000 + (g & 0xFF)).substr(1);
  name += "b0808.til";
  return name;
}

void splitSheet(const Image& sheet, const fs::path& dir) {
  if (sheet.width != sheetSide || sheet.height != sheetSide) {
    throw ToolError(
        say("a tile sheet must be 128 x 128 pixels (16 x 16 tiles of 8 x 8); this one is ",
            sheet.width, " x ", sheet.height));
  }
  std::error_code ec;
  if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
    throw ToolError(say("cannot write tiles into ", Quoted{dir}, ": it is not a folder"));
  }
  fs::create_directories(dir, ec);
  if (ec) throw ToolError(say("cannot make the folder ", Quoted{dir}, ": ", ec.message()));
  for (int g = 0; g < 256; ++g) {
    Image tile(tileSide, tileSide);
    const int x0 = (g % sheetColumns) * tileSide;
    const int y0 = (g / sheetColumns) * tileSide;
    for (int y = 0; y < tileSide; ++y) {
      for (int x = 0; x < tileSide; ++x) setPixel(tile, x, y, getPixel(sheet, x0 + x, y0 + y) & 15);
    }
    writeTileFile(dir / tileLeafName(g), tile);
  }
}

Image joinSheet(const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw ToolError(say(Quoted{dir}, " is not a folder"));
  Image sheet(sheetSide, sheetSide);
  for (int g = 0; g < 256; ++g) {
    const fs::path file = dir / tileLeafName(g);
    TilePicture picture = readTileFile(file);
    if (picture.image.width != tileSide || picture.image.height != tileSide) {
      throw ToolError(say(Quoted{file}, " is ", picture.image.width, " x ", picture.image.height,
                          "; a sheet holds 8 x 8 tiles only"));
    }
    const int x0 = (g % sheetColumns) * tileSide;
    const int y0 = (g / sheetColumns) * tileSide;
    for (int y = 0; y < tileSide; ++y) {
      for (int x = 0; x < tileSide; ++x)
        setPixel(sheet, x0 + x, y0 + y, getPixel(picture.image, x, y));
    }
  }
  return sheet;
}

}  // namespace dw::tiles
