// One trial's deal, in the order shared by every game:
//   1. the known board cards are placed;
//   2. each opponent in turn gets N cards: random ones by the dealing rule, or the
//      next acceptable hand of the chosen range slot (range opponents may share
//      cards with each other: hands are checked against the player and the known
//      board only);
//   3. the board is completed by the dealing rule.
// An opponent of a range slot with no acceptable hand at all is dealt random
// cards by the dealing rule.
//
// RangeDealer finds the next acceptable hand of a range slot for one call. A
// range hand is acceptable when its cards are real (0..51, not repeated) and none
// is a player card or a known board card; that does not change during a call, so
// acceptability is worked out once per call and each opponent's hand is then
// found in constant time. The slot is copied once at the start, and only the
// copy is checked and dealt: a host that rewrites the shared buffer during a call
// (against the one-call-at-a-time contract) can mix old and new hands into its
// result, but never gets an unchecked card dealt. The shared cursor moves exactly
// as a candidate-by-candidate scan would move it: to just past the hand taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "host/internal/random_cards.h"
#include "host/internal/equity_call.h"
#include "oddsmith.h"

namespace oddsmith::host {

inline constexpr int kRangeSlots = ODDSMITH_RANGE_SLOTS;
inline constexpr int kRangeHands = ODDSMITH_RANGE_HANDS;
inline constexpr int kMaxCardsPerHand = 4;

class RangeDealer {
 public:
  // `slot` points at the slot's 500 hands of `cards_per_hand` cards each.
  // At most kMaxCardsPerHand cards per hand.
  RangeDealer(const std::int32_t* slot, int cards_per_hand, CardMask player_and_known_board)
      : cards_per_hand_(cards_per_hand) {
    // Volatile reads: each stored value is read exactly once, so the compiler
    // cannot trade a read of the copy for a second read of the shared buffer.
    const volatile std::int32_t* shared = slot;
    for (int i = 0; i < kRangeHands * cards_per_hand; ++i) hands_[i] = shared[i];
    bool ok[kRangeHands];
    int next = -1;
    for (int h = kRangeHands - 1; h >= 0; --h) {
      ok[h] = acceptable(hands_ + static_cast<std::ptrdiff_t>(h) * cards_per_hand, cards_per_hand, player_and_known_board);
      if (ok[h]) next = h;
    }
    // `next` is now the first acceptable hand, where a scan past the last one wraps to.
    for (int h = kRangeHands - 1; h >= 0; --h) {
      if (ok[h]) next = h;
      next_ok_[h] = static_cast<std::int16_t>(next);
    }
  }

  // True when the slot holds at least one acceptable hand. When it holds none, a
  // scan would go once round the slot and leave the cursor where it started.
  bool has_acceptable() const { return next_ok_[0] >= 0; }

  // The next acceptable hand from the cursor on; advances the cursor past it.
  // Only call when has_acceptable().
  const std::int32_t* next(std::int32_t& cursor) const {
    const int at = cursor >= 0 && cursor < kRangeHands ? cursor : 0;
    const int h = next_ok_[at];
    cursor = h + 1 == kRangeHands ? 0 : h + 1;
    return hands_ + static_cast<std::ptrdiff_t>(h) * cards_per_hand_;
  }

 private:
  static bool acceptable(const std::int32_t* hand, int n, CardMask blocked) {
    CardMask seen = 0;
    for (int i = 0; i < n; ++i)
      if (!take_card(seen, hand[i])) return false;
    return (seen & blocked) == 0;
  }

  int cards_per_hand_;
  std::int32_t hands_[kRangeHands * kMaxCardsPerHand];  // this call's copy of the slot
  std::int16_t next_ok_[kRangeHands];
};

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
  // Moves the range cursor past each range hand dealt (so it is not const).
  template <class Gen>
  void deal(Gen& gen, int* opponents, int* board) {
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

}  // namespace oddsmith::host
