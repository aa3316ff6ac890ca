#pragma once

#include <cstdint>

namespace dw {

// A gamepad's buttons by position, whatever is printed on them: south is the
// bottom face button (Xbox A, PlayStation cross, Nintendo B).
enum class PadButton : std::uint8_t {
  south,
  east,
  west,
  north,
  leftShoulder,
  rightShoulder,
  back,
  start,
  up,
  down,
  left,
  right,
};
inline constexpr int padButtonCount = 12;

// The family a pad belongs to, for the names of its buttons in the help.
enum class PadKind : std::uint8_t { other, xbox, playstation, nintendo };

}  // namespace dw
