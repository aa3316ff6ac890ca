#include "data/ShopOffer.h"

#include <gtest/gtest.h>

#include "core/Game.h"
#include "support/MemoryTiles.h"
#include "support/ScreenText.h"

namespace dw {
namespace {

TEST(ShopOffer, ArticleMarksSteerThePluralAndThePlaceOfTheQuantity) {
  struct Case {
    const char* article;
    std::int32_t quantity;
    const char* description;
  };
  const Case cases[] = {
      {" bomb", 3, "3 bombs"}, {" bomb", 1, "1 bomb"},   {" bomb", 0, "0 bomb"},
      {" box", 2, "2 boxes"},  {" box", 1, "1 box"},     {"hp+", 5, "hps+5"},
      {"hp+", 1, "hp+1"},      {"hp+", 0, "hp+0"},       {"ax+", 2, "axes+2"},
      {"ax+", 1, "ax+1"},      {"key'+", 5, "key'+5"},   {"x'+", 2, "x'+2"},
      {"'+", 3, "'+3"},        {"+x", 2, "2+xes"},       {"%%", 0, "0%%"},
      {"%%", 2, "2%%s"},       {" bomb", -2, "-2 bomb"}, {" gem", 2147483647, "2147483647 gems"}};
  for (const Case& c : cases) {
    EXPECT_EQ(shopDescription(c.article, c.quantity), c.description)
        << '"' << c.article << "\" x " << c.quantity;
  }
}

struct ShopGame {
  test::MemoryFilePlatform platform;
  Game game{platform};

  ShopGame() {
    platform.files["res\\shops.dat"] = test::crlfLines({
        "m0i/1703/m0s$=The SMITHY",
        "m0i/1703/m1s$= BOMB",
        "m0i/1703/m1i=30",
        "m0i/1703/m2i=3",
        "m0i/1718/m0s$=Crate Hall",
        "m0i/1718/m1s$= BOX",
        "m0i/1718/m1i=2.5",
        "m0i/1718/m2i=2",
        "m0i/1705/m0s$=Healer",
        "m0i/1705/m1s$=hp+",
        "m0i/1705/m1i=12",
        "m0i/1705/m2i=5",
    });
    game.loadTable("res\\shops.dat", game.shopTable);
  }
  std::string offer(int shop) {
    game.state.levelShop = shop;
    game.state.messageLine.clear();
    shopOffer(game);
    return game.state.messageLine;
  }
};

TEST(ShopOffer, TheLevelsShopRecordBecomesTheMessage) {
  ShopGame g;
  EXPECT_EQ(g.offer(3), "{the smithy: 30GP for 3 bombs}");
  EXPECT_EQ(g.offer(18), "{crate hall: 2GP for 2 boxes}");  // an upper-case X counts as x
  EXPECT_EQ(g.offer(5), "{healer: 12GP for hps+5}");
  EXPECT_EQ(g.offer(4), "{%%: 0GP for 0%%}");
}

TEST(ShopOffer, AMessageOfTheSameCycleIsKept) {
  ShopGame g;
  g.game.state.levelShop = 3;
  g.game.state.messageLine = "[Attacked by Orc][Hp -7]";
  shopOffer(g.game);
  EXPECT_EQ(g.game.state.messageLine, "[Attacked by Orc][Hp -7]");
}

TEST(ShopOffer, MissingShopFileGivesMarkersAndZeros) {
  test::MemoryFilePlatform platform;
  Game game(platform);
  game.loadTable("res\\shops.dat", game.shopTable);
  game.state.levelShop = 1;
  shopOffer(game);
  EXPECT_EQ(game.state.messageLine, "{%%: 0GP for 0%%}");
}

}  // namespace
}  // namespace dw
