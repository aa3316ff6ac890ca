#include "core/KeyValue.h"

#include <gtest/gtest.h>

#include "core/Game.h"
#include "support/MemoryTiles.h"

namespace dw {
namespace {

KeyValueTable tableOf(std::string_view bytes) {
  KeyValueTable table;
  appendKeyValueText(bytes, table);
  return table;
}

TEST(KeyValueFile, LinesSplitAtCrLfAndTheFirstEqualsSign) {
  KeyValueTable table = tableOf(
      "a=b=c\r\n"
      "=x\r\n"
      "KEY=Value\r\n"
      "a title without the sign\r\n"
      "\r\n"
      " key = spaced \r\n"
      "dup=first\r\n"
      "DUP=second\r\n"
      "empty=\r\n"
      "last=line without an ending");
  ASSERT_EQ(table.entries.size(), 8u);
  EXPECT_EQ(table.entries[0].key, "a");
  EXPECT_EQ(table.entries[0].value, "b=c");
  EXPECT_EQ(table.entries[2].key, "KEY");  // kept as written, matched without case
  EXPECT_EQ(table.entries[2].value, "Value");

  EXPECT_EQ(lookupValue("a", table), "b=c");
  EXPECT_EQ(lookupValue("", table), "x");
  EXPECT_EQ(lookupValue("key", table), "value");
  EXPECT_EQ(lookupValue("kEy", table), "value");
  EXPECT_EQ(lookupValue(" key ", table), " spaced ");  // nothing trimmed
  EXPECT_EQ(lookupValue("key ", table), "%%");
  EXPECT_EQ(lookupValue("dup", table), "first");
  EXPECT_EQ(lookupValue("empty", table), "");
  EXPECT_EQ(lookupValue("last", table), "line without an ending");
  EXPECT_EQ(lookupValue("a title without the sign", table), "%%");
}

TEST(KeyValueFile, OnlyCrLfEndsALine) {
  KeyValueTable lf = tableOf("a=1\nb=2\nc=3\n");
  ASSERT_EQ(lf.entries.size(), 1u);
  EXPECT_EQ(lookupValue("a", lf), "1\nb=2\nc=3\n");
  EXPECT_EQ(lookupValue("b", lf), "%%");

  KeyValueTable cr = tableOf("a=1\rb=2\n\rc=3\r\n");
  ASSERT_EQ(cr.entries.size(), 1u);
  EXPECT_EQ(lookupValue("a", cr), "1\rb=2\n\rc=3");
}

TEST(KeyValueFile, KeysAndValuesMayHoldAnyByte) {
  using namespace std::string_literals;
  KeyValueTable table = tableOf("K\0ey=V\0al\xC4\r\n\x8E=\x8E\r\nk=plain"s);
  EXPECT_EQ(lookupValue("k\0EY"s, table), "v\0al\xC4"s);  // only A..Z change case
  EXPECT_EQ(lookupValue("k", table), "plain");
  EXPECT_EQ(lookupValue("\x8E", table), "\x8E");
  EXPECT_EQ(lookupValue("\x84", table), "%%");  // code-page letters keep their case
}

TEST(KeyValueFile, EmptyTableAndMissingFileAnswerTheMarker) {
  KeyValueTable empty;
  EXPECT_EQ(lookupValue("anything", empty), "%%");
  EXPECT_EQ(lookupValue("", empty), "%%");

  test::MemoryFilePlatform platform;
  Game game(platform);
  game.loadTable("res\\shops.dat", game.shopTable);
  EXPECT_TRUE(game.shopTable.entries.empty());
  EXPECT_EQ(platform.reads["res\\shops.dat"], 1);
  EXPECT_EQ(lookupValue("m0i/1701/m0s$", game.shopTable), "%%");

  // A later load of a file that is there still fills the table.
  platform.files["res\\shops.dat"] = "m0i/1701/m0s$=Inn";
  game.loadTable("res\\shops.dat", game.shopTable);
  EXPECT_EQ(lookupValue("m0i/1701/m0s$", game.shopTable), "inn");
}

TEST(KeyValueFile, ReloadingKeepsTheFirstValueOfEveryKey) {
  const std::string first = "a=1\r\nb=2\r\na=3";
  const std::string second = "b=changed\r\nc=new";

  KeyValueTable appended;
  appendKeyValueText(first, appended);
  appendKeyValueText(first, appended);
  EXPECT_EQ(appended.entries.size(), 6u);  // every line, every time
  EXPECT_EQ(lookupValue("a", appended), "1");

  // The game's own loads leave out keys the table already holds: the table
  // stays the same size from game to game and answers the same.
  KeyValueTable loaded;
  appendKeyValueText(first, loaded, true);
  EXPECT_EQ(loaded.entries.size(), 2u);
  appendKeyValueText(first, loaded, true);
  EXPECT_EQ(loaded.entries.size(), 2u);
  appendKeyValueText(second, loaded, true);
  EXPECT_EQ(loaded.entries.size(), 3u);
  for (KeyValueTable* t : {&appended, &loaded}) {
    appendKeyValueText(second, *t, t == &loaded);
    EXPECT_EQ(lookupValue("a", *t), "1");
    EXPECT_EQ(lookupValue("b", *t), "2");
    EXPECT_EQ(lookupValue("c", *t), "new");
  }
}

TEST(KeyValueFile, NamesAreUnquotedAndCapitalised) {
  EXPECT_EQ(unquoteName("\"the grey WANDERER\""), "The Grey Wanderer");
  EXPECT_EQ(unquoteName("THE DARK ONE"), "The Dark One");
  EXPECT_EQ(unquoteName("\""), "");
  EXPECT_EQ(unquoteName("\"\""), "");
  EXPECT_EQ(unquoteName("\"open"), "\"open");  // one quote is not a pair
  EXPECT_EQ(unquoteName("x\""), "X\"");
  EXPECT_EQ(unquoteName("\"\"inner\"\""), "\"inner\"");
  EXPECT_EQ(unquoteName("%%"), "%%");
  EXPECT_EQ(unquoteName(""), "");

  EXPECT_EQ(properName("DVD player"), "Dvd Player");
  EXPECT_EQ(properName("%%"), "%%");
  EXPECT_EQ(properName(" two  blanks"), " Two  Blanks");
  EXPECT_EQ(properName("half-orc o'neil"), "Half-orc O'neil");
  EXPECT_EQ(properName("\x84lf elf"), "\x84lf Elf");
}

}  // namespace
}  // namespace dw
