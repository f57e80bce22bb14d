// Push/fold with three or more players: the side pots against sums worked by
// hand, the sampled multiway equities against the calculator within their
// standard error, card removal at a walk against every pair of hands, and
// three-handed equilibria with and without card removal (small
// exploitability, chips and prize money conserved, aces always in, ranges
// widening as the stacks shrink).
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
      for (const char* text : c.others)
        query.players.push_back(*oddsmith::parse_range(text, oddsmith::RangeGame::holdem).range);
      query.mode = oddsmith::calc::Mode::monte_carlo;
      query.trials = 4'000'000;
      query.seed = 7;
      const auto reference = oddsmith::calc::compute_equity(query);
      ASSERT_TRUE(reference.has_result()) << reference.error;
      const auto& held = hero.range->hands()[0].cards;
      const auto cls = static_cast<std::size_t>(class_of(held[0], held[1]));
      const SampledEquity& mine = sampled[cls];
      ASSERT_EQ(mine.deals, 40'000);
      EXPECT_GT(mine.std_error, 0);
      EXPECT_LT(mine.std_error, 0.004);
      const double error = std::hypot(mine.std_error, reference.players[0].std_error);
      EXPECT_NEAR(mine.equity, reference.players[0].equity, 4 * error);
    }
  }
}

// Card removal at a walk (two players fold, the third takes the blinds):
// how likely the folders' hands are, given the third player's, by a sum over
// every pair of them from the 50 cards left, against the product of each
// folder's share of hands missing the player's (first order, which leaves
// out that the folders' hands must miss each other too). Players fold the
// weak hands here, so the strong hands a player holds make the folds likelier.
TEST(PushFoldMultiway, CardRemovalAgainstEveryPairOfHands) {
  struct Case {
    const char* first_folds;
    const char* second_folds;
  };
  const Case cases[] = {{"random", "random"},
                        {"22-66, A2s-A6s, K2s-K9s, Q2s-QTs, J2s+, T2s+, 92s+, 82s+, 72s+, 62s+, 52s+, 42s+, 32s, "
                         "A2o-A9o, K2o-KJo, Q2o+, J2o+, T2o+, 92o+, 82o+, 72o+, 62o+, 52o+, 42o+, 32o",
                         "22-99, A2s-A9s, K2s-KTs, Q2s+, J2s+, T2s+, 92s+, 82s+, 72s+, 62s+, 52s+, 42s+, 32s, "
                         "A2o-AJo, K2o-KQo, Q2o+, J2o+, T2o+, 92o+, 82o+, 72o+, 62o+, 52o+, 42o+, 32o"},
                        {"22-JJ, A2s-AJs, K2s+, Q2s+, J2s+, T2s+, 92s+, 82s+, 72s+, 62s+, 52s+, 42s+, 32s, "
                         "A2o-AQo, K2o+, Q2o+, J2o+, T2o+, 92o+, 82o+, 72o+, 62o+, 52o+, 42o+, 32o",
                         "random"}};
  std::vector<std::array<int, 2>> hands;
  for (int a = 0; a < 52; ++a)
    for (int b = a + 1; b < 52; ++b) hands.push_back({a, b});
  const auto mask = [](const std::array<int, 2>& h) { return (1ULL << h[0]) | (1ULL << h[1]); };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first_folds) + " / " + c.second_folds);
    std::array<std::array<double, kClasses>, 2> weights{};
    std::array<std::vector<double>, 2> reach;
    for (std::size_t j = 0; j < 2; ++j) {
      const auto parsed = oddsmith::parse_range(j == 0 ? c.first_folds : c.second_folds, oddsmith::RangeGame::holdem);
      ASSERT_TRUE(parsed.range.has_value());
      reach[j].assign(hands.size(), 0.0);
      for (const auto& h : parsed.range->hands()) {
        const int lo = std::min<int>(h.cards[0], h.cards[1]), hi = std::max<int>(h.cards[0], h.cards[1]);
        reach[j][static_cast<std::size_t>(std::find(hands.begin(), hands.end(), std::array<int, 2>{lo, hi}) -
                                          hands.begin())] = 1.0;
        weights[j][static_cast<std::size_t>(class_of(lo, hi))] += 1.0 / kHands;
      }
    }
    std::array<std::array<double, kClasses>, 2> misses{};
    for (std::size_t j = 0; j < 2; ++j) class_miss_shares(weights[j].data(), misses[j].data());
    const double masses = std::accumulate(weights[0].begin(), weights[0].end(), 0.0) *
                          std::accumulate(weights[1].begin(), weights[1].end(), 0.0);
    double widest = 0;
    for (const char* hero_text : {"AsAh", "AdKd", "KcQh", "7c2d", "9h9s", "Ts4s"}) {
      SCOPED_TRACE(hero_text);
      const auto hero = oddsmith::parse_range(hero_text, oddsmith::RangeGame::holdem);
      const std::array<int, 2> h = {hero.range->hands()[0].cards[0], hero.range->hands()[0].cards[1]};
      const std::uint64_t hm = mask(h);
      double sum = 0;
      for (std::size_t x = 0; x < hands.size(); ++x) {
        if (reach[0][x] == 0 || (mask(hands[x]) & hm)) continue;
        for (std::size_t y = 0; y < hands.size(); ++y) {
          if (reach[1][y] != 0 && !(mask(hands[y]) & (hm | mask(hands[x])))) sum += 1;
        }
      }
      // Relative to the folds' chance with no card removal.
      const double exact = sum / (1225.0 * 1128.0) / masses;
      const auto cls = static_cast<std::size_t>(class_of(h[0], h[1]));
      EXPECT_NEAR(misses[0][cls] * misses[1][cls], exact, 0.0015) << "exact " << exact;
      widest = std::max(widest, std::abs(exact - 1));
    }
    // Random folds are not moved by the cards a player holds; the others are
    // (up to 4.5 % for aces), by several times what the first order misses.
    if (std::string(c.first_folds) == "random" && std::string(c.second_folds) == "random") {
      EXPECT_LT(widest, 1e-12);
    } else {
      EXPECT_GT(widest, 0.007);
    }
  }
}

TEST(PushFoldMultiway, ThreeHandedEquilibria) {
  const int aces = 0;
  for (const bool removal : {true, false}) {
    double last_open_share = 0;
    for (const double stack : {20.0, 12.0, 6.0}) {
      for (const bool icm : {false, true}) {
        SCOPED_TRACE("stack " + std::to_string(stack) + (icm ? " ICM" : " chips") +
                     (removal ? "" : ", no card removal"));
        PushFoldQuery query;
        query.stacks = {stack, stack, stack};
        query.ante = 0.1;
        if (icm) query.payouts = {50, 30, 20};
        query.card_removal = removal;
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
}

}  // namespace
