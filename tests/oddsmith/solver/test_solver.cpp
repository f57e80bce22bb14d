// The postflop solver: the half-street toy game against its closed form (with
// two- and four-card hands), the exploitability against a brute-force best
// response written here (scalar, hand against hand, strengths from the
// rule-based reference; Hold'em, Omaha and five-card Omaha), EVs that share
// the pot, bit-identical results on 1 and 2 threads, short deck's flush over a
// full house, the memory bound, and the tree's rules in one table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cards/card_text.h"
#include "range/range_notation.h"
#include "solver/game_tree.h"
#include "solver/solver.h"
#include "support/reference_poker.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::solver;

std::vector<int> cards_of(std::string_view text) {
  std::vector<int> cards;
  std::string error;
  EXPECT_TRUE(parse_card_list(text, cards, error)) << error;
  return cards;
}

std::vector<BetSize> sizes(std::string_view text, bool raises) {
  std::string error;
  auto s = parse_sizes(text, raises, error);
  EXPECT_TRUE(s.has_value()) << error;
  return s.value_or(std::vector<BetSize>{});
}

struct SpotText {
  Game game = Game::holdem;
  const char* board;
  const char* oop;
  const char* ip;
  int pot = 100, stack = 200;
  const char* bets = "50%,100%";   // every street, both players
  const char* raises = "2.5x";
  const char* ip_bets = nullptr;   // IP's bets where they differ
  int max_raises = -1;
  double rake_rate = 0, rake_cap = 1e300;
  const char* dead = "";
};

Spot make_spot(const SpotText& t) {
  Spot s;
  s.game = t.game;
  s.board = cards_of(t.board);
  s.dead = cards_of(t.dead);
  s.rake_rate = t.rake_rate;
  s.rake_cap = t.rake_cap;
  const RangeGame rg = rules(t.game).hands;
  RangeParse a = parse_range(t.oop, rg), b = parse_range(t.ip, rg);
  EXPECT_TRUE(a.range && b.range) << a.error.message << b.error.message;
  s.ranges = {*a.range, *b.range};
  s.tree.pot = t.pot;
  s.tree.stack = t.stack;
  s.tree.add_allin = s.tree.force_allin = s.tree.merge = 0;
  s.tree.max_raises = t.max_raises;
  for (auto& street : s.tree.sizes) {
    street[0] = {sizes(t.bets, false), sizes(t.raises, true)};
    street[1] = {sizes(t.ip_bets ? t.ip_bets : t.bets, false), sizes(t.raises, true)};
  }
  return s;
}

std::unique_ptr<Solver> solved(const Spot& spot, double target, int threads = 1, int max_iterations = 5000) {
  BuildOptions bo;
  bo.threads = threads;
  std::string error;
  auto solver = Solver::create(spot, bo, error);
  EXPECT_TRUE(solver) << error;
  if (!solver) return nullptr;
  SolveOptions so;
  so.target_pct = target;
  so.max_iterations = max_iterations;
  solver->solve(so);
  return solver;
}

NodeReport node_at(const Solver& s, std::string_view path) {
  std::string error;
  auto n = s.node(path, error);
  EXPECT_TRUE(n.has_value()) << path << ": " << error;
  return n.value_or(NodeReport{});
}

// The share with which hands matching `hand` (e.g. "KK", by ranks) take action a.
double hand_frequency(const NodeReport& n, int rank_hi, int rank_lo, std::size_t action) {
  const NodeReport::Side& side = n.sides[static_cast<std::size_t>(n.player)];
  double f = 0, w = 0;
  for (std::size_t h = 0; h < side.hands.size(); ++h) {
    if (card_rank(side.hands[h][0]) != rank_hi || card_rank(side.hands[h][1]) != rank_lo) continue;
    f += side.weight[h] * n.strategy[h * n.actions.size() + action];
    w += side.weight[h];
  }
  return f / w;
}

// ---- the half-street toy game ----------------------------------------------

// River Ks Qd 7h 4c 2s (no straight or flush can be made): OOP holds the nuts
// (kings: a set) and air (king high), IP only bluff-catchers (a pair below the
// nuts); OOP bets B or checks, IP calls or folds, and a check is checked back.
// No hand shares a rank with another, so no card is blocked between the
// ranges. Hold'em: KK (3 hands), 65 (16) against 88; Omaha: KK99 (18 hands),
// 8653 (256) against JJTT.
void check_toy_game(Game game, int pot, int bet) {
  SpotText t{.game = game, .board = "Ks Qd 7h 4c 2s", .oop = "KK, 65", .ip = "88"};
  if (game == Game::omaha) {
    t.oop = "KK99, 8653";
    t.ip = "JJTT";
  }
  t.pot = pot;
  t.stack = 1000;
  const std::string bet_size = std::to_string(100.0 * bet / pot).append("%");
  t.bets = bet_size.c_str();
  t.ip_bets = "";
  t.raises = "";
  const Spot spot = make_spot(t);
  auto solver = solved(spot, 0.005);
  ASSERT_TRUE(solver);
  const SolveReport& r = solver->report();
  EXPECT_TRUE(r.converged);
  const NodeReport root = node_at(*solver, "");
  ASSERT_EQ(root.actions.size(), 2u);
  ASSERT_EQ(root.actions[1].amount, bet);
  const double P = pot, B = bet;
  // The nuts hold a king; the air does not.
  double nuts = 0, air = 0, nuts_bet = 0, air_bet = 0;
  for (std::size_t h = 0; h < root.sides[0].hands.size(); ++h) {
    const auto& hand = root.sides[0].hands[h];
    const bool king = std::any_of(hand.begin(), hand.end(), [](int c) { return c >= 0 && card_rank(c) == 11; });
    (king ? nuts : air) += root.sides[0].weight[h];
    (king ? nuts_bet : air_bet) += root.sides[0].weight[h] * root.strategy[h * 2 + 1];
  }
  ASSERT_EQ(nuts, game == Game::omaha ? 18 : 3);
  ASSERT_EQ(air, game == Game::omaha ? 256 : 16);
  const double bluffs = nuts * B / (P + B);  // bluffs / (nuts + bluffs) = B / (P + 2B)
  EXPECT_NEAR(nuts_bet / nuts, 1.0, 0.005);
  EXPECT_NEAR(air_bet / air, bluffs / air, 0.005);
  const NodeReport facing = node_at(*solver, "bet");
  ASSERT_EQ(facing.actions.size(), 2u);
  EXPECT_EQ(facing.actions[1].kind, ActionKind::call);
  EXPECT_NEAR(facing.frequencies[1], P / (P + B), 0.005);
  // OOP: the nuts win the pot and the bet when called; air wins nothing.
  const double ev = nuts / (nuts + air) * (P + B * P / (P + B));
  EXPECT_NEAR(r.ev[0], ev, 0.001 * P);
  EXPECT_NEAR(r.ev[0] + r.ev[1], P, 1e-3);
}

TEST(SolverToyGame, HalfPotBetMatchesClosedForm) {
  check_toy_game(Game::holdem, 100, 50);
  check_toy_game(Game::omaha, 100, 50);
}
TEST(SolverToyGame, OverbetMatchesClosedForm) {
  check_toy_game(Game::holdem, 60, 90);
  check_toy_game(Game::omaha, 60, 90);
}

// ---- exploitability against a brute-force best response ------------------

struct Brute {
  NodeReport report;
  std::vector<Brute> children;  // per action, or per card of report.cards
};

Brute tree_of(const Solver& s, const std::string& path) {
  Brute b{node_at(s, path), {}};
  auto child = [&](const std::string& step) {
    b.children.push_back(tree_of(s, path.empty() ? step : std::string(path).append(", ").append(step)));
  };
  if (b.report.kind == NodeReport::Kind::action)
    for (const TreeAction& a : b.report.actions) {
      std::string step = action_name(a.kind);
      if (a.kind == ActionKind::bet || a.kind == ActionKind::raise) step.append(" ").append(std::to_string(a.amount));
      child(step);
    }
  if (b.report.kind == NodeReport::Kind::chance)
    for (int c : b.report.cards) child(card_name(c));
  return b;
}

using Hand = std::array<int, 5>;  // a report's hand: its cards, then -1

// A hand's strength on a river board: the best five of the seven cards
// (two-card hands), or the best of two hole cards with three board cards.
reference::Strength strength_of(const std::vector<int>& board, const Hand& hand) {
  // Remembered by cards: the brute force asks for each strength many times.
  static std::map<std::pair<std::uint64_t, std::uint64_t>, reference::Strength> known;
  std::uint64_t board_mask = 0, hand_mask = 0;
  for (int c : board) board_mask |= std::uint64_t{1} << c;
  std::vector<int> hole;
  for (int c : hand)
    if (c >= 0) {
      hole.push_back(c);
      hand_mask |= std::uint64_t{1} << c;
    }
  const auto key = std::make_pair(board_mask, hand_mask);
  if (auto it = known.find(key); it != known.end()) return it->second;
  reference::Strength best;
  if (hole.size() == 2) {
    std::vector<int> all = board;
    all.insert(all.end(), hole.begin(), hole.end());
    for (unsigned mask = 0; mask < 128; ++mask) {
      if (__builtin_popcount(mask) != 5) continue;
      int five[5], n = 0;
      for (int i = 0; i < 7; ++i)
        if (mask >> i & 1) five[n++] = all[static_cast<std::size_t>(i)];
      best = std::max(best, reference::five_card_strength(five));
    }
  } else {
    for (std::size_t a = 0; a < hole.size(); ++a)
      for (std::size_t b = a + 1; b < hole.size(); ++b)
        for (unsigned mask = 0; mask < 32; ++mask) {
          if (__builtin_popcount(mask) != 3) continue;
          int five[5] = {hole[a], hole[b]}, n = 2;
          for (int i = 0; i < 5; ++i)
            if (mask >> i & 1) five[n++] = board[static_cast<std::size_t>(i)];
          best = std::max(best, reference::five_card_strength(five));
        }
  }
  known.emplace(key, best);
  return best;
}

bool holds(const Hand& hand, int card) { return std::find(hand.begin(), hand.end(), card) != hand.end(); }

bool share(const Hand& a, const Hand& b) {
  return std::any_of(a.begin(), a.end(), [&](int c) { return c >= 0 && holds(b, c); });
}

// Player p's value with hand h against the other's hands weighted by q (the
// other's weight times its strategy so far), by best response or by p's own
// average strategy; chips. Chance nodes average over the cards that can come,
// all-in runouts over the river cards.
// The spot's rules the brute force needs beside the tree: the starting pot, the
// rake, the dead cards.
struct BruteRules {
  int base_pot;
  double rake_rate, rake_cap;
  std::vector<int> dead;
};

double brute_value(const Brute& b, int p, std::size_t h, const std::vector<double>& q, bool best, const BruteRules& rules) {
  const NodeReport& n = b.report;
  const auto& mine = n.sides[static_cast<std::size_t>(p)].hands;
  const auto& theirs = n.sides[static_cast<std::size_t>(1 - p)].hands;
  auto compatible = [&](std::size_t o) { return !share(theirs[o], mine[h]); };
  // Chips put in since the spot started.
  const double street_pot = n.pot - n.street_bets[0] - n.street_bets[1];
  const double put_in = (street_pot - rules.base_pot) / 2 + n.street_bets[static_cast<std::size_t>(p)];
  const double won = n.pot - std::min(n.pot * rules.rake_rate, rules.rake_cap);  // the pot less the rake
  auto showdown = [&](const std::vector<int>& board, std::size_t o) {
    const reference::Strength me = strength_of(board, mine[h]), them = strength_of(board, theirs[o]);
    return me > them ? won - put_in : me < them ? -put_in : won / 2.0 - put_in;
  };
  switch (n.kind) {
    case NodeReport::Kind::fold:
    case NodeReport::Kind::showdown: {
      double v = 0;
      for (std::size_t o = 0; o < theirs.size(); ++o)
        if (compatible(o) && q[o] != 0)
          v += q[o] * (n.kind == NodeReport::Kind::fold ? (n.player == p ? -put_in : won - put_in) : showdown(n.board, o));
      return v;
    }
    case NodeReport::Kind::runout: {
      EXPECT_EQ(n.board.size(), 4u);  // the tests' runouts are on the turn
      double v = 0;
      for (std::size_t o = 0; o < theirs.size(); ++o) {
        if (!compatible(o) || q[o] == 0) continue;
        double sum = 0;
        int count = 0;
        for (int c = 0; c < 52; ++c) {
          if (std::find(n.board.begin(), n.board.end(), c) != n.board.end() || holds(mine[h], c) || holds(theirs[o], c) ||
              std::find(rules.dead.begin(), rules.dead.end(), c) != rules.dead.end())
            continue;
          std::vector<int> board = n.board;
          board.push_back(c);
          sum += showdown(board, o);
          ++count;
        }
        v += q[o] * sum / count;
      }
      return v;
    }
    case NodeReport::Kind::chance: {
      const double possible = static_cast<double>(n.cards.size()) - 2 * n.hand_cards;
      double v = 0;
      for (std::size_t k = 0; k < n.cards.size(); ++k) {
        const int c = n.cards[k];
        if (holds(mine[h], c)) continue;
        std::vector<double> qc = q;
        for (std::size_t o = 0; o < theirs.size(); ++o)
          if (holds(theirs[o], c)) qc[o] = 0;
        v += brute_value(b.children[k], p, h, qc, best, rules) / possible;
      }
      return v;
    }
    case NodeReport::Kind::action: break;
  }
  const std::size_t A = n.actions.size();
  if (n.player == p) {
    double v = best ? -1e300 : 0;
    for (std::size_t a = 0; a < A; ++a) {
      const double child = brute_value(b.children[a], p, h, q, best, rules);
      v = best ? std::max(v, child) : v + n.strategy[h * A + a] * child;
    }
    return v;
  }
  double v = 0;
  for (std::size_t a = 0; a < A; ++a) {
    std::vector<double> qa(q.size());
    for (std::size_t o = 0; o < q.size(); ++o) qa[o] = q[o] * n.strategy[o * A + a];
    v += brute_value(b.children[a], p, h, qa, best, rules);
  }
  return v;
}

void check_against_brute_force(const SpotText& t) {
  const Spot spot = make_spot(t);
  // A few iterations: a strategy far from equilibrium, mixed everywhere.
  auto solver = solved(spot, 0, 1, 7);
  ASSERT_TRUE(solver);
  const Solver::Measure m = solver->measure_exploitability();
  const Brute root = tree_of(*solver, "");
  const BruteRules rules{t.pot, t.rake_rate, t.rake_cap, spot.dead};
  std::array<double, 2> br{}, ev{};
  for (int p = 0; p < 2; ++p) {
    const NodeReport::Side& mine = root.report.sides[static_cast<std::size_t>(p)];
    const NodeReport::Side& theirs = root.report.sides[static_cast<std::size_t>(1 - p)];
    double pairs = 0;
    for (std::size_t h = 0; h < mine.hands.size(); ++h) {
      br[static_cast<std::size_t>(p)] += mine.weight[h] * brute_value(root, p, h, theirs.weight, true, rules);
      ev[static_cast<std::size_t>(p)] += mine.weight[h] * brute_value(root, p, h, theirs.weight, false, rules);
      for (std::size_t o = 0; o < theirs.hands.size(); ++o)
        if (!share(theirs.hands[o], mine.hands[h])) pairs += mine.weight[h] * theirs.weight[o];
    }
    br[static_cast<std::size_t>(p)] /= pairs;
    ev[static_cast<std::size_t>(p)] /= pairs;
  }
  for (std::size_t p = 0; p < 2; ++p) {
    EXPECT_NEAR(m.best_response[p], br[p], 2e-3) << t.board << ", player " << p;
    EXPECT_NEAR(m.ev[p], ev[p], 2e-3) << t.board << ", player " << p;
  }
  const double brute_exploitability = ((br[0] - ev[0]) + (br[1] - ev[1])) / 2;
  EXPECT_GT(brute_exploitability, 0.5) << t.board;  // far from equilibrium: the check means something
  EXPECT_NEAR(m.exploitability, brute_exploitability, 2e-3) << t.board;
  if (t.rake_rate == 0) EXPECT_NEAR(ev[0] + ev[1], t.pot, 1e-4) << t.board;
  else EXPECT_LT(ev[0] + ev[1], t.pot - 0.5) << t.board;  // the rake's share
}

TEST(SolverExploitability, MatchesBruteForceBestResponse) {
  // The river with raises.
  SpotText river{.board = "Qs Jh 2h 8d 3c", .oop = "QQ, AhKh, 33, 9h8h, KsTs", .ip = "JJ, AcQc, 88, Ts9s, 5h4h"};
  river.stack = 300;
  river.bets = "33%,100%";
  river.max_raises = 2;
  check_against_brute_force(river);
  // With a rake (5 %, at most 3 chips), taken from every pot won.
  river.rake_rate = 0.05;
  river.rake_cap = 3;
  check_against_brute_force(river);
  // The turn: every river card, clubs and diamonds merged by suit symmetry,
  // and all-in runouts (a short stack).
  SpotText turn{.board = "Qs Jh 2h 8h", .oop = "QQ, AhKh, 33, T9s", .ip = "JJ, AQs, 88, 54s"};
  turn.stack = 150;
  turn.bets = "75%";
  turn.raises = "a";
  turn.max_raises = 1;
  check_against_brute_force(turn);
  // A dead club: the clubs and diamonds are no longer alike.
  turn.dead = "5c";
  check_against_brute_force(turn);
}

// The same brute force over four- and five-card hands: hands that share one,
// two or three cards meet (card removal by inclusion-exclusion), and the
// turn deals every river card, with runouts after an all-in.
TEST(SolverExploitability, MatchesBruteForceBestResponseInOmaha) {
  SpotText river{.game = Game::omaha, .board = "Qs Jh 2h 8d 3c", .oop = "AhKhQdJd, QQ88, KsTsJcTc, 9h8h7c6c, AhAdKcKd",
                 .ip = "JJ22, AcQcKdTd, KhQh9s8s, Th9h5h4h, AhKdQdJd"};
  river.stack = 300;
  river.bets = "33%,100%";
  river.max_raises = 2;
  check_against_brute_force(river);
  SpotText turn{.game = Game::omaha, .board = "Qs Jh 2h 8h", .oop = "QQ33, AhKhTs9s, Th9c7d6d, AsAdKcKd",
                .ip = "JJ55, AcQcKdTd, 5h4h3h2c, KcKdAsTs"};
  turn.stack = 150;
  turn.bets = "75%";
  turn.raises = "a";
  turn.max_raises = 1;
  check_against_brute_force(turn);
  SpotText five{.game = Game::omaha5, .board = "Qs Jh 2h 8d 3c",
                .oop = "AhKhQdJd9c, QdQc8s8c7h, KsTsJcTc4d, AhAdKcKd5s",
                .ip = "JsJd2s2c6h, AcQcKdTd5s, KhQh9s8s7h, AhKdQdJd4d"};
  five.stack = 300;
  five.bets = "50%";
  five.max_raises = 1;
  check_against_brute_force(five);
}

// ---- targets, EVs, threads -------------------------------------------------

const SpotText kTurnSpot{.board = "Qs Jh 2h 8d", .oop = "QQ-99, AQs-ATs, KQs, QJs, JTs, T9s, 87s, A5s", .ip =
                             "AA-TT, 88, 22, AKs-AJs, KQs-KJs, QTs+, JTs, 98s, 76s, AQo, KQo"};

TEST(SolverTargets, RiverTurnAndFlopReachTheTargetAndShareThePot) {
  SpotText river = kTurnSpot;
  river.board = "Qs Jh 2h 8d 3c";
  SpotText flop = kTurnSpot;
  flop.board = "Qs Jh 2h";
  flop.oop = "QQ, JJ, AQs, KQs, QJs, JTs, T9s";
  flop.ip = "AA, KK, 22, AKs, KJs, QTs, 98s";
  flop.pot = 60;
  flop.stack = 100;
  flop.bets = "75%";
  flop.max_raises = 1;
  for (const SpotText& t : {river, kTurnSpot, flop}) {
    auto solver = solved(make_spot(t), 0.5);
    ASSERT_TRUE(solver);
    const SolveReport& r = solver->report();
    EXPECT_TRUE(r.converged) << t.board;
    EXPECT_LE(r.exploitability_pct, 0.5) << t.board;
    EXPECT_NEAR(r.ev[0] + r.ev[1], t.pot, 1e-3 * t.pot) << t.board;
    const NodeReport root = node_at(*solver, "");
    EXPECT_NEAR(root.sides[0].ev_total + root.sides[1].ev_total, t.pot, 1e-3 * t.pot) << t.board;
  }
}

TEST(SolverThreads, OneAndTwoThreadsGiveIdenticalResults) {
  const Spot spot = make_spot(kTurnSpot);
  std::vector<std::unique_ptr<Solver>> runs;
  for (int threads : {1, 2}) runs.push_back(solved(spot, 0, threads, 30));
  ASSERT_TRUE(runs[0] && runs[1]);
  EXPECT_EQ(runs[1]->threads(), 2);
  EXPECT_EQ(runs[0]->report().exploitability, runs[1]->report().exploitability);
  EXPECT_EQ(runs[0]->report().ev, runs[1]->report().ev);
  for (const char* path : {"", "check", "bet 50, call, 3c", "check, bet 100, allin", "check, check, 9d"}) {
    const NodeReport a = node_at(*runs[0], path), b = node_at(*runs[1], path);
    EXPECT_EQ(a.strategy, b.strategy) << path;
    for (std::size_t p = 0; p < 2; ++p) {
      EXPECT_EQ(a.sides[p].weight, b.sides[p].weight) << path;
      ASSERT_EQ(a.sides[p].ev.size(), b.sides[p].ev.size());
      for (std::size_t h = 0; h < a.sides[p].ev.size(); ++h)
        EXPECT_TRUE(a.sides[p].ev[h] == b.sides[p].ev[h] || (std::isnan(a.sides[p].ev[h]) && std::isnan(b.sides[p].ev[h])));
    }
  }
}

// ---- short deck ------------------------------------------------------------

// River Ah Kh 9h 9c 6d: OOP's QhJh is a flush, IP's As9s a full house. In
// Hold'em the full house wins, so OOP's flush never bets into a range that
// always holds it; in short deck the flush wins and OOP bets it every time.
TEST(SolverShortDeck, FlushOverFullHouseChangesTheStrategy) {
  for (Game game : {Game::holdem, Game::shortdeck}) {
    SpotText t{.game = game, .board = "Ah Kh 9h 9c 6d", .oop = "QhJh, TsJs, TdJd", .ip = "As9s"};
    t.bets = "100%";
    t.ip_bets = "";
    t.raises = "";
    auto solver = solved(make_spot(t), 0.05);
    ASSERT_TRUE(solver);
    const NodeReport root = node_at(*solver, "");
    const double flush_bets = hand_frequency(root, 10, 9, 1);  // QhJh
    if (game == Game::holdem) EXPECT_LT(flush_bets, 0.01);
    else EXPECT_GT(flush_bets, 0.99);
  }
}

// ---- the memory bound ------------------------------------------------------

TEST(SolverMemory, ATreeOverTheBoundIsRefusedWithItsSize) {
  SpotText t = kTurnSpot;
  t.board = "Qs Jh 2h";
  t.bets = "25%,50%,75%,100%,150%";
  t.raises = "2x,3x";
  Spot spot = make_spot(t);
  BuildOptions bo;
  bo.max_memory = 64 << 20;
  std::string error;
  TreeSize size;
  ASSERT_TRUE(Solver::measure(spot, bo, size, error));
  EXPECT_GT(size.memory_bytes, bo.max_memory);
  EXPECT_NE(error.find("MiB"), std::string::npos);
  EXPECT_EQ(Solver::create(spot, bo, error), nullptr);
  EXPECT_NE(error.find("over the memory bound"), std::string::npos) << error;
}

// ---- the tree's rules ------------------------------------------------------

struct RuleCase {
  const char* what;
  Street street;
  int pot, stack;
  int bets[2];  // this street's bets so far
  int player, raises, last_increment;
  const char* bet_sizes;
  const char* raise_sizes;
  double add_allin, force_allin, merge;
  int max_raises;
  bool oop_checks;
  const char* expected;  // the actions, "check bet:33 bet:75 allin:1000"
};

std::string actions_text(const std::vector<TreeAction>& acts) {
  std::string s;
  for (const TreeAction& a : acts) {
    if (!s.empty()) s += ' ';
    s += action_name(a.kind);
    if (a.kind != ActionKind::check && a.kind != ActionKind::fold) s.append(":").append(std::to_string(a.amount));
  }
  return s;
}

TEST(SolverTree, Rules) {
  const RuleCase cases[] = {
      {"pot percentages", Street::river, 100, 1000, {0, 0}, 0, 0, 0, "33%,75%", "", 0, 0, 0, 3, false,
       "check bet:33 bet:75"},
      {"rounding half away from zero: 2.5x of 25 is 63", Street::river, 100, 1000, {25, 0}, 1, 0, 25, "", "2.5x", 0, 0,
       0, 3, false, "fold call:25 raise:63"},
      {"a raise of N% is of the pot after calling", Street::river, 100, 1000, {50, 0}, 1, 0, 50, "", "100%", 0, 0, 0, 3,
       false, "fold call:50 raise:250"},
      {"geometric over three streets", Street::flop, 100, 200, {0, 0}, 0, 0, 0, "e", "", 0, 0, 0, 3, false,
       "check bet:35"},
      {"geometric on the river is the all-in", Street::river, 100, 200, {0, 0}, 0, 0, 0, "e", "", 0, 0, 0, 3, false,
       "check allin:200"},
      {"the stack or more is the all-in, once", Street::river, 100, 120, {0, 0}, 0, 0, 0, "50%,150%,a", "", 0, 0, 0, 3,
       false, "check bet:50 allin:120"},
      {"a raise below the minimum is the minimum", Street::river, 100, 1000, {40, 0}, 1, 0, 40, "", "1.5x", 0, 0, 0, 3,
       false, "fold call:40 raise:80"},
      {"add all-in: stack at most 1.5 pots", Street::river, 100, 150, {0, 0}, 0, 0, 0, "50%", "", 1.5, 0, 0, 3, false,
       "check bet:50 allin:150"},
      {"add all-in: not above 1.5 pots", Street::river, 100, 151, {0, 0}, 0, 0, 0, "50%", "", 1.5, 0, 0, 3, false,
       "check bet:50"},
      {"force all-in: 30 behind after a call of 90 into 280 (<= 0.15)", Street::river, 100, 120, {0, 0}, 0, 0, 0,
       "50%,90%", "", 0, 0.15, 0, 3, false, "check bet:50 allin:120"},
      {"merge: 33% is within 0.1 of 40%", Street::river, 100, 1000, {0, 0}, 0, 0, 0, "33%,40%,75%", "", 0, 0, 0.1, 3,
       false, "check bet:40 bet:75"},
      {"raise cap reached: fold or call", Street::river, 100, 1000, {100, 250}, 0, 1, 150, "", "2.5x", 0, 0, 0, 1,
       false, "fold call:250"},
      {"no cap: raise on", Street::river, 100, 1000, {100, 250}, 0, 5, 150, "", "2.5x", 0, 0, 0, -1, false,
       "fold call:250 raise:625"},
      {"no donk: OOP checks to the last aggressor", Street::turn, 100, 1000, {0, 0}, 0, 0, 0, "50%", "", 0, 0, 0, 3,
       true, "check"},
      {"facing an all-in: fold or call", Street::river, 100, 200, {0, 200}, 0, 0, 200, "", "2.5x", 0, 0, 0, 3, false,
       "fold call:200"},
  };
  for (const RuleCase& c : cases) {
    TreeRules r;
    r.pot = c.pot;
    r.stack = c.stack;
    r.add_allin = c.add_allin;
    r.force_allin = c.force_allin;
    r.merge = c.merge;
    r.max_raises = c.max_raises;
    auto& mine = r.sizes[static_cast<std::size_t>(c.street)][static_cast<std::size_t>(c.player)];
    mine.bets = sizes(c.bet_sizes, false);
    mine.raises = sizes(c.raise_sizes, true);
    const bool first = c.bets[0] == 0 && c.bets[1] == 0 && c.player == kOop;
    EXPECT_EQ(actions_text(node_actions(r, c.street, c.pot, c.stack, c.bets, c.player, c.raises, c.last_increment,
                                        first, c.oop_checks)),
              c.expected)
        << c.what;
  }
  std::string error;
  EXPECT_FALSE(parse_sizes("2.5x", false, error).has_value());
  EXPECT_FALSE(parse_sizes("e", true, error).has_value());
  EXPECT_FALSE(parse_sizes("50%,,75%", false, error).has_value());

  // A whole tree: donk bets off, the flop's aggressor checked to on the turn.
  TreeRules r;
  r.pot = 60;
  r.stack = 170;
  r.add_allin = r.force_allin = r.merge = 0;
  r.max_raises = -1;
  for (auto& street : r.sizes)
    for (auto& p : street) p = {sizes("75%", false), sizes("2.5x", true)};
  const GameTree tree = build_game_tree(r, Street::flop, error);
  ASSERT_TRUE(error.empty()) << error;
  const StreetTree& flop = tree.streets[0];
  EXPECT_EQ(actions_text({flop.actions.begin() + flop.nodes[0].first,
                          flop.actions.begin() + flop.nodes[0].first + flop.nodes[0].action_count}),
            "check bet:45");
  // check, bet 45, call: IP was the aggressor, so OOP only checks on the turn.
  const TreeNode& ip = flop.nodes[flop.children[flop.nodes[0].first]];
  const TreeNode& facing = flop.nodes[flop.children[ip.first + 1]];
  const TreeNode& called = flop.nodes[flop.children[facing.first + 1]];
  ASSERT_EQ(called.kind, NodeKind::chance);
  const StreetTree& turn = tree.streets[called.next];
  EXPECT_EQ(turn.pot, 150);
  EXPECT_EQ(turn.stack, 125);
  EXPECT_TRUE(turn.oop_checks);
  EXPECT_EQ(turn.nodes[0].action_count, 1);
  // With donk bets on, OOP may lead there.
  r.donk = true;
  const GameTree donking = build_game_tree(r, Street::flop, error);
  const StreetTree& f = donking.streets[0];
  const TreeNode& called_too =
      f.nodes[f.children[f.nodes[f.children[f.nodes[f.children[f.nodes[0].first]].first + 1]].first + 1]];
  ASSERT_EQ(called_too.kind, NodeKind::chance);
  const StreetTree& led = donking.streets[called_too.next];
  EXPECT_FALSE(led.oop_checks);
  EXPECT_EQ(actions_text({led.actions.begin() + led.nodes[0].first,
                          led.actions.begin() + led.nodes[0].first + led.nodes[0].action_count}),
            "check bet:113");

  // Trees whose building would not end in reasonable time or depth are
  // refused with a reason: one-chip raises with no cap (a street 100,000
  // raises deep), and many small sizes with no cap (exponential).
  TreeRules deep;
  deep.pot = 10;
  deep.stack = 100000;
  deep.max_raises = -1;
  deep.sizes[static_cast<std::size_t>(Street::river)][kOop] = {sizes("10%", false), sizes("1.01x", true)};
  deep.sizes[static_cast<std::size_t>(Street::river)][kIp] = {sizes("10%", false), sizes("1.01x", true)};
  EXPECT_TRUE(build_game_tree(deep, Street::river, error).streets.empty());
  EXPECT_NE(error.find("raises on a street"), std::string::npos) << error;
  TreeRules wide = deep;
  wide.pot = 100;
  for (auto& street : wide.sizes)
    for (auto& p : street) p = {sizes("5%,10%,20%,30%,50%,75%", false), sizes("2x,2.5x,3x", true)};
  EXPECT_TRUE(build_game_tree(wide, Street::flop, error).streets.empty());
  EXPECT_NE(error.find("decision points"), std::string::npos) << error;
}

}  // namespace
