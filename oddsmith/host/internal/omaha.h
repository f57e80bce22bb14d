// Omaha high and Omaha Hi/Lo equity: the player's four cards against random or
// range opponents; ties split the pot.
#pragma once

#include <cstdint>

#include "host/internal/equity_call.h"

namespace oddsmith::host {

inline constexpr int kMaxOmahaOpponents = max_opponents(4);  // 10

// The player's share of one deal's pot in percent, from the hand values (lower is
// stronger) of the player and of `count` opponents in dealing order.
//   high: 0 when an opponent is stronger, else 100 / (1 + tying opponents).
//   hilo: a high half and a low half (the whole pot to the high when nobody has
//         a low), each divided among its tying winners with truncation.
int omaha_high_share(int mine, const int* theirs, int count);
int omaha_hilo_share(int high, int low, const int* their_high, const int* their_low, int count);

// One deal's score from its cards: five board cards, the player's four cards,
// `count` opponents' four cards each in dealing order.
int omaha_high_score(const int* board, const int* player, const int* opponents, int count);
int omaha_hilo_score(const int* board, const int* player, const int* opponents, int count);

struct OmahaEquity {
  int per_mille;
  float score_sum;  // the single-precision sum of the trial scores
};

// Equity over `trials` deals from a generator seeded with `seed`, or a per_mille
// of kRefused (-1), with nothing changed, for a request outside the limits. Each
// reads its own range buffer and moves its own cursor.
OmahaEquity omaha_high_equity(const EquityRequest& request, std::uint32_t seed, int trials);
OmahaEquity omaha_hilo_equity(const EquityRequest& request, std::uint32_t seed, int trials);

// sum / (trials * 100) * 1000 in single precision, truncated toward zero.
int omaha_per_mille(float score_sum, int trials);

}  // namespace oddsmith::host
