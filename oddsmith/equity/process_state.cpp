#include "equity/process_state.h"

namespace oddsmith {

std::int32_t holdem_trials = 0;
std::int32_t omaha_trials = 0;

std::int32_t holdem_ranges[kHoldemRangeInts] = {
#include "equity/builtin_holdem_ranges_data.inc"
};
std::int32_t holdem_range_cursor = 0;

std::int32_t omaha_ranges[kOmahaRangeInts] = {
#include "equity/builtin_omaha_ranges_data.inc"
};
std::int32_t omaha_range_cursor = 0;

std::int32_t omahahl_ranges[kOmahaRangeInts] = {
#include "equity/builtin_omahahl_ranges_data.inc"
};
std::int32_t omahahl_range_cursor = 0;

void on_process_attach() {
  holdem_trials = kHoldemTrials;
  omaha_trials = kOmahaTrials;
}

}  // namespace oddsmith
