#include "host/internal/holdem.h"

#include <cstddef>

#include "host/internal/dealer.h"
#include "host/internal/random_cards.h"
#include "host/internal/equity_call.h"
#include "host/internal/process_state.h"
#include "eval/five_seven.h"

namespace oddsmith::host {

namespace {

// The value of two hole cards on a board whose keys add up to `board_sum`.
int hand_value(std::uint64_t board_sum, const int* b, int c1, int c2) {
  return eval7_of_sum(board_sum + osm_card_key[c1] + osm_card_key[c2], b[0], b[1], b[2], b[3], b[4], c1, c2);
}

// 1 when no opponent's hand is stronger than the player's (ties count in full).
int holdem_score(const EquityRequest& request, const int* opponents, const int* b) {
  const std::uint64_t* key = osm_card_key;
  const std::uint64_t board_sum = key[b[0]] + key[b[1]] + key[b[2]] + key[b[3]] + key[b[4]];
  const int player = hand_value(board_sum, b, request.player[0], request.player[1]);
  for (const int* hand = opponents; hand != opponents + 2 * std::ptrdiff_t{request.opponents}; hand += 2)
    if (hand_value(board_sum, b, hand[0], hand[1]) < player) return 0;
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

}  // namespace oddsmith::host
