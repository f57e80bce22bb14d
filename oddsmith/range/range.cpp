#include "range/range.h"

#include <algorithm>

#include "cards/binomial.h"

namespace oddsmith {

namespace {

// binomial(n, k) for the cards of a hand, looked up.
struct Binomials {
  std::int32_t of[kDeckSize + 1][kMaxRangeCards + 1];
  constexpr Binomials() : of{} {
    for (int n = 0; n <= kDeckSize; ++n)
      for (int k = 0; k <= kMaxRangeCards; ++k) of[n][k] = static_cast<std::int32_t>(binomial(n, k));
  }
};
constexpr Binomials kBinomials;

// Sorts the first n (2, 4 or 5) cards ascending.
void sort_cards(std::array<std::uint8_t, kMaxRangeCards>& c, int n) {
  auto order = [&](int i, int j) {
    if (c[static_cast<std::size_t>(i)] > c[static_cast<std::size_t>(j)])
      std::swap(c[static_cast<std::size_t>(i)], c[static_cast<std::size_t>(j)]);
  };
  if (n == 2) {
    order(0, 1);
    return;
  }
  order(0, 1), order(2, 3), order(0, 2), order(1, 3), order(1, 2);  // a sorting network
  if (n == 5)  // the fifth card put in place
    for (int i = 4; i > 0 && c[static_cast<std::size_t>(i - 1)] > c[static_cast<std::size_t>(i)]; --i) order(i - 1, i);
}

}  // namespace

std::size_t combination_index(const std::uint8_t* ascending, int n) {
  std::size_t index = 0;
  for (int i = 0; i < n; ++i) index += static_cast<std::size_t>(kBinomials.of[ascending[i]][i + 1]);
  return index;
}

std::size_t hands_in_deck(int cards_per_hand) { return static_cast<std::size_t>(binomial(kDeckSize, cards_per_hand)); }

double Range::total_weight() const {
  double total = 0;
  for (const RangeHand& h : *hands_) total += h.weight;
  return total;
}

Range Range::without(CardMask cards) const {
  Range out(cards_per_hand_);
  for (const RangeHand& h : *hands_)
    if ((h.mask & cards) == 0) out.hands_->push_back(h);
  return out;
}

RangeBuilder::RangeBuilder(int cards_per_hand) : range_(cards_per_hand) {}

std::int32_t& RangeBuilder::place_of(const RangeHand& hand) {
  const int n = range_.cards_per_hand_;
  if (dense_.empty()) {
    // The array once the hash map would hold a 256th of the game's hands
    // (two-card ranges, 1,326 hands at most, take it at once).
    const std::size_t all = hands_in_deck(n);
    if (n > 2 && sparse_.size() < all / 256) return sparse_.try_emplace(hand.mask, -1).first->second;
    dense_.assign(all, -1);
    const std::vector<RangeHand>& hands = *range_.hands_;
    for (std::size_t i = 0; i < hands.size(); ++i)
      dense_[combination_index(hands[i].cards.data(), n)] = static_cast<std::int32_t>(i);
    sparse_ = {};
  }
  return dense_[combination_index(hand.cards.data(), n)];
}

void RangeBuilder::add(std::span<const int> cards, double weight) {
  std::array<std::uint8_t, kMaxRangeCards> ascending{};
  const int n = range_.cards_per_hand_;
  for (int i = 0; i < n; ++i)
    ascending[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(cards[static_cast<std::size_t>(i)]);
  sort_cards(ascending, n);
  add_ascending(ascending, weight);
}

void RangeBuilder::add_ascending(const std::array<std::uint8_t, kMaxRangeCards>& cards, double weight) {
  RangeHand hand{};
  const int n = range_.cards_per_hand_;
  for (int i = 0; i < n; ++i) {
    hand.cards[static_cast<std::size_t>(i)] = cards[static_cast<std::size_t>(i)];
    hand.mask |= card_bit(cards[static_cast<std::size_t>(i)]);
  }
  hand.weight = weight;
  ++added_;
  std::int32_t& at = place_of(hand);
  if (at >= 0) {
    (*range_.hands_)[static_cast<std::size_t>(at)].weight = weight;
  } else {
    at = static_cast<std::int32_t>(range_.hands_->size());
    range_.hands_->push_back(hand);
  }
}

Range RangeBuilder::finish() && {
  std::erase_if(*range_.hands_, [](const RangeHand& h) { return h.weight <= 0; });
  return std::move(range_);
}

}  // namespace oddsmith
