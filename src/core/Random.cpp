#include "core/Random.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace dw {

std::int64_t truncateToInt64(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

void Random::randomize(double seed, double clockReading) {
  std::uint32_t state;
  if (seed == -1.0) {
    std::uint64_t bits;
    std::memcpy(&bits, &clockReading, sizeof bits);
    state = static_cast<std::uint32_t>(bits) ^ static_cast<std::uint32_t>(bits >> 32);
  } else {
    state = static_cast<std::uint32_t>(static_cast<std::uint64_t>(truncateToInt64(seed)));
  }
  srand(state);
  (void)rand();
}

double Random::rnd(float arg) {
  if (arg == 0.0f) return lastRnd_;
  last15_ = rand();
  lastRnd_ = last15_ / 32768.0;
  ++draws_;
  return lastRnd_;
}

}  // namespace dw
