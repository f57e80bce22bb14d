// The embedded tables against the rules that define them, and the properties of
// the two perfect hashes.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <set>
#include <vector>

#include "cards/card.h"
#include "cards/binomial.h"
#include "tables/internal/table_rules.h"
#include "tables/tables.h"
#include "eval/five_seven.h"

namespace {

using namespace oddsmith;
using rules::RankCounts;

TEST(Cards, RankAndSuitOfEveryCard) {
  for (int c = 0; c < 52; ++c) {
    EXPECT_EQ(card_rank(c), c / 4);
    EXPECT_EQ(card_suit(c), c % 4);
    EXPECT_EQ(osm_rank_bit[c], 1 << (c / 4));
    EXPECT_EQ(osm_suit_weight[c], 1 << (3 * (c % 4)));
  }
  EXPECT_EQ(make_card(12, 3), 51);  // As
  EXPECT_EQ(make_card(0, 0), 0);    // 2c
}

TEST(RankCountHash, WaysAndTellingRow) {
  EXPECT_EQ(rules::rank_ways(13, 4), 1820);
  EXPECT_EQ(rules::rank_ways(13, 5), 6175);
  EXPECT_EQ(rules::rank_ways(13, 7), 49205);
  const int row[10] = {1, 13, 91, 455, 1820, 6175, 18395, 49205, 120055, 270270};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(osm_rank_count_weight[1][13][k], row[k]) << "k=" << k;
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 14; ++r)
      for (int k = 0; k < 10; ++k) {
        ASSERT_EQ(osm_rank_count_weight[c][r][k], rules::rank_count_weight(c, r, k));
        if (c == 0 || r == 0) {
          ASSERT_EQ(osm_rank_count_weight[c][r][k], 0);
        }
      }
}

RankCounts counts_of(std::initializer_list<int> ranks) {
  RankCounts c{};
  for (int r : ranks) ++c[static_cast<std::size_t>(r)];
  return c;
}

TEST(RankCountHash, FixedPoints) {
  EXPECT_EQ(rules::rank_count_hash(counts_of({11, 12, 12, 12, 12}), 5), 0);
  EXPECT_EQ(rules::rank_count_hash(counts_of({0, 0, 0, 0, 1}), 5), 6174);
  EXPECT_EQ(rules::rank_count_hash(counts_of({12, 12, 12, 12}), 4), 0);
  EXPECT_EQ(rules::rank_count_hash(counts_of({0, 0, 0, 0}), 4), 1819);
  EXPECT_EQ(rules::rank_count_hash(counts_of({11, 11, 11, 12, 12, 12, 12}), 7), 0);
  EXPECT_EQ(rules::rank_count_hash(counts_of({0, 0, 0, 0, 1, 1, 1}), 7), 49204);
}

// The hash is a bijection onto 0..ways-1, and the evaluators' table-driven hash
// (card keys summed, two partial lookups) gives the same index for every vector.
TEST(RankCountHash, BijectionAndFastPathAgree) {
  const std::uint16_t* low_tables[8] = {};
  low_tables[4] = osm_count_hash_low4;
  low_tables[5] = osm_count_hash_low5;
  low_tables[7] = osm_count_hash_low7;
  for (int k : {4, 5, 7}) {
    std::vector<char> seen(static_cast<std::size_t>(rules::rank_ways(13, k)));
    int vectors = 0;
    rules::for_each_count_vector(k, [&](const RankCounts& counts) {
      const int h = rules::rank_count_hash(counts, k);
      ASSERT_GE(h, 0);
      ASSERT_LT(h, static_cast<int>(seen.size()));
      ASSERT_FALSE(seen[static_cast<std::size_t>(h)]) << "collision at " << h;
      seen[static_cast<std::size_t>(h)] = 1;
      ++vectors;
      std::uint64_t key_sum = 0;  // one card of each suit per copy of a rank
      for (int r = 0; r < 13; ++r)
        for (int s = 0; s < counts[r]; ++s) key_sum += osm_card_key[make_card(r, s)];
      ASSERT_EQ(detail::count_hash(key_sum, low_tables[k]), static_cast<std::uint32_t>(h));
    });
    EXPECT_EQ(vectors, static_cast<int>(seen.size()));
  }
}

TEST(RankMaskHash, BijectionFixedPointsAndTables) {
  EXPECT_EQ(rules::rank_mask_hash(0x001f, 5), 3002);
  EXPECT_EQ(rules::rank_mask_hash(0x7c00, 5), 0);
  EXPECT_EQ(rules::rank_mask_hash(0x000f, 4), 1364);
  EXPECT_EQ(rules::rank_mask_hash(0x7800, 4), 0);
  for (int k : {4, 5}) {
    std::set<int> seen;
    for (unsigned m = 0; m < 32768; ++m) {
      if (std::popcount(m) != k) continue;
      const int h = rules::rank_mask_hash(m, k);
      seen.insert(h);
      ASSERT_EQ(k == 4 ? osm_mask_hash4[m] : osm_mask_hash5[m], h);
    }
    EXPECT_EQ(static_cast<int>(seen.size()), oddsmith::binomial(15, k));
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), oddsmith::binomial(15, k) - 1);
  }
  for (int n = 0; n < 15; ++n)
    for (int k = 0; k < 6; ++k) EXPECT_EQ(osm_binomial[n][k], oddsmith::binomial(n, k));
}

TEST(FlushTables, SuitAndValue) {
  EXPECT_EQ(osm_flush_suit[5], 1);
  EXPECT_EQ(osm_flush_suit[2688], 4);
  EXPECT_EQ(osm_flush_suit[2240], 0);
  // Every signature of five or seven distinct cards.
  for (int n : {5, 7})
    for (int c = 0; c <= n; ++c)
      for (int d = 0; c + d <= n; ++d)
        for (int h = 0; c + d + h <= n; ++h) {
          const int s = n - c - d - h;
          if (c > 13 || d > 13 || h > 13 || s > 13) continue;
          const int counts[4] = {c, d, h, s};
          int expected = 0;
          for (int suit = 0; suit < 4; ++suit)
            if (counts[suit] >= 5) expected = suit + 1;
          ASSERT_EQ(osm_flush_suit[c + 8 * d + 64 * h + 512 * s], expected);
        }
  EXPECT_EQ(osm_flush_value[0x1f00], 1);     // A K Q J T
  EXPECT_EQ(osm_flush_value[0x1fc0], 1);     // A K Q J T 9 8
  EXPECT_EQ(osm_flush_value[0x100f], 10);    // 5 4 3 2 A
  EXPECT_EQ(osm_flush_value[0x001f], 9);     // 6 5 4 3 2
  EXPECT_EQ(osm_flush_value[0x002f], 1599);  // 7 5 4 3 2
  for (unsigned m = 0; m < 8192; ++m) {
    const int bits = std::popcount(m);
    const int expected = (bits < 5 || bits > 9) ? 0 : rules::flush_value_of_mask(m);
    ASSERT_EQ(osm_flush_value[m], expected) << m;
  }
}

TEST(OmahaTables, EmptyEntriesAreZero) {
  // Three real board ranks and two real hole ranks: valued through flush_value instead.
  for (unsigned b = 0; b < 8192; ++b) {
    if (std::popcount(b) != 3) continue;
    for (unsigned h = 0; h < 8192; ++h) {
      if (std::popcount(h) != 2 || (b & h)) continue;
      ASSERT_EQ(osm_omaha_flush_value[osm_mask_hash5[b | 0x6000] * 1365 + osm_mask_hash4[h | 0x6000]], 0);
    }
  }
  // Four aces in the hole with an ace on the board: five of one rank.
  int zero_entries = 0;
  rules::for_each_count_vector(5, [&](const RankCounts& board) {
    if (board[12] == 0) return;
    const int hb = rules::rank_count_hash(board, 5);
    ASSERT_EQ(osm_omaha_unsuited_value[hb * 1820 + rules::rank_count_hash(counts_of({12, 12, 12, 12}), 4)], 0);
    ++zero_entries;
  });
  EXPECT_GT(zero_entries, 0);
}

TEST(OmahaTables, RandomEntriesFollowTheirRules) {
  std::mt19937 rng(1);
  std::vector<RankCounts> boards, holes;
  rules::for_each_count_vector(5, [&](const RankCounts& c) { boards.push_back(c); });
  rules::for_each_count_vector(4, [&](const RankCounts& c) { holes.push_back(c); });
  for (int i = 0; i < 20000; ++i) {
    const RankCounts& b = boards[rng() % boards.size()];
    const RankCounts& h = holes[rng() % holes.size()];
    ASSERT_EQ(osm_omaha_unsuited_value[rules::rank_count_hash(b, 5) * 1820 + rules::rank_count_hash(h, 4)],
              rules::omaha_unsuited_value_of_counts(b, h));
  }
  // Padded masks as the evaluator forms them: 3..5 real board ranks, 2..4 real
  // hole ranks, padding bits 13 and 14 for the missing ones.
  const unsigned pad[3] = {0x6000, 0x2000, 0};
  for (int i = 0; i < 20000; ++i) {
    const int nb = 3 + static_cast<int>(rng() % 3), nh = 2 + static_cast<int>(rng() % 3);
    unsigned b = 0, h = 0;
    while (std::popcount(b) < nb) b |= 1u << (rng() % 13);
    while (std::popcount(h) < nh) h |= 1u << (rng() % 13);
    if (i % 2) h &= ~b;  // half of them disjoint, as real suited cards are
    if (std::popcount(h) != nh) continue;
    b |= pad[nb - 3];
    h |= pad[nh - 2];
    ASSERT_EQ(osm_omaha_flush_value[osm_mask_hash5[b] * 1365 + osm_mask_hash4[h]],
              rules::omaha_flush_value_of_masks(b, h));
  }
}

}  // namespace
