// Timing loops behind the holdem_test, omaha_test and omahalow_test exports: each
// runs its evaluator `count` times on fixed cards between two clock() readings
// and returns the difference in processor-clock ticks.
#pragma once

namespace oddsmith {

int time_seven_card(int count);
int time_omaha_high(int count);
int time_omaha_low(int count);

}  // namespace oddsmith
