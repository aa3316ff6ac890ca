#include "PartyCheck.h"

#include <array>
#include <optional>
#include <unordered_set>

#include "core/KeyValue.h"

namespace dw::lint {

namespace {

constexpr std::array<const char*, 7> statTitles = {"", "Hp", "Ap", "Dp", "Mp", "sight", "sense"};
// A longer name runs under the first status line.
constexpr std::size_t nameRoom = 13;

std::string memberText(int j) {
  return "member " + std::to_string(j);
}
std::string nameKey(int j) {
  return "party/8" + std::to_string(j) + "0/nas";
}
std::string statKey(int j, int k) {
  return "party/8" + std::to_string(j) + "/Stat/" + std::to_string(k);
}
// The spell digit in the party keys is the spell's number plus one.
std::string spellPrefix(int j, int i, const std::string& word) {
  return "party/8" + std::to_string(j) + std::to_string(i + 1) + "/" + word;
}

std::optional<std::string> checkName(const DataFile& party, int j, Report& report) {
  const DataEntry* entry = party.find(nameKey(j));
  if (entry == nullptr) {
    report.error(party.name, 0,
                 missingKeyMessage(party, nameKey(j), memberText(j) + " is named '%%'"));
    return std::nullopt;
  }
  std::string name = unquoteName(lowerAscii(entry->value));
  if (name.empty()) {
    report.warning(party.name, entry->line, memberText(j) + "'s name is empty");
  } else if (name.size() > nameRoom) {
    report.warning(party.name, entry->line,
                   memberText(j) + "'s name " + shown(name) + " is " + std::to_string(name.size()) +
                       " characters long; past " + std::to_string(nameRoom) +
                       " it runs under the status line");
  }
  return name;
}

void checkStats(const DataFile& party, int j, Report& report) {
  for (int k = 1; k <= 6; ++k) {
    const std::string key = statKey(j, k);
    const std::string what = memberText(j) + "'s " + statTitles[k] + " maximum";
    const DataEntry* entry = party.find(key);
    if (entry == nullptr) {
      report.error(
          party.name, 0,
          missingKeyMessage(party, key,
                            what + " reads as 0" + (k == 1 ? ", so the member never acts" : "")));
      continue;
    }
    auto value = checkedNumber(party, *entry, what, Level::error, report);
    if (!value) continue;
    if (*value < 0) {
      report.error(party.name, entry->line,
                   what + " is negative (" + std::to_string(*value) +
                       "): the game holds the statistic at 0");
    } else if (k == 1 && *value == 0) {
      report.warning(party.name, entry->line,
                     memberText(j) + " has an Hp maximum of 0 and so never acts");
    }
  }
}

struct SpellKeys {
  const DataEntry* flag = nullptr;   // P + "/e" or P + "/k": only its presence counts
  const DataEntry* value = nullptr;  // P + "+/e" or P + "+/k": the number
};

// The level (or the known mark) that a pair of keys gives: the number under
// the "+" key, and 0 unless both keys are there.
std::int32_t pairValue(const DataFile& party, const SpellKeys& keys, const std::string& prefix,
                       char kind, const std::string& outcome, Report& report) {
  const std::string flagKey = prefix + "/" + kind;
  const std::string valueKey = prefix + "+/" + kind;
  if (keys.flag != nullptr && keys.value == nullptr) {
    report.warning(party.name, keys.flag->line,
                   "there is " + flagKey + " but no " + valueKey + ", so " + outcome +
                       blankKeyHint(party, valueKey));
    return 0;
  }
  if (keys.flag == nullptr && keys.value != nullptr) {
    report.warning(party.name, keys.value->line,
                   valueKey + " counts only together with " + flagKey + ", which is missing, so " +
                       outcome + blankKeyHint(party, flagKey));
    return 0;
  }
  if (keys.flag == nullptr) return 0;
  NumberReading flagValue = readDataNumber(keys.flag->value);
  if (flagValue.isNumber && flagValue.value == 0) {
    report.warning(party.name, keys.flag->line,
                   flagKey +
                       " is 0, but the game only asks whether the key is there, not what "
                       "it holds (remove both keys to mean none)");
  }
  return checkedNumber(party, *keys.value, valueKey, Level::warning, report).value_or(0);
}

// Returns whether the member knows the spell.
bool checkMemberSpell(const DataFile& party, int j, int i, const SpellBook& spells,
                      Report& report) {
  const std::string prefix = spellPrefix(j, i, spells.words[i]);
  const std::string title = spellTitles[i];
  SpellKeys level{party.find(prefix + "/e"), party.find(prefix + "+/e")};
  SpellKeys known{party.find(prefix + "/k"), party.find(prefix + "+/k")};
  std::int32_t levelValue =
      pairValue(party, level, prefix, 'e', memberText(j) + "'s " + title + " level is 0", report);
  std::int32_t knownValue =
      pairValue(party, known, prefix, 'k', memberText(j) + " does not know " + title, report);
  if (levelValue < 0) {
    report.warning(party.name, level.value->line,
                   memberText(j) + "'s " + title + " level is negative");
  }
  if (spells.maxLevelKnown[i] && levelValue > spells.maxLevels[i]) {
    report.warning(party.name, level.value->line,
                   memberText(j) + "'s " + title + " level " + std::to_string(levelValue) +
                       " is above the spell's maximum " + std::to_string(spells.maxLevels[i]) +
                       ": the first Mystic Orb that picks it lowers it" +
                       (i == 5 ? ", and Heal restores more than the full Hp" : ""));
  }
  if (knownValue <= 0) return false;
  if (knownValue != 1) {
    report.warning(party.name, known.value->line,
                   prefix + "+/k is " + std::to_string(knownValue) + ": " + memberText(j) +
                       " knows " + title + ", but the Mystic Orb raises only spells marked 1");
  }
  if (i == 5 && levelValue <= 0) {
    report.warning(party.name, known.value->line,
                   memberText(j) + " knows Heal at level " + std::to_string(levelValue) +
                       ", which restores no Hp");
  }
  return true;
}

// party/8<member><digit>/<word>/e and the like.
bool looksLikeSpellKey(std::string_view key) {
  constexpr std::string_view head = "party/8";
  return key.substr(0, head.size()) == head && key.size() > head.size() + 3 &&
         key[head.size() + 1] >= '1' && key[head.size() + 1] <= '9' && key[head.size() + 2] == '/';
}

// Why a key that looks like a party key is not one the game reads.
std::string explainPartyKey(std::string_view key, const SpellBook& spells) {
  constexpr std::string_view head = "party/8";
  if (key.substr(0, head.size()) != head || key.size() < head.size() + 3) return "";
  std::string_view rest = key.substr(head.size());
  const char member = rest[0];
  if (member < '1' || member > '7') return ": the party has members 1..7";
  if (rest.substr(1, 6) == "/stat/") return ": the statistics are numbered 1..6";
  if (rest[1] < '0' || rest[1] > '9' || rest[2] != '/') return "";
  if (rest[1] == '0') return std::string(": the name key is party/8") + member + "0/nas";
  std::string_view word = rest.substr(3);
  bool suffixFound = false;
  for (std::string_view suffix : {"+/e", "+/k", "/e", "/k"}) {
    if (word.size() >= suffix.size() && word.substr(word.size() - suffix.size()) == suffix) {
      word.remove_suffix(suffix.size());
      suffixFound = true;
      break;
    }
  }
  if (!suffixFound) return ": spell keys end in /e, +/e, /k or +/k";
  if (!spells.present) return "";
  for (int i = 1; i <= spellCount; ++i) {
    if (spells.words[i] != word) continue;
    return ": " + shown(word) + " is the word of spell " + std::to_string(i) + " (" +
           spellTitles[i] + "), whose keys use the digit " + std::to_string(i + 1) +
           " (the spell's number plus one), as in party/8" + std::string(1, member) +
           std::to_string(i + 1) + "/" + std::string(word) + "/k";
  }
  std::string words;
  for (int i = 1; i <= spellCount; ++i) words += (i > 1 ? ", " : "") + spells.words[i];
  return ": no spell has the word " + shown(word) + " (the spell file gives " + words + ")";
}

}  // namespace

void checkParty(const DataFile& party, const SpellBook& spells, Report& report) {
  std::unordered_set<std::string> known;
  std::array<bool, spellCount + 1> anyoneKnows{};
  std::array<std::optional<std::string>, partySize + 1> names;
  for (int j = 1; j <= partySize; ++j) {
    names[j] = checkName(party, j, report);
    checkStats(party, j, report);
    known.insert(lowerAscii(nameKey(j)));
    for (int k = 1; k <= 6; ++k) known.insert(lowerAscii(statKey(j, k)));
    if (!spells.present) continue;
    for (int i = 1; i <= spellCount; ++i) {
      if (spells.words[i] == missingValue) continue;
      if (checkMemberSpell(party, j, i, spells, report)) anyoneKnows[i] = true;
      const std::string prefix = spellPrefix(j, i, spells.words[i]);
      for (const char* suffix : {"/e", "+/e", "/k", "+/k"}) known.insert(prefix + suffix);
    }
  }
  for (int j = 2; j <= partySize; ++j) {
    for (int other = 1; other < j && names[j]; ++other) {
      if (names[other] && !names[j]->empty() && *names[other] == *names[j]) {
        report.warning(party.name, party.find(nameKey(j))->line,
                       memberText(j) + " has the same name as " + memberText(other) + ", " +
                           shown(*names[j]) + ": the party messages cannot tell them apart");
        break;
      }
    }
  }
  for (int i = 1; spells.present && i <= spellCount; ++i) {
    if (!anyoneKnows[i] && spells.words[i] != missingValue) {
      report.warning(party.name, 0,
                     std::string("no member knows ") + spellTitles[i] +
                         " at the start of a game; only the Mystic Orb can teach it");
    }
  }
  if (!spells.present) {
    // Without the spell file no spell key can match; that file's own finding
    // says so, once.
    for (const DataEntry& entry : party.entries) {
      if (looksLikeSpellKey(lowerAscii(entry.key))) known.insert(lowerAscii(entry.key));
    }
  }
  reportUnreadKeys(party, known, report,
                   [&](std::string_view key) { return explainPartyKey(key, spells); });
}

}  // namespace dw::lint
