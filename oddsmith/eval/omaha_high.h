// Omaha high evaluator: exactly two of four hole cards with exactly three of five
// board cards. One lookup for the best flush (when a suit has three board and two
// hole cards), one for the best unsuited hand; the stronger wins.
// Input: distinct cards 0..51, board first.
#pragma once

#include <algorithm>

#include "eval/five_seven.h"

namespace oddsmith {

inline int eval_omaha_high(int b1, int b2, int b3, int b4, int b5, int h1, int h2, int h3, int h4) {
  const std::uint64_t* key = osm_card_key;
  const std::uint64_t board = key[b1] + key[b2] + key[b3] + key[b4] + key[b5];
  const std::uint64_t hole = key[h1] + key[h2] + key[h3] + key[h4];

  const std::uint32_t unsuited_index =
      detail::count_hash(board, osm_count_hash_low5) * tables::kHole4Size + detail::count_hash(hole, osm_count_hash_low4);
  const int unsuited = osm_omaha_unsuited_value[unsuited_index];

  // Only one suit can hold three of the five board cards.
  const unsigned board_suit = osm_board_flush_suit[detail::suit_signature(board)];
  if (!board_suit) return unsuited;
  const unsigned suit = board_suit - 1;
  const unsigned hole_n = (detail::suit_signature(hole) >> (3 * suit)) & 7u;
  if (hole_n < 2) return unsuited;

  const unsigned board_n = (detail::suit_signature(board) >> (3 * suit)) & 7u;
  const std::uint64_t* sr = osm_card_suit_rank;
  const unsigned bmask = detail::suit_rank_mask(sr[b1] | sr[b2] | sr[b3] | sr[b4] | sr[b5], suit);
  const unsigned hmask = detail::suit_rank_mask(sr[h1] | sr[h2] | sr[h3] | sr[h4], suit);
  int flush;
  if (board_n == 3 && hole_n == 2) {
    // The five suited cards are the only flush; the padded table has no entry for it.
    flush = osm_flush_value[bmask | hmask];
  } else {
    // Pad the board mask to five bits and the hole mask to four with bits 13 and 14.
    static constexpr unsigned kBoardPad[6] = {0, 0, 0, 0x6000, 0x2000, 0};
    static constexpr unsigned kHolePad[5] = {0, 0, 0x6000, 0x2000, 0};
    flush = osm_omaha_flush_value[osm_mask_hash5[bmask | kBoardPad[board_n]] * tables::kHoleMaskSize +
                                  osm_mask_hash4[hmask | kHolePad[hole_n]]];
  }
  return std::min(flush, unsuited);
}

}  // namespace oddsmith
