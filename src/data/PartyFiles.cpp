#include "data/PartyFiles.h"

#include "core/Game.h"
#include "core/NumberText.h"

namespace dw {

namespace {

// A level or a "knows it" flag: the first key must be there, and the value
// is read from the second.
std::int32_t presentThenValue(const std::string& presenceKey, const std::string& valueKey,
                              const KeyValueTable& table) {
  if (lookupValue(presenceKey, table) == missingValue) return 0;
  return readNumber(lookupValue(valueKey, table));
}

}  // namespace

void loadParty(Game& game) {
  GameState& s = game.state;
  game.loadTable("res\\party.dat", game.partyTable);
  game.loadTable("res\\spells.dat", game.spellTable);
  for (int i = 1; i <= spellCount; ++i) {
    std::string base = "spell/906/" + std::to_string(i);
    s.spellNames[i] = lookupValue(base + "/sas", game.spellTable);
    s.spellMaxLevel[i] = readNumber(lookupValue(base + "/s", game.spellTable));
  }
  for (int j = 1; j <= s.partySize && j <= maxMembers; ++j) {
    std::string member = "party/8" + std::to_string(j);
    s.memberNames[j] = unquoteName(lookupValue(member + "0/nas", game.partyTable));
    for (int k = 1; k <= statCount; ++k) {
      s.memberStatMax[j][k] =
          readNumber(lookupValue(member + "/Stat/" + std::to_string(k), game.partyTable));
    }
    for (int i = 1; i <= spellCount; ++i) {
      // The spell digit in these keys is one above the spell's number.
      std::string p = member + std::to_string(i + 1) + "/" + s.spellNames[i];
      s.memberSpellLevels[j][i] = presentThenValue(p + "/e", p + "+/e", game.partyTable);
      s.memberSpells[j][i] = presentThenValue(p + "/k", p + "+/k", game.partyTable);
    }
  }
}

void loadSpells(Game& game) {
  GameState& s = game.state;
  game.loadTable("res\\spells.dat", game.spellTable);
  for (int i = 1; i <= spellCount; ++i) {
    // The record value is both the maximum level and the key of the name.
    std::string record = lookupValue("spell/" + std::to_string(900 + i) + "/sas", game.spellTable);
    s.spellNames[i] = unquoteName(lookupValue(record, game.spellTable));
    s.spellMaxLevel[i] = readNumber(record);
  }
}

}  // namespace dw
