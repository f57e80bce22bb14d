// Starting hands ranked by strength, for the percentage forms of range notation
// ("10%", "5-15%"). Hands that differ only by a relabelling of the suits form a
// class (169 in Hold'em, 81 in short deck, 16,432 in Omaha, 134,459 in
// five-card Omaha); the classes are ranked by equity
// against one random hand, best first. The rankings are data, written by
// tools/generate_start_orders.cpp into range/*_start_order.txt (the method and
// its precision are in each file's header) and compiled in.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "range/range.h"

namespace oddsmith {

// One class: a hand of it (cards ascending; range_cards of the game used), the
// number of hands in it, and its equity against one random hand in millionths.
struct StartClass {
  std::array<std::uint8_t, kMaxRangeCards> cards;
  std::uint8_t hands;
  std::int32_t equity_millionths;
};

// The classes of a game's hands, best first.
std::span<const StartClass> start_order(RangeGame game);

// The 24 relabellings of the suits of an ascending hand, each sorted ascending
// (some may repeat); `cards_per_hand` of each are used.
using SuitImages = std::array<std::array<std::uint8_t, kMaxRangeCards>, 24>;
SuitImages suit_images(const std::array<std::uint8_t, kMaxRangeCards>& ascending, int cards_per_hand);

// Every hand's class place in the ranking, indexed by the hand's combination
// index (range.h), and the classes that make up a share of all hands.
class StartRanking {
 public:
  explicit StartRanking(RangeGame game);

  // The class place (0 = best) of the hand with this combination index; past
  // the last class for a hand outside the game's deck.
  std::uint32_t place(std::size_t index) const { return place_[index]; }

  // The whole classes that make up the top `percent` of all hands: as many,
  // from the best, as bring the hand count nearest to that share (the fewer
  // classes on a tie). 0 gives none, 100 every class.
  std::size_t classes_in_top(double percent) const;

 private:
  std::vector<std::uint32_t> place_;
  std::vector<std::size_t> hands_before_;  // hands in the classes above each place, and the total last
};

}  // namespace oddsmith
