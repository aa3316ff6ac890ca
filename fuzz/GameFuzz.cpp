// The whole game: an input is a key sequence, the four data files and one
// tile file, the parts separated by the byte 30 (record separator):
//   keys RS party.dat RS spells.dat RS rose.dat RS shops.dat RS glyph tile
// A data file whose part is absent (fewer separators) is missing. The last
// part's first byte names the glyph whose tile file the rest of it replaces. The game runs
// on the headless backend from its start screen, with a typed seed, then
// at most 300 keys of the input, and every cycle is held to the invariants.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "support/Invariants.h"
#include "support/MemoryPlatform.h"

namespace {

constexpr char separator = 30;
constexpr std::size_t maxKeys = 300;
// Starts a game: "@", seed 1 and Enter at the prompt, then the key that
// ends the world set-up's wait.
constexpr std::string_view startKeys = "@1\r ";

// Small tiles of a colour per glyph: the game's drawing runs as usual, and no
// file on disk is needed.
std::shared_ptr<const dw::test::FileMap> plainTiles() {
  auto files = std::make_shared<dw::test::FileMap>();
  for (int g = 0; g < 256; ++g) {
    dw::Image tile = dw::createImage(8, 8);
    for (int i = 0; i < 64; ++i) tile.pixels[i] = static_cast<std::uint8_t>((g + i / 8) & 15);
    (*files)[dw::tileFileName(g)] = dw::encodeTileFile(tile);
  }
  (*files)["drivers\\mouse.bin"] = std::string(16, '\x90');
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto tiles = plainTiles();
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> parts;
  for (;;) {
    std::size_t end = rest.find(separator);
    parts.push_back(rest.substr(0, end));
    if (end == std::string_view::npos || parts.size() == 6) break;
    rest.remove_prefix(end + 1);
  }

  std::string keys(startKeys);
  keys += parts[0].substr(0, maxKeys);
  dw::test::MemoryPlatform platform(keys);
  platform.setShared(tiles);
  platform.setDiskFallback(false);
  const char* files[] = {"res\\party.dat", "res\\spells.dat", "res\\rose.dat", "res\\shops.dat"};
  for (std::size_t i = 0; i < 4; ++i) {
    if (i + 1 < parts.size()) platform.setFile(files[i], std::string(parts[i + 1]));
  }
  if (parts.size() == 6 && !parts[5].empty()) {
    platform.setFile(dw::tileFileName(static_cast<std::uint8_t>(parts[5][0])),
                     std::string(parts[5].substr(1)));
  }

  dw::Game game(platform);
  dw::test::InvariantChecker checker;
  game.observer = &checker;
  const int code = dw::runGame(game);

  if (!checker.ok()) {
    std::string report;
    for (const auto& f : checker.failures()) report += "\n  " + f;
    dw::fuzz::broken("invariants:" + report);
  }
  dw::fuzz::require(code == 0, "exit code " + std::to_string(code));
  dw::fuzz::require(!game.running(), "the game did not end");
  dw::fuzz::require(checker.levels() >= 1, "no level was generated");
  return 0;
}
