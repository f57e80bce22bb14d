// Heads-up push/fold: the compiled class equities against the calculator, the
// solved strategies against a best response computed here hand by hand (every
// pair of hands sharing no card, the pot counted from the rules), the known
// shape of the ranges, the ranges' notation read back by the range parser,
// and the input errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "calculator/equity_query.h"
#include "range/range_notation.h"
#include "tournament/class_range_text.h"
#include "tournament/hand_classes.h"
#include "tournament/heads_up_equities.h"
#include "tournament/push_fold.h"

namespace {

using namespace oddsmith::tournament;

oddsmith::Range class_range(int cls) {
  auto parsed = oddsmith::parse_range(class_label(cls), oddsmith::RangeGame::holdem);
  EXPECT_TRUE(parsed.range.has_value()) << class_label(cls);
  return *parsed.range;
}

TEST(PushFold, ClassEquitiesMatchTheCalculator) {
  // A spread of cells on and off the diagonal, both orders.
  for (int step = 0; step < 24; ++step) {
    const int a = (step * 37) % kClasses;
    const int b = (step * 101 + 13) % kClasses;
    for (const auto& [first, second] : {std::pair{a, b}, std::pair{b, a}, std::pair{a, a}}) {
      oddsmith::calc::EquityQuery query;
      query.players = {class_range(first), class_range(second)};
      query.mode = oddsmith::calc::Mode::exact;
      query.max_seconds = 600;
      const auto outcome = oddsmith::calc::compute_equity(query);
      ASSERT_TRUE(outcome.has_result()) << outcome.error;
      const ClassShowdown table = heads_up_showdown(first, second);
      EXPECT_NEAR(table.equity, outcome.players[0].equity, 1e-12) << class_label(first) << " " << class_label(second);
      EXPECT_NEAR(table.tie, outcome.players[0].tie, 1e-12) << class_label(first) << " " << class_label(second);
    }
  }
}

// Every two-card hand as (card, card), cards 0..51.
std::vector<std::array<int, 2>> all_hands() {
  std::vector<std::array<int, 2>> hands;
  for (int x = 0; x < 52; ++x) {
    for (int y = x + 1; y < 52; ++y) hands.push_back({x, y});
  }
  return hands;
}

// The best-response gains of both players against the solved strategies, in
// chips, equal stacks, counted over every pair of hands that can meet.
std::pair<double, double> best_response_gains(const PushFoldOutcome& solved, double stack, double sb, double bb,
                                              double ante) {
  const auto hands = all_hands();
  const auto& push = solved.spots[0].strategy;
  const auto& call = solved.spots[1].strategy;
  const double live = stack - ante;  // each player's all-in beyond the ante
  std::array<double, kClasses> push_gain{}, call_gain{}, class_weight{};
  double value_sb = 0, value_bb = 0, total = 0;
  for (const auto& h : hands) {
    const int a = class_of(h[0], h[1]);
    for (const auto& v : hands) {
      if (v[0] == h[0] || v[0] == h[1] || v[1] == h[0] || v[1] == h[1]) continue;
      const int b = class_of(v[0], v[1]);
      const double equity = heads_up_showdown(a, b).equity;
      const double showdown_sb = equity * (2 * live + 2 * ante) - stack;  // chips won by the small blind
      const double fold_sb = -(sb + ante);
      const double steal_sb = bb + ante;
      const double push_value = call[b] * showdown_sb + (1 - call[b]) * steal_sb;
      push_gain[a] += push_value - fold_sb;
      value_sb += push[a] * push_value + (1 - push[a]) * fold_sb;
      // The big blind's side: only where the small blind pushed.
      call_gain[b] += push[a] * (-showdown_sb + steal_sb);
      value_bb += push[a] * (call[b] * -showdown_sb + (1 - call[b]) * -steal_sb) + (1 - push[a]) * -fold_sb;
      class_weight[a] += 1;
      total += 1;
    }
  }
  double best_sb = 0, best_bb = 0;
  for (int c = 0; c < kClasses; ++c) {
    best_sb += class_weight[static_cast<std::size_t>(c)] * (-(sb + ante)) + std::max(0.0, push_gain[static_cast<std::size_t>(c)]);
    best_bb += std::max(0.0, call_gain[static_cast<std::size_t>(c)]);
  }
  // The big blind's baseline: always folding to a push.
  double fold_always_bb = 0;
  for (int c = 0; c < kClasses; ++c) {
    fold_always_bb += class_weight[static_cast<std::size_t>(c)] *
                      (push[static_cast<std::size_t>(c)] * -(bb + ante) + (1 - push[static_cast<std::size_t>(c)]) * (sb + ante));
  }
  best_bb += fold_always_bb;
  return {(best_sb - value_sb) / total, (best_bb - value_bb) / total};
}

TEST(PushFold, HeadsUpEquilibriaAreBestResponsesWithTheKnownShape) {
  struct Case {
    double stack, ante;
    std::vector<double> payouts;
  };
  const std::vector<Case> cases = {{1.5, 0, {}}, {3, 0, {}},    {6, 0, {}},       {10, 0, {}},
                                   {15, 0, {}},  {22, 0, {}},   {30, 0, {}},      {10, 0.125, {}},
                                   {8, 0, {65, 35}}, {14, 0.1, {100}}};
  const int aces = 0;
  double last_push_share = 1;
  double last_call_share = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE("stack " + std::to_string(c.stack) + " ante " + std::to_string(c.ante));
    PushFoldQuery query;
    query.stacks = {c.stack, c.stack};
    query.ante = c.ante;
    query.payouts = c.payouts;
    const PushFoldOutcome solved = solve_push_fold(query);
    ASSERT_EQ(solved.status, IcmStatus::ok) << solved.error;
    ASSERT_EQ(solved.spots.size(), 2U);
    EXPECT_LT(solved.exploitability, c.payouts.empty() ? 0.01 : 0.01 * 100);
    EXPECT_EQ(solved.spots[0].strategy[aces], 1.0);
    EXPECT_EQ(solved.spots[1].strategy[aces], 1.0);
    if (c.payouts.empty()) {
      const auto [sb_gain, bb_gain] = best_response_gains(solved, c.stack, 0.5, 1, c.ante);
      EXPECT_LT(sb_gain, 0.01);
      EXPECT_LT(bb_gain, 0.01);
      EXPECT_NEAR(sb_gain, solved.best_response_gain[0], 1e-9);
      EXPECT_NEAR(bb_gain, solved.best_response_gain[1], 1e-9);
      EXPECT_NEAR(solved.ev_chips[0] + solved.ev_chips[1], 0, 1e-9);
    } else {
      EXPECT_NEAR(solved.ev_prize[0] + solved.ev_prize[1], 100, 1e-9);
    }
    if (c.ante == 0 && c.payouts.empty()) {  // ranges narrow as the stacks grow
      EXPECT_LE(solved.spots[0].share, last_push_share + 1e-3);
      EXPECT_LE(solved.spots[1].share, last_call_share + 1e-3);
      last_push_share = solved.spots[0].share;
      last_call_share = solved.spots[1].share;
    }
    // The ranges' notation reads back as the strategies, to two decimals.
    for (const PushFoldSpot& spot : solved.spots) {
      const std::string text = class_range_text(spot.strategy);
      const auto parsed = oddsmith::parse_range(text, oddsmith::RangeGame::holdem);
      ASSERT_TRUE(parsed.range.has_value()) << text << ": " << parsed.error.message;
      std::array<double, kClasses> read{};
      for (const auto& hand : parsed.range->hands()) {
        read[static_cast<std::size_t>(class_of(hand.cards[0], hand.cards[1]))] = hand.weight;
      }
      for (int cls = 0; cls < kClasses; ++cls) {
        const double w = spot.strategy[static_cast<std::size_t>(cls)];
        const double expected = w >= 0.995 ? 1 : (w <= 0.005 ? 0 : w);
        EXPECT_NEAR(read[static_cast<std::size_t>(cls)], expected, 0.0051) << class_label(cls) << " in " << text;
      }
    }
  }
  const PushFoldChart chart = heads_up_chart(PushFoldQuery{}, 1, 30, 0.5);
  ASSERT_EQ(chart.status, IcmStatus::ok) << chart.error;
  EXPECT_EQ(chart.stacks.size(), 59U);
  EXPECT_EQ(chart.push_up_to[aces], 30);
  EXPECT_EQ(chart.call_up_to[aces], 30);
  EXPECT_LT(chart.worst_exploitability, 0.01);
}

TEST(PushFold, BadTables) {
  auto with = [](auto change) {
    PushFoldQuery q;
    q.stacks = {10, 10};
    change(q);
    return q;
  };
  const std::vector<PushFoldQuery> bad = {
      with([](PushFoldQuery& q) { q.stacks = {10}; }),
      with([](PushFoldQuery& q) { q.stacks = {10, 0}; }),
      with([](PushFoldQuery& q) { q.stacks = {10, -3}; }),
      with([](PushFoldQuery& q) { q.big_blind = 0; }),
      with([](PushFoldQuery& q) { q.small_blind = 2; }),
      with([](PushFoldQuery& q) { q.ante = -1; }),
      with([](PushFoldQuery& q) { q.payouts = {50, 30, 20}; }),
  };
  for (const PushFoldQuery& q : bad) {
    const PushFoldOutcome out = solve_push_fold(q);
    EXPECT_EQ(out.status, IcmStatus::bad_query);
    EXPECT_FALSE(out.error.empty());
  }
}

}  // namespace
