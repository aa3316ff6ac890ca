#include "SpellCheck.h"

#include <cmath>
#include <unordered_set>

#include "core/KeyValue.h"
#include "core/NumberText.h"

namespace dw::lint {

namespace {

std::string wordKey(int i) {
  return "spell/906/" + std::to_string(i) + "/sas";
}
std::string firstMaxKey(int i) {
  return "spell/906/" + std::to_string(i) + "/s";
}
std::string recordKey(int i) {
  return "spell/" + std::to_string(900 + i) + "/sas";
}

void checkWord(const DataFile& spells, int i, SpellBook& book, Report& report) {
  const std::string key = wordKey(i);
  const DataEntry* entry = spells.find(key);
  book.words[i] = spells.lookup(key);
  if (entry == nullptr) {
    report.error(
        spells.name, 0,
        missingKeyMessage(spells, key,
                          std::string("spell ") + std::to_string(i) + " (" + spellTitles[i] +
                              ") has no word for the party keys, so no member knows it"));
  } else if (entry->value.empty()) {
    report.warning(spells.name, entry->line,
                   std::string("the word of ") + spellTitles[i] +
                       " is empty: the party keys then read like party/812//k");
  } else if (entry->value.find('=') != std::string::npos) {
    report.warning(spells.name, entry->line,
                   std::string("the word of ") + spellTitles[i] +
                       " holds \"=\", which no key can hold: no member can know it");
  }
}

// A level for an example: the spell's first maximum when it has one.
std::int32_t suggestedLevel(const DataFile& spells, int i) {
  NumberReading first = readDataNumber(spells.lookup(firstMaxKey(i)));
  return first.isNumber && first.value >= 1 ? first.value : 5;
}

// The record: its value is the maximum level (the number it starts with) and
// the key of the spell's name.
void checkRecord(const DataFile& spells, int i, SpellBook& book, Report& report) {
  const std::string key = recordKey(i);
  const std::string title = spellTitles[i];
  const DataEntry* entry = spells.find(key);
  if (entry == nullptr) {
    report.error(spells.name, 0,
                 missingKeyMessage(spells, key,
                                   title + " has no record, so it is named '%%' and its maximum "
                                           "level is 0"));
    return;
  }
  const std::string record = lowerAscii(entry->value);
  NumberReading level = readDataNumber(record);
  if (!level.isNumber) {
    report.error(spells.name, entry->line,
                 "the record of " + title + ", " + shown(entry->value) +
                     ", does not start with its maximum level, so the game reads 0 (write the "
                     "level first, as in \"" +
                     std::to_string(suggestedLevel(spells, i)) + " " + lowerAscii(title) + "\")");
  } else if (level.value < 1) {
    report.error(spells.name, entry->line,
                 title + "'s maximum level is " + std::to_string(level.value) +
                     "; it must be at least 1" +
                     (i == 5 ? ": Heal divides by it" : ": the spell rolls against it"));
  } else {
    if (readReal(record) != static_cast<double>(level.value)) {
      report.warning(spells.name, entry->line,
                     title + "'s maximum level " + shown(entry->value) + " is rounded to " +
                         std::to_string(level.value));
    }
    book.maxLevels[i] = level.value;
    book.maxLevelKnown[i] = true;
  }
  if (spells.find(record) == nullptr) {
    report.error(spells.name, entry->line,
                 "the name of " + title + " is looked up under the key " + shown(record) +
                     " (the value of " + key + "), and there is none: the spell is named '%%'" +
                     blankKeyHint(spells, record));
  } else if (unquoteName(spells.lookup(record)).empty()) {
    report.warning(spells.name, spells.find(record)->line, "the name of " + title + " is empty");
  }
}

// spell/906/N/s is read while the party is loaded and then replaced by the
// record's level, so it matters little; it should still agree.
void checkFirstMaximum(const DataFile& spells, int i, const SpellBook& book, Report& report) {
  const std::string key = firstMaxKey(i);
  const DataEntry* entry = spells.find(key);
  if (entry == nullptr) {
    report.warning(spells.name, 0,
                   missingKeyMessage(spells, key,
                                     std::string(spellTitles[i]) +
                                         "'s maximum level reads as 0 until the record " +
                                         recordKey(i) + " replaces it"));
    return;
  }
  auto value = checkedNumber(spells, *entry, key, Level::warning, report);
  if (value && book.maxLevelKnown[i] && *value != book.maxLevels[i]) {
    report.warning(spells.name, entry->line,
                   key + " gives " + std::to_string(*value) + ", but the record " + recordKey(i) +
                       " gives " + std::to_string(book.maxLevels[i]) +
                       ", which is the maximum level the game keeps");
  }
}

void checkSharedRecords(const DataFile& spells, Report& report) {
  for (int i = 2; i <= spellCount; ++i) {
    const DataEntry* entry = spells.find(recordKey(i));
    if (entry == nullptr) continue;
    for (int k = 1; k < i; ++k) {
      if (spells.lookup(recordKey(k)) == lowerAscii(entry->value)) {
        report.warning(spells.name, entry->line,
                       std::string(spellTitles[i]) + " and " + spellTitles[k] +
                           " have the same record " + shown(entry->value) +
                           ", so they share one name");
        break;
      }
    }
  }
}

}  // namespace

SpellBook checkSpells(const DataFile& spells, Report& report) {
  SpellBook book;
  book.present = spells.present;
  if (!spells.present) {
    book.words.fill(missingValue);
    return book;
  }
  std::unordered_set<std::string> known;
  for (int i = 1; i <= spellCount; ++i) {
    checkWord(spells, i, book, report);
    checkRecord(spells, i, book, report);
    checkFirstMaximum(spells, i, book, report);
    known.insert({wordKey(i), firstMaxKey(i), recordKey(i)});
    if (spells.find(recordKey(i)) != nullptr) known.insert(spells.lookup(recordKey(i)));
  }
  checkSharedRecords(spells, report);
  reportUnreadKeys(spells, known, report);
  return book;
}

}  // namespace dw::lint
