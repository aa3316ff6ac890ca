#pragma once

// The conversions behind duskwarren-tiles: PNG pictures to tile files and
// back, and a 16 x 16 tile sheet to the 256 files of the game's tiles folder
// and back. Every failure throws ToolError with a message for the user.

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Screen.h"

namespace dw::tiles {

struct ToolError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A file name as messages show it: in single quotes.
struct Quoted {
  const std::filesystem::path& path;
};
inline std::ostream& operator<<(std::ostream& out, const Quoted& q) {
  return out << '\'' << q.path.string() << '\'';
}

// Builds a message from its parts (text, numbers, Quoted names).
template <typename... Parts>
std::string say(const Parts&... parts) {
  std::ostringstream out;
  (out << ... << parts);
  return out.str();
}

// The largest picture side the tool reads or writes. Tile files may declare
// up to 32767 x 32767 pixels; anything beyond this is refused before any
// memory is set aside for it.
inline constexpr int maxPictureSide = 2048;
// The largest input file the tool reads at all.
inline constexpr std::uintmax_t maxInputBytes = 64u * 1024 * 1024;

// The game's tiles: 8 x 8 pixels, a sheet of 16 x 16 of them.
inline constexpr int tileSide = 8;
inline constexpr int sheetColumns = 16;
inline constexpr int sheetSide = tileSide * sheetColumns;  // 128 pixels

// The 16 colours the game draws with (palette entries 0..15).
inline constexpr int gameColourCount = 16;
Rgb gameColour(int index);

struct ColourMatch {
  int index = 0;     // 0..15
  int distance = 0;  // largest difference of red, green or blue, 0..255
};
// The game colour nearest to (r, g, b); ties go to the lower index.
ColourMatch nearestGameColour(std::uint8_t r, std::uint8_t g, std::uint8_t b);

struct PngOptions {
  // A pixel may differ from its game colour by this much in red, green and
  // blue; a picture with any pixel farther from all 16 colours is refused.
  int tolerance = 40;
  // For a palette PNG: take the palette index as the colour (0..15) and
  // ignore the palette's colours.
  bool paletteIndices = false;
};

// Reads a PNG of any colour type as an image of colours 0..15. Pixels with
// alpha below 128 count as colour 0 (black).
Image readPicturePng(const std::filesystem::path& path, const PngOptions& options = {});
// Writes an image of colours 0..15 as an 8-bit palette PNG whose 16 palette
// entries are the game colours, so palette index = game colour.
void writePicturePng(const std::filesystem::path& path, const Image& image);

// What a tile file holds, read strictly: the identification byte must be 253,
// the size must be 1..maxPictureSide each way and the file must hold all the
// pixel data it declares. Bytes beyond that are ignored and counted.
struct TilePicture {
  Image image;  // as declared (a 25 x 25 file gives 25 x 25 here)
  std::size_t trailingBytes = 0;
};
TilePicture decodeTileBytes(const std::string& bytes, const std::string& what);
TilePicture readTileFile(const std::filesystem::path& path);
void writeTileFile(const std::filesystem::path& path, const Image& image);

// "NNNb0808.til" for glyph g, as in the game's tiles folder.
std::string tileLeafName(int g);

// Cuts a 128 x 128 sheet into the 256 tile files of dir (made when missing);
// the tile of glyph g is at column g % 16, row g / 16.
void splitSheet(const Image& sheet, const std::filesystem::path& dir);
// Builds the sheet from the 256 tile files of dir, each of which must be an
// 8 x 8 picture.
Image joinSheet(const std::filesystem::path& dir);

// Whole-file helpers with clear errors.
std::string readFileBytes(const std::filesystem::path& path, std::uintmax_t limit = maxInputBytes);
void writeFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace dw::tiles
