#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/MessageText.h"
#include "core/NumberText.h"

namespace dw {

// Adds to a 32-bit game value without overflow: values read from data files
// may sit at the limits, so sums are taken in 64 bits and held in range.
inline void addClamped(std::int32_t& value, std::int64_t delta) {
  value = clampToInt32(static_cast<std::int64_t>(value) + delta);
}

inline constexpr int maxMembers = 7;
inline constexpr int statCount = 6;
inline constexpr int spellCount = 6;

// Statistic numbers.
namespace stat {
inline constexpr int hp = 1, ap = 2, dp = 3, mp = 4, sight = 5, sense = 6;
}
// Spell numbers.
namespace spell {
inline constexpr int warp = 1, vision = 2, tinker = 3, passage = 4, heal = 5, flare = 6;
}

// Index 0 of every dimension holds nothing: members, statistics and spells
// count from 1.
using MemberTable = std::array<std::array<std::int32_t, statCount + 1>, maxMembers + 1>;

// Every value that lives longer than one command. Each field is also named
// in gameStateFields (core/GameStateWalk.h), the walk a checkpoint keeps the
// state by: a field added here and not there does not compile.
struct GameState {
  // Hero and party selection.
  int heroCol = 0;
  int heroRow = 0;
  int currentMember = 1;
  int partySize = maxMembers;

  // Counters.
  std::int32_t gold = 0;
  std::int32_t keys = 0;
  std::int32_t bombs = 0;
  std::int32_t levelNumber = 0;
  std::int32_t levelShop = 0;
  std::int32_t openCells = 0;
  std::int32_t exploredCells = 0;
  std::int32_t visionCells = 0;
  std::int32_t seed = 0;

  // Command state.
  std::string lastKey;
  MessageLine messageLine;

  // Party tables, filled from the party and spell files.
  std::array<std::string, maxMembers + 1> memberNames;
  MemberTable memberStats{};
  MemberTable memberStatMax{};
  MemberTable memberSpells{};
  MemberTable memberSpellLevels{};
  std::array<std::string, spellCount + 1> spellNames;
  std::array<std::int32_t, spellCount + 1> spellMaxLevel{};

  // What start-up found; kept for completeness, never read again.
  std::string mouseDriverImage;
  std::string mouseResult;
  std::string soundResult;

  // Row and column step of each monster direction 0..4 (component 1 the row
  // step, 2 the column step), from the compass file.
  std::array<std::array<std::int32_t, 3>, 5> roseVectors{};

  bool operator==(const GameState&) const = default;

  std::int32_t& stat(int s) { return memberStats[currentMember][s]; }
  std::int32_t& statMax(int s) { return memberStatMax[currentMember][s]; }
  std::int32_t statOf(int s) const { return memberStats[currentMember][s]; }
};

}  // namespace dw
