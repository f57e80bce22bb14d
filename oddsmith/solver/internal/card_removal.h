// Card removal for four- and five-card hands by inclusion-exclusion: the
// opponent's reach over the hands that share a card with h is
//   sum over the non-empty subsets S of h of (-1)^(|S|+1) x (reach of the
//   opponent's hands holding all of S),
// so sums of the opponent's reach per card, per pair, per triple, per four
// (and five) cards stand in for a comparison of every pair of hands. Only the
// subsets that occur in a player's hands get a slot (found once per spot);
// a subset the other player never holds reads a slot that stays 0.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace oddsmith::solver {

struct SubsetIds {
  int per_hand = 0;     // 2^n - 1 subsets of an n-card hand
  int odd = 0;          // the first `odd` of a hand's subsets have odd size (added), the rest even (taken off)
  std::uint32_t slots = 0;  // the player's own subset sums; slot `slots` is the empty one (always 0)
  std::vector<std::uint32_t> own;    // [hand * per_hand + k]: its k-th subset's slot among its player's sums
  std::vector<std::uint32_t> other;  // the same subset's slot among the other player's sums (its empty slot if absent)
};

// Both players' subset slots, from their hands (cards ascending, n = 4 or 5 used).
void make_subset_ids(int n, const std::array<const std::vector<std::array<std::uint8_t, 5>>*, 2>& holes,
                     std::array<SubsetIds, 2>& out);

// A hand of reach r added to its player's subset sums.
inline void add_subsets(const std::uint32_t* own, int per_hand, float r, float* sums) {
  for (int k = 0; k < per_hand; ++k) sums[own[k]] += r;
}

// The other player's reach over the hands sharing a card with this one.
inline float blocked_reach(const std::uint32_t* other, int per_hand, int odd, const float* sums) {
  float added = 0, taken = 0;
  for (int k = 0; k < odd; ++k) added += sums[other[k]];
  for (int k = odd; k < per_hand; ++k) taken += sums[other[k]];
  return added - taken;
}

}  // namespace oddsmith::solver
