// One equity call: its arguments, the limits outside which it is refused, and
// the frame every call runs (one generator seeded once, a fixed number of
// trials, their integer scores summed; the sum stays below 2^24, so summing in
// an integer gives exactly the single-precision sum).
#pragma once

#include <cstdint>

#include "host/internal/random_cards.h"
#include "cards/seed.h"

namespace oddsmith::host {

struct EquityRequest {
  int player[4];        // the player's cards: 2 for Hold'em, 4 for Omaha
  int player_cards;     // 2 or 4
  int known_board;      // number of known board cards, 0..5
  int board[5];         // board arguments; only the first known_board are read
  int opponents;        // 0..max_opponents
  int range;            // 0 = random opponents, k = 1..4 = range slot k - 1
};

// The answer of an equity call refused for arguments outside the limits.
inline constexpr int kRefused = -1;

// The most opponents whose cards fit in the deck beside the player and the board.
constexpr int max_opponents(int player_cards) { return (52 - 5 - player_cards) / player_cards; }

// True when the call is inside every limit: known board 0..5, range 0..4,
// opponents 0..card limit, player and known board cards real and all different.
// Outside them a deal could read past the tables or never find a free card.
inline bool request_in_limits(const EquityRequest& r) {
  if (r.known_board < 0 || r.known_board > 5 || r.range < 0 || r.range > 4) return false;
  if (r.opponents < 0 || r.opponents > max_opponents(r.player_cards)) return false;
  CardMask seen = 0;
  for (int i = 0; i < r.player_cards + r.known_board; ++i) {
    const int c = i < r.player_cards ? r.player[i] : r.board[i - r.player_cards];
    if (!take_card(seen, c)) return false;
  }
  return true;
}

// Mask of the player's cards and the known board cards (a request in limits).
inline CardMask fixed_cards(const EquityRequest& r) {
  CardMask m = 0;
  for (int i = 0; i < r.player_cards; ++i) m |= card_bit(r.player[i]);
  for (int i = 0; i < r.known_board; ++i) m |= card_bit(r.board[i]);
  return m;
}

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

}  // namespace oddsmith::host
