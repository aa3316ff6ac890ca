// duskwarren-tiles: converts between PNG pictures and the game's tile files.
// Exit codes: 0 done, 2 bad use or bad input (the reason is on stderr).

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "TileConvert.h"
#include "cli/CommandLine.h"
#include "platform/SafeWrite.h"

namespace fs = std::filesystem;
using namespace dw;
using namespace dw::tiles;

namespace {

constexpr int exitBad = 2;

const char* const usageText =
    R"(Usage: duskwarren-tiles COMMAND [OPTIONS] ARGUMENTS

Converts between PNG pictures and Duskwarren tile files (NNNb0808.til: byte
253, width and height at bytes 8..11, then four bit planes per pixel row).

Commands:
  to-tile IN.png OUT.til   a PNG picture (up to 2048 x 2048) to a tile file
  to-png IN.til OUT.png    a tile file to a palette PNG of the 16 game colours
  split SHEET.png DIR      a 128 x 128 sheet (16 x 16 tiles of 8 x 8; glyph g at
                           column g % 16, row g / 16) to the 256 files
                           DIR/000b0808.til .. DIR/255b0808.til (DIR is made)
  join DIR SHEET.png       the 256 tile files of DIR back to a sheet
  check PATH...            checks tile files strictly; a folder must hold all
                           256 tiles as 8 x 8 pictures

Options (for to-tile and split):
  --tolerance N   how far (0..255 in each of red, green, blue) a pixel may be
                  from its nearest game colour; default 40. Pictures with
                  pixels farther from all 16 colours are refused.
  --indices       for a palette PNG, take palette indices 0..15 as the game
                  colours and ignore the palette's own colours
  -h, --help      this text
  --version       the release

PNG pixels with alpha below 128 become colour 0 (black). Written PNGs have a
16-entry palette holding the game colours, so palette index = game colour.
Options take their value as --opt N or --opt=N.
Exit status: 0 on success, 2 on any error (reason on stderr).
)";

struct Arguments {
  std::string command;
  std::vector<std::string> operands;
  PngOptions png;
};

// Reads --tolerance's value: a whole number 0..255.
int toleranceFrom(const std::string& value) {
  std::size_t used = 0;
  int n = -1;
  try {
    n = std::stoi(value, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != value.size() || value.empty() || n < 0 || n > 255) {
    throw ToolError(say("--tolerance needs a number 0..255, not '", value, "'"));
  }
  return n;
}

void needOperands(const Arguments& args, std::size_t n, const char* shape) {
  if (args.operands.size() != n) {
    throw ToolError(say("'", args.command, "' takes ", shape, " (see --help)"));
  }
}

void warnTrailing(const std::string& path, const TilePicture& picture) {
  if (picture.trailingBytes > 0) {
    std::cerr << "duskwarren-tiles: note: '" << path << "' has " << picture.trailingBytes
              << " bytes after its pixel data; they are ignored\n";
  }
  if (picture.image.width == 25 && picture.image.height == 25) {
    std::cerr << "duskwarren-tiles: note: the game shows a 25 x 25 tile as 24 x 24\n";
  }
}

int checkPath(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    for (int g = 0; g < 256; ++g) {
      fs::path file = fs::path(path) / tileLeafName(g);
      TilePicture picture = readTileFile(file);
      if (picture.image.width != tileSide || picture.image.height != tileSide) {
        throw ToolError(say(Quoted{file}, " is ", picture.image.width, " x ", picture.image.height,
                            ", not 8 x 8"));
      }
      warnTrailing(file.string(), picture);
    }
    std::cout << path << ": 256 tiles of 8 x 8, all valid\n";
    return 0;
  }
  TilePicture picture = readTileFile(path);
  warnTrailing(path, picture);
  const int width = picture.image.width, height = picture.image.height;
  if (width != tileSide || height != tileSide) {
    // The same words as duskwarren-lint: the game draws it, but not in one cell.
    std::cerr << "duskwarren-tiles: warning: '" << path << "' is " << width << " x " << height
              << " pixels; cells are 8 x 8, so it "
              << (width > tileSide || height > tileSide ? "spills over the neighbouring cells"
                                                        : "leaves part of its cell as it was")
              << "\n";
  }
  std::cout << path << ": tile of " << width << " x " << height << "\n";
  return 0;
}

int run(const Arguments& args) {
  if (args.command == "help") {
    std::cout << usageText;
    return 0;
  }
  if (args.command.empty()) {
    std::cerr << usageText;
    return exitBad;
  }
  const std::string& c = args.command;
  if (c == "to-tile") {
    needOperands(args, 2, "IN.png OUT.til");
    Image picture = readPicturePng(args.operands[0], args.png);
    writeTileFile(args.operands[1], picture);
    if (picture.width == 25 && picture.height == 25) {
      std::cerr << "duskwarren-tiles: note: the game shows a 25 x 25 tile as 24 x 24\n";
    }
  } else if (c == "to-png") {
    needOperands(args, 2, "IN.til OUT.png");
    TilePicture picture = readTileFile(args.operands[0]);
    warnTrailing(args.operands[0], picture);
    writePicturePng(args.operands[1], picture.image);
  } else if (c == "split") {
    needOperands(args, 2, "SHEET.png DIR");
    splitSheet(readPicturePng(args.operands[0], args.png), args.operands[1]);
  } else if (c == "join") {
    needOperands(args, 2, "DIR SHEET.png");
    writePicturePng(args.operands[1], joinSheet(args.operands[0]));
  } else if (c == "check") {
    if (args.operands.empty()) throw ToolError("'check' takes one or more tile files or folders");
    for (const auto& path : args.operands) checkPath(path);
  } else {
    throw ToolError(say("unknown command '", c, "' (see --help)"));
  }
  return 0;
}

int runTool(int argc, char** argv) {
  Arguments args;
  std::string tolerance;
  CLI::App app("", "duskwarren-tiles");
  cli::setUp(app, usageText);
  auto* toleranceOption = app.add_option("--tolerance", tolerance);
  auto* indicesOption = app.add_flag("--indices", args.png.paletteIndices);
  app.add_option("command", args.command);
  app.add_option("operands", args.operands);
  if (auto done = cli::parse(app, argc, argv, std::cout, std::cerr)) return *done;
  try {
    if (toleranceOption->count() > 0) args.png.tolerance = toleranceFrom(tolerance);
    bool pngOptions = toleranceOption->count() > 0 || indicesOption->count() > 0;
    if (pngOptions && args.command != "to-tile" && args.command != "split" &&
        args.command != "help") {
      throw ToolError("--tolerance and --indices apply to to-tile and split only");
    }
    return run(args);
  } catch (const ToolError& e) {
    std::cerr << "duskwarren-tiles: " << e.what() << "\n";
  } catch (const std::bad_alloc&) {
    std::cerr << "duskwarren-tiles: out of memory\n";
  } catch (const std::exception& e) {
    std::cerr << "duskwarren-tiles: " << e.what() << "\n";
  }
  return exitBad;
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit makes a write fail, like a full disk.
  dw::ignoreFileSizeSignal();
  int code = runTool(argc, argv);
  if (!cli::outputWritten("duskwarren-tiles", std::cerr)) return exitBad;
  return code;
}
