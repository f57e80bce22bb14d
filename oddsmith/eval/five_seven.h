// Five- and seven-card high evaluators (and the best five of six): a flush test on
// the suit signature, then either the flush table or an unsuited table indexed
// by the rank-count hash.
// Inline because the equity trials call them in their innermost loop.
// Input: distinct cards 0..51 (the exports check; internal callers guarantee it).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>

#include "cards/card.h"
#include "tables/tables.h"

namespace oddsmith {

namespace detail {

// The suit-rank words' table, as an address the compiler may not relate to the
// card keys' (one object holds both): otherwise it works out every card's
// scaled index before the flush test, to share it with the rare flush branch,
// and spills registers on the common path to hold them.
inline const std::uint64_t* suit_rank_words() {
  const std::uint64_t* words = osm_card_suit_rank;
#if defined(__GNUC__)
  asm("" : "+r"(words));
#endif
  return words;
}

inline std::uint32_t suit_signature(std::uint64_t key_sum) {
  return static_cast<std::uint32_t>(key_sum >> tables::kSuitSignatureShift);
}

// rank_count_hash of the counts packed in a key sum, given the low-rank table for
// the number of cards summed.
inline std::uint32_t count_hash(std::uint64_t key_sum, const std::uint16_t* low_table) {
  return static_cast<std::uint32_t>(low_table[key_sum & tables::kLowKeyMask]) +
         osm_count_hash_high[(key_sum >> tables::kLowKeyBits) & tables::kHighKeyMask];
}

// Rank mask of one suit from the OR of the cards' suit-rank words.
inline unsigned suit_rank_mask(std::uint64_t suit_ranks, unsigned suit) {
  return static_cast<unsigned>(suit_ranks >> (16 * suit)) & 0x1fffu;
}

}  // namespace detail

inline int eval5(int c1, int c2, int c3, int c4, int c5) {
  const std::uint64_t* key = osm_card_key;
  const std::uint64_t sum = key[c1] + key[c2] + key[c3] + key[c4] + key[c5];
  const unsigned flush = osm_flush_suit[detail::suit_signature(sum)];
  if (flush) [[unlikely]] {
    const std::uint64_t* sr = detail::suit_rank_words();
    return osm_flush_value[detail::suit_rank_mask(sr[c1] | sr[c2] | sr[c3] | sr[c4] | sr[c5], flush - 1)];
  }
  return osm_unsuited5_value[detail::count_hash(sum, osm_count_hash_low5)];
}

// eval7 given the seven cards' key sum, for callers that share part of it
// between hands; the cards themselves are read again only for a flush.
inline int eval7_of_sum(std::uint64_t sum, int c1, int c2, int c3, int c4, int c5, int c6, int c7) {
  const unsigned flush = osm_flush_suit[detail::suit_signature(sum)];
  if (flush) [[unlikely]] {
    // No full house or four of a kind can stand beside five suited cards of seven.
    const std::uint64_t* sr = detail::suit_rank_words();
    const std::uint64_t ranks = sr[c1] | sr[c2] | sr[c3] | sr[c4] | sr[c5] | sr[c6] | sr[c7];
    return osm_flush_value[detail::suit_rank_mask(ranks, flush - 1)];
  }
  return osm_unsuited7_value[detail::count_hash(sum, osm_count_hash_low7)];
}

inline int eval7(int c1, int c2, int c3, int c4, int c5, int c6, int c7) {
  const std::uint64_t* key = osm_card_key;
  return eval7_of_sum(key[c1] + key[c2] + key[c3] + key[c4] + key[c5] + key[c6] + key[c7], c1, c2, c3, c4, c5, c6, c7);
}

// The exports' evaluators: the value of any seven (five) integers, or 0 when
// one is not a real card or two are the same card. One OR bounds every card
// below 64, which the per-card tables cover (zero past the deck); the cards'
// suit-rank words, one bit per card, then show a repeat or a card past the
// deck by their count, and give a flush its ranks, so no card is read twice.
namespace detail {

// A flush leaves by a tail call: valued inline, it shares an exit with the
// common path and takes a callee-saved register from it.
[[gnu::noinline]] inline int flush_of_checked(std::uint64_t key_sum, std::uint64_t suit_ranks) {
  return osm_flush_value[suit_rank_mask(suit_ranks, osm_flush_suit[suit_signature(key_sum)] - 1u)];
}

// The bits set in a word. GCC clears popcnt's destination first (a false
// dependency on some processors), which here costs a register it then has to
// find by moving cards around.
inline std::uint64_t card_count(std::uint64_t suit_ranks) {
#if defined(__GNUC__) && defined(__POPCNT__) && defined(__x86_64__)
  std::uint64_t n;
  asm("popcnt {%1, %0|%0, %1}" : "=r"(n) : "r"(suit_ranks));
  return n;
#else
  return static_cast<std::uint64_t>(std::popcount(suit_ranks));
#endif
}

template <int N, class... Cards>
inline int eval_checked(Cards... cards) {
  if (tables::outside_card_tables(cards...)) return 0;
  const OsmTables& t = osm_tables;
  std::uint64_t sum = 0, ranks = 0;
  ((sum += t.card_key[static_cast<unsigned>(cards)], ranks |= t.card_suit_rank[static_cast<unsigned>(cards)]), ...);
  if (card_count(ranks) != N) return 0;
  if (t.flush_suit[suit_signature(sum)]) [[unlikely]]
    return flush_of_checked(sum, ranks);
  if constexpr (N == 7)
    return t.unsuited7_value[count_hash(sum, t.count_hash_low7)];
  else
    return t.unsuited5_value[count_hash(sum, t.count_hash_low5)];
}

}  // namespace detail

inline int eval7_checked(int c1, int c2, int c3, int c4, int c5, int c6, int c7) {
  return detail::eval_checked<7>(c1, c2, c3, c4, c5, c6, c7);
}

inline int eval5_checked(int c1, int c2, int c3, int c4, int c5) {
  return detail::eval_checked<5>(c1, c2, c3, c4, c5);
}

// The best five of six cards: the strongest of the six hands that leave one card
// out, or 0 (never a hand value) unless the six are real and all different.
inline int eval6_checked(const int* cards) {
  CardMask seen = 0;
  for (int c = 0; c < 6; ++c)
    if (!take_card(seen, cards[c])) return 0;
  int best = kWorstHandValue;
  for (int skip = 0; skip < 6; ++skip) {
    int five[5], n = 0;
    for (int c = 0; c < 6; ++c)
      if (c != skip) five[n++] = cards[c];
    best = std::min(best, eval5(five[0], five[1], five[2], five[3], five[4]));
  }
  return best;
}

// Five board cards prepared once, so that each player's seven-card value costs
// two more key reads: the calculator values every player against one board.
struct BoardKeys {
  std::uint64_t key_sum;
  std::uint64_t suit_ranks;
};

inline BoardKeys board_keys(const int* board) {
  BoardKeys k{0, 0};
  for (int i = 0; i < 5; ++i) {
    k.key_sum += osm_card_key[board[i]];
    k.suit_ranks |= osm_card_suit_rank[board[i]];
  }
  return k;
}

// The keys of a set of cards (any number), added up card by card.
inline BoardKeys add_card(BoardKeys k, int card) {
  return {k.key_sum + osm_card_key[card], k.suit_ranks | osm_card_suit_rank[card]};
}

// Value of seven cards given as the sum of two key sets (board and hole cards),
// so that callers who keep the sums up to date pay no per-card reads.
inline int eval7_of_keys(const BoardKeys& board, const BoardKeys& hole) {
  const std::uint64_t sum = board.key_sum + hole.key_sum;
  const unsigned flush = osm_flush_suit[detail::suit_signature(sum)];
  if (flush) [[unlikely]]
    return osm_flush_value[detail::suit_rank_mask(board.suit_ranks | hole.suit_ranks, flush - 1)];
  return osm_unsuited7_value[detail::count_hash(sum, osm_count_hash_low7)];
}

// For sweeps that count boards by their ranks. A card key's rank-count digits:
// adding it k times adds k cards of `rank` without saying which suits.
inline std::uint64_t rank_count_key(int rank) { return osm_card_key[make_card(rank, 0)] & tables::kRankCountMask; }

// The value of seven cards, given their key sum, as if they held no flush: it
// depends on their ranks alone, so one value serves every suit pattern.
inline int rank_only_value7(std::uint64_t key_sum) {
  return osm_unsuited7_value[detail::count_hash(key_sum, osm_count_hash_low7)];
}

// Whether five board cards (their key sum) leave any seven-card hand a flush:
// only when three or more of them share a suit. On other boards every hand's
// value is its rank-only value.
inline bool board_allows_flush(std::uint64_t board_key_sum) {
  return osm_board_flush_suit[detail::suit_signature(board_key_sum)] != 0;
}

// The flush value of seven cards' keys, or 0 when they hold no flush. Where it
// is not 0 it is the cards' true value: no full house or four of a kind can
// stand beside five suited cards of seven.
inline int flush_value7(const BoardKeys& keys) {
  const unsigned flush = osm_flush_suit[detail::suit_signature(keys.key_sum)];
  return flush ? osm_flush_value[detail::suit_rank_mask(keys.suit_ranks, flush - 1)] : 0;
}

}  // namespace oddsmith
