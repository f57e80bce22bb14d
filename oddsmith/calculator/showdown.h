// One showdown: every player's hand valued on a complete board, and the pot
// shared out. The best high hand takes the pot and ties split it; in Hi/Lo half
// goes to the best high and half to the best qualifying low (ties split each
// half), and the high takes it all when nobody has a low.
#pragma once

#include <cstdint>

#include "calculator/equity_query.h"
#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"

namespace oddsmith::calc {

// Per-player sums over deals, each deal counted with its weight.
struct Tally {
  double equity = 0;
  double equity_squared = 0;  // for the Monte-Carlo standard error
  double win = 0;
  double tie = 0;
  void add(const Tally& o) {
    equity += o.equity;
    equity_squared += o.equity_squared;
    win += o.win;
    tie += o.tie;
  }
};

// A hand's value: high (lower is stronger) and, in Hi/Lo, low (kNoLow for none).
struct HandValue {
  int high;
  int low;
};

template <Game G>
struct Evaluator;

template <>
struct Evaluator<Game::holdem> {
  using Board = BoardKeys;
  static Board prepare(const int* b) { return board_keys(b); }
  static HandValue value(const Board& b, const std::uint8_t* h) { return {eval7_on_board(b, h[0], h[1]), kNoLow}; }
};

template <>
struct Evaluator<Game::omaha> {
  using Board = OmahaBoard;
  static Board prepare(const int* b) { return omaha_board(b[0], b[1], b[2], b[3], b[4]); }
  static HandValue value(const Board& b, const std::uint8_t* h) {
    return {eval_omaha_high_on_board(b, h[0], h[1], h[2], h[3]), kNoLow};
  }
};

template <>
struct Evaluator<Game::omaha_hilo> {
  struct Board {
    OmahaBoard high;
    unsigned low;
  };
  static Board prepare(const int* b) {
    return {omaha_board(b[0], b[1], b[2], b[3], b[4]), omaha_low_board(b[0], b[1], b[2], b[3], b[4])};
  }
  static HandValue value(const Board& b, const std::uint8_t* h) {
    return {eval_omaha_high_on_board(b.high, h[0], h[1], h[2], h[3]), eval_omaha_low_on_board(b.low, h[0], h[1], h[2], h[3])};
  }
};

// Adds one deal of `weight` to each player's tally.
template <Game G>
inline void settle(const HandValue* v, int n, double weight, Tally* tally) {
  int best_high = v[0].high;
  for (int p = 1; p < n; ++p) best_high = v[p].high < best_high ? v[p].high : best_high;
  int high_winners = 0;
  for (int p = 0; p < n; ++p) high_winners += v[p].high == best_high;
  int best_low = kNoLow, low_winners = 0;
  if constexpr (G == Game::omaha_hilo) {
    for (int p = 0; p < n; ++p) best_low = v[p].low < best_low ? v[p].low : best_low;
    if (best_low < kNoLow)
      for (int p = 0; p < n; ++p) low_winners += v[p].low == best_low;
  }
  const double high_pot = low_winners ? 0.5 : 1.0;
  for (int p = 0; p < n; ++p) {
    const bool high = v[p].high == best_high;
    const bool low = low_winners && v[p].low == best_low;
    if (!high && !low) continue;
    const double share = (high ? high_pot / high_winners : 0.0) + (low ? 0.5 / low_winners : 0.0);
    Tally& t = tally[p];
    t.equity += weight * share;
    t.equity_squared += weight * share * share;
    const bool scoop = high && high_winners == 1 && (!low_winners || (low && low_winners == 1));
    if (scoop) {
      t.win += weight;
    } else if ((high && high_winners > 1) || (low && low_winners > 1)) {
      t.tie += weight;
    }
  }
}

}  // namespace oddsmith::calc
