// The order of dealing shared by every game, for one equity call:
//   1. the known board cards are placed;
//   2. each opponent in turn gets N cards: random ones by the dealing rule, or the
//      next acceptable hand of the chosen range slot (range opponents may share
//      cards with each other: hands are checked against the player and the known
//      board only);
//   3. the board is completed by the dealing rule.
// An opponent of a range slot with no acceptable hand at all is dealt random
// cards by the dealing rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "equity/dealing.h"
#include "equity/equity_request.h"
#include "equity/range_dealer.h"

namespace oddsmith {

template <int N>
class Dealer {
  static_assert(N <= kMaxCardsPerHand);

 public:
  // `ranges` is the game's range buffer and `cursor` its process-wide cursor.
  Dealer(const EquityRequest& request, const std::int32_t* ranges, std::int32_t& cursor)
      : request_(request), fixed_(fixed_cards(request)), cursor_(cursor) {
    if (request.range > 0) {
      range_.emplace(ranges + std::ptrdiff_t{request.range - 1} * kRangeHands * N, N, fixed_);
      if (!range_->has_acceptable()) range_.reset();
    }
  }

  // Deals one trial: N cards per opponent into `opponents`, five into `board`.
  template <class Gen>
  void deal(Gen& gen, int* opponents, int* board) const {
    CardMask placed = fixed_;
    for (int i = 0; i < request_.known_board; ++i) board[i] = request_.board[i];
    if (range_) {
      for (int o = 0; o < request_.opponents; ++o) {
        const std::int32_t* stored = range_->next(cursor_);
        for (int j = 0; j < N; ++j) {
          opponents[o * N + j] = stored[j];
          placed |= card_bit(stored[j]);
        }
      }
    } else {
      // Random opponents take their cards one after another: one run of draws.
      deal_cards(gen, placed, opponents, N * request_.opponents);
    }
    deal_cards(gen, placed, board + request_.known_board, 5 - request_.known_board);
  }

 private:
  const EquityRequest& request_;
  CardMask fixed_;
  std::int32_t& cursor_;
  std::optional<RangeDealer> range_;
};

}  // namespace oddsmith
