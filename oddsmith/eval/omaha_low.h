// Omaha eight-or-better low evaluator. The result depends only on which low
// ranks (ace = 0 .. eight = 7) occur on the board and in the hole, so it works on
// two 8-bit masks with branch-free bit arithmetic; the only table read is one
// of each card's rank bit.
//
// Rule: ranks are taken from the ace upwards; a rank only on the board is chosen
// while at most three board-only ranks have been met, a rank only in the hole
// while at most two hole-only ranks have been met, and a rank in both unless
// three hole-only and four board-only ranks lie below it. The five lowest chosen
// ranks form the low, which is the best of all 60 two-hole, three-board choices.
// A shared rank is refused only when three board-only and two hole-only ranks
// are already chosen below it, so it could never be among the lowest five: the
// bit arithmetic takes every shared rank and gets the same five.
// Input: cards 0..51, board first; a repeated card counts once.
#pragma once

#include <array>
#include <bit>

#include "cards/card.h"
#include "tables/table_layout.h"

namespace oddsmith {

namespace detail {

// 2 << rank puts deuce..king at bits 1..12 and the ace at bit 13; folding bit 13
// onto bit 0 and keeping eight bits leaves exactly the low ranks ace..eight.
// Read from a table: a shift by a count must pass through one register.
inline constexpr auto kLowRankWords = [] {
  std::array<unsigned, tables::kCardTableSize> words{};
  for (unsigned c = 0; c != words.size(); ++c) words[c] = 2u << (c / 4);
  return words;
}();
inline unsigned low_rank_word(int card) { return kLowRankWords[static_cast<unsigned>(card)]; }
template <class... Cards>
inline unsigned low_rank_words(Cards... cards) {
  return (low_rank_word(cards) | ...);
}
inline unsigned fold_low_ranks(unsigned word) { return (word | (word >> 13)) & 0xffu; }

inline unsigned clear_lowest_bits(unsigned x, int n) {
  for (int i = 0; i < n; ++i) x &= x - 1;
  return x;
}
inline unsigned lowest_bits(unsigned x, int n) { return x & ~clear_lowest_bits(x, n); }

// Low value from the board's and the hole's low-rank masks.
inline int omaha_low_from_masks(unsigned board, unsigned hole) {
  const unsigned both = board & hole, board_only = board & ~hole, hole_only = hole & ~board;
  const unsigned chosen = lowest_bits(board_only, 3) | lowest_bits(hole_only, 2) | both;
  const bool qualifies = std::popcount(board) >= 3 && std::popcount(hole) >= 2 && std::popcount(chosen) >= 5;
  return qualifies ? static_cast<int>(lowest_bits(chosen, 5)) : kNoLow;
}

}  // namespace detail

// The board's low ranks, worked out once and shared by every hand on that board.
inline unsigned omaha_low_board(int b1, int b2, int b3, int b4, int b5) {
  return detail::fold_low_ranks(detail::low_rank_words(b1, b2, b3, b4, b5));
}

inline int eval_omaha_low_on_board(unsigned board_low_ranks, int h1, int h2, int h3, int h4) {
  return detail::omaha_low_from_masks(board_low_ranks, detail::fold_low_ranks(detail::low_rank_words(h1, h2, h3, h4)));
}

inline int eval_omaha_low(int b1, int b2, int b3, int b4, int b5, int h1, int h2, int h3, int h4) {
  return eval_omaha_low_on_board(omaha_low_board(b1, b2, b3, b4, b5), h1, h2, h3, h4);
}

// The export's evaluator: the low of any nine integers (hole cards first), or
// 0 when one is not a real card (a repeat counts once, as above). One OR
// bounds every card below 64, so each has a rank word in kLowRankWords;
// cards 52..63 have ranks 13..15, whose bits lie above the ace's, so one test
// of the words finds them.
inline int eval_omaha_low_checked(int h1, int h2, int h3, int h4, int b1, int b2, int b3, int b4, int b5) {
  if (tables::outside_card_tables(h1, h2, h3, h4, b1, b2, b3, b4, b5)) return 0;
  const unsigned board = detail::low_rank_words(b1, b2, b3, b4, b5);
  const unsigned hole = detail::low_rank_words(h1, h2, h3, h4);
  if ((board | hole) >> 14) return 0;
  return detail::omaha_low_from_masks(detail::fold_low_ranks(board), detail::fold_low_ranks(hole));
}

}  // namespace oddsmith
