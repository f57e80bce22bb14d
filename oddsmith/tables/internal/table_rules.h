// The rules that define every evaluation table, as plain functions. The build-time
// table generator (tools/) evaluates them once per entry; the tests use them to
// check the embedded tables. Nothing here is on a hot path.
#pragma once

#include <array>
#include <cstdint>

#include "oddsmith.h"

namespace oddsmith::rules {

using RankCounts = std::array<std::uint8_t, 13>;  // cards per rank, deuce first

// Ways to place m cards on r ranks with at most four cards on any rank.
std::int64_t rank_ways(int r, int m);

// Number of count vectors that agree on the ranks already passed and put fewer
// than c cards on the current rank, with r ranks after it and k cards left.
std::int32_t rank_count_weight(int c, int r, int k);

// Position of a count vector of total k among all such vectors (lexicographic,
// deuce count most significant, smaller counts first).
std::int32_t rank_count_hash(const RankCounts& counts, int k);

// Position of a 15-bit mask with k set bits among all such masks.
std::int32_t rank_mask_hash(unsigned mask, int k);

// Hand value (kBestHandValue best .. kWorstHandValue worst) of five cards with these rank counts.
// `suited` means all five share a suit; it only matters for five distinct ranks.
int hand_value_of_counts(const RankCounts& counts, bool suited);

// Best straight flush or flush among five of the ranks of a 13-bit mask with
// 5..9 bits set; 0 for any other mask.
int flush_value_of_mask(unsigned mask);

// Best flush from three real board ranks and two real hole ranks of two padded
// masks (bits 13 and 14 are padding); 0 where the table holds no entry.
int omaha_flush_value_of_masks(unsigned board_mask, unsigned hole_mask);

// Best unsuited hand value from three board and two hole cards with these rank
// counts; 0 when board and hole together need five cards of one rank.
int omaha_unsuited_value_of_counts(const RankCounts& board, const RankCounts& hole);

// Short deck (36 cards, sixes to aces: short ranks 0..8 stand for ranks 4..12).
// The value (1 best .. kShortDeckWorst) of five cards of these short ranks, all
// of one suit or not: a flush beats a full house, a straight beats three of a
// kind, and A-6-7-8-9 is the lowest straight.
inline constexpr int kShortDeckWorst = ODDSMITH_SHORTDECK_WORST_HAND;
int shortdeck_value_of_five(const std::array<int, 5>& short_ranks, bool suited);

// Best short-deck flush or straight flush among five of the short ranks of a
// 9-bit mask with 5 or more bits set; 0 for any other mask.
int shortdeck_flush_value_of_mask(unsigned mask);

// Best short-deck value of five of n (5..7) cards of these short ranks
// (ascending) when no five share a suit; 0 when a rank appears over four times.
int shortdeck_unsuited_value(const int* short_ranks, int n);

// Calls fn(counts) for every count vector of total k with every count at most 4,
// in increasing hash order.
template <class Fn>
void for_each_count_vector(int k, Fn&& fn) {
  RankCounts counts{};
  auto rec = [&](auto&& self, int rank, int left) -> void {
    if (rank == 13) {
      if (left == 0) fn(static_cast<const RankCounts&>(counts));
      return;
    }
    for (int c = 0; c <= 4 && c <= left; ++c) {
      counts[rank] = static_cast<std::uint8_t>(c);
      self(self, rank + 1, left - c);
    }
    counts[rank] = 0;
  };
  rec(rec, 0, k);
}

}  // namespace oddsmith::rules
