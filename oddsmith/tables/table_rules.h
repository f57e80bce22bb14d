// The rules that define every evaluation table, as plain functions. The build-time
// table generator (tools/) evaluates them once per entry; the tests use them to
// check the embedded tables. Nothing here is on a hot path.
#pragma once

#include <array>
#include <cstdint>

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
