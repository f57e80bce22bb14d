#include "tables/internal/table_rules.h"

#include "oddsmith.h"
#include "cards/binomial.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <vector>

namespace oddsmith::rules {

std::int64_t rank_ways(int r, int m) {
  if (m < 0 || r < 0 || m > 4 * r) return 0;
  // The recursion is exponential when followed literally, so small arguments
  // come from a table filled by the same recurrence.
  constexpr int kMaxR = 14;
  static const auto table = [] {
    std::array<std::array<std::int64_t, 4 * kMaxR + 1>, kMaxR + 1> t{};
    t[0][0] = 1;
    for (int rr = 1; rr <= kMaxR; ++rr)
      for (int mm = 0; mm <= 4 * rr; ++mm)
        for (int c = 0; c <= 4 && c <= mm; ++c) t[rr][mm] += t[rr - 1][mm - c];
    return t;
  }();
  if (r <= kMaxR) return table[r][m];
  std::int64_t sum = 0;
  for (int c = 0; c <= 4; ++c) sum += rank_ways(r - 1, m - c);
  return sum;
}

std::int32_t rank_count_weight(int c, int r, int k) {
  // With no rank after it the current rank must take every card left, so no
  // smaller count leaves a complete vector. (The sum below would count one
  // vector when c > k, a case the hash never reaches; the table holds 0 there.)
  if (r == 0) return 0;
  std::int64_t sum = 0;
  for (int prev = 0; prev < c; ++prev) sum += rank_ways(r, k - prev);
  return static_cast<std::int32_t>(sum);
}


std::int32_t rank_count_hash(const RankCounts& counts, int k) {
  std::int32_t h = 0;
  int left = k;
  for (int j = 0; j < 13; ++j) {
    const int c = counts[j];
    h += rank_count_weight(c, 12 - j, left);
    left -= c;
    if (left <= 0) break;
  }
  return h;
}

std::int32_t rank_mask_hash(unsigned mask, int k) {
  std::int32_t h = 0;
  int left = k;
  for (int p = 0; p < 15; ++p) {
    if (!(mask & (1u << p))) continue;
    h += static_cast<std::int32_t>(binomial(14 - p, left));
    if (--left == 0) break;
  }
  return h;
}

namespace {

// Position of `chosen` (k ranks, strongest first) among all k-subsets of `avail`
// (n ranks, strongest first), the subsets ordered strongest first.
int subset_index(const int* chosen, int k, const int* avail, int n) {
  int idx = 0;
  int prev = -1;
  for (int i = 0; i < k; ++i) {
    const int p = static_cast<int>(std::find(avail, avail + n, chosen[i]) - avail);
    for (int q = prev + 1; q < p; ++q) idx += static_cast<int>(binomial(n - 1 - q, k - 1 - i));
    prev = p;
  }
  return idx;
}

// Ranks 12..0 without the excluded ones; returns how many were written.
int ranks_except(int* out, int excl_a, int excl_b = -1) {
  int n = 0;
  for (int r = 12; r >= 0; --r)
    if (r != excl_a && r != excl_b) out[n++] = r;
  return n;
}

// Top rank of a straight made by five distinct ranks (strongest first), or -1.
// The wheel 5-4-3-2-A has top rank 3 (the five).
int straight_top(const int* s) {
  if (s[0] - s[4] == 4) return s[0];
  if (s[0] == 12 && s[1] == 3 && s[4] == 0) return 3;
  return -1;
}

// Position of five distinct non-straight ranks among all such sets, strongest first.
int no_pair_index(const int* s) {
  int all[13];
  ranks_except(all, -1);
  const int idx = subset_index(s, 5, all, 13);
  int straights_before = 0;
  for (int top = 12; top >= 3; --top) {
    int st[5];
    if (top == 3) {
      st[0] = 12; st[1] = 3; st[2] = 2; st[3] = 1; st[4] = 0;
    } else {
      for (int i = 0; i < 5; ++i) st[i] = top - i;
    }
    if (subset_index(st, 5, all, 13) < idx) ++straights_before;
  }
  return idx - straights_before;
}

// Index of rank r among the ranks 12..0 with `excluded` ranks left out.
int rank_index_except(int r, int excl_a, int excl_b = -1) {
  return (12 - r) - (excl_a > r ? 1 : 0) - (excl_b > r ? 1 : 0);
}

}  // namespace

int hand_value_of_counts(const RankCounts& counts, bool suited) {
  int quads = -1, trips = -1;
  int pairs[2] = {-1, -1}, singles[5] = {-1, -1, -1, -1, -1};
  int np = 0, ns = 0;
  for (int r = 12; r >= 0; --r) {
    switch (counts[r]) {
      case 4: quads = r; break;
      case 3: trips = r; break;
      case 2: pairs[np++] = r; break;
      case 1: singles[ns++] = r; break;
      default: break;
    }
  }
  int avail[13];
  if (quads >= 0) return ODDSMITH_FIRST_FOUR_OF_A_KIND + (12 - quads) * 12 + rank_index_except(singles[0], quads);
  if (trips >= 0 && np == 1) return ODDSMITH_FIRST_FULL_HOUSE + (12 - trips) * 12 + rank_index_except(pairs[0], trips);
  if (ns == 5) {
    const int top = straight_top(singles);
    if (suited) return top >= 0 ? ODDSMITH_FIRST_STRAIGHT_FLUSH + (12 - top) : ODDSMITH_FIRST_FLUSH + no_pair_index(singles);
    return top >= 0 ? ODDSMITH_FIRST_STRAIGHT + (12 - top) : ODDSMITH_FIRST_HIGH_CARD + no_pair_index(singles);
  }
  if (trips >= 0) {
    const int n = ranks_except(avail, trips);
    return ODDSMITH_FIRST_THREE_OF_A_KIND + (12 - trips) * 66 + subset_index(singles, 2, avail, n);
  }
  if (np == 2) {
    ranks_except(avail, -1);
    return ODDSMITH_FIRST_TWO_PAIR + subset_index(pairs, 2, avail, 13) * 11 +
           rank_index_except(singles[0], pairs[0], pairs[1]);
  }
  const int n = ranks_except(avail, pairs[0]);
  return ODDSMITH_FIRST_ONE_PAIR + (12 - pairs[0]) * 220 + subset_index(singles, 3, avail, n);
}

namespace {

RankCounts counts_of_mask(unsigned mask) {
  RankCounts c{};
  for (int r = 0; r < 13; ++r) c[r] = (mask >> r) & 1u;
  return c;
}

// Calls fn(sub) for every subset of `mask` with exactly k bits.
template <class Fn>
void for_each_subset(unsigned mask, int k, Fn&& fn) {
  for (unsigned sub = mask;; sub = (sub - 1) & mask) {
    if (std::popcount(sub) == k) fn(sub);
    if (sub == 0) break;
  }
}

}  // namespace

int flush_value_of_mask(unsigned mask) {
  mask &= 0x1fffu;
  const int bits = std::popcount(mask);
  if (bits < 5 || bits > 9) return 0;
  int best = 10000;
  for_each_subset(mask, 5, [&](unsigned sub) {
    best = std::min(best, hand_value_of_counts(counts_of_mask(sub), true));
  });
  return best;
}

int omaha_flush_value_of_masks(unsigned board_mask, unsigned hole_mask) {
  const unsigned b_real = board_mask & 0x1fffu, h_real = hole_mask & 0x1fffu;
  const unsigned b_pad = board_mask >> 13, h_pad = hole_mask >> 13;
  const int nb = std::popcount(b_real), nh = std::popcount(h_real);
  const bool board_ok = (nb == 5 && b_pad == 0) || (nb == 4 && b_pad == 1) || (nb == 3 && b_pad == 3);
  const bool hole_ok = (nh == 4 && h_pad == 0) || (nh == 3 && h_pad == 1) || (nh == 2 && h_pad == 3);
  if (!board_ok || !hole_ok || (b_real & h_real) || (nb == 3 && nh == 2)) return 0;
  int best = 10000;
  for_each_subset(b_real, 3, [&](unsigned b3) {
    for_each_subset(h_real, 2, [&](unsigned h2) {
      best = std::min(best, flush_value_of_mask(b3 | h2));
    });
  });
  return best;
}

int omaha_unsuited_value_of_counts(const RankCounts& board, const RankCounts& hole) {
  for (int r = 0; r < 13; ++r)
    if (board[r] + hole[r] > 4) return 0;
  int best = 10000;
  RankCounts pick{};
  // Chooses `need` more cards from `from` at ranks >= rank, then calls next().
  auto choose = [&](auto&& self, const RankCounts& from, int rank, int need, auto&& next) -> void {
    if (need == 0) { next(); return; }
    if (rank == 13) return;
    for (int c = 0; c <= from[rank] && c <= need; ++c) {
      pick[rank] = static_cast<std::uint8_t>(pick[rank] + c);
      self(self, from, rank + 1, need - c, next);
      pick[rank] = static_cast<std::uint8_t>(pick[rank] - c);
    }
  };
  choose(choose, board, 0, 3, [&] {
    choose(choose, hole, 0, 2, [&] { best = std::min(best, hand_value_of_counts(pick, false)); });
  });
  return best;
}

namespace {

// A short-deck hand's strength as a comparable tuple: category (8 straight
// flush, 7 four of a kind, 6 flush, 5 full house, 4 straight, 3 three of a
// kind, 2 two pair, 1 one pair, 0 high card), then ranks in order of importance.
std::array<int, 6> shortdeck_strength(const std::array<int, 5>& ranks, bool suited) {
  std::array<int, 9> counts{};
  for (int r : ranks) ++counts[static_cast<std::size_t>(r)];
  std::array<int, 5> order = ranks;  // by count, then rank, both descending
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const int ca = counts[static_cast<std::size_t>(a)], cb = counts[static_cast<std::size_t>(b)];
    return ca != cb ? ca > cb : a > b;
  });
  const int most = counts[static_cast<std::size_t>(order[0])];
  const int second = counts[static_cast<std::size_t>(order[most])];
  const bool distinct = most == 1;
  int straight_top = -1;
  if (distinct && order[0] - order[4] == 4) straight_top = order[0];
  if (distinct && order[0] == 8 && order[1] == 3 && order[4] == 0) straight_top = 3;  // A-6-7-8-9: the nine plays high
  int category = 0;
  if (straight_top >= 0 && suited) category = 8;
  else if (most == 4) category = 7;
  else if (suited) category = 6;
  else if (most == 3 && second == 2) category = 5;
  else if (straight_top >= 0) category = 4;
  else if (most == 3) category = 3;
  else if (most == 2 && second == 2) category = 2;
  else if (most == 2) category = 1;
  if (straight_top >= 0 && (category == 8 || category == 4)) return {category, straight_top, 0, 0, 0, 0};
  return {category, order[0], order[1], order[2], order[3], order[4]};
}

// Every strength a short-deck hand can have, strongest first: a value is a place here.
const std::vector<std::array<int, 6>>& shortdeck_strengths() {
  static const std::vector<std::array<int, 6>> all = [] {
    std::vector<std::array<int, 6>> s;
    std::array<int, 5> r{};
    for (r[0] = 0; r[0] < 9; ++r[0])
      for (r[1] = r[0]; r[1] < 9; ++r[1])
        for (r[2] = r[1]; r[2] < 9; ++r[2])
          for (r[3] = r[2]; r[3] < 9; ++r[3])
            for (r[4] = r[3]; r[4] < 9; ++r[4]) {
              if (r[0] == r[4]) continue;  // five of a rank
              s.push_back(shortdeck_strength(r, false));
              if (r[0] < r[1] && r[1] < r[2] && r[2] < r[3] && r[3] < r[4]) s.push_back(shortdeck_strength(r, true));
            }
    std::sort(s.begin(), s.end(), std::greater<>());
    s.erase(std::unique(s.begin(), s.end()), s.end());
    return s;
  }();
  return all;
}

}  // namespace

int shortdeck_value_of_five(const std::array<int, 5>& short_ranks, bool suited) {
  const auto& all = shortdeck_strengths();
  const auto at = std::lower_bound(all.begin(), all.end(), shortdeck_strength(short_ranks, suited), std::greater<>());
  return static_cast<int>(at - all.begin()) + 1;
}

int shortdeck_flush_value_of_mask(unsigned mask) {
  mask &= 0x1ffu;
  if (std::popcount(mask) < 5) return 0;
  int best = kShortDeckWorst + 1;
  for_each_subset(mask, 5, [&](unsigned sub) {
    std::array<int, 5> r{};
    int n = 0;
    for (int b = 0; b < 9; ++b)
      if (sub & (1u << b)) r[static_cast<std::size_t>(n++)] = b;
    best = std::min(best, shortdeck_value_of_five(r, true));
  });
  return best;
}

int shortdeck_unsuited_value(const int* short_ranks, int n) {
  std::array<int, 9> counts{};
  for (int i = 0; i < n; ++i)
    if (++counts[static_cast<std::size_t>(short_ranks[i])] > 4) return 0;
  // Every choice of the n - 5 cards left out: none, one (skip_a), or two (skip_a < skip_b).
  int best = kShortDeckWorst + 1;
  for (int skip_a = n == 5 ? n : 0; skip_a <= n; ++skip_a) {
    for (int skip_b = n == 7 ? skip_a + 1 : n; skip_b <= n; ++skip_b) {
      if ((n == 6 && skip_a == n) || (n == 7 && (skip_a == n || skip_b == n))) continue;
      std::array<int, 5> r{};
      std::size_t k = 0;
      for (int i = 0; i < n; ++i)
        if (i != skip_a && i != skip_b) r[k++] = short_ranks[i];
      best = std::min(best, shortdeck_value_of_five(r, false));
    }
  }
  return best;
}

}  // namespace oddsmith::rules
