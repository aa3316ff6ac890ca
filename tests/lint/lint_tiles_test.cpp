// The tile checks: what a tile file gives, and the tiles folder as a whole.
#include <gtest/gtest.h>

#include "GameFolder.h"
#include "TileCheck.h"

namespace dw::lint::test {
namespace {

std::string tileHead(int id, int width, int height) {
  std::string head(11, '\0');
  head[0] = static_cast<char>(id);
  head[7] = static_cast<char>(width & 0xFF);
  head[8] = static_cast<char>(width >> 8);
  head[9] = static_cast<char>(height & 0xFF);
  head[10] = static_cast<char>(height >> 8);
  return head;
}

TEST(TileVerdict, ValidAndInvalidTileFiles) {
  TileVerdict plain = judgeTile(tileHead(253, 8, 8), 43);
  EXPECT_TRUE(plain.valid);
  EXPECT_TRUE(plain.notes.empty());

  EXPECT_EQ(judgeTile("", 0).problem, "the file is empty");
  EXPECT_EQ(judgeTile(tileHead(0, 8, 8), 43).problem,
            "the file starts with the byte 0 where a tile file has 253");
  EXPECT_FALSE(judgeTile(tileHead(253, 0, 8), 11).valid);
  // Bit 15 of a dimension is not part of it.
  EXPECT_FALSE(judgeTile(tileHead(253, 0x8000, 8), 11).valid);

  TileVerdict cut = judgeTile(tileHead(253, 8, 8), 20);
  ASSERT_TRUE(cut.valid);
  ASSERT_EQ(cut.notes.size(), 1u);
  EXPECT_EQ(cut.notes[0],
            "the file holds 20 bytes, but a 8 x 8 tile needs 43: the missing pixels "
            "show as colour 0");
  EXPECT_NE(judgeTile(tileHead(253, 8, 8), 50).notes.at(0).find("the rest is never read"),
            std::string::npos);

  TileVerdict wide = judgeTile(tileHead(253, 12, 8), 11 + 8 * 4 * 2);
  ASSERT_EQ(wide.notes.size(), 1u);
  EXPECT_NE(wide.notes[0].find("12 x 8 pixels; cells are 8 x 8, so it spills over"),
            std::string::npos);
  TileVerdict odd = judgeTile(tileHead(253, 25, 25), 11 + 25 * 4 * 4);
  EXPECT_NE(odd.notes.at(0).find("drops its 25th row and column"), std::string::npos);
  EXPECT_NE(judgeTile(tileHead(253, 4, 4), 11 + 16).notes.at(0).find("leaves part of its cell"),
            std::string::npos);
}

TEST(TileFolder, EveryDrawnGlyphNeedsAValidTile) {
  GameFolder folder;
  folder.remove("tiles/241b0808.til");
  folder.write("tiles/120b0808.til", "not a tile");
  folder.write("tiles/249B0808.TIL", folder.read("tiles/176b0808.til"));
  folder.remove("tiles/249b0808.til");
  LintRun run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(
      run.has({"tiles/241b0808.til: error: missing: the game draws a dotted placeholder "
               "for the tile of glyph 241 (Mystic Orb, and the Mp icon)"}))
      << run.all();
  EXPECT_TRUE(
      run.has({"tiles/120b0808.til: error: the file starts with the byte 110 where a tile "
               "file has 253, so the game draws nothing for the tile of glyph 120 (the "
               "hero)"}));
  EXPECT_TRUE(run.has({"tiles/249b0808.til: error: missing"}));
  // Where file names ignore case (Windows), removing the lower-case name took
  // the upper-case file too; where they keep case, it is named.
  if (std::filesystem::exists(folder.path() / "tiles/249B0808.TIL")) {
    EXPECT_TRUE(run.has({"tiles/249b0808.til: error: missing", "(there is '249B0808.TIL'"}));
    EXPECT_FALSE(run.has({"249B0808.TIL: warning"}));
  }
}

TEST(TileFolder, OtherTilesAreWarnedAboutOnlyWhenBroken) {
  GameFolder folder;
  folder.write("tiles/100b0808.til", "");
  folder.write("tiles/101b0808.til", folder.read("tiles/176b0808.til"));
  folder.write("tiles/1000b0808.til", folder.read("tiles/176b0808.til"));
  folder.write("tiles/notes.txt", "anything");
  LintRun run = runLintOn(folder.path());
  EXPECT_EQ(run.exitCode, 0) << run.all();
  EXPECT_TRUE(
      run.has({"tiles/100b0808.til: warning: the file is empty, so it would give no "
               "picture for glyph 100"}));
  EXPECT_TRUE(run.has({"tiles/1000b0808.til: warning: the game never reads this file"}));
  EXPECT_FALSE(run.has({"101b0808"}));
  EXPECT_FALSE(run.has({"notes.txt"}));

  folder.remove("tiles");
  run = runLintOn(folder.path());
  ASSERT_EQ(run.lines.size(), 1u) << run.all();
  EXPECT_TRUE(
      run.has({"tiles/: error: missing: the game draws a dotted placeholder for every "
               "glyph"}));
}

}  // namespace
}  // namespace dw::lint::test
