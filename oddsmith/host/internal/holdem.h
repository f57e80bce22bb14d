// Texas Hold'em equity: the player's two cards against random or range opponents.
#pragma once

#include <cstdint>

#include "host/internal/equity_call.h"

namespace oddsmith::host {

// Equity per mille over `trials` deals from a generator seeded with `seed`, or
// kRefused (-1), with nothing changed, for a request outside the limits
// (request_in_limits). Reads holdem_ranges and moves holdem_range_cursor when
// the request names a range.
int holdem_equity(const EquityRequest& request, std::uint32_t seed, int trials);

}  // namespace oddsmith::host
