// Texas Hold'em equity: the player's two cards against random or range opponents.
#pragma once

#include <cstdint>

#include "equity/equity_request.h"
#include "range/range.h"

namespace oddsmith {

// Equity per mille over `trials` deals from a generator seeded with `seed`, or
// kRefused (-1), with nothing changed, for a request outside the limits
// (request_in_limits). Reads holdem_ranges and moves holdem_range_cursor when
// the request names a range.
int holdem_equity(const EquityRequest& request, std::uint32_t seed, int trials);

// Refills range slot 0..3 with 500 ordered pairs of different cards, each card
// drawn uniformly from a generator seeded with `seed`.
void fill_holdem_slot_at_random(int slot, std::uint32_t seed);

// Refills range slot 0..3 with 500 hands of a non-empty two-card range, each
// drawn with probability proportional to its weight, its two cards in random
// order, from a generator seeded with `seed`.
void fill_holdem_slot_from_range(int slot, const Range& range, std::uint32_t seed);

}  // namespace oddsmith
