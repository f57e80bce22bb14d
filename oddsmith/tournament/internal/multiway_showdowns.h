// Seeded Monte-Carlo showdowns of three or more hands with no board: every
// seat but one holds a hand drawn from its class weights and the five board
// cards are dealt; then each class of the remaining seat is valued on that
// one deal through a hand of it that the deal leaves free.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cards/card.h"
#include "tournament/hand_classes.h"

namespace oddsmith::tournament {

// xoshiro256** seeded through splitmix64: cheap, and equal seeds deal alike.
class ShowdownRng {
 public:
  explicit ShowdownRng(std::uint64_t seed);
  std::uint64_t next();
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t s_[4]{};
};

using ClassCdf = std::array<double, kClasses>;  // running sums of class weights, the last 1

// The running sums of `weights` (169, each a class's hands times their
// probability), scaled to end at 1; false when they add up to nothing.
bool make_class_cdf(const double* weights, ClassCdf& cdf);

class ShowdownDealer {
 public:
  ShowdownDealer();

  // Deals every seat but `hero` a class drawn from its cdf and then a hand of
  // it (a clash of cards redraws them all, so their hands follow their weights
  // given each other), then the five board cards. Writes those seats'
  // strengths (lower is better), the board and the cards out. False when
  // every one of 400 tries clashed.
  bool deal_around(ShowdownRng& rng, int seats, int hero, const ClassCdf* const* cdfs, int* strength, int* board,
                   CardMask& used) const;

  // How many hands of `cls` hold no card of `used`, and one of them drawn
  // uniformly into `a`, `b` (untouched when none). Against a deal from
  // deal_around, a hand of the class chosen so, its sample weighted by that
  // count over the class's hands, is a hand of the class dealt with the rest
  // conditioned on not clashing with it.
  int free_hand(ShowdownRng& rng, int cls, CardMask used, int& a, int& b) const;

  int hands(int cls) const { return hands_[static_cast<std::size_t>(cls)]; }

  // Every class at once on a deal from deal_around (its cards out and its
  // board): per class, how many of its hands the deal leaves free (0: none,
  // and the strength is not written) and the strength of one of those drawn
  // uniformly, as free_hand would draw it.
  struct ClassStrengths {
    std::array<int, kClasses> strength{};
    std::array<std::uint8_t, kClasses> free{};
  };
  void value_classes(ShowdownRng& rng, CardMask used, const int* board, ClassStrengths& out) const;

 private:
  std::array<std::array<std::uint8_t, 24>, kClasses> cards_{};  // the class's hands, two cards each
  std::array<int, kClasses> hands_{};
};

// A seven-card strength of two hole cards on a board whose key sum is known.
int strength_on_board(int a, int b, const int* board, std::uint64_t board_keys);
std::uint64_t board_key_sum(const int* board);

struct SampledEquity {
  double equity = 0;     // the hero's average share of a pot all seats paid into alike
  double std_error = 0;  // its standard error
  std::int64_t deals = 0;
};

// The equity of every class (seat 0) against the other seats' class
// weights, from `deals` deals, sampled as the push/fold solver samples its
// pots; a class the others' hands always block gets no deals.
std::vector<SampledEquity> sample_class_equities(const std::vector<std::array<double, kClasses>>& others,
                                                 std::int64_t deals, std::uint64_t seed);

}  // namespace oddsmith::tournament
