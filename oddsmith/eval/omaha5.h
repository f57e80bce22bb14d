// Five-card Omaha high evaluator: exactly two of five hole cards with exactly
// three of five board cards. The board's rank multiset picks a row of the pair
// table, which holds the best unsuited hand of every hole rank pair on that
// board; a hole's unsuited value is the best of its ten pairs' (ten reads from
// one row, which stays in the cache). A flush is looked up as in four-card
// Omaha: a hole of five suited cards as the best of its four-card parts.
// Input: distinct cards 0..51. The low half of five-card Omaha Hi/Lo depends
// only on the low ranks held, so eval/omaha_low.h serves it unchanged.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "eval/omaha_high.h"

namespace oddsmith {

namespace detail {

// tables::omaha5_pair_index of two ranks in either order.
inline constexpr auto kRankPairIndex = [] {
  std::array<std::array<std::uint8_t, 13>, 13> index{};
  for (int a = 0; a < 13; ++a)
    for (int b = 0; b < 13; ++b)
      index[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] =
          static_cast<std::uint8_t>(tables::omaha5_pair_index(std::min(a, b), std::max(a, b)));
  return index;
}();

}  // namespace detail

struct Omaha5Board {
  const std::int16_t* pair_row;  // the board's row of osm_omaha5_pair_value
  std::uint32_t suit_signature;
  std::uint64_t suit_ranks;
  unsigned flush_suit;  // 1 + the suit holding three or more board cards, or 0
};

inline Omaha5Board omaha5_board_of(std::uint64_t key_sum, std::uint64_t suit_ranks) {
  const std::uint32_t signature = detail::suit_signature(key_sum);
  const std::size_t row = std::size_t{detail::count_hash(key_sum, osm_count_hash_low5)} * tables::kRankPairs;
  return {osm_omaha5_pair_value + row, signature, suit_ranks, osm_board_flush_suit[signature]};
}

inline Omaha5Board omaha5_board(const int* b) {
  std::uint64_t keys = 0, ranks = 0;
  for (int i = 0; i < 5; ++i) {
    keys += osm_card_key[b[i]];
    ranks |= osm_card_suit_rank[b[i]];
  }
  return omaha5_board_of(keys, ranks);
}

// A hole as the evaluator reads it: its ten rank pairs, its suit signature and
// its cards' suit-rank words.
struct Omaha5Hole {
  std::array<std::uint8_t, 10> pairs;
  std::uint32_t suit_signature;
  std::uint64_t suit_ranks;
};

inline Omaha5Hole omaha5_hole(const int* h) {
  Omaha5Hole hole{};
  std::uint64_t keys = 0;
  int rank[5];
  for (int i = 0; i < 5; ++i) {
    keys += osm_card_key[h[i]];
    hole.suit_ranks |= osm_card_suit_rank[h[i]];
    rank[i] = card_rank(h[i]);
  }
  hole.suit_signature = detail::suit_signature(keys);
  std::size_t k = 0;
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j)
      hole.pairs[k++] = detail::kRankPairIndex[static_cast<std::size_t>(rank[i])][static_cast<std::size_t>(rank[j])];
  return hole;
}

inline int eval_omaha5_high_on_board(const Omaha5Board& board, const Omaha5Hole& hole) {
  const std::int16_t* row = board.pair_row;
  int best = row[hole.pairs[0]];
  for (std::size_t i = 1; i < 10; ++i) best = std::min<int>(best, row[hole.pairs[i]]);
  if (!board.flush_suit) return best;
  const unsigned suit = board.flush_suit - 1;
  const unsigned hole_n = (hole.suit_signature >> (3 * suit)) & 7u;
  if (hole_n < 2) return best;
  const unsigned board_n = (board.suit_signature >> (3 * suit)) & 7u;
  const unsigned bmask = detail::suit_rank_mask(board.suit_ranks, suit);
  const unsigned hmask = detail::suit_rank_mask(hole.suit_ranks, suit);
  if (hole_n <= 4) return std::min(best, omaha_flush_of_masks(bmask, board_n, hmask, hole_n));
  // Five suited hole cards: the best of the five ways to leave one out.
  for (unsigned rest = hmask; rest; rest &= rest - 1)
    best = std::min(best, omaha_flush_of_masks(bmask, board_n, hmask & ~(rest & -rest), 4));
  return best;
}

inline int eval_omaha5_high(const int* hole, const int* board) {
  return eval_omaha5_high_on_board(omaha5_board(board), omaha5_hole(hole));
}

// The export's evaluator: the value of any ten integers (five hole cards, then
// five board cards), or 0 when one is not a real card or two are the same.
inline int eval_omaha5_high_checked(const int* hole, const int* board) {
  CardMask seen = 0;
  for (int i = 0; i < 5; ++i)
    if (!take_card(seen, hole[i]) || !take_card(seen, board[i])) return 0;
  return eval_omaha5_high(hole, board);
}

}  // namespace oddsmith
