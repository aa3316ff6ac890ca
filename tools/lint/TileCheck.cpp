#include "TileCheck.h"

#include <fstream>
#include <set>
#include <system_error>

#include "FolderFiles.h"
#include "core/KeyValue.h"
#include "core/Tiles.h"
#include "platform/Platform.h"

namespace dw::lint {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t headerBytes = 11;
constexpr int tileIdentification = 253;

int headByte(std::string_view head, std::size_t at) {
  return at < head.size() ? static_cast<unsigned char>(head[at]) : 0;
}
int headDimension(std::string_view head, std::size_t at) {
  return (headByte(head, at) | (headByte(head, at + 1) << 8)) & 0x7FFF;
}

// "tiles/NNNb0808.til", as the game's own name with "/" for "\".
std::string tileName(int code) {
  return hostPath(tileFileName(code));
}

// The glyph code of a tile file name the game can ask for, or -1.
int glyphOfName(std::string_view name) {
  if (name.size() != 12 || name.substr(3) != "b0808.til") return -1;
  int code = 0;
  for (char c : name.substr(0, 3)) {
    if (c < '0' || c > '9') return -1;
    code = code * 10 + (c - '0');
  }
  return code <= 255 ? code : -1;
}

std::string headOf(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char buffer[headerBytes] = {};
  in.read(buffer, headerBytes);
  return std::string(buffer, static_cast<std::size_t>(in ? headerBytes : in.gcount()));
}

void checkDrawnTile(const fs::path& tiles, const std::string& prefix, const DrawnGlyph& glyph,
                    Report& report) {
  const std::string name = tileName(glyph.code);
  const std::string fileName = name.substr(name.find('/') + 1);
  const std::string shownName = prefix + name;
  const std::string what =
      std::string("the tile of glyph ") + std::to_string(glyph.code) + " (" + glyph.use + ")";
  const fs::path path = tiles / fileName;
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) {
    std::string message = "missing: the game draws a dotted placeholder for " + what;
    if (auto variant = caseVariant(tiles, fileName)) {
      message += " (there is " + shown(*variant) + "; file names must match in case)";
    }
    report.error(shownName, 0, std::move(message));
    return;
  }
  if (!fs::is_regular_file(status)) {
    report.error(shownName, 0, "not a file: the game draws a dotted placeholder for " + what);
    return;
  }
  std::uintmax_t size = fs::file_size(path, ec);
  TileVerdict verdict = judgeTile(headOf(path), ec ? 0 : size);
  if (!verdict.valid) {
    report.error(shownName, 0, verdict.problem + ", so the game draws nothing for " + what);
    return;
  }
  for (std::string& note : verdict.notes) report.warning(shownName, 0, std::move(note));
}

// Tile files the game never draws: only a broken one, or one under a name
// the game never asks for, is worth a word.
void checkOtherTiles(const fs::path& tiles, const std::string& prefix, Report& report) {
  std::set<int> drawn;
  for (const DrawnGlyph& glyph : drawnGlyphs()) drawn.insert(glyph.code);
  // Listed by name, so that the report is the same on every system.
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(tiles, fs::directory_options::skip_permission_denied, ec), end;
       !ec && it != end; it.increment(ec)) {
    std::error_code kindError;
    if (it->is_regular_file(kindError)) names.insert(it->path().filename().string());
  }
  for (const std::string& name : names) {
    const std::string lower = lowerAscii(name);
    if (lower.size() < 4 || lower.substr(lower.size() - 4) != ".til") continue;
    const std::string shownName = prefix + "tiles/" + name;
    int code = glyphOfName(name);
    if (code < 0) {
      if (drawn.count(glyphOfName(lower)) > 0) continue;  // named in the missing-tile finding
      report.warning(shownName, 0,
                     "the game never reads this file: tile files are named NNNb0808.til, with "
                     "NNN a glyph code from 000 to 255");
      continue;
    }
    if (drawn.count(code) > 0) continue;
    std::error_code sizeError;
    std::uintmax_t size = fs::file_size(tiles / name, sizeError);
    TileVerdict verdict = judgeTile(headOf(tiles / name), sizeError ? 0 : size);
    if (!verdict.valid) {
      report.warning(
          shownName, 0,
          verdict.problem + ", so it would give no picture for glyph " + std::to_string(code));
    }
  }
}

}  // namespace

const std::vector<DrawnGlyph>& drawnGlyphs() {
  static const std::vector<DrawnGlyph> glyphs = {
      {176, "rock"},
      {219, "floor"},
      {247, "stairs, and the level icon"},
      {45, "open door"},
      {254, "locked door"},
      {35, "gate, and the Dp icon"},
      {178, "block wall"},
      {248, "gold pile, and the Gold icon"},
      {253, "Snake"},
      {240, "Orc"},
      {243, "Viperess"},
      {236, "Hp pickup, and the Hp icon"},
      {244, "Mp pickup"},
      {231, "treasure, and the Ap icon"},
      {241, "Mystic Orb, and the Mp icon"},
      {224, "Zombie"},
      {227, "Shadow"},
      {249, "mark of a cell not yet seen"},
      {120, "the hero"},
      {123, "title, '{'"},
      {125, "title, '}'"},
      {'D', "title, 'D'"},
      {'U', "title, 'U'"},
      {'S', "title, 'S'"},
      {'K', "title, 'K'"},
      {'W', "title, 'W'"},
      {'A', "title, 'A'"},
      {'R', "title, 'R'"},
      {'E', "title, 'E'"},
      {'N', "title, 'N'"},
  };
  return glyphs;
}

TileVerdict judgeTile(std::string_view head, std::uintmax_t fileSize) {
  TileVerdict verdict;
  if (fileSize == 0 || head.empty()) {
    verdict.problem = "the file is empty";
    return verdict;
  }
  if (headByte(head, 0) != tileIdentification) {
    verdict.problem = "the file starts with the byte " + std::to_string(headByte(head, 0)) +
                      " where a tile file has 253";
    return verdict;
  }
  const int width = headDimension(head, 7);
  const int height = headDimension(head, 9);
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width == 0 || height == 0) {
    verdict.problem = "the tile is " + size + " pixels, an empty picture";
    return verdict;
  }
  verdict.valid = true;
  const std::uintmax_t needed =
      headerBytes + static_cast<std::uintmax_t>(height) * 4 * ((width + 7) / 8);
  if (fileSize < needed) {
    verdict.notes.push_back("the file holds " + std::to_string(fileSize) + " bytes, but a " + size +
                            " tile needs " + std::to_string(needed) +
                            ": the missing pixels show as colour 0");
  } else if (fileSize > needed) {
    verdict.notes.push_back("the file holds " + std::to_string(fileSize) + " bytes, but a " + size +
                            " tile needs only " + std::to_string(needed) +
                            ": the rest is never read (is the size in the header right?)");
  }
  if (width != 8 || height != 8) {
    verdict.notes.push_back("the tile is " + size + " pixels; cells are 8 x 8, so it " +
                            (width > 8 || height > 8 ? "spills over the neighbouring cells"
                                                     : "leaves part of its cell as it was") +
                            (width == 25 && height == 25 ? " (and the game drops its 25th row "
                                                           "and column)"
                                                         : ""));
  }
  return verdict;
}

void checkTiles(const fs::path& folder, const std::string& shownPrefix, Report& report) {
  const fs::path tiles = folder / "tiles";
  std::error_code ec;
  if (!fs::is_directory(tiles, ec)) {
    std::string message = "missing: the game draws a dotted placeholder for every glyph";
    if (auto variant = caseVariant(folder, "tiles")) {
      message += " (there is " + shown(*variant) + "; folder names must match in case)";
    }
    report.error(shownPrefix + "tiles/", 0, std::move(message));
    return;
  }
  for (const DrawnGlyph& glyph : drawnGlyphs()) checkDrawnTile(tiles, shownPrefix, glyph, report);
  checkOtherTiles(tiles, shownPrefix, report);
}

}  // namespace dw::lint
