// Seeded Monte-Carlo showdowns of three or more hands with no board: one seat
// holds a hand of a given class, every other seat a hand drawn from its class
// weights; the five board cards are dealt and every seat's strength read.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

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

  // Deals seat `hero` the `combo`-th hand (modulo their count) of `hero_class`
  // and every other seat a class drawn from its cdf, then a hand of it; a
  // clash of cards redraws all the other seats, so their hands follow their
  // weights given the cards already out, as a range against a hand does.
  // Writes each seat's strength (lower is better). False when every one of
  // 400 tries clashed.
  bool deal(ShowdownRng& rng, int seats, int hero, int hero_class, int combo, const ClassCdf* const* cdfs,
            int* strength) const;

 private:
  std::array<std::array<std::uint8_t, 24>, kClasses> cards_{};  // the class's hands, two cards each
  std::array<int, kClasses> hands_{};
};

struct SampledEquity {
  double equity = 0;     // the hero's average share of a pot all seats paid into alike
  double std_error = 0;  // its standard error
  std::int64_t deals = 0;
};

// The equity of `hero_class` (seat 0) against the other seats' class weights,
// from `deals` deals.
SampledEquity sample_equity(int hero_class, const std::vector<std::array<double, kClasses>>& others,
                            std::int64_t deals, std::uint64_t seed);

}  // namespace oddsmith::tournament
