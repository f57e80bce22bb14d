// The frame every equity call runs: one generator seeded once, a fixed number of
// trials, their integer scores summed. The sum stays below 2^24, so summing in
// an integer gives exactly the single-precision sum.
#pragma once

#include <cstdint>

#include "equity/deal_rng.h"

namespace oddsmith {

// Runs `trials` trials; each returns its integer score. Returns the sum.
template <class Trial>
std::int64_t run_trials(std::uint32_t seed, int trials, Trial&& trial) {
  DealRng rng(seed);
  std::int64_t sum = 0;
  for (int t = 0; t < trials; ++t) sum += trial(rng);
  return sum;
}

// Truncates toward zero a single-precision result already known to be finite and
// within 0..1000.
inline int truncate_per_mille(float equity) { return static_cast<int>(equity); }

}  // namespace oddsmith
