// Node locks and saved solutions: a lock to the solver's own strategy changes
// nothing, a lock that bars IP's bets raises OOP's EV and is met exactly, a
// lock on one turn card and on every card; solutions saved and loaded on each
// game give the same node reports (exactly from 32 bits, to a stated
// tolerance from 16), and damaged files are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cards/card_text.h"
#include "range/range_notation.h"
#include "solver/solver.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::solver;

Spot make_spot(Game game, const char* board, const char* oop, const char* ip) {
  Spot s;
  s.game = game;
  std::string error;
  EXPECT_TRUE(parse_card_list(board, s.board, error)) << error;
  const RangeGame rg = rules(game).hands;
  RangeParse a = parse_range(oop, rg), b = parse_range(ip, rg);
  EXPECT_TRUE(a.range && b.range) << a.error.message << b.error.message;
  if (a.range && b.range) s.ranges = {*a.range, *b.range};
  s.tree.pot = 100;
  s.tree.stack = 200;
  s.tree.add_allin = s.tree.force_allin = s.tree.merge = 0;
  s.tree.max_raises = 1;
  for (auto& street : s.tree.sizes)
    for (auto& player : street) {
      player.bets = parse_sizes("50%, 100%", false, error).value_or(std::vector<BetSize>{});
      player.raises = parse_sizes("2.5x", true, error).value_or(std::vector<BetSize>{});
    }
  return s;
}

const char* const kOop = "QQ-22,AQs-A2s,ATo+,K9s+,KTo+,QTs+,JTs";
const char* const kIp = "AA-22,AKs-A2s,AKo-A9o,K8s+,KTo+,Q9s+,QTo+,J9s+,T9s";

std::unique_ptr<Solver> solve(const Spot& spot, std::vector<NodeLock> locks, double target, int iterations = 3000) {
  BuildOptions bo;
  bo.threads = 1;
  bo.locks = std::move(locks);
  std::string error;
  auto s = Solver::create(spot, bo, error);
  EXPECT_TRUE(s) << error;
  if (!s) return s;
  SolveOptions so;
  so.target_pct = target;
  so.max_iterations = iterations;
  s->solve(so);
  return s;
}

NodeReport node(const Solver& s, std::string_view path) {
  std::string error;
  auto n = s.node(path, error);
  EXPECT_TRUE(n) << path << ": " << error;
  return n.value_or(NodeReport{});
}

std::vector<NodeLock> parsed(std::string_view text) {
  std::vector<NodeLock> locks;
  std::string error;
  EXPECT_TRUE(parse_locks(text, locks, error)) << error;
  return locks;
}

TEST(NodeLocks, LockingTheFoundStrategyChangesNothing) {
  const Spot spot = make_spot(Game::holdem, "Qs Jh 2h 8d 3c", kOop, kIp);
  const auto free = solve(spot, {}, 0.05);
  ASSERT_TRUE(free);
  // Every OOP hand's root strategy, locked hand by hand.
  const NodeReport root = node(*free, "");
  const std::size_t A = root.actions.size();
  std::vector<NodeLock> locks;
  for (std::size_t h = 0; h < root.sides[0].hands.size(); ++h) {
    NodeLock l;
    for (int c : root.sides[0].hands[h])
      if (c >= 0) l.hand.push_back(c);
    double rest = 1;
    for (std::size_t a = 0; a + 1 < A; ++a) {
      const double f = std::min(rest, root.strategy[h * A + a]);
      l.actions.emplace_back(action_name(root.actions[a].kind) + std::string(" ") + std::to_string(root.actions[a].amount),
                             f);
      rest -= f;
    }
    if (root.actions[0].kind == ActionKind::check) l.actions[0].first = "check";
    locks.push_back(std::move(l));
  }
  const auto locked = solve(spot, locks, 0.05);
  ASSERT_TRUE(locked);
  EXPECT_TRUE(locked->report().converged);
  EXPECT_EQ(locked->locked_nodes(), std::vector<std::string>{""});
  const NodeReport again = node(*locked, "");
  EXPECT_EQ(again.locked_hands, static_cast<int>(root.sides[0].hands.size()));
  for (int p = 0; p < 2; ++p)
    EXPECT_NEAR(locked->report().ev[static_cast<std::size_t>(p)], free->report().ev[static_cast<std::size_t>(p)], 0.15);
  // The listed frequencies come back as given (to float storage).
  for (std::size_t h = 0; h < root.sides[0].hands.size(); ++h)
    EXPECT_EQ(static_cast<float>(again.strategy[h * A]), static_cast<float>(locks[h].actions[0].second));
}

TEST(NodeLocks, BarringIpsBetsHelpsOopAndIsMetExactly) {
  const Spot spot = make_spot(Game::holdem, "Qs Jh 2h 8d 3c", kOop, kIp);
  const auto free = solve(spot, {}, 0.1);
  const auto never = solve(spot, parsed("check = check:1"), 0.1);
  const auto quarter = solve(spot, parsed("check=bet 50%:0.25"), 0.1);
  ASSERT_TRUE(free && never && quarter);
  // The target is met: a best response that deviated at the lock would keep
  // the exploitability up.
  EXPECT_TRUE(never->report().converged);
  EXPECT_TRUE(quarter->report().converged);
  EXPECT_GT(never->report().ev[0], free->report().ev[0] + 1.0);
  const NodeReport n = node(*never, "check"), q = node(*quarter, "check");
  EXPECT_EQ(n.frequencies, (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(n.locked_hands, static_cast<int>(n.sides[1].hands.size()));
  // The unlisted actions share what is left: check and bet 100 0.375 each.
  EXPECT_EQ(q.frequencies, (std::vector<double>{0.375, 0.25, 0.375}));
  EXPECT_EQ(node(*free, "check").locked_hands, 0);
}

TEST(NodeLocks, ACardInThePathOrEveryCard) {
  const Spot spot = make_spot(Game::holdem, "Qs Jh 2h 8d", "QQ-88,AQs,KJs", "AA-99,AKs,JTs,T9s");
  const auto one = solve(spot, parsed("check, check, 3c = bet 100%:1"), 1.0, 40);
  const auto every = solve(spot, parsed("check, check, * = bet 100%:1"), 1.0, 40);
  ASSERT_TRUE(one && every);
  EXPECT_EQ(one->locked_nodes(), std::vector<std::string>{"check, check, 3c"});
  EXPECT_EQ(node(*one, "check, check, 3c").frequencies, (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(node(*one, "check, check, 3s").locked_hands, 0);
  for (const char* card : {"3c", "3s", "Ah", "2c"})
    EXPECT_EQ(node(*every, std::string("check, check, ") + card).frequencies, (std::vector<double>{0, 0, 1})) << card;
}

TEST(NodeLocks, BadLocksAreRefused) {
  const Spot spot = make_spot(Game::holdem, "Qs Jh 2h 8d 3c", kOop, kIp);
  for (const char* text : {"check=bet 50%:0.7,bet 100%:0.6", "check=call:1", "check, fold=check:1",
                           "check|7c2c|check:1", "=check:0.5,bet 50%:0.2,bet 100%:0.2"}) {
    std::vector<NodeLock> locks;
    std::string error;
    ASSERT_TRUE(parse_locks(text, locks, error)) << text << ": " << error;
    BuildOptions bo;
    bo.locks = locks;
    EXPECT_FALSE(Solver::create(spot, bo, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  std::vector<NodeLock> locks;
  std::string error;
  for (const char* text : {"check bet 50%:1", "check=bet 50%", "check=bet 50%:1.5", "check|AsKd:check:1"})
    EXPECT_FALSE(parse_locks(text, locks, error)) << text;
}

std::string temp_path(const char* name) { return ::testing::TempDir() + name; }

std::string read_all(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// One row per game the solver plays.
struct GameRow {
  Game game;
  const char* board;
  const char* oop;
  const char* ip;
  const char* lock;
};

TEST(SolutionFiles, RoundTripOnEveryGame) {
  if (!solution_files_supported()) GTEST_SKIP() << "this build has no zstd support";
  const GameRow rows[] = {
      {Game::holdem, "Qs Jh 2h 8d", "QQ-88,AQs,KJs", "AA-99,AKs,JTs,T9s", "check, check, 3c = bet 50%:1"},
      {Game::shortdeck, "Qs Jh 9h 8d", "QQ-88,AQs,KJs", "AA-99,AKs,JTs,T9s", "check = check:0.5"},
      {Game::omaha, "Qs Jh 2h 8d 3c", "AAKK, QQJJ, JT98ds", "KKQQ, T987, AQJT", "check = check:0.5"},
  };
  for (const GameRow& row : rows) {
    SCOPED_TRACE(rules(row.game).title);
    const Spot spot = make_spot(row.game, row.board, row.oop, row.ip);
    BuildOptions bo;
    bo.threads = 1;
    bo.locks = parsed(row.lock);
    std::string error;
    auto solver = Solver::create(spot, bo, error);
    if (!solver && error.find("plays") != std::string::npos) {
      std::printf("%s: %s (row skipped)\n", std::string(rules(row.game).title).c_str(), error.c_str());
      continue;
    }
    ASSERT_TRUE(solver) << error;
    SolveOptions so;
    so.max_iterations = 30;
    solver->solve(so);
    std::vector<std::string> paths = {"", "check", "check, bet 50%"};
    if (spot.board.size() < 5) {
      const NodeReport chance = node(*solver, "check, check");
      paths.push_back("check, check, " + card_name(chance.cards.front()));
      paths.push_back("check, check, " + card_name(chance.cards.back()) + ", check");
    }
    for (const bool half : {false, true}) {
      const std::string file = temp_path(half ? "solution16.bin" : "solution32.bin");
      ASSERT_TRUE(solver->save(file, SaveOptions{half}, error)) << error;
      auto loaded = Solver::load(file, LoadOptions{}, error);
      ASSERT_TRUE(loaded) << error;
      EXPECT_EQ(loaded->report().iterations, solver->report().iterations);
      EXPECT_EQ(loaded->report().exploitability, solver->report().exploitability);
      EXPECT_EQ(loaded->locked_nodes(), solver->locked_nodes());
      // 16 bits: each frequency to 1/65535 (and the renormalising), each EV
      // to what that moves in a pot of 100 with stacks of 200.
      const double strategy_tolerance = half ? 1e-4 : 0, ev_tolerance = half ? 0.05 : 0;
      for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const NodeReport a = node(*solver, path), b = node(*loaded, path);
        ASSERT_EQ(a.strategy.size(), b.strategy.size());
        EXPECT_EQ(a.locked_hands, b.locked_hands);
        for (std::size_t i = 0; i < a.strategy.size(); ++i) EXPECT_NEAR(a.strategy[i], b.strategy[i], strategy_tolerance);
        for (std::size_t p = 0; p < 2; ++p)
          for (std::size_t h = 0; h < a.sides[p].ev.size(); ++h)
            if (!std::isnan(a.sides[p].ev[h])) {
              EXPECT_NEAR(a.sides[p].ev[h], b.sides[p].ev[h], ev_tolerance);
            }
      }
      std::remove(file.c_str());
    }
  }
}

TEST(SolutionFiles, DamagedFilesAreRefused) {
  if (!solution_files_supported()) GTEST_SKIP() << "this build has no zstd support";
  const Spot spot = make_spot(Game::holdem, "Qs Jh 2h 8d 3c", "QQ-88,AQs", "AA-99,JTs");
  const auto solver = solve(spot, parsed("check=check:1"), 1.0, 10);
  ASSERT_TRUE(solver);
  const std::string file = temp_path("solution.bin");
  std::string error;
  ASSERT_TRUE(solver->save(file, SaveOptions{}, error)) << error;
  const std::string good = read_all(file);
  std::remove(file.c_str());
  ASSERT_GT(good.size(), 40u);
  ASSERT_TRUE(Solver::load_bytes(good, LoadOptions{}, error)) << error;
  struct Damage {
    const char* what;
    std::size_t at;  // the byte flipped
  };
  const Damage damages[] = {{"magic", 0},       {"version", 8},           {"flags", 12},
                            {"body size", 17},  {"compressed size", 25},  {"body", good.size() / 2},
                            {"body end", good.size() - 5}, {"checksum", good.size() - 1}};
  for (const Damage& d : damages) {
    std::string bad = good;
    bad[d.at] = static_cast<char>(bad[d.at] ^ 0x20);
    EXPECT_FALSE(Solver::load_bytes(bad, LoadOptions{}, error)) << d.what;
    EXPECT_FALSE(error.empty()) << d.what;
  }
  for (std::size_t keep : {std::size_t{0}, std::size_t{20}, good.size() / 2, good.size() - 1}) {
    EXPECT_FALSE(Solver::load_bytes(std::string_view(good).substr(0, keep), LoadOptions{}, error)) << keep;
    EXPECT_FALSE(error.empty());
  }
  // A newer format, with a checksum that matches: refused for its version.
  std::string newer = good;
  newer[8] = 2;
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i + 4 < newer.size(); ++i) {
    crc ^= static_cast<std::uint8_t>(newer[i]);
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  crc ^= 0xFFFFFFFFu;
  for (std::size_t k = 0; k < 4; ++k) newer[newer.size() - 4 + k] = static_cast<char>((crc >> (8 * k)) & 0xFF);
  EXPECT_FALSE(Solver::load_bytes(newer, LoadOptions{}, error));
  EXPECT_NE(error.find("newer"), std::string::npos) << error;
}

}  // namespace
