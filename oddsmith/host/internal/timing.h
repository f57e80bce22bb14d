// Timing loops behind the holdem_test, omaha_test and omahalow_test exports: each
// runs its evaluator `count` times on fixed cards between two clock() readings
// and returns the difference in processor-clock ticks.
#pragma once

#include <cstdint>

namespace oddsmith::host {

int time_seven_card(int count);
int time_omaha_high(int count);
int time_omaha_low(int count);

// What the loops have added up so far (each evaluation's value, wrapping), so
// that a test can see that a loop evaluated `count` times.
struct TimingSums {
  std::uint32_t seven_card, omaha_high, omaha_low;
};
TimingSums timing_sums();

}  // namespace oddsmith::host
