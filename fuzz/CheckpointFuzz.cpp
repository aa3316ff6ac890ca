// The checkpoint reader: any bytes read as a checkpoint, with the checksum
// at their end made right, so that what lies past it is explored. A
// checkpoint refused says why in one line; one taken holds a game that
// saves and restores to itself and plays on, from the key read it stands
// at, until the keys run out.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/Tiles.h"
#include "frame/RunGame.h"
#include "recording/Fingerprint.h"
#include "runs/CheckpointBytes.h"
#include "support/MemoryPlatform.h"

namespace {

using dw::fuzz::require;

// Keys that walk, cast, switch members, bomb and use what lies there.
constexpr std::string_view playKeys = "2468hv+-b 12 4488 cx 5tpfw\t66";

std::shared_ptr<const dw::test::FileMap> plainTiles() {
  auto files = std::make_shared<dw::test::FileMap>();
  for (int g = 0; g < 256; ++g) {
    dw::Image tile = dw::createImage(8, 8);
    for (int i = 0; i < 64; ++i) tile.pixels[i] = static_cast<std::uint8_t>((g + i / 8) & 15);
    (*files)[dw::tileFileName(g)] = dw::encodeTileFile(tile);
  }
  return files;
}

DW_FUZZ_CHECK_CODE std::string withRightChecksum(std::string_view bytes) {
  std::string out(bytes);
  if (out.size() < 8) return out;
  std::uint64_t sum =
      dw::fnv1a64(dw::fnv1a64Start, std::string_view(out).substr(0, out.size() - 8));
  for (int i = 0; i < 8; ++i) out[out.size() - 8 + i] = static_cast<char>(sum >> (8 * i));
  return out;
}

void check(std::string_view bytes, const std::shared_ptr<const dw::test::FileMap>& tiles) {
  dw::test::MemoryPlatform platform{std::string(playKeys)};
  platform.setShared(tiles);
  platform.setDiskFallback(false);
  dw::Game game(platform);
  dw::CheckpointPlace place;
  std::string why;
  if (!dw::restoreCheckpoint(bytes, game, place, why)) {
    require(!why.empty() && why.find('\n') == std::string::npos,
            "a refused checkpoint is not told in one line: " + why);
    return;
  }
  require(dw::checkedCheckpoint(game, place).has_value(),
          "a checkpoint taken does not save and restore to itself");
  dw::resumeGame(game);
  require(!game.running(), "the game did not end when its keys ran out");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto tiles = plainTiles();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check(bytes, tiles);
  check(withRightChecksum(bytes), tiles);
  return 0;
}
