#include "data/PartyFiles.h"

#include "core/Game.h"
#include "core/NumberText.h"
#include "data/DataKeys.h"

namespace dw {

namespace {

// A level or a "knows it" flag: the first key must be there, and the value
// is read from the second.
std::int32_t presentThenValue(const std::string& prefix, std::string_view presence,
                              std::string_view value, const KeyValueTable& table) {
  if (lookupValue(prefix + std::string(presence), table) == missingValue) return 0;
  return readNumber(lookupValue(prefix + std::string(value), table));
}

}  // namespace

void loadParty(Game& game) {
  GameState& s = game.state;
  game.loadTable("res\\party.dat", game.partyTable);
  game.loadTable("res\\spells.dat", game.spellTable);
  for (int i = 1; i <= spellCount; ++i) {
    s.spellNames[i] = lookupValue(datakey::spellWord(i), game.spellTable);
    s.spellMaxLevel[i] = readNumber(lookupValue(datakey::spellFirstMax(i), game.spellTable));
  }
  for (int j = 1; j <= s.partySize && j <= maxMembers; ++j) {
    s.memberNames[j] = unquoteName(lookupValue(datakey::memberName(j), game.partyTable));
    for (int k = 1; k <= statCount; ++k) {
      s.memberStatMax[j][k] = readNumber(lookupValue(datakey::memberStat(j, k), game.partyTable));
    }
    for (int i = 1; i <= spellCount; ++i) {
      const std::string p = datakey::memberSpell(j, i, s.spellNames[i]);
      s.memberSpellLevels[j][i] =
          presentThenValue(p, datakey::levelPresent, datakey::levelValue, game.partyTable);
      s.memberSpells[j][i] =
          presentThenValue(p, datakey::knownPresent, datakey::knownValue, game.partyTable);
    }
  }
}

void loadSpells(Game& game) {
  GameState& s = game.state;
  game.loadTable("res\\spells.dat", game.spellTable);
  for (int i = 1; i <= spellCount; ++i) {
    // The record value is both the maximum level and the key of the name.
    std::string record = lookupValue(datakey::spellRecord(i), game.spellTable);
    s.spellNames[i] = unquoteName(lookupValue(record, game.spellTable));
    s.spellMaxLevel[i] = readNumber(record);
  }
}

}  // namespace dw
