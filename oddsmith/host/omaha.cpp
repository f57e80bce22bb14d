#include "host/internal/omaha.h"

#include <algorithm>
#include <cstddef>

#include "host/internal/dealer.h"
#include "host/internal/equity_call.h"
#include "host/internal/process_state.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"

namespace oddsmith::host {

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
// a deal's table reads miss the cache (and, with small pages, the TLB, where a
// prefetch is simply dropped). Dealing and scoring one deal at a time leaves one
// miss in flight. So deals are made kBatch at a time, every unsuited-table index
// of the batch is worked out, and the reads are then made in one tight loop,
// their misses overlapping, before the batch is scored. The draws happen in the
// same order as one deal at a time, so every dealt card (and the range cursor)
// is unchanged, and so is every score.
constexpr int kBatch = 64;
constexpr int kHands = 1 + kMaxOmahaOpponents;  // the player's first, then the opponents'

struct Batch {
  int opponents[kBatch][kMaxOmahaOpponents][4];
  int board[kBatch][5];
  OmahaBoard high_board[kBatch];
  std::uint64_t hole_keys[kBatch][kHands];
  std::uint32_t index[kBatch][kHands];
  int unsuited[kBatch][kHands];
};

template <bool HiLo>
OmahaEquity run_omaha(const EquityRequest& request, std::uint32_t seed, int trials, const std::int32_t* ranges,
                      std::int32_t& cursor) {
  if (!request_in_limits(request)) return {kRefused, 0.0f};
  if (trials <= 0) return {0, 0.0f};
  Dealer<4> dealer(request, ranges, cursor);
  DealRng rng(seed);
  const int opponents = request.opponents, hands = 1 + opponents;
  const int* const player = request.player;
  const std::uint64_t player_keys = omaha_hole_keys(player[0], player[1], player[2], player[3]);
  auto hole = [&](const Batch& b, int deal, int hand) { return hand == 0 ? player : b.opponents[deal][hand - 1]; };
  Batch b;
  std::int64_t sum = 0;
  for (int t = 0; t < trials; t += kBatch) {
    const int n = trials - t < kBatch ? trials - t : kBatch;
    for (int d = 0; d < n; ++d) dealer.deal(rng, &b.opponents[d][0][0], b.board[d]);
    for (int d = 0; d < n; ++d) {
      const int* c = b.board[d];
      b.high_board[d] = omaha_board(c[0], c[1], c[2], c[3], c[4]);
      b.hole_keys[d][0] = player_keys;
      for (int h = 1; h < hands; ++h) {
        const int* x = b.opponents[d][h - 1];
        b.hole_keys[d][h] = omaha_hole_keys(x[0], x[1], x[2], x[3]);
      }
      for (int h = 0; h < hands; ++h) b.index[d][h] = omaha_unsuited_index(b.high_board[d], b.hole_keys[d][h]);
    }
    for (int d = 0; d < n; ++d)
      for (int h = 0; h < hands; ++h) b.unsuited[d][h] = osm_omaha_unsuited_value[b.index[d][h]];
    for (int d = 0; d < n; ++d) {
      int high[kHands];
      for (int h = 0; h < hands; ++h) {
        const int* x = hole(b, d, h);
        high[h] = omaha_high_with_flush(b.high_board[d], b.hole_keys[d][h], b.unsuited[d][h], x[0], x[1], x[2], x[3]);
      }
      if constexpr (HiLo) {
        const int* c = b.board[d];
        const unsigned low_board = omaha_low_board(c[0], c[1], c[2], c[3], c[4]);
        int low[kHands];
        for (int h = 0; h < hands; ++h) {
          const int* x = hole(b, d, h);
          low[h] = eval_omaha_low_on_board(low_board, x[0], x[1], x[2], x[3]);
        }
        sum += omaha_hilo_share(high[0], low[0], high + 1, low + 1, opponents);
      } else {
        sum += omaha_high_share(high[0], high + 1, opponents);
      }
    }
  }
  const float score_sum = static_cast<float>(sum);
  return {omaha_per_mille(score_sum, trials), score_sum};
}

}  // namespace

OmahaEquity omaha_high_equity(const EquityRequest& request, std::uint32_t seed, int trials) {
  return run_omaha<false>(request, seed, trials, omaha_ranges, omaha_range_cursor);
}

OmahaEquity omaha_hilo_equity(const EquityRequest& request, std::uint32_t seed, int trials) {
  return run_omaha<true>(request, seed, trials, omahahl_ranges, omahahl_range_cursor);
}

}  // namespace oddsmith::host
