// Subset slots for card removal by inclusion-exclusion (internal/card_removal.h).
#include "solver/internal/card_removal.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

#include "cards/card.h"

namespace oddsmith::solver {

namespace {

// The non-empty subsets of n cards as bit masks of the hand's positions: odd
// sizes first (added), then even ones (taken off).
std::vector<unsigned> subset_order(int n) {
  std::vector<unsigned> order;
  for (unsigned m = 1; m < (1u << n); ++m) order.push_back(m);
  std::stable_sort(order.begin(), order.end(), [](unsigned a, unsigned b) {
    const int pa = std::popcount(a) & 1, pb = std::popcount(b) & 1;
    return pa != pb ? pa > pb : std::popcount(a) < std::popcount(b);
  });
  return order;
}

CardMask subset_mask(const std::array<std::uint8_t, 5>& cards, unsigned positions) {
  CardMask m = 0;
  for (int i = 0; i < 5; ++i)
    if (positions >> i & 1u) m |= card_bit(cards[static_cast<std::size_t>(i)]);
  return m;
}

}  // namespace

void make_subset_ids(int n, const std::array<const std::vector<std::array<std::uint8_t, 5>>*, 2>& holes,
                     std::array<SubsetIds, 2>& out) {
  const std::vector<unsigned> order = subset_order(n);
  const int per_hand = static_cast<int>(order.size());
  const auto odd = static_cast<int>(std::count_if(order.begin(), order.end(), [](unsigned m) { return std::popcount(m) & 1; }));
  std::array<std::unordered_map<CardMask, std::uint32_t>, 2> slot_of;
  for (std::size_t p = 0; p < 2; ++p) {
    SubsetIds& ids = out[p];
    ids.per_hand = per_hand;
    ids.odd = odd;
    ids.own.clear();
    ids.own.reserve(holes[p]->size() * order.size());
    for (const auto& cards : *holes[p])
      for (unsigned positions : order) {
        const auto [it, added] = slot_of[p].emplace(subset_mask(cards, positions), static_cast<std::uint32_t>(slot_of[p].size()));
        ids.own.push_back(it->second);
      }
    ids.slots = static_cast<std::uint32_t>(slot_of[p].size());
  }
  for (std::size_t p = 0; p < 2; ++p) {
    const auto& theirs = slot_of[1 - p];
    const std::uint32_t empty = out[1 - p].slots;
    SubsetIds& ids = out[p];
    ids.other.clear();
    ids.other.reserve(ids.own.size());
    for (const auto& cards : *holes[p])
      for (unsigned positions : order) {
        const auto it = theirs.find(subset_mask(cards, positions));
        ids.other.push_back(it == theirs.end() ? empty : it->second);
      }
  }
}

}  // namespace oddsmith::solver
