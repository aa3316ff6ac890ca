#include "ShopCheck.h"

#include <array>
#include <optional>
#include <unordered_set>

#include "core/KeyValue.h"
#include "data/ShopOffer.h"

namespace dw::lint {

namespace {

// The message line shows 36 cells; a longer offer runs over the status line.
constexpr std::size_t messageRoom = 36;

struct ShopField {
  const char* suffix;
  const char* consequence;
};
constexpr std::array<ShopField, 4> shopFields = {{
    {"/m0s$", "its name shows as '%%'"},
    {"/m1s$", "its article shows as '%%'"},
    {"/m1i", "its price reads as 0"},
    {"/m2i", "its quantity reads as 0"},
}};

std::string shopKey(int n, const ShopField& field) {
  return "m0i/" + std::to_string(1700 + n) + field.suffix;
}

bool endsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

void checkOffer(const DataFile& shops, int n, std::int32_t price, std::int32_t quantity,
                Report& report) {
  const DataEntry* articleEntry = shops.find(shopKey(n, shopFields[1]));
  const std::string article = lowerAscii(articleEntry->value);
  const std::string description = shopDescription(article, quantity);
  if (!endsWith(article, "+") && !article.empty() && article.front() != ' ') {
    std::string spaced = shopDescription(" " + article, quantity);
    report.warning(shops.name, articleEntry->line,
                   "shop " + std::to_string(n) + " offers " + shown(description) +
                       ": the quantity comes right before the article, so start the article "
                       "with a blank to read " +
                       shown(spaced));
  }
  const std::string offer = "{" + shops.lookup(shopKey(n, shopFields[0])) + ": " +
                            std::to_string(price) + "GP for " + description + "}";
  if (offer.size() > messageRoom) {
    report.warning(shops.name, articleEntry->line,
                   "the offer of shop " + std::to_string(n) + ", " + shown(offer) + ", is " +
                       std::to_string(offer.size()) + " characters long; the message line shows " +
                       std::to_string(messageRoom));
  }
}

void checkShop(const DataFile& shops, int n, Report& report) {
  std::array<const DataEntry*, 4> entries{};
  bool any = false;
  for (std::size_t f = 0; f < shopFields.size(); ++f) {
    entries[f] = shops.find(shopKey(n, shopFields[f]));
    any = any || entries[f] != nullptr;
  }
  const std::string shopText = "shop " + std::to_string(n);
  if (!any) {
    report.error(shops.name, 0,
                 shopText + " has no record (m0i/" + std::to_string(1700 + n) +
                     "/m0s$, /m1s$, /m1i, /m2i): its offer reads {%%: 0GP for 0%%}");
    return;
  }
  std::array<std::optional<std::int32_t>, 2> numbers;
  for (std::size_t f = 0; f < shopFields.size(); ++f) {
    const std::string key = shopKey(n, shopFields[f]);
    if (entries[f] == nullptr) {
      report.error(shops.name, 0,
                   missingKeyMessage(shops, key, shopText + ": " + shopFields[f].consequence));
      continue;
    }
    if (f < 2) continue;
    const char* what = f == 2 ? "price" : "quantity";
    auto& number = numbers[f - 2];
    number = checkedNumber(shops, *entries[f], shopText + "'s " + what, Level::error, report);
    if (number && *number < 0) {
      report.warning(shops.name, entries[f]->line,
                     shopText + "'s " + what + " is negative (" + std::to_string(*number) + ")");
    }
  }
  if (entries[0] && entries[1] && numbers[0] && numbers[1]) {
    checkOffer(shops, n, *numbers[0], *numbers[1], report);
  }
}

}  // namespace

void checkShops(const DataFile& shops, Report& report) {
  std::unordered_set<std::string> known;
  for (int n = 1; n <= shopCount; ++n) {
    checkShop(shops, n, report);
    for (const ShopField& field : shopFields) known.insert(lowerAscii(shopKey(n, field)));
  }
  reportUnreadKeys(shops, known, report);
}

}  // namespace dw::lint
