// Omaha hand patterns (four or five cards): ranks a hand must hold (AAxx: two
// aces at least, any two other cards) and the shape of its suits (ds, ss, rb),
// matched against every hand of the deck in one pass per range item.
#pragma once

#include <cstdint>
#include <vector>

#include "range/range.h"

namespace oddsmith {

// How the cards of a hand spread over the suits (five cards: the same with a
// fifth card of a suit not yet held, rainbow impossible).
enum class SuitShape : std::uint8_t {
  any,            // no condition (patterns only)
  double_suited,  // ds: two suits, two cards of each
  single_suited,  // ss: one suit twice, the other cards of different other suits
  rainbow,        // rb: four suits
  other,          // three or more of one suit (hands only)
};

struct HandPattern {
  std::uint64_t ranks = 0;  // 4 bits per rank: how many of it the hand holds at least
  SuitShape suits = SuitShape::any;
};

// One range item: the hands matching any of `any_of` and none of `none_of`.
struct PatternItem {
  std::vector<HandPattern> any_of;
  std::vector<HandPattern> none_of;
};

// Adds every hand of `cards` (4 or 5) cards matching `item` to `builder` with `weight`.
void add_matching_hands(const PatternItem& item, int cards, RangeBuilder& builder, double weight);

}  // namespace oddsmith
