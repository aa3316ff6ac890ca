// Broken tile files: the game starts and plays on, and each draws as its
// format says (nothing, the bits that are there, or as much as a page shows).
#include <gtest/gtest.h>

#include "BadInputGame.h"
#include "core/Tiles.h"

namespace dw::badinput {
namespace {

std::string tileHeader(int width, int height) {
  std::string bytes(11, '\0');
  bytes[0] = static_cast<char>(253);
  bytes[7] = static_cast<char>(width & 0xFF);
  bytes[8] = static_cast<char>((width >> 8) & 0xFF);
  bytes[9] = static_cast<char>(height & 0xFF);
  bytes[10] = static_cast<char>((height >> 8) & 0xFF);
  return bytes;
}

// The 8 x 8 pixels of text cell (row, col) as shown for the last key.
std::vector<std::uint8_t> shownCell(const PlayedGame& played, int row, int col) {
  std::vector<std::uint8_t> cell;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      cell.push_back(
          played.observer.lastShown[(8 * (row - 1) + y) * Screen::width + 8 * (col - 1) + x]);
    }
  }
  return cell;
}

std::vector<std::uint8_t> shippedTile(std::uint8_t g) {
  auto image = tileImage(parseTileFile(shippedFile(tileFileName(g))));
  if (!image) return {};
  return std::vector<std::uint8_t>(image->pixels.begin(), image->pixels.begin() + 64);
}

// Plays a few moves with the hero's tile replaced.
std::unique_ptr<PlayedGame> playWithHeroTile(const std::string& bytes) {
  GameFolder folder;
  folder.write(tileFileName(glyph::hero), bytes);
  auto played = play(folder, seedOneKeys("8866224488662244"));
  EXPECT_EQ(played->exitCode, 0);
  EXPECT_EQ(played->game.endReason, EndReason::quit);
  for (const auto& failure : played->observer.failures()) ADD_FAILURE() << failure;
  return played;
}

// With no hero picture the cell keeps the picture of what lies under him.
void expectHeroCellShowsItsGround(const PlayedGame& played) {
  ASSERT_FALSE(played.observer.records.empty());
  const CycleRecord& last = played.observer.records.back();
  const std::uint8_t ground = played.game.classify(last.heroRow, last.heroCol).classGlyph;
  EXPECT_EQ(shownCell(played, last.heroRow, last.heroCol), shippedTile(ground));
}

TEST(BrokenTiles, AWrongFirstByteDrawsNothing) {
  std::string bytes = shippedFile(tileFileName(glyph::hero));
  ASSERT_FALSE(bytes.empty());
  bytes[0] = static_cast<char>(252);
  expectHeroCellShowsItsGround(*playWithHeroTile(bytes));
}

TEST(BrokenTiles, ZeroByZeroDrawsNothing) {
  expectHeroCellShowsItsGround(*playWithHeroTile(tileHeader(0, 0) + std::string(32, '\xFF')));
}

TEST(BrokenTiles, ATruncatedFileGivesColourZeroForTheMissingBits) {
  // Row 0 and row 1 have all four planes (colour 15), row 2 only plane 0
  // (colour 1), and the rest of the tile is missing.
  auto played = playWithHeroTile(tileHeader(8, 8) + std::string(9, '\xFF'));
  const CycleRecord& last = played->observer.records.back();
  std::vector<std::uint8_t> want(64, 0);
  for (int x = 0; x < 16; ++x) want[x] = 15;
  for (int x = 16; x < 24; ++x) want[x] = 1;
  EXPECT_EQ(shownCell(*played, last.heroRow, last.heroCol), want);
}

TEST(BrokenTiles, A32767By32767TileCoversWhatThePageShowsAndStaysFast) {
  // Twenty rows of pixel data, all colour 15; the rest of the huge picture
  // is missing and reads as colour 0.
  const std::size_t rowBytes = 4 * ((32767 + 7) / 8);
  auto played = playWithHeroTile(tileHeader(32767, 32767) + std::string(20 * rowBytes, '\xFF'));
  EXPECT_LT(played->seconds, 60.0);
  const CycleRecord& last = played->observer.records.back();
  EXPECT_EQ(shownCell(*played, last.heroRow, last.heroCol), std::vector<std::uint8_t>(64, 15));
  // It reaches over the cell to the right of the hero as well.
  EXPECT_EQ(shownCell(*played, last.heroRow, last.heroCol + 1), std::vector<std::uint8_t>(64, 15));
}

TEST(BrokenTiles, EveryMapTileDeclaringTheLargestSizeStillPlays) {
  GameFolder folder;
  const std::string huge = tileHeader(32767, 32767) + std::string(64, '\x5A');
  for (std::uint8_t g : {glyph::rock, glyph::floor, glyph::stairs, glyph::openDoor, glyph::gate}) {
    folder.write(tileFileName(g), huge);
  }
  auto played = play(folder, standardKeys());
  EXPECT_EQ(played->exitCode, 0);
  for (const auto& failure : played->observer.failures()) ADD_FAILURE() << failure;
  EXPECT_LT(played->seconds, 120.0);
}

TEST(BrokenTiles, HugeTilesOnEveryCellSeenAtOnceCostNoMoreThanSmallOnes) {
  // Sight over the whole level draws every cell each cycle; with the map
  // tiles declaring 32767 x 32767 (and 210 rows of data, more than a page
  // shows) each draw must not decode a page's worth of pixels again.
  const std::string party = partyWithStatistics({"40", "5", "5", "30", "2000000000", "2000000000"});
  const std::string keys = seedOneKeys("88662244886622448866224488662244");
  GameFolder small;
  small.write("res\\party.dat", party);
  auto baseline = play(small, keys);

  GameFolder folder;
  const std::size_t rowBytes = 4 * ((32767 + 7) / 8);
  const std::string huge = tileHeader(32767, 32767) + std::string(210 * rowBytes, '\x5A');
  for (std::uint8_t g : {glyph::rock, glyph::floor, glyph::unseenGlyph, glyph::hero}) {
    folder.write(tileFileName(g), huge);
  }
  folder.write("res\\party.dat", party);
  auto played = play(folder, keys);
  EXPECT_EQ(played->exitCode, 0);
  for (const auto& failure : played->observer.failures()) ADD_FAILURE() << failure;
  EXPECT_EQ(played->exitCode, baseline->exitCode);
  // Decoding each draw anew made this run forty times slower than with the
  // shipped tiles: the part a page can show is decoded once, when the file
  // is read, and every draw puts that.
  const TileFile parsed = parseTileFile(huge);
  EXPECT_EQ(parsed.decoded.width, Screen::width);
  EXPECT_EQ(parsed.decoded.height, Screen::height);
  // The hero's cell shows the top-left 8 x 8 pixels of his picture: rows of
  // bytes 0x5A in all four planes give colours 0 and 15 in turn.
  const CycleRecord& last = played->observer.records.back();
  const std::vector<std::uint8_t> want = {0, 15, 0, 15, 15, 0, 15, 0};
  const auto cell = shownCell(*played, last.heroRow, last.heroCol);
  for (int y = 0; y < 8; ++y) {
    EXPECT_EQ(std::vector<std::uint8_t>(cell.begin() + 8 * y, cell.begin() + 8 * y + 8), want);
  }
}

}  // namespace
}  // namespace dw::badinput
