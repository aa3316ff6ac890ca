// What a screen reader is told of a turn beside its message line: read from
// the state before and after the rules' own casts, nothing of the rules
// changed.
#include "shell/TurnNotes.h"

#include <gtest/gtest.h>

#include "support/TestGame.h"
#include "support/WorldHelpers.h"
#include "world/Effects.h"
#include "world/Spells.h"

namespace dw::test {
namespace {

struct TurnNoteTest : ::testing::Test, TestGame {
  TurnNoteTest() {
    setMember(1, 20, 2, 2, 40, 4, 3);
    s().memberNames[1] = "Old Hesk";
    s().levelNumber = 1;
    for (int row = 8; row <= 12; ++row) putRows(game, row, 8, {std::string(5, '.')});
    placeHero(10, 10);
  }
  // The note of a key whose rule ran as the play loop runs it.
  std::string noteOf(const std::string& key, bool (*rule)(Game&)) {
    TurnSnapshot before = snapshotOf(game);
    s().messageLine = "";
    s().lastKey = key;
    rule(game);
    return turnNote(before, game);
  }
};

TEST_F(TurnNoteTest, TinkerHealBombsAndUnknownSpellsAreToldWhereTheLineIsSilent) {
  s().memberSpells[1][spell::tinker] = 1;
  s().memberSpellLevels[1][spell::tinker] = 1;
  s().spellMaxLevel[spell::tinker] = 1;  // every roll succeeds
  auto tinker = [](Game& g) { return castSpell(g, spell::tinker); };
  putRows(game, 10, 9, {"+.+"});
  EXPECT_EQ(noteOf("t", tinker), "2 doors opened");
  EXPECT_EQ(rowText(game, 10, 9, 11), "-.-");
  EXPECT_EQ(noteOf("t", tinker), "No door opened");

  // A Heal whose maximum level is 0 heals nobody.
  s().memberSpells[1][spell::heal] = 1;
  s().spellMaxLevel[spell::heal] = 0;
  s().memberStats[1][stat::hp] = 5;
  EXPECT_EQ(noteOf("h", [](Game& g) { return castSpell(g, spell::heal); }),
            "The Heal raised no Hp");

  s().bombs = 0;
  EXPECT_EQ(noteOf("b", useBomb), "No Bombs: the turn is spent");
  EXPECT_EQ(noteOf("w", [](Game& g) { return castSpell(g, spell::warp); }),
            "Old Hesk does not know Warp: the turn is spent");
  // A Bomb set off says so itself.
  s().bombs = 1;
  EXPECT_EQ(noteOf("b", useBomb), "");
}

}  // namespace
}  // namespace dw::test
