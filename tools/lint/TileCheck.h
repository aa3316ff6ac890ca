#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Report.h"

namespace dw::lint {

// A glyph the game draws from its tile file, and where it shows.
struct DrawnGlyph {
  int code;
  const char* use;
};
// The map's class glyphs, the unseen mark, the hero, the title letters and
// the status icons.
const std::vector<DrawnGlyph>& drawnGlyphs();

// What a tile file gives, judged from its first bytes and its size.
struct TileVerdict {
  bool valid = false;
  std::string problem;             // why it gives no picture, when not valid
  std::vector<std::string> notes;  // what is odd about a valid one
};
TileVerdict judgeTile(std::string_view head, std::uintmax_t fileSize);

// Checks tiles/ under the game folder: a valid tile for every drawn glyph,
// and any other tile file that the game would not draw.
void checkTiles(const std::filesystem::path& folder, const std::string& shownPrefix,
                Report& report);

}  // namespace dw::lint
