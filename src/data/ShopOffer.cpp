#include "data/ShopOffer.h"

#include "core/Game.h"
#include "core/NumberText.h"
#include "data/DataKeys.h"

namespace dw {

std::string shopDescription(const std::string& article, std::int32_t quantity) {
  const std::string q = std::to_string(quantity);
  const bool plural = quantity > 1;
  const std::size_t n = article.size();
  const bool endsPlus = n >= 1 && article[n - 1] == '+';
  if (n >= 2 && article.compare(n - 2, 2, "'+") == 0) return article + q;
  if (endsPlus && plural) {
    const bool afterX = n >= 2 && article[n - 2] == 'x';
    return article.substr(0, n - 1) + (afterX ? "es+" : "s+") + q;
  }
  if (endsPlus) return article + q;
  if (n >= 1 && plural) return q + article + (article[n - 1] == 'x' ? "es" : "s");
  return q + article;
}

void shopOffer(Game& game) {
  GameState& s = game.state;
  auto field = [&](std::string_view name) {
    return lookupValue(datakey::shopField(s.levelShop, name), game.shopTable);
  };
  const std::string title = field(datakey::shopTitle);
  const std::string article = field(datakey::shopArticle);
  const std::int32_t price = readNumber(field(datakey::shopPrice));
  const std::int32_t quantity = readNumber(field(datakey::shopQuantity));
  s.messageLine = "{" + title + ": " + std::to_string(price) + "GP for " +
                  shopDescription(article, quantity) + "}";
}

}  // namespace dw
