// The library's process-wide state, all in one place. It lives from load to
// unload; calls come from one thread at a time, so nothing here is locked.
//
//   holdem_trials, omaha_trials   written by the load-time entry point
//   holdem_ranges                 built-in at load; written by the Hold'em range setters
//   holdem_range_cursor           written by Hold'em equity calls (next range hand)
//   omaha_ranges, omahahl_ranges  built-in at load; written by their loaders
//   omaha_range_cursor, omahahl_range_cursor   written by the games' equity calls
#pragma once

#include <cstdint>

#include "equity/range_dealer.h"
#include "oddsmith.h"

namespace oddsmith {

inline constexpr int kHoldemTrials = ODDSMITH_HOLDEM_DEALS;
inline constexpr int kOmahaTrials = ODDSMITH_OMAHA_DEALS;

extern std::int32_t holdem_trials;
extern std::int32_t omaha_trials;

// Slot s, hand h, card j at element (s * 500 + h) * 2 + j.
inline constexpr int kHoldemRangeInts = kRangeSlots * kRangeHands * 2;
extern std::int32_t holdem_ranges[kHoldemRangeInts];
extern std::int32_t holdem_range_cursor;

// Slot s, hand h, card j at element (s * 500 + h) * 4 + j.
inline constexpr int kOmahaRangeInts = kRangeSlots * kRangeHands * 4;
extern std::int32_t omaha_ranges[kOmahaRangeInts];
extern std::int32_t omaha_range_cursor;
extern std::int32_t omahahl_ranges[kOmahaRangeInts];
extern std::int32_t omahahl_range_cursor;

// Sets the trial counts; run once when the library is loaded.
void on_process_attach();

}  // namespace oddsmith
