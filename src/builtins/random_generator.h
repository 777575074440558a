// The random-number generator behind rand, rnd, randexp, irand, shuffle and err: a 64-bit
// Mersenne Twister with 53-bit uniform doubles and unbiased whole numbers.
#pragma once

#include <cstdint>
#include <random>

namespace zirbin::builtins {

class RandomGenerator {
 public:
  // The seed a fresh generator starts from, as randseed(1) would set it.
  static constexpr uint64_t kDefaultSeed = 1;

  RandomGenerator() : engine_(kDefaultSeed) {}

  // Starts the sequence anew: the same seed gives the same numbers on every platform
  // (the engine's output is fixed by the C++ standard, the conversions below are ours).
  void seed(uint64_t s) { engine_.seed(s); }

  // A double in [0, 1) with all 53 bits of the fraction random (2^53 distinct values).
  double uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }

  // A double in (0, 1]: safe to take the logarithm of, or to divide by.
  double uniformPositive() { return 1.0 - uniform(); }

  // A whole number in 0 .. n-1 with every value equally likely: the few draws (fewer than
  // n in 2^64) that would favour the small remainders are rejected and drawn again.
  // REQUIRES: n >= 1.
  uint64_t below(uint64_t n) {
    // 2^64 mod n, computed without overflow; draws under it are the biased tail.
    const uint64_t tail = (0 - n) % n;
    for (;;) {
      const uint64_t r = engine_();
      if (r >= tail) return r % n;
    }
  }

 private:
  std::mt19937_64 engine_;
};

// The generator of the running session (builtins_state.h). Written by the random built-ins
// and randseed.
RandomGenerator& sessionRandom();

}  // namespace zirbin::builtins
