#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "DataText.h"

namespace dw::lint {

inline constexpr int spellCount = 6;
// The spells by number, as the game's commands know them.
inline constexpr std::array<const char*, spellCount + 1> spellTitles = {
    "", "Warp", "Vision", "Tinker", "Passage", "Heal", "Flare"};

// What the spell file gives the party file: the word of each spell that the
// party keys use, and the maximum levels the game ends up with.
struct SpellBook {
  bool present = false;
  std::array<std::string, spellCount + 1> words;  // lowered; "%%" when missing
  std::array<std::int32_t, spellCount + 1> maxLevels{};
  std::array<bool, spellCount + 1> maxLevelKnown{};  // false: the record is missing or broken
};

// Checks res/spells.dat: the word and first maximum of each spell
// (spell/906/N/sas, spell/906/N/s), its record spell/90N/sas whose value is
// both the maximum level and the key of the name, and that name.
SpellBook checkSpells(const DataFile& spells, Report& report);

}  // namespace dw::lint
