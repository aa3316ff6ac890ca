#include "data/ShopOffer.h"

#include "core/Game.h"
#include "core/NumberText.h"

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
  if (!s.messageLine.empty()) return;
  const std::string record = "m0i/" + std::to_string(1700LL + s.levelShop) + "/";
  const std::string title = lookupValue(record + "m0s$", game.shopTable);
  const std::string article = lookupValue(record + "m1s$", game.shopTable);
  const std::int32_t price = readNumber(lookupValue(record + "m1i", game.shopTable));
  const std::int32_t quantity = readNumber(lookupValue(record + "m2i", game.shopTable));
  s.messageLine = "{" + title + ": " + std::to_string(price) + "GP for " +
                  shopDescription(article, quantity) + "}";
}

}  // namespace dw
