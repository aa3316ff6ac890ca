// Tests of duskwarren-tiles: PNG <-> tile round trips, the sheet split and
// join, the 16-colour mapping, bad inputs (exit code 2, never a crash), and
// the tiles the build laid out for the game.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TileConvert.h"
#include "core/Tiles.h"
#include "platform/Font.h"
#include "platform/Screen.h"

namespace fs = std::filesystem;
using namespace dw;
using namespace dw::tiles;

namespace {

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeAll(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

#ifdef _WIN32
// cmd.exe's quoting: no word here holds a double quote.
std::string shellQuote(const std::string& s) {
  return '"' + s + '"';
}
#else
std::string shellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  q += "'";
  return q;
}
#endif

struct ToolRun {
  int exitCode = -1;  // negative: killed by a signal
  std::string out;
  std::string err;
};

// A picture with every pixel set by f(x, y).
template <typename F>
Image makeImage(int w, int h, F f) {
  Image image(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) setPixel(image, x, y, f(x, y));
  }
  return image;
}

bool sameImage(const Image& a, const Image& b) {
  return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// Writes raw pixels with libpng's simplified API in the given format.
void writePng(const fs::path& path, int w, int h, png_uint_32 format,
              const std::vector<std::uint8_t>& pixels,
              const std::vector<std::uint8_t>& colormap = {}, int colormapEntries = 0) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = format;
  image.colormap_entries = static_cast<png_uint_32>(colormapEntries);
  ASSERT_TRUE(png_image_write_to_file(&image, path.string().c_str(), 0, pixels.data(), 0,
                                      colormap.empty() ? nullptr : colormap.data()))
      << image.message;
}

// An RGB PNG showing the image in the exact game colours.
void writeRgbPicture(const fs::path& path, const Image& image) {
  std::vector<std::uint8_t> rgb;
  for (auto p : image.pixels) {
    Rgb c = gameColour(p);
    rgb.insert(rgb.end(), {c.r, c.g, c.b});
  }
  writePng(path, image.width, image.height, PNG_FORMAT_RGB, rgb);
}

// Reads a palette PNG's indices and palette as stored.
struct PaletteRead {
  std::vector<std::uint8_t> indices;
  std::vector<std::uint8_t> colormap;  // RGB triples
  int entries = 0;
  int width = 0, height = 0;
};
PaletteRead readPaletteIndices(const fs::path& path) {
  PaletteRead r;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_file(&image, path.string().c_str())) << image.message;
  EXPECT_TRUE(image.format & PNG_FORMAT_FLAG_COLORMAP);
  image.format = PNG_FORMAT_RGB_COLORMAP;
  r.width = static_cast<int>(image.width);
  r.height = static_cast<int>(image.height);
  r.indices.resize(PNG_IMAGE_SIZE(image));
  r.colormap.resize(PNG_IMAGE_COLORMAP_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, r.indices.data(), 0, r.colormap.data()))
      << image.message;
  r.entries = static_cast<int>(image.colormap_entries);
  return r;
}

class TilesTool : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("dw_tiles_tool_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path at(const std::string& leaf) const { return dir_ / leaf; }

  ToolRun run(const std::vector<std::string>& args) const {
    std::string command = shellQuote(fs::path(DUSKWARREN_TILES_TOOL).make_preferred().string());
    for (const auto& a : args) {
      command += ' ';
      command += shellQuote(a);
    }
    const fs::path out = dir_ / "tool.out";
    const fs::path err = dir_ / "tool.err";
    command += " >";
    command += shellQuote(out.string());
    command += " 2>";
    command += shellQuote(err.string());
    ToolRun r;
#ifdef _WIN32
    // cmd.exe /c takes off the outer pair of quotes.
    command = "\"" + command + " <NUL\"";
    r.exitCode = std::system(command.c_str());
#else
    command += " </dev/null";
    int status = std::system(command.c_str());
    if (WIFEXITED(status)) {
      r.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      r.exitCode = -WTERMSIG(status);
    }
#endif
    r.out = readAll(out);
    r.err = readAll(err);
    return r;
  }

  // Expects a clean refusal: exit code 2 and one line on stderr that holds
  // the given words.
  void expectRefused(const std::vector<std::string>& args, const std::string& words) const {
    ToolRun r = run(args);
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    EXPECT_EQ(r.exitCode, 2) << shown << "\n" << r.err;
    EXPECT_NE(r.err.find("duskwarren-tiles: "), std::string::npos) << shown << "\n" << r.err;
    EXPECT_NE(r.err.find(words), std::string::npos) << shown << "\nstderr: " << r.err;
  }

  fs::path dir_;
};

// A sheet in which every tile differs from every other.
Image patternSheet() {
  return makeImage(sheetSide, sheetSide, [](int x, int y) {
    int g = (y / 8) * 16 + x / 8;
    return (g * 7 + (x % 8) * 3 + (y % 8) * 5 + (x % 8) * (y % 8)) % 16;
  });
}

// The picture of 16 colours in an 8 x 8 tile, two pixels of each.
Image allColoursTile() {
  return makeImage(8, 8, [](int x, int y) { return (x + 8 * y) / 4 % 16 ^ (y & 1); });
}

}  // namespace

// ---------------------------------------------------------------- usage

TEST_F(TilesTool, HelpShowsTheCommandsAndExitsZero) {
  ToolRun r = run({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* word : {"to-tile", "to-png", "split", "join", "--tolerance"}) {
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(run({"split", "-h"}).exitCode, 0);
}

TEST_F(TilesTool, BadUseExitsWithTwo) {
  EXPECT_EQ(run({}).exitCode, 2);
  expectRefused({"make-coffee"}, "unknown command");
  expectRefused({"to-tile", "only-one.png"}, "takes IN.png OUT.til");
  expectRefused({"to-png", "a", "b", "c"}, "takes IN.til OUT.png");
  expectRefused({"--frobnicate", "to-tile", "a", "b"}, "unknown option");
  expectRefused({"to-tile", "--tolerance", "300", "a.png", "b.til"}, "--tolerance");
  expectRefused({"to-tile", "--tolerance", "ten", "a.png", "b.til"}, "--tolerance");
  expectRefused({"to-tile", "a.png", "b.til", "--tolerance"}, "--tolerance");
  expectRefused({"to-png", "--indices", "a.til", "b.png"}, "to-tile and split only");
}

// ---------------------------------------------------------------- colours

TEST(GameColours, EachGameColourMapsToItself) {
  for (int i = 0; i < gameColourCount; ++i) {
    Rgb c = gameColour(i);
    ColourMatch m = nearestGameColour(c.r, c.g, c.b);
    EXPECT_EQ(m.index, i);
    EXPECT_EQ(m.distance, 0);
  }
  EXPECT_EQ(gameColour(6).r, 170);
  EXPECT_EQ(gameColour(6).g, 85);
  EXPECT_EQ(gameColour(6).b, 0);
}

TEST(GameColours, NearColoursMapToTheNearestGameColour) {
  EXPECT_EQ(nearestGameColour(80, 90, 250).index, 9);
  EXPECT_EQ(nearestGameColour(80, 90, 250).distance, 5);
  EXPECT_EQ(nearestGameColour(168, 84, 0).index, 6);  // 6-bit VGA brown
  EXPECT_EQ(nearestGameColour(252, 252, 84).index, 14);
  EXPECT_EQ(nearestGameColour(20, 10, 30).index, 0);
  EXPECT_EQ(nearestGameColour(128, 128, 128).index, 7);  // 42 from grey 7, 43 from 8
  ColourMatch far = nearestGameColour(170, 170, 0);      // no dark yellow in the 16
  EXPECT_EQ(far.distance, 85);
}

TEST_F(TilesTool, RgbPictureIsMappedToTheNearestColours) {
  // Exact colours, slightly-off colours and a transparent pixel.
  const int w = 16, h = 2;
  std::vector<std::uint8_t> rgba;
  Image expected(w, h);
  for (int x = 0; x < w; ++x) {
    Rgb c = gameColour(x);
    rgba.insert(rgba.end(), {c.r, c.g, c.b, 255});
    setPixel(expected, x, 0, x);
  }
  for (int x = 0; x < w; ++x) {
    Rgb c = gameColour(x);
    auto off = [](int v) { return static_cast<std::uint8_t>(v > 127 ? v - 20 : v + 20); };
    bool transparent = x == 5;
    rgba.insert(rgba.end(),
                {off(c.r), off(c.g), off(c.b), static_cast<std::uint8_t>(transparent ? 0 : 255)});
    setPixel(expected, x, 1, transparent ? 0 : x);
  }
  writePng(at("in.png"), w, h, PNG_FORMAT_RGBA, rgba);
  ToolRun r = run({"to-tile", at("in.png").string(), at("out.til").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  TilePicture picture = readTileFile(at("out.til"));
  EXPECT_TRUE(sameImage(picture.image, expected));
}

TEST_F(TilesTool, GreyAndPaletteInputsAreRead) {
  // An 8-bit grey PNG of black, dark grey, light grey and white.
  std::vector<std::uint8_t> grey = {0, 85, 170, 255, 255, 170, 85, 0};
  writePng(at("grey.png"), 4, 2, PNG_FORMAT_GRAY, grey);
  ASSERT_EQ(run({"to-tile", at("grey.png").string(), at("grey.til").string()}).exitCode, 0);
  Image g = readTileFile(at("grey.til")).image;
  EXPECT_EQ(g.pixels, (std::vector<std::uint8_t>{0, 8, 7, 15, 15, 7, 8, 0}));

  // A palette PNG whose palette lists the game colours in reverse order:
  // what counts is the colour shown, not the index.
  std::vector<std::uint8_t> colormap;
  for (int i = 15; i >= 0; --i) {
    Rgb c = gameColour(i);
    colormap.insert(colormap.end(), {c.r, c.g, c.b});
  }
  std::vector<std::uint8_t> indices = {0, 1, 2, 3, 12, 13, 14, 15};
  writePng(at("rev.png"), 8, 1, PNG_FORMAT_RGB_COLORMAP, indices, colormap, 16);
  ASSERT_EQ(run({"to-tile", at("rev.png").string(), at("rev.til").string()}).exitCode, 0);
  EXPECT_EQ(readTileFile(at("rev.til")).image.pixels,
            (std::vector<std::uint8_t>{15, 14, 13, 12, 3, 2, 1, 0}));
  // With --indices the palette index is the colour.
  ASSERT_EQ(run({"to-tile", "--indices", at("rev.png").string(), at("idx.til").string()}).exitCode,
            0);
  EXPECT_EQ(readTileFile(at("idx.til")).image.pixels, indices);
}

TEST_F(TilesTool, IndicesOptionRefusesIndicesBeyondFifteenAndNonPalettePictures) {
  std::vector<std::uint8_t> colormap;
  for (int i = 0; i < 32; ++i)
    colormap.insert(colormap.end(), {0, 0, static_cast<std::uint8_t>(i)});
  writePng(at("p.png"), 2, 1, PNG_FORMAT_RGB_COLORMAP, {3, 20}, colormap, 32);
  expectRefused({"to-tile", "--indices", at("p.png").string(), at("p.til").string()},
                "palette index 20");
  writeRgbPicture(at("rgb.png"), allColoursTile());
  expectRefused({"to-tile", "--indices", at("rgb.png").string(), at("x.til").string()},
                "no palette");
}

TEST_F(TilesTool, ColoursFarFromAllSixteenAreRefusedClearly) {
  Image tile = allColoursTile();
  std::vector<std::uint8_t> rgb;
  for (auto p : tile.pixels) {
    Rgb c = gameColour(p);
    rgb.insert(rgb.end(), {c.r, c.g, c.b});
  }
  // Pixel (3, 2) becomes dark yellow, 85 away from every game colour.
  std::size_t at32 = (2 * 8 + 3) * 3;
  rgb[at32] = 170;
  rgb[at32 + 1] = 170;
  rgb[at32 + 2] = 0;
  writePng(at("far.png"), 8, 8, PNG_FORMAT_RGB, rgb);
  ToolRun r = run({"to-tile", at("far.png").string(), at("far.til").string()});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("1 pixel far from all 16 game colours"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(3, 2) is #AAAA00"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(at("far.til")));
  // A wider tolerance maps it to a neighbour (brown 6 comes first).
  ASSERT_EQ(run({"to-tile", "--tolerance", "255", at("far.png").string(), at("far.til").string()})
                .exitCode,
            0);
  EXPECT_EQ(getPixel(readTileFile(at("far.til")).image, 3, 2), 6);
  // A tolerance of 0 takes exact colours only.
  EXPECT_EQ(
      run({"to-tile", "--tolerance=0", at("far.png").string(), at("x.til").string()}).exitCode, 2);
}

// ---------------------------------------------------------------- round trips

TEST_F(TilesTool, PngToTileToPngRoundTrip) {
  for (auto [w, h] : {std::pair{8, 8}, std::pair{12, 5}, std::pair{1, 1}, std::pair{25, 25},
                      std::pair{320, 200}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    Image image = makeImage(w, h, [](int x, int y) { return (x * 3 + y * 5 + x * y) % 16; });
    writeRgbPicture(at("a.png"), image);
    ToolRun r = run({"to-tile", at("a.png").string(), at("a.til").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The tile file is exactly what the game's encoder gives, and the game's
    // decoder reads the picture back.
    std::string bytes = readAll(at("a.til"));
    EXPECT_EQ(bytes, encodeTileFile(image));
    EXPECT_EQ(bytes.size(), 11u + static_cast<std::size_t>(h) * 4 * ((w + 7) / 8));
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0]), 253);
    if (w != 25) {
      TileFile parsed = parseTileFile(bytes);
      ASSERT_EQ(parsed.kind, TileFile::Kind::picture);
      auto decoded = tileImage(parsed);
      ASSERT_TRUE(decoded.has_value());
      EXPECT_TRUE(sameImage(*decoded, image));
    }

    r = run({"to-png", at("a.til").string(), at("b.png").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(sameImage(readPicturePng(at("b.png")), image));
    // The PNG written is a palette PNG of the 16 game colours, index = colour.
    PaletteRead p = readPaletteIndices(at("b.png"));
    ASSERT_EQ(p.entries, 16);
    for (int i = 0; i < 16; ++i) {
      Rgb c = gameColour(i);
      EXPECT_EQ(p.colormap[i * 3], c.r);
      EXPECT_EQ(p.colormap[i * 3 + 1], c.g);
      EXPECT_EQ(p.colormap[i * 3 + 2], c.b);
    }
    EXPECT_EQ(p.indices, image.pixels);

    // And back again to the same tile file.
    ASSERT_EQ(run({"to-tile", at("b.png").string(), at("c.til").string()}).exitCode, 0);
    EXPECT_EQ(readAll(at("c.til")), bytes);
  }
}

TEST_F(TilesTool, TileFromTheGamesEncoderConvertsToPng) {
  // Tile files written by other tools (with header bytes 2..7 set, and a
  // width with bit 15 set) read the way the game reads them.
  Image image = allColoursTile();
  std::string bytes = encodeTileFile(image);
  for (int i = 1; i <= 6; ++i) bytes[i] = static_cast<char>(0x11 * i);
  bytes[8] = static_cast<char>(bytes[8] | 0x80);
  writeAll(at("odd.til"), bytes);
  ToolRun r = run({"to-png", at("odd.til").string(), at("odd.png").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(sameImage(readPicturePng(at("odd.png")), image));
  // Extra bytes after the pixel data are ignored, with a note.
  writeAll(at("long.til"), encodeTileFile(image) + "extra");
  r = run({"to-png", at("long.til").string(), at("long.png").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find("5 bytes after its pixel data"), std::string::npos) << r.err;
  EXPECT_TRUE(sameImage(readPicturePng(at("long.png")), image));
}

TEST_F(TilesTool, SheetSplitsIntoTheGlyphFilesAndJoinsBack) {
  Image sheet = patternSheet();
  writeRgbPicture(at("sheet.png"), sheet);
  ToolRun r = run({"split", at("sheet.png").string(), at("tiles").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(at("tiles"))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 256);
  for (int g : {0, 1, 15, 16, 45, 120, 176, 219, 255}) {
    SCOPED_TRACE(g);
    fs::path file = at("tiles") / tileLeafName(g);
    ASSERT_TRUE(fs::exists(file));
    std::string bytes = readAll(file);
    EXPECT_EQ(bytes.size(), 43u);
    TileFile tile = parseTileFile(bytes);
    ASSERT_EQ(tile.kind, TileFile::Kind::picture);
    ASSERT_EQ(tile.width, 8);
    ASSERT_EQ(tile.height, 8);
    Image picture = *tileImage(tile);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(getPixel(picture, x, y), getPixel(sheet, (g % 16) * 8 + x, (g / 16) * 8 + y));
      }
    }
  }
  EXPECT_EQ(tileLeafName(7), "007b0808.til");
  EXPECT_EQ(tileFileName(7), "tiles\\" + tileLeafName(7));

  r = run({"join", at("tiles").string(), at("joined.png").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(sameImage(readPicturePng(at("joined.png")), sheet));

  r = run({"check", at("tiles").string(), (at("tiles") / "065b0808.til").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("256 tiles of 8 x 8"), std::string::npos) << r.out;

  // Splitting again over existing files replaces them.
  Image other = makeImage(sheetSide, sheetSide, [](int x, int y) { return (x ^ y) & 15; });
  writeRgbPicture(at("other.png"), other);
  ASSERT_EQ(run({"split", at("other.png").string(), at("tiles").string()}).exitCode, 0);
  ASSERT_EQ(run({"join", at("tiles").string(), at("joined.png").string()}).exitCode, 0);
  EXPECT_TRUE(sameImage(readPicturePng(at("joined.png")), other));
}

TEST_F(TilesTool, TheShippedSheetSplitsAndJoinsUnchanged) {
  ToolRun r = run({"split", DUSKWARREN_TILE_SHEET, at("tiles").string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ASSERT_EQ(run({"join", at("tiles").string(), at("again.png").string()}).exitCode, 0);
  EXPECT_TRUE(sameImage(readPicturePng(at("again.png")), readPicturePng(DUSKWARREN_TILE_SHEET)));
}

// ---------------------------------------------------------------- bad input

TEST_F(TilesTool, MissingInputsAreRefused) {
  const std::string missing = at("nothing-here").string();
  expectRefused({"to-tile", missing + ".png", at("o.til").string()}, "cannot open");
  expectRefused({"to-png", missing + ".til", at("o.png").string()}, "cannot open");
  expectRefused({"split", missing + ".png", at("d").string()}, "cannot open");
  expectRefused({"join", missing, at("o.png").string()}, "is not a folder");
  expectRefused({"check", missing}, "cannot open");
  expectRefused({"to-tile", dir_.string(), at("o.til").string()}, "is a folder");
  EXPECT_FALSE(fs::exists(at("o.til")));
  EXPECT_FALSE(fs::exists(at("o.png")));
  EXPECT_FALSE(fs::exists(at("d")));
}

TEST_F(TilesTool, FilesThatAreNotPngAreRefused) {
  writeAll(at("text.png"), "this is not a picture\n");
  writeAll(at("empty.png"), "");
  expectRefused({"to-tile", at("text.png").string(), at("o.til").string()}, "is not a PNG file");
  expectRefused({"to-tile", at("empty.png").string(), at("o.til").string()}, "is not a PNG file");
  expectRefused({"split", at("text.png").string(), at("d").string()}, "is not a PNG file");
  // A real PNG cut short.
  writeRgbPicture(at("whole.png"), patternSheet());
  std::string whole = readAll(at("whole.png"));
  writeAll(at("cut.png"), whole.substr(0, whole.size() / 2));
  expectRefused({"to-tile", at("cut.png").string(), at("o.til").string()}, "cannot read PNG");
  writeAll(at("head.png"), whole.substr(0, 20));
  expectRefused({"to-tile", at("head.png").string(), at("o.til").string()}, "cannot read PNG");
  // A tile file given where a PNG is expected, and the other way round.
  writeAll(at("tile.til"), encodeTileFile(allColoursTile()));
  expectRefused({"to-tile", at("tile.til").string(), at("o.til").string()}, "is not a PNG file");
  expectRefused({"to-png", at("whole.png").string(), at("o.png").string()}, "not a tile file");
}

TEST_F(TilesTool, HugePngSizesAreRefusedBeforeReading) {
  // A PNG header declaring 100000 x 100000 RGB pixels with no data behind it.
  auto chunk = [](const std::string& kind, const std::string& data) {
    std::string out;
    auto be32 = [&](std::uint32_t v) {
      for (int s = 24; s >= 0; s -= 8) out += static_cast<char>((v >> s) & 0xFF);
    };
    be32(static_cast<std::uint32_t>(data.size()));
    std::string body = kind + data;
    out += body;
    be32(static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
    return out;
  };
  std::string ihdr;
  for (std::uint32_t v : {100000u, 100000u}) {
    for (int s = 24; s >= 0; s -= 8) ihdr += static_cast<char>((v >> s) & 0xFF);
  }
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  // A little pixel data, far too little for the declared size.
  std::string raw(64, '\0');
  std::string idat(128, '\0');
  uLongf idatSize = static_cast<uLongf>(idat.size());
  ASSERT_EQ(compress(reinterpret_cast<Bytef*>(idat.data()), &idatSize,
                     reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size())),
            Z_OK);
  idat.resize(idatSize);
  std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) +
                    chunk("IDAT", idat) + chunk("IEND", "");
  writeAll(at("huge.png"), png);
  expectRefused({"to-tile", at("huge.png").string(), at("o.til").string()},
                "is 100000 x 100000 pixels; this tool handles at most 2048 x 2048");
  expectRefused({"split", at("huge.png").string(), at("d").string()}, "100000 x 100000");
}

TEST_F(TilesTool, SheetsOfTheWrongSizeAreRefused) {
  writeRgbPicture(at("small.png"), makeImage(64, 64, [](int, int) { return 3; }));
  expectRefused({"split", at("small.png").string(), at("d").string()},
                "must be 128 x 128 pixels (16 x 16 tiles of 8 x 8); this one is 64 x 64");
  writeRgbPicture(at("wide.png"), makeImage(256, 128, [](int, int) { return 3; }));
  expectRefused({"split", at("wide.png").string(), at("d").string()}, "this one is 256 x 128");
  EXPECT_FALSE(fs::exists(at("d")));
}

TEST_F(TilesTool, BadTileFilesAreRefused) {
  std::string good = encodeTileFile(allColoursTile());
  auto withHeader = [](int w, int h, std::size_t dataBytes) {
    std::string bytes(11, '\0');
    bytes[0] = static_cast<char>(253);
    bytes[7] = static_cast<char>(w & 0xFF);
    bytes[8] = static_cast<char>((w >> 8) & 0xFF);
    bytes[9] = static_cast<char>(h & 0xFF);
    bytes[10] = static_cast<char>((h >> 8) & 0xFF);
    return bytes + std::string(dataBytes, '\x55');
  };
  struct Case {
    std::string name, bytes, words;
  };
  std::string wrongId = good;
  wrongId[0] = 0;
  std::vector<Case> cases = {
      {"empty", "", "is empty"},
      {"wrong-id", wrongId, "its first byte is 0, not 253"},
      {"short-header", good.substr(0, 6), "less than the 11-byte header"},
      {"cut-data", good.substr(0, 30), "a 8 x 8 tile needs 43 bytes, the file has 30"},
      {"zero-width", withHeader(0, 8, 32), "declares an empty picture (0 x 8)"},
      {"zero-height", withHeader(8, 0, 0), "declares an empty picture (8 x 0)"},
      {"huge", withHeader(32767, 32767, 0), "declares 32767 x 32767 pixels"},
      {"huge-bit15", withHeader(0xFFFF, 0xFFFF, 100), "declares 32767 x 32767 pixels"},
      {"too-wide", withHeader(4096, 1, 4 * 512), "declares 4096 x 1 pixels"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeAll(at(c.name + ".til"), c.bytes);
    expectRefused({"to-png", at(c.name + ".til").string(), at(c.name + ".png").string()}, c.words);
    EXPECT_FALSE(fs::exists(at(c.name + ".png")));
    expectRefused({"check", at(c.name + ".til").string()}, c.words);
  }
  // The largest accepted size still converts.
  Image big = makeImage(maxPictureSide, 2, [](int x, int y) { return (x + y) % 16; });
  writeAll(at("big.til"), encodeTileFile(big));
  ASSERT_EQ(run({"to-png", at("big.til").string(), at("big.png").string()}).exitCode, 0);
  EXPECT_TRUE(sameImage(readPicturePng(at("big.png")), big));
}

TEST_F(TilesTool, JoinRefusesMissingAndOddTiles) {
  writeRgbPicture(at("sheet.png"), patternSheet());
  ASSERT_EQ(run({"split", at("sheet.png").string(), at("tiles").string()}).exitCode, 0);
  fs::remove(at("tiles") / "200b0808.til");
  expectRefused({"join", at("tiles").string(), at("o.png").string()}, "200b0808.til");
  expectRefused({"check", at("tiles").string()}, "200b0808.til");
  writeAll(at("tiles") / "200b0808.til",
           encodeTileFile(makeImage(16, 8, [](int, int) { return 1; })));
  expectRefused({"join", at("tiles").string(), at("o.png").string()},
                "is 16 x 8; a sheet holds 8 x 8 tiles only");
  expectRefused({"check", at("tiles").string()}, "is 16 x 8, not 8 x 8");
  // One such file alone is a tile all the same, with the lint's warning.
  ToolRun odd = run({"check", (at("tiles") / "200b0808.til").string()});
  EXPECT_EQ(odd.exitCode, 0) << odd.err;
  EXPECT_NE(odd.out.find("tile of 16 x 8"), std::string::npos) << odd.out;
  EXPECT_NE(odd.err.find("warning: '" + (at("tiles") / "200b0808.til").string() +
                         "' is 16 x 8 pixels; cells are 8 x 8, so it spills over the "
                         "neighbouring cells"),
            std::string::npos)
      << odd.err;
  writeAll(at("tiles") / "200b0808.til", "junk");
  expectRefused({"join", at("tiles").string(), at("o.png").string()}, "not a tile file");
  EXPECT_FALSE(fs::exists(at("o.png")));
}

TEST_F(TilesTool, UnwritableOutputsAreRefused) {
  writeRgbPicture(at("tile.png"), allColoursTile());
  writeAll(at("tile.til"), encodeTileFile(allColoursTile()));
  writeRgbPicture(at("sheet.png"), patternSheet());
  writeAll(at("plain-file"), "x");
  const std::string noDir = (at("no-such-dir") / "out").string();
  expectRefused({"to-tile", at("tile.png").string(), noDir + ".til"}, "cannot write");
  expectRefused({"to-tile", at("tile.png").string(), dir_.string()}, "cannot write");
  expectRefused({"to-png", at("tile.til").string(), noDir + ".png"}, "cannot write");
  expectRefused({"to-png", at("tile.til").string(), (at("plain-file") / "x.png").string()},
                "cannot write");
  expectRefused({"split", at("sheet.png").string(), at("plain-file").string()},
                "it is not a folder");
  expectRefused({"split", at("sheet.png").string(), (at("plain-file") / "sub").string()},
                "cannot make the folder");
  ASSERT_EQ(run({"split", at("sheet.png").string(), at("tiles").string()}).exitCode, 0);
  expectRefused({"join", at("tiles").string(), noDir + ".png"}, "cannot write");
}

// ---------------------------------------------------------------- the game's tiles

namespace {

fs::path builtTile(int g) {
  return fs::path(DUSKWARREN_GAME_DIR) / "tiles" / tileLeafName(g);
}

Image builtPicture(int g) {
  TileFile tile = parseTileFile(readAll(builtTile(g)));
  auto image = tileImage(tile);
  return image ? *image : Image{};
}

// The glyphs the game shows on the map and in the status lines.
const std::vector<int> mapGlyphs = {176, 219, 247, 45,  254, 35,  178, 177, 248, 236,
                                    244, 231, 241, 253, 240, 243, 224, 227, 249, 120};
// The characters of the title " { DUSKWARREN }".
const std::vector<int> titleGlyphs = {123, 125, 68, 85, 83, 75, 87, 65, 82, 69, 78};

int differingPixels(const Image& a, const Image& b) {
  int n = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] != b.pixels[i];
  return n;
}

// Perceived brightness 0..255 of a game colour.
double brightness(int colour) {
  Rgb c = gameColour(colour);
  return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

}  // namespace

TEST(BuiltTiles, EveryGlyphHasAValidEightByEightPicture) {
  Image sheet = readPicturePng(DUSKWARREN_TILE_SHEET);
  for (int g = 0; g < 256; ++g) {
    SCOPED_TRACE(g);
    ASSERT_TRUE(fs::exists(builtTile(g))) << builtTile(g);
    std::string bytes = readAll(builtTile(g));
    EXPECT_EQ(bytes.size(), 43u);
    TileFile tile = parseTileFile(bytes);
    ASSERT_EQ(tile.kind, TileFile::Kind::picture);
    ASSERT_EQ(tile.width, 8);
    ASSERT_EQ(tile.height, 8);
    auto image = tileImage(tile);
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->width, 8);
    ASSERT_EQ(image->height, 8);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        int p = getPixel(*image, x, y);
        EXPECT_LE(p, 15);
        // The build is up to date with the sheet.
        EXPECT_EQ(p, getPixel(sheet, (g % 16) * 8 + x, (g / 16) * 8 + y)) << x << "," << y;
      }
    }
  }
}

TEST(BuiltTiles, ShownGlyphsAreDistinctAndDrawnForTheGame) {
  std::vector<int> shown = mapGlyphs;
  shown.insert(shown.end(), titleGlyphs.begin(), titleGlyphs.end());
  std::vector<Image> pictures;
  for (int g : shown) pictures.push_back(builtPicture(g));
  for (std::size_t i = 0; i < shown.size(); ++i) {
    ASSERT_EQ(pictures[i].width, 8) << shown[i];
    // Drawn for the game, not the plain font glyph in grey.
    Image font(8, 8);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) {
        bool ink = fontGlyphs()[static_cast<std::size_t>(shown[i])][y] & (0x80 >> x);
        setPixel(font, x, y, ink ? 7 : 0);
      }
    }
    EXPECT_GE(differingPixels(pictures[i], font), 4) << shown[i];
    for (std::size_t j = i + 1; j < shown.size(); ++j) {
      // The map's pictures differ widely; the title letters only need to.
      bool mapPair = i < mapGlyphs.size() && j < mapGlyphs.size();
      // Floor and the not-yet-seen mark are both nearly black (checked below).
      bool darkPair = (shown[i] == 219 && shown[j] == 249) || (shown[i] == 249 && shown[j] == 219);
      EXPECT_GE(differingPixels(pictures[i], pictures[j]), mapPair && !darkPair ? 8 : 4)
          << shown[i] << " and " << shown[j] << " look alike";
    }
  }
}

TEST(BuiltTiles, FloorIsDarkAndThingsOnItStandOut) {
  Image floor = builtPicture(219);
  double total = 0;
  for (auto p : floor.pixels) total += brightness(p);
  EXPECT_LT(total / 64, 24.0) << "the floor should be dark";
  // Rock and the not-yet-seen mark are far apart.
  EXPECT_GE(differingPixels(builtPicture(176), builtPicture(249)), 32);
  // Floor and the not-yet-seen mark are both dark, so they differ in colour:
  // the mark's colours other than black are not the floor's.
  std::set<int> floorColours(floor.pixels.begin(), floor.pixels.end());
  Image unseen = builtPicture(249);
  bool marked = false;
  for (auto p : unseen.pixels) {
    if (p == 0) continue;
    marked = true;
    EXPECT_EQ(floorColours.count(p), 0u) << "colour " << int{p} << " is in floor and unseen";
  }
  EXPECT_TRUE(marked);
  // Items, monsters and the hero put at least 12 bright pixels on the floor.
  for (int g : {248, 236, 244, 231, 241, 253, 240, 243, 224, 227, 120, 247}) {
    Image thing = builtPicture(g);
    int bright = 0;
    for (std::size_t i = 0; i < thing.pixels.size(); ++i) {
      bright += thing.pixels[i] != floor.pixels[i] && brightness(thing.pixels[i]) >= 60;
    }
    EXPECT_GE(bright, 12) << g;
  }
}
