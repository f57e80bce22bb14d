// A range: a set of distinct hands of one game (two cards for Hold'em and short
// deck, four for Omaha, five for five-card Omaha), each with a weight that says how likely it is relative to the others.
// Built from text (range_notation.h) or hand by hand with RangeBuilder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "cards/card.h"
#include "games/game_rules.h"

namespace oddsmith {

inline constexpr int kMaxRangeCards = 5;

// The hands a game's ranges hold (games/game_rules.h).
using RangeGame = HandKind;
constexpr int range_cards(RangeGame g) { return hand_cards(g); }
constexpr bool in_range_deck(RangeGame g, const std::uint8_t* ascending) {
  return g != RangeGame::shortdeck || ascending[0] >= kShortDeckLowestCard;
}

struct RangeHand {
  std::array<std::uint8_t, kMaxRangeCards> cards;  // ascending; the first cards_per_hand are used
  CardMask mask;
  double weight;  // > 0
};

// A built range never changes, so its copies share one list of hands (a
// five-card Omaha "random" is 2,598,960 of them).
class Range {
 public:
  explicit Range(int cards_per_hand)
      : cards_per_hand_(cards_per_hand), hands_(std::make_shared<std::vector<RangeHand>>()) {}

  int cards_per_hand() const { return cards_per_hand_; }
  std::size_t size() const { return hands_->size(); }
  bool empty() const { return hands_->empty(); }
  const RangeHand& operator[](std::size_t i) const { return (*hands_)[i]; }
  const std::vector<RangeHand>& hands() const { return *hands_; }
  // The list of hands, shared with the range's copies.
  std::shared_ptr<const std::vector<RangeHand>> shared_hands() const { return hands_; }
  double total_weight() const;

  // The hands that share no card with `cards`, in the same order.
  Range without(CardMask cards) const;

 private:
  friend class RangeBuilder;
  int cards_per_hand_;
  std::shared_ptr<std::vector<RangeHand>> hands_;  // in the order each hand was first named
};

// Collects hands into a range. A hand named again keeps its place and takes the
// later weight; hands whose final weight is 0 are left out.
class RangeBuilder {
 public:
  explicit RangeBuilder(int cards_per_hand);

  // `cards`: cards_per_hand different real cards, in any order.
  void add(std::span<const int> cards, double weight);
  // The same for cards already ascending (the first cards_per_hand are used).
  void add_ascending(const std::array<std::uint8_t, kMaxRangeCards>& cards, double weight);
  // Hands added so far, counting repeats: a measure of the work done.
  std::size_t added() const { return added_; }

  Range finish() &&;

 private:
  // A hand's place in range_.hands_, found by its cards: in a hash map while
  // the range is small next to the game's hands (so that building a range
  // costs its own size, not the 2,598,960 hands of five-card Omaha), in an
  // array by combination index (-1: not yet named) once it is large.
  std::int32_t& place_of(const RangeHand& hand);
  Range range_;
  std::unordered_map<CardMask, std::int32_t> sparse_;
  std::vector<std::int32_t> dense_;
  std::size_t added_ = 0;
};

// Number of hands of `cards_per_hand` cards in a full deck: 1,326, 270,725 or 2,598,960.
std::size_t hands_in_deck(int cards_per_hand);

// The combinatorial (colex) index of n ascending cards: a distinct number below
// hands_in_deck(n) for every hand. Hands enumerated with the last card in the
// outermost loop (each loop ascending, below the one outside it) come in index order.
std::size_t combination_index(const std::uint8_t* ascending, int n);

// Calls visit(cards) for every hand of n (2, 4 or 5) cards, cards ascending
// (the first n used), in combination-index order.
template <typename Visit>
void for_each_hand(int n, Visit&& visit) {
  std::array<std::uint8_t, kMaxRangeCards> c{};
  if (n == 2) {
    for (c[1] = 1; c[1] < kDeckSize; ++c[1])
      for (c[0] = 0; c[0] < c[1]; ++c[0]) visit(c);
    return;
  }
  auto four = [&] {
    for (c[3] = 3; c[3] < (n == 5 ? c[4] : kDeckSize); ++c[3])
      for (c[2] = 2; c[2] < c[3]; ++c[2])
        for (c[1] = 1; c[1] < c[2]; ++c[1])
          for (c[0] = 0; c[0] < c[1]; ++c[0]) visit(c);
  };
  if (n == 4) return four();
  for (c[4] = 4; c[4] < kDeckSize; ++c[4]) four();
}

}  // namespace oddsmith
