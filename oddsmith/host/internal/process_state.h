// The library's process-wide state and every function that writes it, all in one
// place. It lives from load to unload; calls come from one thread at a time, so
// nothing here is locked.
//
//   holdem_trials, omaha_trials   set by on_process_attach (the load-time entry point)
//   holdem_ranges                 built-in at load; set by store_holdem_ranges and
//                                 the fill_holdem_slot_* functions
//   omaha_ranges, omahahl_ranges  built-in at load; set by their store_* functions
//   *_range_cursor                moved by the games' equity calls as they deal
//                                 range hands (Dealer), and by nothing else
#pragma once

#include <cstdint>

#include "host/internal/dealer.h"
#include "oddsmith.h"
#include "range/range.h"

namespace oddsmith::host {

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

// Replace a whole range buffer with the host's copy (as many ints as the
// buffer holds), slots and hands in the buffer's order.
void store_holdem_ranges(const std::int32_t* hands);
void store_omaha_ranges(const std::int32_t* hands);
void store_omahahl_ranges(const std::int32_t* hands);

// Refills Hold'em range slot 0..3 with 500 ordered pairs of different cards,
// each card drawn uniformly from a generator seeded with `seed`.
void fill_holdem_slot_at_random(int slot, std::uint32_t seed);

// Refills Hold'em range slot 0..3 with 500 hands of a non-empty two-card range,
// each drawn with probability proportional to its weight, its two cards in
// random order, from a generator seeded with `seed`.
void fill_holdem_slot_from_range(int slot, const Range& range, std::uint32_t seed);

}  // namespace oddsmith::host
