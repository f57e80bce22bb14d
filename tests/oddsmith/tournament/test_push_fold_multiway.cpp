// Push/fold with three or more players: the side pots against sums worked by
// hand, the sampled multiway equities against the calculator within their
// standard error, and three-handed equilibria (small exploitability, chips and
// prize money conserved, aces always in, ranges widening as the stacks shrink).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "calculator/equity_query.h"
#include "range/range_notation.h"
#include "tournament/hand_classes.h"
#include "tournament/internal/multiway_showdowns.h"
#include "tournament/internal/push_fold_table.h"
#include "tournament/push_fold.h"

namespace {

using namespace oddsmith::tournament;

TEST(PushFoldMultiway, SidePots) {
  // Button 10, small blind 4, big blind 30, UTG 6; antes 0.5, blinds 1/2.
  PushFoldQuery query;
  query.stacks = {10, 4, 30, 6};
  query.small_blind = 1;
  query.big_blind = 2;
  query.ante = 0.5;
  const Seats seats = seat_players(query);
  EXPECT_EQ(seats.order, (std::vector<int>{3, 0, 1, 2}));
  struct Case {
    std::vector<double> live;  // live money in: the pushes, calls and blinds
    std::uint32_t in_hand;
    std::vector<int> strength;  // lower is better
    std::vector<double> after;
  };
  // Dead money 2 (the antes) goes in the main pot.
  const std::vector<Case> cases = {
      // All in, the small blind best: main pot 4 x 3.5 + 2 = 16 to it; 3 x 2 = 6 split by the button and
      // UTG; 2 x 4 = 8 to the button over the big blind.
      {{9.5, 3.5, 9.5, 5.5}, 0b1111, {2, 1, 3, 2}, {11, 16, 20, 3}},
      // The big blind best: it takes every layer.
      {{9.5, 3.5, 9.5, 5.5}, 0b1111, {2, 1, 0, 2}, {0, 0, 50, 0}},
      // The small blind pushes, the big blind calls and wins 7 + 2.
      {{0, 3.5, 3.5, 0}, 0b0110, {9, 5, 1, 9}, {9.5, 0, 35, 5.5}},
      // All fold to the big blind: the antes and the small blind.
      {{0, 1, 2, 0}, 0b0100, {0, 0, 0, 0}, {9.5, 2.5, 32.5, 5.5}},
      // The big blind folds its 2; the button and UTG tie: 8 + 2 and 3 x 1.5 split, 2 x 2 split, the
      // button's last 4 uncalled and back.
      {{9.5, 3.5, 2, 5.5}, 0b1011, {1, 2, 0, 1}, {13.25, 0, 27.5, 9.25}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    const Pots pots = make_pots(seats, cases[i].live, cases[i].in_hand);
    std::vector<double> after(4);
    stacks_after(seats, pots, cases[i].strength.data(), after.data());
    for (std::size_t p = 0; p < 4; ++p) EXPECT_NEAR(after[p], cases[i].after[p], 1e-12) << p;
  }
}

std::array<double, kClasses> class_weights(const char* text) {
  const auto parsed = oddsmith::parse_range(text, oddsmith::RangeGame::holdem);
  EXPECT_TRUE(parsed.range.has_value()) << text;
  std::array<double, kClasses> w{};
  for (const auto& hand : parsed.range->hands())
    w[static_cast<std::size_t>(class_of(hand.cards[0], hand.cards[1]))] += hand.weight;
  return w;
}

// Every class is valued on the same deals (a hand of it the deal leaves free):
// pairs, suited and offsuit hands, against ranges that block them or not.
TEST(PushFoldMultiway, SampledEquitiesMatchTheCalculator) {
  struct Case {
    std::vector<const char*> heroes;
    std::vector<const char*> others;
  };
  const std::vector<Case> cases = {{{"AA", "AKo", "T9s"}, {"QQ+, AKs", "22+"}},
                                   {{"72o", "KK"}, {"random", "random"}},
                                   {{"KQs", "JJ", "A5o"}, {"AA-99, AK", "A2s+, KTs+", "random"}},
                                   {{"88", "AKs"}, {"TT+", "random", "random", "random", "AKo"}}};
  for (const Case& c : cases) {
    std::vector<std::array<double, kClasses>> others;
    for (const char* text : c.others) others.push_back(class_weights(text));
    const std::vector<SampledEquity> sampled = sample_class_equities(others, 40'000, 11);
    for (const char* hero_text : c.heroes) {
      SCOPED_TRACE(hero_text);
      oddsmith::calc::EquityQuery query;
      const auto hero = oddsmith::parse_range(hero_text, oddsmith::RangeGame::holdem);
      query.players.push_back(*hero.range);
      for (const char* text : c.others) query.players.push_back(*oddsmith::parse_range(text, oddsmith::RangeGame::holdem).range);
      query.mode = oddsmith::calc::Mode::monte_carlo;
      query.trials = 4'000'000;
      query.seed = 7;
      const auto reference = oddsmith::calc::compute_equity(query);
      ASSERT_TRUE(reference.has_result()) << reference.error;
      const auto cls = static_cast<std::size_t>(class_of(hero.range->hands()[0].cards[0], hero.range->hands()[0].cards[1]));
      const SampledEquity& mine = sampled[cls];
      ASSERT_EQ(mine.deals, 40'000);
      EXPECT_GT(mine.std_error, 0);
      EXPECT_LT(mine.std_error, 0.004);
      const double error = std::hypot(mine.std_error, reference.players[0].std_error);
      EXPECT_NEAR(mine.equity, reference.players[0].equity, 4 * error);
    }
  }
}

TEST(PushFoldMultiway, ThreeHandedEquilibria) {
  const int aces = 0;
  double last_open_share = 0;
  for (const double stack : {20.0, 12.0, 6.0}) {
    for (const bool icm : {false, true}) {
      SCOPED_TRACE("stack " + std::to_string(stack) + (icm ? " ICM" : " chips"));
      PushFoldQuery query;
      query.stacks = {stack, stack, stack};
      query.ante = 0.1;
      if (icm) query.payouts = {50, 30, 20};
      query.threads = 2;
      const PushFoldOutcome solved = solve_push_fold(query);
      ASSERT_EQ(solved.status, IcmStatus::ok) << solved.error;
      ASSERT_EQ(solved.spots.size(), 6U);
      ASSERT_EQ(solved.best_response_gain.size(), 3U);
      EXPECT_LE(solved.exploitability, 1e-3);  // the default target: 0.001 big blinds, 1e-5 of the pool
      EXPECT_GT(solved.multiway_deals, 0);
      EXPECT_GT(solved.multiway_std_error, 0);
      EXPECT_LT(solved.multiway_std_error, 0.02);
      for (const PushFoldSpot& spot : solved.spots)
        EXPECT_GT(spot.strategy[aces], 0.999) << spot.player << " " << spot.pusher << " " << spot.callers;
      // The multiway pots' values are sampled for each player apart: the sums hold to their error.
      EXPECT_NEAR(std::accumulate(solved.ev_chips.begin(), solved.ev_chips.end(), 0.0), 0, 0.05);
      if (icm) {
        EXPECT_NEAR(std::accumulate(solved.ev_prize.begin(), solved.ev_prize.end(), 0.0), 100, 0.01);
      }
      // The first spots are the first actions: the button, then the small blind.
      EXPECT_EQ(solved.spots[0].player, 0);
      EXPECT_EQ(solved.spots[0].pusher, -1);
      EXPECT_EQ(solved.spots[1].player, 1);
      if (!icm) {
        EXPECT_GT(solved.spots[0].share, last_open_share);
        last_open_share = solved.spots[0].share;
      }
    }
  }
}

}  // namespace
