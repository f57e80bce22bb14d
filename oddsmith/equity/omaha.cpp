#include "equity/omaha.h"

#include <cstddef>

#include "equity/dealer.h"
#include "equity/equity_call.h"
#include "equity/process_state.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"

namespace oddsmith {

int omaha_high_share(int mine, const int* theirs, int count) {
  int ties = 0;
  for (int o = 0; o < count; ++o) {
    if (theirs[o] < mine) return 0;  // ties counted so far no longer matter
    ties += theirs[o] == mine;
  }
  return 100 / (1 + ties);
}

int omaha_hilo_share(int high, int low, const int* their_high, const int* their_low, int count) {
  const bool player_low = low < kNoLow;
  int high_share = player_low ? 50 : 100, low_share = player_low ? 50 : 0;
  int high_ties = 1, low_ties = 1;
  // A better low, also any low against a player without one, halves the high share.
  for (int o = 0; o < count; ++o) {
    if (their_low[o] < low) {
      low_share = 0;
      high_share = 50;
      break;
    }
    low_ties += their_low[o] == low && player_low;
  }
  for (int o = 0; o < count; ++o) {
    if (their_high[o] < high) {
      high_share = 0;
      break;
    }
    high_ties += their_high[o] == high;
  }
  return high_share / high_ties + low_share / low_ties;
}

// Every opponent is valued before any is judged, which lets their table reads
// overlap; the score is the same as stopping at the first stronger opponent,
// since nothing after the deal draws cards.
int omaha_high_score(const int* board, const int* player, const int* opponents, int count) {
  const OmahaBoard b = omaha_board(board[0], board[1], board[2], board[3], board[4]);
  int theirs[kMaxOmahaOpponents];
  const int* h = opponents;
  for (int o = 0; o < count; ++o, h += 4) theirs[o] = eval_omaha_high_on_board(b, h[0], h[1], h[2], h[3]);
  return omaha_high_share(eval_omaha_high_on_board(b, player[0], player[1], player[2], player[3]), theirs, count);
}

int omaha_hilo_score(const int* board, const int* player, const int* opponents, int count) {
  const OmahaBoard high_board = omaha_board(board[0], board[1], board[2], board[3], board[4]);
  const unsigned low_board = omaha_low_board(board[0], board[1], board[2], board[3], board[4]);
  int their_high[kMaxOmahaOpponents], their_low[kMaxOmahaOpponents];
  const int* h = opponents;
  for (int o = 0; o < count; ++o, h += 4) {
    their_high[o] = eval_omaha_high_on_board(high_board, h[0], h[1], h[2], h[3]);
    their_low[o] = eval_omaha_low_on_board(low_board, h[0], h[1], h[2], h[3]);
  }
  return omaha_hilo_share(eval_omaha_high_on_board(high_board, player[0], player[1], player[2], player[3]),
                          eval_omaha_low_on_board(low_board, player[0], player[1], player[2], player[3]),
                          their_high, their_low, count);
}

int omaha_per_mille(float score_sum, int trials) {
  const float pot_total = static_cast<float>(trials * 100);
  return truncate_per_mille(score_sum / pot_total * 1000.0f);
}

namespace {

// Omaha's tables are about 30 MB, and each deal's hands land in a new board row:
// a deal's table reads miss the cache. So deals are made kDealsAhead ahead of
// their scoring, and each new deal's unsuited-table entries are prefetched while
// the deals before it are scored. The draws happen in the same order as one deal
// at a time, so every dealt card (and the range cursor) is unchanged.
constexpr int kDealsAhead = 4;

struct PendingDeal {
  int opponents[4 * kMaxOmahaOpponents];
  int board[5];
};

void prefetch_hand(const OmahaBoard& b, const int* h) {
  const std::uint64_t* key = osm_card_key;
  const std::uint64_t hole = key[h[0]] + key[h[1]] + key[h[2]] + key[h[3]];
  __builtin_prefetch(&osm_omaha_unsuited_value[b.unsuited_row + detail::count_hash(hole, osm_count_hash_low4)]);
}

void prefetch_deal(const PendingDeal& d, const int* player, int opponents) {
  const OmahaBoard b = omaha_board(d.board[0], d.board[1], d.board[2], d.board[3], d.board[4]);
  prefetch_hand(b, player);
  for (int o = 0; o < opponents; ++o) prefetch_hand(b, d.opponents + std::ptrdiff_t{4} * o);
}

template <class Score>
OmahaEquity run_omaha(const EquityRequest& request, std::uint32_t seed, int trials, const std::int32_t* ranges,
                      std::int32_t& cursor, Score score) {
  if (!request_in_limits(request)) return {kRefused, 0.0f};
  if (trials <= 0) return {0, 0.0f};
  Dealer<4> dealer(request, ranges, cursor);
  DealRng rng(seed);
  PendingDeal ring[kDealsAhead];
  int dealt = 0;
  auto deal_next = [&](PendingDeal& d) {
    dealer.deal(rng, d.opponents, d.board);
    prefetch_deal(d, request.player, request.opponents);
    ++dealt;
  };
  for (int i = 0; i < kDealsAhead && dealt < trials; ++i) deal_next(ring[i]);
  std::int64_t sum = 0;
  for (int t = 0; t < trials; ++t) {
    PendingDeal& d = ring[t % kDealsAhead];
    sum += score(d.board, request.player, d.opponents, request.opponents);
    if (dealt < trials) deal_next(d);  // the slot just scored takes the next deal
  }
  const float score_sum = static_cast<float>(sum);
  return {omaha_per_mille(score_sum, trials), score_sum};
}

}  // namespace

OmahaEquity omaha_high_equity(const EquityRequest& request, std::uint32_t seed, int trials) {
  return run_omaha(request, seed, trials, omaha_ranges, omaha_range_cursor, omaha_high_score);
}

OmahaEquity omaha_hilo_equity(const EquityRequest& request, std::uint32_t seed, int trials) {
  return run_omaha(request, seed, trials, omahahl_ranges, omahahl_range_cursor, omaha_hilo_score);
}

}  // namespace oddsmith
