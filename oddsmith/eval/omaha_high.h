// Omaha high evaluator: exactly two of four hole cards with exactly three of five
// board cards. One lookup for the best flush (when a suit has three board and two
// hole cards), one for the best unsuited hand; the stronger wins.
// Input: distinct cards 0..51, board first. The board's part of the work can be
// done once (omaha_board) and shared by every hand valued on that board.
#pragma once

#include <algorithm>

#include "eval/five_seven.h"

namespace oddsmith {

struct OmahaBoard {
  std::uint32_t unsuited_row;  // rank_count_hash of the board x 1820
  std::uint32_t suit_signature;
  std::uint64_t suit_ranks;
  unsigned flush_suit;         // 1 + the suit holding three or more board cards, or 0
};

// The board from its cards' key sum and suit-rank words.
inline OmahaBoard omaha_board_of(std::uint64_t key_sum, std::uint64_t suit_ranks) {
  const std::uint32_t signature = detail::suit_signature(key_sum);
  return {detail::count_hash(key_sum, osm_count_hash_low5) * tables::kHole4Size, signature, suit_ranks,
          osm_board_flush_suit[signature]};
}

inline OmahaBoard omaha_board(int b1, int b2, int b3, int b4, int b5) {
  const std::uint64_t* key = osm_card_key;
  const std::uint64_t* sr = osm_card_suit_rank;
  return omaha_board_of(key[b1] + key[b2] + key[b3] + key[b4] + key[b5], sr[b1] | sr[b2] | sr[b3] | sr[b4] | sr[b5]);
}

// The sum of the hole cards' keys, which both lookups below start from.
inline std::uint64_t omaha_hole_keys(int h1, int h2, int h3, int h4) {
  const std::uint64_t* key = osm_card_key;
  return key[h1] + key[h2] + key[h3] + key[h4];
}

// Where in osm_omaha_unsuited_value the best unsuited hand of a hole lies: a
// read that misses the cache on most boards, so callers valuing many hands can
// work out every index first and then make the reads together.
inline std::uint32_t omaha_unsuited_index(const OmahaBoard& board, std::uint64_t hole_keys) {
  return board.unsuited_row + detail::count_hash(hole_keys, osm_count_hash_low4);
}

// The best flush of two of 2..4 hole cards and three of 3..5 board cards of one
// suit, given each side's rank mask in that suit and its count.
inline int omaha_flush_of_masks(unsigned bmask, unsigned board_n, unsigned hmask, unsigned hole_n) {
  // The five suited cards are the only flush; the padded table has no entry for it.
  if (board_n == 3 && hole_n == 2) return osm_flush_value[bmask | hmask];
  // Pad the board mask to five bits and the hole mask to four with bits 13 and 14.
  static constexpr unsigned kBoardPad[6] = {0, 0, 0, 0x6000, 0x2000, 0};
  static constexpr unsigned kHolePad[5] = {0, 0, 0x6000, 0x2000, 0};
  return osm_omaha_flush_value[osm_mask_hash5[bmask | kBoardPad[board_n]] * tables::kHoleMaskSize +
                               osm_mask_hash4[hmask | kHolePad[hole_n]]];
}

// The hand's value given its best unsuited value: that, or the best flush of
// two hole cards with three board cards where that is stronger. hole_ranks()
// gives the OR of the hole cards' suit-rank words, asked for only when a flush
// is possible.
template <class HoleRanks>
inline int omaha_high_with_flush(const OmahaBoard& board, std::uint64_t hole_keys, int unsuited, HoleRanks hole_ranks) {
  // Only one suit can hold three of the five board cards.
  if (!board.flush_suit) return unsuited;
  const unsigned suit = board.flush_suit - 1;
  const unsigned hole_n = (detail::suit_signature(hole_keys) >> (3 * suit)) & 7u;
  if (hole_n < 2) return unsuited;

  const unsigned board_n = (board.suit_signature >> (3 * suit)) & 7u;
  const unsigned bmask = detail::suit_rank_mask(board.suit_ranks, suit);
  const unsigned hmask = detail::suit_rank_mask(hole_ranks(), suit);
  return std::min(omaha_flush_of_masks(bmask, board_n, hmask, hole_n), unsuited);
}

inline int omaha_high_with_flush(const OmahaBoard& board, std::uint64_t hole_keys, int unsuited, int h1, int h2, int h3,
                                 int h4) {
  return omaha_high_with_flush(board, hole_keys, unsuited, [=] {
    const std::uint64_t* sr = detail::suit_rank_words();
    return sr[h1] | sr[h2] | sr[h3] | sr[h4];
  });
}

inline int eval_omaha_high_on_board(const OmahaBoard& board, int h1, int h2, int h3, int h4) {
  const std::uint64_t hole = omaha_hole_keys(h1, h2, h3, h4);
  return omaha_high_with_flush(board, hole, osm_omaha_unsuited_value[omaha_unsuited_index(board, hole)], h1, h2, h3, h4);
}

inline int eval_omaha_high(int b1, int b2, int b3, int b4, int b5, int h1, int h2, int h3, int h4) {
  return eval_omaha_high_on_board(omaha_board(b1, b2, b3, b4, b5), h1, h2, h3, h4);
}

// The export's evaluator: the value of any nine integers (hole cards first),
// or 0 when one is not a real card or two are the same card; checked as the
// seven-card export checks (eval_checked), the suit-rank words then serving
// the flush.
inline int eval_omaha_high_checked(int h1, int h2, int h3, int h4, int b1, int b2, int b3, int b4, int b5) {
  if (tables::outside_card_tables(h1, h2, h3, h4, b1, b2, b3, b4, b5)) return 0;
  const OsmTables& t = osm_tables;
  std::uint64_t board_keys = 0, board_ranks = 0, hole_keys = 0, hole_ranks = 0;
  for (const int c : {h1, h2, h3, h4}) {
    hole_keys += t.card_key[c];
    hole_ranks |= t.card_suit_rank[c];
  }
  for (const int c : {b1, b2, b3, b4, b5}) {
    board_keys += t.card_key[c];
    board_ranks |= t.card_suit_rank[c];
  }
#if defined(__GNUC__)
  // Summed before the test: left to itself, GCC holds all nine keys in
  // registers across it and saves six of its own to find them room.
  asm("" : "+r"(board_keys), "+r"(hole_keys), "+r"(board_ranks), "+r"(hole_ranks));
#endif
  if (std::popcount(board_ranks | hole_ranks) != 9) return 0;
  const OmahaBoard board = omaha_board_of(board_keys, board_ranks);
  return omaha_high_with_flush(board, hole_keys, t.omaha_unsuited_value[omaha_unsuited_index(board, hole_keys)],
                               [=] { return hole_ranks; });
}

}  // namespace oddsmith
