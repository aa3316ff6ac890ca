#pragma once

#include <cstdint>

namespace dw {

// The game's one source of chance. A seed given to randomize() followed by
// the same calls always yields the same values, on every platform.
class Random {
 public:
  // The 32-bit linear congruential pair behind every draw.
  void srand(std::uint32_t seed) { state_ = seed; }
  int rand() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

  // Seeds the generator. A seed of exactly -1 is replaced by one taken from
  // the clock reading; other seeds are truncated toward zero and their low 32
  // bits become the state. One value is drawn and thrown away.
  void randomize(double seed, double clockReading);

  // A value in [0, 1): r / 32768 for the next 15-bit value r. An argument of
  // 0 repeats the last value without drawing.
  double rnd(float arg = 1.0f);

  // INT(RND(1) * n): one draw, scaled exactly in integer arithmetic. Works
  // for any n, negative included, without overflow.
  std::int64_t below(std::int64_t n) {
    (void)rnd(1.0f);
    return (static_cast<std::int64_t>(last15_) * n) >> 15;
  }
  // INT(RND(1) * (num / den)) for a real quotient of positive integers,
  // exactly: floor(r * num / (32768 * den)).
  std::int64_t belowFraction(std::int64_t num, std::int64_t den) {
    (void)rnd(1.0f);
    return static_cast<std::int64_t>(last15_) * num / (32768 * den);
  }
  // INT(RND(1) * n) + c.
  std::int64_t pick(std::int64_t n, std::int64_t c) { return below(n) + c; }

  // The whole generator, for a saved game.
  struct Saved {
    std::uint32_t state = 0;
    int last15 = 0;
    double lastRnd = 0.0;
    std::uint64_t draws = 0;
    bool operator==(const Saved&) const = default;
  };
  Saved save() const { return {state_, last15_, lastRnd_, draws_}; }
  void restore(const Saved& saved) {
    state_ = saved.state;
    last15_ = saved.last15 & 0x7FFF;
    lastRnd_ = last15_ / 32768.0;
    draws_ = saved.draws;
  }

  std::uint64_t draws() const { return draws_; }
  std::uint32_t state() const { return state_; }

 private:
  std::uint32_t state_ = 0;
  int last15_ = 0;
  double lastRnd_ = 0.0;
  std::uint64_t draws_ = 0;
};

// FIX: truncation toward zero, saturating at the 64-bit limits.
std::int64_t truncateToInt64(double value);

}  // namespace dw
