// The range breakdown: per-hand equities against a brute force (river, turn and
// flop; Hold'em heads-up and three-way, Omaha, Hi/Lo), categories and draws
// against rule-based counts, next cards against separate equity runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "analysis/breakdown.h"
#include "calculator/query_text.h"
#include "support/brute_force_deals.h"
#include "support/reference_poker.h"

namespace {

using namespace oddsmith;
using calc::Game;

calc::EquityQuery query_of(Game game, const std::vector<std::string_view>& players, std::string_view board) {
  calc::EquityQuery q;
  std::string error;
  EXPECT_TRUE(calc::query_from_text(game, players, board, "", q, error)) << error;
  return q;
}

// Per hand of player 0 (by card mask): its share of the pot over every board and
// every assignment of the others' hands, by the others' weights.
struct BruteHands {
  std::map<CardMask, double> share, weight;
  explicit BruteHands(const calc::EquityQuery& q) {
    reference::for_each_deal(q, [&](const reference::Deal& d) {
      const double w = d.weight / d.hands[0]->weight;
      share[d.hands[0]->mask] += w * d.share[0];
      weight[d.hands[0]->mask] += w;
    });
  }
};

TEST(Breakdown, HandEquitiesEqualABruteForce) {
  struct Case {
    Game game;
    std::vector<std::string_view> players;
    const char* board;
  };
  const Case cases[] = {
      {Game::holdem, {"AhKh, QQ, 76s:0.5", "JJ-99, AQo"}, "Qh7c2d5s9h"},  // river: the sorted sweep
      {Game::holdem, {"AhKh, QQ, 76s:0.5", "JJ-99, AQo"}, "Qh7c2d5s"},    // turn
      {Game::holdem, {"AhKh, QQ", "JJ, AQs"}, "Qh7c2d"},                   // flop
      {Game::holdem, {"AhKh, QQ", "JJ", "9s9c, 8d8c"}, "Qh7c2d5s"},        // three-way: a run per hand
      {Game::omaha, {"AhAsKhKs, QcQdJhTh", "KcKd9s8s, 7c7d6s5s"}, "Qh7h2d"},
      {Game::omaha_hilo, {"Ah2h5c9d, KcKdQhQs", "As3s6d9c"}, "3c4d8h"},
  };
  for (const Case& c : cases) {
    calc::EquityQuery q = query_of(c.game, c.players, c.board);
    q.mode = calc::Mode::exact;
    q.threads = 2;
    const Breakdown b = compute_breakdown(q);
    ASSERT_EQ(b.status, calc::Status::ok) << b.error;
    EXPECT_TRUE(b.exact);
    const BruteHands brute(q);
    ASSERT_EQ(b.hands.size(), brute.weight.size()) << c.players[0] << " on " << c.board;
    for (const BreakdownHand& h : b.hands)
      EXPECT_NEAR(h.equity, brute.share.at(h.hand.mask) / brute.weight.at(h.hand.mask), 1e-9)
          << c.players[0] << " on " << c.board;
    EXPECT_TRUE(std::is_sorted(b.hands.begin(), b.hands.end(),
                               [](const BreakdownHand& x, const BreakdownHand& y) { return x.equity > y.equity; }));
    // Next cards: every player's equity as a run of its own with the card on the board.
    EXPECT_EQ(b.next_cards.empty(), q.board.size() == 5);
    for (const NextCard& n : b.next_cards) {
      if (n.card % 9 != 0) continue;  // a sample
      calc::EquityQuery with = q;
      with.board.push_back(n.card);
      const calc::EquityOutcome run = calc::compute_equity(with);
      ASSERT_TRUE(run.has_result()) << run.error;
      for (std::size_t p = 0; p < n.equities.size(); ++p) EXPECT_NEAR(n.equities[p], run.players[p].equity, 1e-12);
    }
  }
}

// Hand by hand, a run per hand sets the query up again: the bound holds there too.
TEST(Breakdown, HandByHandRunsStopAtTheBound) {
  calc::EquityQuery q = query_of(Game::omaha, {"random", "random"}, "Qh7c2d");
  q.mode = calc::Mode::monte_carlo;
  q.trials = 10;
  q.max_seconds = 0.2;
  const Breakdown b = compute_breakdown(q);
  EXPECT_EQ(b.status, calc::Status::bad_query);
  EXPECT_NE(b.error.find("did not finish within the bound of 0.2 s"), std::string::npos) << b.error;
}

// A category and draws by the rules, from the cards alone.
struct RuleCount {
  int category;      // reference's: 8 straight flush .. 0 high card
  bool flush_draw, open_ended, gutshot;
};

RuleCount by_rule(const int hole[2], const int board[3]) {
  const int cards[5] = {hole[0], hole[1], board[0], board[1], board[2]};
  RuleCount r{reference::five_card_strength(cards).category, false, false, false};
  if (r.category < 5) {  // below a flush
    for (int s = 0; s < 4; ++s) {
      int n = 0, from_hole = 0;
      for (int i = 0; i < 5; ++i) n += cards[i] % 4 == s, from_hole += i < 2 && cards[i] % 4 == s;
      r.flush_draw = r.flush_draw || (n == 4 && from_hole > 0);
    }
  }
  if (r.category >= 4) return r;  // a straight or better already
  // Ranks that complete five in a row (the ace also below the deuce) using a hole card.
  auto has = [](unsigned ranks, int rank) { return (ranks >> (rank == -1 ? 12 : rank)) & 1u; };
  unsigned all = 0, board_ranks = 0;
  for (int i = 0; i < 5; ++i) all |= 1u << (cards[i] / 4);
  for (int i = 2; i < 5; ++i) board_ranks |= 1u << (cards[i] / 4);
  int outs = 0;
  for (int add = 0; add < 13; ++add) {
    if (has(all, add)) continue;
    bool makes = false;
    for (int low = -1; low <= 8 && !makes; ++low) {
      bool window = true, board_only = true;
      for (int k = low; k < low + 5; ++k) {
        window = window && (k == add || has(all, k));
        board_only = board_only && (k == add || has(board_ranks, k));
      }
      makes = window && !board_only;
    }
    outs += makes;
  }
  r.open_ended = outs >= 2;
  r.gutshot = outs == 1;
  return r;
}

TEST(Breakdown, CategoriesAndDrawsMatchTheRules) {
  calc::EquityQuery q = query_of(Game::holdem, {"random", "random"}, "9h8h2c");
  const Breakdown b = compute_breakdown(q);
  ASSERT_EQ(b.status, calc::Status::ok) << b.error;
  ASSERT_EQ(b.hands.size(), 1176u);
  std::map<std::string, double> combos;
  for (const BreakdownHand& h : b.hands) {
    const int hole[2] = {h.hand.cards[0], h.hand.cards[1]};
    const RuleCount r = by_rule(hole, q.board.data());
    static constexpr std::string_view kNames[] = {"Straight flush", "Four of a kind", "Full house", "Flush", "Straight",
                                                  "Three of a kind", "Two pair", "One pair", "High card"};
    const std::string_view name = category_name(h.features.category);
    ASSERT_EQ(8 - r.category, std::find(kNames, kNames + 9, name) - kNames) << name;
    EXPECT_EQ(r.flush_draw, (h.features.draws & kFlushDraw) != 0);
    EXPECT_EQ(r.open_ended, (h.features.draws & kOpenEnded) != 0);
    EXPECT_EQ(r.gutshot, (h.features.draws & kGutshot) != 0);
  }
  // The summary rows add up to the range, with its average equity.
  double share = 0, weighted = 0;
  for (const BreakdownRow& row : b.categories) share += row.share, weighted += row.share * row.equity;
  EXPECT_NEAR(share, 1.0, 1e-12);
  EXPECT_NEAR(weighted, 0.5, 1e-9);  // random against random
  const std::set<std::string> names = [&] {
    std::set<std::string> s;
    for (const BreakdownRow& row : b.categories) s.insert(row.name);
    return s;
  }();
  for (const char* kind : {"Overpair", "Top pair", "Second pair", "Weaker pair"}) EXPECT_TRUE(names.count(kind)) << kind;
  EXPECT_FALSE(names.count("One pair"));
}

}  // namespace
