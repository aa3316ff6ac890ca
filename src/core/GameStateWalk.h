#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "core/GameState.h"

namespace dw {

// Every field of GameState, in the order a checkpoint keeps them. A field
// added to GameState must be added here too, or this header does not
// compile (see the checks below): a checkpoint then cannot leave it behind.
inline constexpr auto gameStateFields = std::make_tuple(
    &GameState::heroCol, &GameState::heroRow, &GameState::currentMember, &GameState::partySize,
    &GameState::gold, &GameState::keys, &GameState::bombs, &GameState::levelNumber,
    &GameState::levelShop, &GameState::openCells, &GameState::exploredCells,
    &GameState::visionCells, &GameState::seed, &GameState::lastKey, &GameState::messageLine,
    &GameState::mouseDriverImage, &GameState::mouseResult, &GameState::soundResult,
    &GameState::memberNames, &GameState::memberStats, &GameState::memberStatMax,
    &GameState::memberSpells, &GameState::memberSpellLevels, &GameState::spellNames,
    &GameState::spellMaxLevel, &GameState::roseVectors);

// Hands visit each field of the state in turn, in the order above; the
// state may be const.
template <typename State, typename Visit>
requires std::is_same_v<std::remove_const_t<State>, GameState>
void walkGameState(State& state, Visit&& visit) {
  std::apply([&](auto... field) { (visit(state.*field), ...); }, gameStateFields);
}

namespace fieldcheck {

// Stands for any value in a braced list: the list of an aggregate takes as
// many of these as it has fields, and no more.
struct AnyField {
  template <typename T>
  operator T() const;
};

template <typename T, std::size_t... I>
constexpr bool takes(std::index_sequence<I...>) {
  return requires {
    T{(void(I), AnyField{})...};
  };
}
template <typename T, std::size_t N>
inline constexpr bool takesFields = takes<T>(std::make_index_sequence<N>{});

template <typename A, typename B>
constexpr bool sameField(A a, B b) {
  if constexpr (std::is_same_v<A, B>) {
    return a == b;
  } else {
    return false;
  }
}

// How many pairs of entries of the list name the same field.
template <typename Fields>
constexpr std::size_t repeats(const Fields& fields) {
  return std::apply(
      [](auto... a) {
        std::size_t same = 0;
        auto countOne = [&](auto x) { ((same += sameField(x, a) ? 1 : 0), ...); };
        (countOne(a), ...);
        return same;
      },
      fields);
}

}  // namespace fieldcheck

inline constexpr std::size_t gameStateFieldCount = std::tuple_size_v<decltype(gameStateFields)>;
static_assert(std::is_aggregate_v<GameState>, "GameState is checked as a plain aggregate");
static_assert(fieldcheck::takesFields<GameState, gameStateFieldCount> &&
                  !fieldcheck::takesFields<GameState, gameStateFieldCount + 1>,
              "GameState has a field that gameStateFields leaves out (core/GameStateWalk.h)");
static_assert(fieldcheck::repeats(gameStateFields) == gameStateFieldCount,
              "gameStateFields names a field twice");

}  // namespace dw
