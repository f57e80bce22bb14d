// The shape of the evaluation tables: sizes and the card-key packing that the
// table generator writes and the evaluators read.
#pragma once

#include <cstdint>

namespace oddsmith::tables {

inline constexpr int kUnsuited5Size = 6175;    // rank_ways(13, 5)
inline constexpr int kUnsuited7Size = 49205;   // rank_ways(13, 7)
inline constexpr int kHole4Size = 1820;        // rank_ways(13, 4)
inline constexpr int kBoardMaskSize = 3003;    // C(15, 5)
inline constexpr int kHoleMaskSize = 1365;     // C(15, 4)
inline constexpr int kFlushSuitSize = 4609;

// The per-card tables (keys, suit-rank words) cover every number below 64,
// zero past the deck, so that a card may be looked up before it is checked.
inline constexpr unsigned kCardTableSize = 64;

// True when some integer lies outside the per-card tables (a negative one too,
// read unsigned): one OR and one compare for any number of cards.
template <class... Cards>
constexpr bool outside_card_tables(Cards... cards) {
  return (static_cast<unsigned>(cards) | ...) >= kCardTableSize;
}

// Card key packing: bits 0..13 hold one base-5 digit per rank 0..5 (the count of
// deuces..sevens), bits 14..30 one base-5 digit per rank 6..12, bits 32..43 the
// suit signature. Summing the keys of distinct cards never carries between digits.
inline constexpr unsigned kLowKeyBits = 14;
inline constexpr std::uint64_t kLowKeyMask = (1u << kLowKeyBits) - 1;
inline constexpr std::uint64_t kHighKeyMask = (1u << 17) - 1;
inline constexpr unsigned kSuitSignatureShift = 32;
inline constexpr std::uint64_t kRankCountMask = (std::uint64_t{1} << kSuitSignatureShift) - 1;  // bits 0..31
inline constexpr int kLowKeySize = 15625;   // 5^6
inline constexpr int kHighKeySize = 78125;  // 5^7

// Five-card Omaha: the place of a rank pair a <= b among the 91, and the value a
// pair table holds where the pair cannot stand beside the board.
inline constexpr int kRankPairs = 91;
constexpr int omaha5_pair_index(int a, int b) { return b * (b + 1) / 2 + a; }
inline constexpr std::int16_t kNoPairValue = 0x7fff;

// Short deck: the non-flush values of 5, 6 and 7 cards, one table after another,
// each indexed by the multiset index of the cards' short ranks (0..8, sixes to
// aces) sorted ascending, s0 <= s1 <= ...: the sum of C(s_i + i, i + 1). The
// tables hold C(13, 5), C(14, 6) and C(15, 7) entries.
inline constexpr int kShortDeckRankOffset[8] = {0, 0, 0, 0, 0, 0, 1287, 1287 + 3003};
inline constexpr int kShortDeckRankSize = 1287 + 3003 + 6435;

// C(n, k) for n < 16, k < 8: the multiset index's terms.
struct SmallBinomials {
  int of[16][8] = {};
  constexpr SmallBinomials() {
    for (int n = 0; n < 16; ++n) {
      of[n][0] = 1;
      for (int k = 1; k < 8 && k <= n; ++k) of[n][k] = of[n - 1][k - 1] + (k <= n - 1 ? of[n - 1][k] : 0);
    }
  }
};
inline constexpr SmallBinomials kSmallBinomials;

// Where n (5..7) short ranks, ascending, stand in the short-deck rank table.
constexpr int shortdeck_rank_index(const int* ascending, int n) {
  int index = kShortDeckRankOffset[n];
  for (int i = 0; i < n; ++i) index += kSmallBinomials.of[ascending[i] + i][i + 1];
  return index;
}

}  // namespace oddsmith::tables
