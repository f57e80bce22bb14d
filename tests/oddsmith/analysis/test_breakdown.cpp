// The range breakdown: per-hand equities against a brute force (river, turn and
// flop; Hold'em heads-up and three-way, Omaha, Hi/Lo), categories and draws
// against rule-based counts, next cards against separate equity runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "analysis/breakdown.h"
#include "calculator/query_text.h"
#include "cards/card_text.h"
#include "support/brute_force_deals.h"
#include "support/card_notation.h"
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
    // Next cards: every player's equity with the card on the board, by brute force.
    EXPECT_EQ(b.next_cards.empty(), q.board.size() == 5);
    for (const NextCard& n : b.next_cards) {
      if (n.card % 9 != 0) continue;  // a sample
      calc::EquityQuery with = q;
      with.board.push_back(n.card);
      std::vector<double> share(q.players.size()), weight(q.players.size());
      reference::for_each_deal(with, [&](const reference::Deal& d) {
        for (std::size_t p = 0; p < share.size(); ++p) share[p] += d.weight * d.share[p], weight[p] += d.weight;
      });
      for (std::size_t p = 0; p < n.equities.size(); ++p)
        EXPECT_NEAR(n.equities[p], share[p] / weight[p], 1e-9) << c.players[0] << " on " << c.board << " + " << n.card;
    }
  }
}

// One budget for the whole breakdown. Whatever the bound, a hand is never
// reported with an equity it did not get: the run has every hand (exact ones
// equal to the brute force, simulated ones near it) or fails as a whole. A
// target or trial count cut short says so (status target_not_met, results
// present); work that cannot fit is refused before it spends the bound.
TEST(Breakdown, EveryBoundGivesWholeResultsOrNone) {
  calc::EquityQuery river = query_of(Game::holdem, {"AsKs, AhKh", "random", "random"}, "Th7c8d9s2c");
  river.threads = 1;
  const BruteHands brute(river);
  for (double bound : {1e-4, 0.003, 0.012, 0.05, 0.3, 60.0}) {
    river.max_seconds = bound;
    const Breakdown b = compute_breakdown(river);
    if (!b.has_result()) {
      EXPECT_TRUE(b.hands.empty());
      continue;
    }
    ASSERT_EQ(b.hands.size(), 2u) << bound;
    for (const BreakdownHand& h : b.hands) {
      const double truth = brute.share.at(h.hand.mask) / brute.weight.at(h.hand.mask);
      EXPECT_NEAR(h.equity, truth, b.exact ? 1e-9 : 0.05) << bound << ": " << b.error;
    }
  }

  // A target out of reach is never a success: every hand and next card
  // present with the shortfall said, or (on a machine so loaded that the first
  // part overran its share many times) refused with the estimate.
  calc::EquityQuery target = query_of(Game::holdem, {"QQ+", "random", "random"}, "Th7c2d");
  target.mode = calc::Mode::monte_carlo;
  target.target_stderr = 1e-4;
  target.max_seconds = 1;
  const Breakdown short_of_target = compute_breakdown(target);
  if (short_of_target.has_result()) {
    EXPECT_EQ(short_of_target.status, calc::Status::target_not_met) << short_of_target.error;
    EXPECT_EQ(short_of_target.hands.size(), 18u);
    EXPECT_EQ(short_of_target.next_cards.size(), 49u);
    for (const BreakdownHand& h : short_of_target.hands) EXPECT_GT(h.equity, 0.3);
  } else {
    EXPECT_NE(short_of_target.error.find("would take about"), std::string::npos) << short_of_target.error;
  }

  // Far too much work for the bound: refused with the estimate, not run out.
  calc::EquityQuery heavy = query_of(Game::omaha, {"AA, KK, AKxx, JT98", "random"}, "QhJh2c");
  heavy.max_seconds = 0.5;
  for (calc::Mode mode : {calc::Mode::monte_carlo, calc::Mode::exact}) {
    heavy.mode = mode;
    const Breakdown refused = compute_breakdown(heavy);
    EXPECT_EQ(refused.status, calc::Status::bad_query);
    EXPECT_NE(refused.error.find("would take about"), std::string::npos) << refused.error;
  }
}

// A hand that no opponent hand can face (here every AAxx hand shares an ace
// with it) cannot play: it is left out in every game, never a 0 % row.
TEST(Breakdown, HandsNoOpponentCanFaceAreLeftOut) {
  for (Game game : {Game::omaha, Game::omaha_hilo}) {
    calc::EquityQuery q = query_of(game, {"AhAsAd2c, KhKsQdQc", "AAxx"}, "4d7cKd");
    q.seed = 1;
    const Breakdown b = compute_breakdown(q);
    ASSERT_TRUE(b.has_result()) << b.error;
    ASSERT_EQ(b.hands.size(), 1u);
    std::vector<int> kings_queens;
    std::string error;
    ASSERT_TRUE(parse_card_list("KhKsQdQc", kings_queens, error));
    CardMask mask = 0;
    for (int c : kings_queens) mask |= card_bit(c);
    EXPECT_EQ(b.hands[0].hand.mask, mask);
    double combos = 0;
    for (const BreakdownRow& row : b.categories) combos += row.combos;
    EXPECT_DOUBLE_EQ(combos, 1.0);
  }
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

  // What each next card completes: the weight of the hands with a flush (a
  // straight) draw by the rules that hold a flush (a straight) or a straight
  // flush among their six cards, over the hands not holding the card.
  ASSERT_EQ(b.next_cards.size(), 49u);
  for (const NextCard& next : b.next_cards) {
    double total = 0, flush = 0, straight = 0;
    for (const BreakdownHand& h : b.hands) {
      if (h.hand.mask & card_bit(next.card)) continue;
      total += h.hand.weight;
      const int hole[2] = {h.hand.cards[0], h.hand.cards[1]};
      const RuleCount r = by_rule(hole, q.board.data());
      const int six[6] = {hole[0], hole[1], q.board[0], q.board[1], q.board[2], next.card};
      int best = 0;
      for (int skip = 0; skip < 6; ++skip) {
        int five[5] = {}, k = 0;
        for (int i = 0; i < 6; ++i)
          if (i != skip) five[k++] = six[i];
        best = std::max(best, reference::five_card_strength(five).category);
      }
      flush += r.flush_draw && (best == 5 || best == 8) ? h.hand.weight : 0;
      straight += (r.open_ended || r.gutshot) && (best == 4 || best == 8) ? h.hand.weight : 0;
    }
    EXPECT_NEAR(next.flush, flush / total, 1e-12) << card_name(next.card);
    EXPECT_NEAR(next.straight, straight / total, 1e-12) << card_name(next.card);
    EXPECT_EQ(next.low, 0);
  }
}

// Omaha by brute force from the rules: the strongest of two hole cards with
// three of the board (reference strength), its category (8 straight flush ..
// 0 high card), and the best low of a board of five (1024: none).
int omaha_category(const std::vector<int>& hole, const std::vector<int>& board) {
  int best = -1;
  for (std::size_t a = 0; a < hole.size(); ++a)
    for (std::size_t b = a + 1; b < hole.size(); ++b)
      for (std::size_t x = 0; x < board.size(); ++x)
        for (std::size_t y = x + 1; y < board.size(); ++y)
          for (std::size_t z = y + 1; z < board.size(); ++z) {
            const int five[5] = {hole[a], hole[b], board[x], board[y], board[z]};
            best = std::max(best, reference::five_card_strength(five).category);
          }
  return best;
}

int river_low(const std::vector<int>& hole, const std::vector<int>& board) {
  const int h[4] = {hole[0], hole[1], hole[2], hole[3]};
  return reference::omaha_low_brute_force(board.data(), h);
}

// Omaha Hi/Lo hands on a turn: straight outs and wraps, flush draws to the
// nuts and second nuts, and low draws to the nuts, each counted card by card
// from the rules; and on the river every low against the best lows any two
// unseen cards make.
TEST(Breakdown, OmahaDrawsAndLowsMatchTheRules) {
  const std::vector<int> turn = test_cards::cards("Qh7h3c9d");
  std::vector<int> unseen;
  for (int c = 0; c < kDeckSize; ++c)
    if (std::find(turn.begin(), turn.end(), c) == turn.end()) unseen.push_back(c);
  // The best low of board + card for any two cards (two kings fill the hole:
  // not low, and the board holds none).
  std::map<int, int> nut_low;
  const int kings[2] = {make_card(11, 0), make_card(11, 1)};
  for (int c : unseen) {
    std::vector<int> board = turn;
    board.push_back(c);
    int best = 1024;
    for (std::size_t i = 0; i < unseen.size(); ++i)
      for (std::size_t j = i + 1; j < unseen.size(); ++j)
        if (unseen[i] != c && unseen[j] != c && card_rank(unseen[i]) != 11 && card_rank(unseen[j]) != 11)
          best = std::min(best, river_low({unseen[i], unseen[j], kings[0], kings[1]}, board));
    nut_low[c] = best;
  }
  std::mt19937 rng(7);
  int wraps = 0, nut_flush = 0, nut_low_draws = 0;
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<int> deck = unseen;
    std::shuffle(deck.begin(), deck.end(), rng);
    std::vector<int> hole(deck.begin(), deck.begin() + 4);
    // Lean the hands towards draws: half of them hold three cards around the board.
    if (trial % 2) hole = {make_card(9, trial % 4), make_card(8, (trial + 1) % 4), make_card(6, 2), deck[0]};
    if (std::set<int>(hole.begin(), hole.end()).size() < 4 ||
        std::any_of(hole.begin(), hole.end(), [&](int c) { return std::count(turn.begin(), turn.end(), c); }))
      continue;
    const HandFeatures f = hand_features(hole, turn, false, true);
    const int now = omaha_category(hole, turn);
    int outs = 0, low_cards = 0, nut_low_cards = 0;
    unsigned flush_suits = 0;
    for (int c : unseen) {
      if (std::count(hole.begin(), hole.end(), c)) continue;
      std::vector<int> board = turn;
      board.push_back(c);
      const int next = omaha_category(hole, board);
      if ((next == 4 || next == 8) && now < 4) ++outs;
      if ((next == 5 || next == 8) && now <= 4) flush_suits |= 1u << card_suit(c);
      const int low = river_low(hole, board);
      low_cards += low < 1024;
      nut_low_cards += low < 1024 && low == nut_low[c];
    }
    SCOPED_TRACE(test_cards::text(hole.data(), 4));
    EXPECT_EQ(f.straight_outs, outs);
    EXPECT_EQ((f.draws & kWrap) != 0, outs >= 13);
    EXPECT_EQ((f.draws & kFlushDraw) != 0, flush_suits != 0);
    bool nut = false;
    for (int suit = 0; suit < 4; ++suit) {
      if (!(flush_suits & (1u << suit))) continue;
      int top = 12;  // the suit's highest rank off the board
      while (std::count(turn.begin(), turn.end(), make_card(top, suit))) --top;
      nut = nut || std::count(hole.begin(), hole.end(), make_card(top, suit));
    }
    EXPECT_EQ((f.draws & kNutFlushDraw) != 0, nut);
    EXPECT_EQ((f.draws & kLowDraw) != 0, low_cards > 0);  // no low on a turn with two low ranks
    EXPECT_EQ((f.draws & kNutLowDraw) != 0, low_cards > 0 && 2 * nut_low_cards >= low_cards);
    wraps += outs >= 13, nut_flush += nut, nut_low_draws += (f.draws & kNutLowDraw) != 0;
  }
  EXPECT_GT(wraps, 0);  // the cases above were met
  EXPECT_GT(nut_flush, 0);
  EXPECT_GT(nut_low_draws, 0);

  // River lows: nut, second nut, other, none.
  const std::vector<int> river = test_cards::cards("2h5c8dKcTs");
  std::set<int> lows;  // every low two unseen cards make here
  std::vector<int> left;
  for (int c = 0; c < kDeckSize; ++c)
    if (!std::count(river.begin(), river.end(), c) && card_rank(c) != 11) left.push_back(c);
  for (std::size_t i = 0; i < left.size(); ++i)
    for (std::size_t j = i + 1; j < left.size(); ++j) {
      const int low = river_low({left[i], left[j], make_card(11, 0), make_card(11, 1)}, river);
      if (low < 1024) lows.insert(low);
    }
  ASSERT_GE(lows.size(), 3u);
  std::map<LowKind, int> seen;
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<int> deck = left;
    std::shuffle(deck.begin(), deck.end(), rng);
    const std::vector<int> hole(deck.begin(), deck.begin() + 4);
    const int low = river_low(hole, river);
    const LowKind want = low == 1024                   ? LowKind::none
                         : low == *lows.begin()          ? LowKind::nut
                         : low == *std::next(lows.begin()) ? LowKind::second_nut
                                                           : LowKind::other;
    EXPECT_EQ(hand_features(hole, river, false, true).low, want) << test_cards::text(hole.data(), 4);
    ++seen[want];
  }
  EXPECT_EQ(seen.size(), 4u);
}

}  // namespace
