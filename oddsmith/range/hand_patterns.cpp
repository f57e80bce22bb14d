#include "range/internal/hand_patterns.h"

namespace oddsmith {

namespace {

// Each rank field's top bit: a field of a hand's counts with it set, minus a
// pattern's count, keeps it exactly when the hand has at least that count
// (counts are at most 4, so no field borrows from the next).
constexpr std::uint64_t kFieldTops = 0x8888888888888ULL;  // 13 fields

SuitShape shape_of(const std::array<std::uint8_t, kMaxRangeCards>& cards, int n) {
  int per_suit[4] = {};
  for (int i = 0; i < n; ++i) ++per_suit[card_suit(cards[static_cast<std::size_t>(i)])];
  int suits = 0, most = 0;
  for (const int k : per_suit) {
    suits += k > 0;
    most = k > most ? k : most;
  }
  if (most == 1) return SuitShape::rainbow;
  // Two suited pairs leave n - 4 suits for the rest; one pair n - 2.
  if (most == 2) return suits == n - 2 ? SuitShape::double_suited : SuitShape::single_suited;
  return SuitShape::other;
}

bool matches(const HandPattern& p, std::uint64_t guarded_ranks, SuitShape suits) {
  return ((guarded_ranks - p.ranks) & kFieldTops) == kFieldTops && (p.suits == SuitShape::any || p.suits == suits);
}

}  // namespace

void add_matching_hands(const PatternItem& item, int n, RangeBuilder& builder, double weight) {
  for_each_hand(n, [&](const std::array<std::uint8_t, kMaxRangeCards>& cards) {
    std::uint64_t ranks = kFieldTops;
    for (int i = 0; i < n; ++i) ranks += std::uint64_t{1} << (4 * card_rank(cards[static_cast<std::size_t>(i)]));
    const SuitShape suits = shape_of(cards, n);
    bool take = false;
    for (const HandPattern& p : item.any_of) take = take || matches(p, ranks, suits);
    for (const HandPattern& p : item.none_of) take = take && !matches(p, ranks, suits);
    if (take) builder.add_ascending(cards, weight);
  });
}

}  // namespace oddsmith
