#include "reference_poker.h"

#include <algorithm>

namespace reference {

Strength five_card_strength(const int cards[5]) {
  int count[13] = {};
  bool flush = true;
  for (int i = 0; i < 5; ++i) {
    ++count[cards[i] / 4];
    flush = flush && cards[i] % 4 == cards[0] % 4;
  }
  // Ranks ordered by how many cards share them, then by rank: the order in which
  // they decide between two hands of one category.
  std::vector<std::pair<int, int>> groups;  // (count, rank)
  for (int r = 0; r < 13; ++r)
    if (count[r]) groups.emplace_back(count[r], r);
  std::sort(groups.rbegin(), groups.rend());
  Strength s;
  int n = 0;
  for (auto [c, r] : groups) s.ranks[static_cast<std::size_t>(n++)] = r;

  bool straight = false;
  if (groups.size() == 5) {
    if (s.ranks[0] - s.ranks[4] == 4) {
      straight = true;
    } else if (s.ranks[0] == 12 && s.ranks[1] == 3) {  // 5-4-3-2-A: the ace plays low
      straight = true;
      s.ranks = {3, 2, 1, 0, -1};
    }
  }
  const int top = groups[0].first;
  if (straight && flush) s.category = 8;
  else if (top == 4) s.category = 7;
  else if (top == 3 && groups.size() == 2) s.category = 6;
  else if (flush) s.category = 5;
  else if (straight) s.category = 4;
  else if (top == 3) s.category = 3;
  else if (top == 2 && groups.size() == 3) s.category = 2;
  else if (top == 2) s.category = 1;
  else s.category = 0;
  return s;
}

namespace {
int low_rank(int card) { return ((card + 4) % 52) / 4; }
}  // namespace

int omaha_low_brute_force(const int board[5], const int hole[4]) {
  int best = 1024;
  for (int h1 = 0; h1 < 4; ++h1)
    for (int h2 = h1 + 1; h2 < 4; ++h2)
      for (int b1 = 0; b1 < 5; ++b1)
        for (int b2 = b1 + 1; b2 < 5; ++b2)
          for (int b3 = b2 + 1; b3 < 5; ++b3) {
            int mask = 0;
            bool ok = true;
            for (int card : {hole[h1], hole[h2], board[b1], board[b2], board[b3]}) {
              const int r = low_rank(card);
              ok = ok && r <= 7 && !(mask & (1 << r));
              mask |= 1 << r;
            }
            if (ok) best = std::min(best, mask);
          }
  return best;
}

int omaha_low_walk(const int board[5], const int hole[4]) {
  int board_count[13] = {}, hole_count[13] = {};
  for (int i = 0; i < 5; ++i) ++board_count[low_rank(board[i])];
  int on_board = 0;
  for (int r = 0; r < 8; ++r) on_board += board_count[r] != 0;
  if (on_board < 3) return 1024;
  for (int i = 0; i < 4; ++i) ++hole_count[low_rank(hole[i])];
  int in_hole = 0;
  for (int r = 0; r < 8; ++r) in_hole += hole_count[r] != 0;
  if (in_hole < 2) return 1024;

  bool chosen[8] = {};
  int board_only = 0, hole_only = 0;
  for (int r = 0; r < 8; ++r) {
    const bool b = board_count[r] != 0, h = hole_count[r] != 0;
    if (b && !h) chosen[r] = ++board_only <= 3;
    else if (h && !b) chosen[r] = ++hole_only <= 2;
    else if (b && h) chosen[r] = hole_only <= 2 || board_only <= 3;
  }
  int sum = 0, taken = 0;
  for (int r = 0; r < 8; ++r) {
    if (!chosen[r]) continue;
    sum += 1 << r;
    if (++taken == 5) return sum;
  }
  return 1024;
}

}  // namespace reference
