#include "range/internal/start_orders.h"

#include <algorithm>
#include <cmath>

#include "range/range.h"

namespace oddsmith {

namespace {

// The 24 orderings of the four suits.
struct SuitPermutations {
  std::array<std::array<std::uint8_t, 4>, 24> of{};
  constexpr SuitPermutations() {
    std::array<std::uint8_t, 4> p{0, 1, 2, 3};
    for (auto& out : of) {
      out = p;
      std::next_permutation(p.begin(), p.end());
    }
  }
};
constexpr SuitPermutations kSuitPermutations;

}  // namespace

SuitImages suit_images(const std::array<std::uint8_t, kMaxRangeCards>& ascending, int cards_per_hand) {
  SuitImages images{};
  const auto n = static_cast<std::size_t>(cards_per_hand);
  for (std::size_t p = 0; p < images.size(); ++p) {
    const auto& to = kSuitPermutations.of[p];
    for (std::size_t i = 0; i < n; ++i) {
      const int card = ascending[i];
      images[p][i] = static_cast<std::uint8_t>(card_rank(card) * 4 + to[static_cast<std::size_t>(card_suit(card))]);
    }
    std::sort(images[p].begin(), images[p].begin() + static_cast<std::ptrdiff_t>(n));
  }
  return images;
}

StartRanking::StartRanking(RangeGame game) : place_(hands_in_deck(range_cards(game)), 0xFFFFFFFF) {
  const int cards_per_hand = range_cards(game);
  const std::span<const StartClass> order = start_order(game);
  hands_before_.reserve(order.size() + 1);
  std::size_t hands = 0;
  for (std::size_t place = 0; place < order.size(); ++place) {
    hands_before_.push_back(hands);
    hands += order[place].hands;
    for (const auto& image : suit_images(order[place].cards, cards_per_hand))
      place_[combination_index(image.data(), cards_per_hand)] = static_cast<std::uint32_t>(place);
  }
  hands_before_.push_back(hands);
}

std::size_t StartRanking::classes_in_top(double percent) const {
  const double target = percent / 100.0 * static_cast<double>(hands_before_.back());
  // hands_before_ rises, so the nearest count is at the first one reaching the target or just before it.
  const auto reach = std::lower_bound(hands_before_.begin(), hands_before_.end(), target,
                                      [](std::size_t hands, double t) { return static_cast<double>(hands) < t; });
  auto classes = static_cast<std::size_t>(reach - hands_before_.begin());
  if (classes == hands_before_.size()) return classes - 1;
  if (classes > 0 && target - static_cast<double>(hands_before_[classes - 1]) <= static_cast<double>(*reach) - target)
    --classes;
  return classes;
}

}  // namespace oddsmith
