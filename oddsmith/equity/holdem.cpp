#include "equity/holdem.h"

#include <cstddef>

#include "equity/dealer.h"
#include "equity/random_cards.h"
#include "equity/equity_call.h"
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
  Dealer<2> dealer(request, holdem_ranges, holdem_range_cursor);
  const std::int64_t wins = run_trials(seed, trials, [&](DealRng& rng) {
    int opponents[2 * 22];
    int board[5];
    dealer.deal(rng, opponents, board);
    return holdem_score(request, opponents, board);
  });
  // Single precision, the multiplication before the division.
  return truncate_per_mille(static_cast<float>(wins) * 1000.0f / static_cast<float>(trials));
}

}  // namespace oddsmith
