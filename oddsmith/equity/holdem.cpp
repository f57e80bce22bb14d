#include "equity/holdem.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "equity/deal.h"
#include "equity/deal_rng.h"
#include "equity/equity_frame.h"
#include "equity/process_state.h"
#include "eval/five_seven.h"

namespace oddsmith {

namespace {

// 1 when no opponent's hand is stronger than the player's (ties count in full).
int holdem_score(const EquityRequest& request, const int* opponents, const int* board) {
  const BoardKeys keys = board_keys(board);
  const int player = eval7_on_board(keys, request.player[0], request.player[1]);
  for (const int* hand = opponents; hand != opponents + 2 * std::ptrdiff_t{request.opponents}; hand += 2)
    if (eval7_on_board(keys, hand[0], hand[1]) < player) return 0;
  return 1;
}

}  // namespace

int holdem_equity(const EquityRequest& request, std::uint32_t seed, int trials) {
  if (!request_in_limits(request)) return kRefused;
  if (trials <= 0) return 0;
  const Dealer<2> dealer(request, holdem_ranges, holdem_range_cursor);
  const std::int64_t wins = run_trials(seed, trials, [&](DealRng& rng) {
    int opponents[2 * 22];
    int board[5];
    dealer.deal(rng, opponents, board);
    return holdem_score(request, opponents, board);
  });
  // Single precision, the multiplication before the division.
  return truncate_per_mille(static_cast<float>(wins) * 1000.0f / static_cast<float>(trials));
}

void fill_holdem_slot_at_random(int slot, std::uint32_t seed) {
  DealRng rng(seed);
  std::int32_t* hand = holdem_ranges + std::ptrdiff_t{slot} * kRangeHands * 2;
  for (int h = 0; h < kRangeHands; ++h, hand += 2) {
    int first, second;
    do {
      first = draw_card(rng);
      second = draw_card(rng);
    } while (first == second);
    hand[0] = first;
    hand[1] = second;
  }
}

void fill_holdem_slot_from_range(int slot, const Range& range, std::uint32_t seed) {
  // Each hand takes one draw: its top bits pick the hand (by a multiply, so the
  // top bits decide), its lowest bit the order of the two cards. Thirty-two bits
  // resolve weights far finer than any notation can write them.
  const std::size_t n = range.size();
  bool uniform = true;
  std::vector<double> cumulative(n);
  double total = 0;
  for (std::size_t i = 0; i < n; ++i) {
    cumulative[i] = total += range[i].weight;
    uniform = uniform && range[i].weight == range[0].weight;
  }
  DealRng rng(seed);
  std::int32_t* hand = holdem_ranges + std::ptrdiff_t{slot} * kRangeHands * 2;
  for (int h = 0; h < kRangeHands; ++h, hand += 2) {
    const std::uint32_t x = rng.next();
    std::size_t i = static_cast<std::size_t>((std::uint64_t{x} * n) >> 32);
    if (!uniform) {
      const double point = static_cast<double>(x) * 0x1p-32 * total;
      i = static_cast<std::size_t>(std::upper_bound(cumulative.begin(), cumulative.end(), point) - cumulative.begin());
      i = std::min(i, n - 1);
    }
    const std::size_t swap = x & 1u;
    hand[0] = range[i].cards[swap];
    hand[1] = range[i].cards[1 - swap];
  }
}

}  // namespace oddsmith
