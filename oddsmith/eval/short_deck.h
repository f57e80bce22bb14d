// Short-deck (six-plus) hand values: 36 cards, sixes to aces (cards 16..51). A
// flush beats a full house, a straight beats three of a kind, and A-6-7-8-9 is
// the lowest straight. Values run from 1 (a royal flush) to
// ODDSMITH_SHORTDECK_WORST_HAND (J-9-8-7-6): lower is
// stronger, as in every evaluator here. Two table reads: the flush suit's rank
// mask when five or more cards share a suit (four of a kind and a flush never
// meet in seven cards, and a flush beats everything below), else the multiset
// of the cards' ranks.
#pragma once

#include <bit>

#include "cards/card.h"
#include "eval/five_seven.h"
#include "tables/tables.h"

namespace oddsmith {

// The value of n (5..7) distinct short-deck cards; unchecked.
inline int eval_shortdeck(const int* cards, int n) {
  unsigned suit_ranks[4] = {};
  int counts[9] = {};
  for (int i = 0; i < n; ++i) {
    const int r = card_rank(cards[i]) - 4;
    ++counts[r];
    suit_ranks[card_suit(cards[i])] |= 1u << r;
  }
  for (unsigned mask : suit_ranks)
    if (std::popcount(mask) >= 5) return osm_shortdeck_flush_value[mask];
  int ascending[7];
  int k = 0;
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < counts[r]; ++c) ascending[k++] = r;
  return osm_shortdeck_rank_value[tables::shortdeck_rank_index(ascending, n)];
}

// The calculator's form: seven cards as sums of their Hold'em card keys
// (five_seven.h), so that board and hole sums are carried and shared as in
// Hold'em; the short-deck tables take the place of Hold'em's.
inline int shortdeck_rank_only_value7(std::uint64_t key_sum) {
  return osm_shortdeck_unsuited7_value[detail::count_hash(key_sum, osm_count_hash_low7)];
}

// The flush value of seven cards' keys, or 0 when they hold no flush (then
// their true value: no full house or four of a kind beats a flush here).
inline int shortdeck_flush_value7(const BoardKeys& keys) {
  const unsigned flush = osm_flush_suit[detail::suit_signature(keys.key_sum)];
  return flush ? osm_shortdeck_flush_value[detail::suit_rank_mask(keys.suit_ranks, flush - 1) >> 4] : 0;
}

inline int eval_shortdeck_of_keys(const BoardKeys& board, const BoardKeys& hole) {
  const std::uint64_t sum = board.key_sum + hole.key_sum;
  const unsigned flush = osm_flush_suit[detail::suit_signature(sum)];
  if (flush) [[unlikely]]
    return osm_shortdeck_flush_value[detail::suit_rank_mask(board.suit_ranks | hole.suit_ranks, flush - 1) >> 4];
  return shortdeck_rank_only_value7(sum);
}

// Seven distinct short-deck cards by their summed keys: the calculator's form,
// about a fifth of eval_shortdeck's cost; unchecked.
inline int eval_shortdeck7(const int* cards) {
  const std::uint64_t* key = osm_card_key;
  const std::uint64_t* sr = osm_card_suit_rank;
  BoardKeys keys{0, 0};
  for (int i = 0; i < 7; ++i) {
    keys.key_sum += key[cards[i]];
    keys.suit_ranks |= sr[cards[i]];
  }
  const int flush = shortdeck_flush_value7(keys);
  return flush ? flush : shortdeck_rank_only_value7(keys.key_sum);
}

// The same for any integers: 0 unless the n cards are distinct short-deck cards.
inline int eval_shortdeck_checked(const int* cards, int n) {
  if (n < 5 || n > 7) return 0;
  CardMask seen = 0;
  for (int i = 0; i < n; ++i)
    if (cards[i] < kShortDeckLowestCard || !take_card(seen, cards[i])) return 0;
  return n == 7 ? eval_shortdeck7(cards) : eval_shortdeck(cards, n);
}

}  // namespace oddsmith
