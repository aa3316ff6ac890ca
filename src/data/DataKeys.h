#pragma once

#include <array>
#include <string>
#include <string_view>

namespace dw::datakey {

// The keys the game looks up in its data files, written once for the
// loaders and for duskwarren-lint. Members count 1..7, statistics 1..6,
// spells 1..6; lookups ignore the case of A..Z.

// res\party.dat
inline constexpr std::string_view memberHead = "party/8";
// party/8<member>0/nas: the member's name.
inline std::string memberName(int member) {
  return std::string(memberHead) + std::to_string(member) + "0/nas";
}
// party/8<member>/Stat/<statistic>: the statistic's maximum.
inline std::string memberStat(int member, int statistic) {
  return std::string(memberHead) + std::to_string(member) + "/Stat/" + std::to_string(statistic);
}
// party/8<member><spell + 1>/<spell word>: the start of a member's spell keys.
// The spell digit is the spell's number plus one.
inline std::string memberSpell(int member, int spellNumber, std::string_view word) {
  return std::string(memberHead) + std::to_string(member) + std::to_string(spellNumber + 1) + "/" +
         std::string(word);
}
// After memberSpell: the level (present, then its value) and whether the
// member knows the spell (present, then its value).
inline constexpr std::string_view levelPresent = "/e", levelValue = "+/e";
inline constexpr std::string_view knownPresent = "/k", knownValue = "+/k";
inline constexpr std::array<std::string_view, 4> memberSpellSuffixes = {levelPresent, levelValue,
                                                                        knownPresent, knownValue};

// res\spells.dat
// spell/906/<spell>/sas: the spell's word in the party keys.
inline std::string spellWord(int spellNumber) {
  return "spell/906/" + std::to_string(spellNumber) + "/sas";
}
// spell/906/<spell>/s: the maximum level the party file is read with.
inline std::string spellFirstMax(int spellNumber) {
  return "spell/906/" + std::to_string(spellNumber) + "/s";
}
// spell/<900 + spell>/sas: the spell's record, both its maximum level and
// the key of its display name.
inline std::string spellRecord(int spellNumber) {
  return "spell/" + std::to_string(900 + spellNumber) + "/sas";
}

// res\rose.dat
// rose(<direction>,<component>): a monster direction's row (1) or column (2)
// step.
inline std::string roseStep(int direction, int component) {
  return "rose(" + std::to_string(direction) + "," + std::to_string(component) + ")";
}

// res\shops.dat
// m0i/<1700 + shop>/<field>: the fields of a level's shop.
inline constexpr std::string_view shopTitle = "m0s$", shopArticle = "m1s$", shopPrice = "m1i",
                                  shopQuantity = "m2i";
inline std::string shopRecord(long long shop) {
  return "m0i/" + std::to_string(1700 + shop) + "/";
}
inline std::string shopField(long long shop, std::string_view field) {
  return shopRecord(shop) + std::string(field);
}

}  // namespace dw::datakey
