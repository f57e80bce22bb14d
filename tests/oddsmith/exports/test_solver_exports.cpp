// The solver's exports as a C caller sees them: a turn spot built, measured,
// solved and read node by node against the solver layer's own answers; the
// refusals (null pointers, unset sizes, bad ranges, sizes and paths, a tree
// over the memory bound); cancelling through the progress callback; and
// 16-bit storage, which halves the stored values at a small loss.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "oddsmith.h"

namespace {

oddsmith_solver_query turn_query() {
  oddsmith_solver_query q;
  oddsmith_solver_query_init(&q);
  static const char* const ranges[2] = {"QQ-99, AQs-ATs, KQs, QJs, JTs, T9s, 87s, A5s",
                                        "AA-TT, 88, 22, AKs-AJs, KQs-KJs, QTs+, JTs, 98s, 76s, AQo, KQo"};
  q.ranges[0] = ranges[0];
  q.ranges[1] = ranges[1];
  q.board = "Qs Jh 2h 8d";
  q.pot = 100;
  q.stack = 200;
  for (int street = 0; street < 3; ++street)
    for (int p = 0; p < 2; ++p) {
      q.bets[street][p] = "50%, 100%";
      q.raises[street][p] = "2.5x";
    }
  q.add_allin = q.force_allin = q.merge = 0;
  q.max_raises = ODDSMITH_SOLVER_NO_RAISE_CAP;
  q.threads = 2;
  return q;
}

struct Progress {
  int calls = 0;
  int cancel_after = -1;
  std::chrono::steady_clock::time_point cancelled_at;
};

int on_progress(int /*iteration*/, double /*exploitability_pct*/, double /*seconds*/, void* user) {
  auto* p = static_cast<Progress*>(user);
  ++p->calls;
  if (p->cancel_after >= 0 && p->calls > p->cancel_after) {
    p->cancelled_at = std::chrono::steady_clock::now();
    return 1;
  }
  return 0;
}

TEST(SolverExports, SolvesAndReadsNodes) {
  const oddsmith_solver_query q = turn_query();
  char error[512] = "";
  oddsmith_solver_tree_info info{};
  info.size = sizeof info;
  std::vector<char> text(1 << 16);
  ASSERT_EQ(oddsmith_solver_measure(&q, &info, text.data(), static_cast<int>(text.size()), -1, error, sizeof error),
            ODDSMITH_STATUS_OK)
      << error;
  EXPECT_GT(info.action_nodes, 0);
  EXPECT_GT(info.memory_bytes, 0);
  EXPECT_NE(std::string(text.data()).find("turn tree 0"), std::string::npos);

  oddsmith_solver* solver = oddsmith_solver_create(&q, error, sizeof error);
  ASSERT_NE(solver, nullptr) << error;
  oddsmith_solve_options options{};
  options.size = sizeof options;
  options.target_pct = 0.5;
  oddsmith_solver_result result{};
  result.size = sizeof result;
  ASSERT_EQ(oddsmith_solver_solve(solver, &options, &result, error, sizeof error), ODDSMITH_STATUS_OK) << error;
  EXPECT_EQ(result.converged, 1);
  EXPECT_EQ(result.stop, ODDSMITH_SOLVER_STOP_TARGET);
  EXPECT_LE(result.exploitability_pct, 0.5);
  EXPECT_NEAR(result.ev[0] + result.ev[1], 100.0, 0.1);
  EXPECT_EQ(result.memory_bytes, info.memory_bytes);

  oddsmith_solver_node* root = oddsmith_solver_node_at(solver, "", error, sizeof error);
  ASSERT_NE(root, nullptr) << error;
  oddsmith_solver_node_info n{};
  n.size = sizeof n;
  ASSERT_EQ(oddsmith_solver_node_summary(root, &n), 0);
  EXPECT_EQ(n.kind, ODDSMITH_NODE_ACTION);
  EXPECT_EQ(n.player, 0);
  EXPECT_EQ(n.pot, 100);
  EXPECT_EQ(n.board_count, 4);
  ASSERT_EQ(n.action_count, 3);  // check, bet 50, bet 100
  double frequencies = 0;
  for (int a = 0; a < n.action_count; ++a) {
    int kind = -1, amount = -1;
    double f = -1;
    char sizes[32];
    ASSERT_EQ(oddsmith_solver_node_action(root, a, &kind, &amount, &f, sizes, sizeof sizes), 0);
    EXPECT_EQ(kind, a == 0 ? ODDSMITH_ACTION_CHECK : ODDSMITH_ACTION_BET);
    EXPECT_EQ(amount, a * 50);
    frequencies += f;
  }
  EXPECT_NEAR(frequencies, 1.0, 1e-6);
  EXPECT_EQ(oddsmith_solver_node_action(root, 3, nullptr, nullptr, nullptr, nullptr, 0), -1);
  const int hands = oddsmith_solver_node_hands(root, 0, nullptr, nullptr, nullptr, nullptr, 0);
  ASSERT_EQ(hands, n.hand_count[0]);
  std::vector<int> cards(2 * static_cast<std::size_t>(hands));
  std::vector<double> weight(static_cast<std::size_t>(hands)), ev(weight.size()), equity(weight.size());
  ASSERT_EQ(oddsmith_solver_node_hands(root, 0, cards.data(), weight.data(), ev.data(), equity.data(), hands), hands);
  std::vector<double> strategy(static_cast<std::size_t>(hands) * 3);
  ASSERT_EQ(oddsmith_solver_node_strategy(root, strategy.data(), static_cast<int>(strategy.size())), hands * 3);
  for (std::size_t h = 0; h < weight.size(); ++h) {
    EXPECT_GT(cards[2 * h], cards[2 * h + 1]);
    EXPECT_NEAR(strategy[3 * h] + strategy[3 * h + 1] + strategy[3 * h + 2], 1.0, 1e-5);
    EXPECT_GE(equity[h], 0.0);
    EXPECT_LE(equity[h], 1.0);
  }
  EXPECT_NEAR(n.ev[0], result.ev[0], 1e-6 * 100);
  EXPECT_NEAR(n.equity[0], result.equity[0], 1e-9);
  oddsmith_solver_node_free(root);

  // A path through a bet, a call and the river card.
  oddsmith_solver_node* river = oddsmith_solver_node_at(solver, "bet 50%, call, 3c", error, sizeof error);
  ASSERT_NE(river, nullptr) << error;
  char path[128];
  oddsmith_solver_node_path(river, path, sizeof path);
  EXPECT_STREQ(path, "bet 50, call, 3c");
  ASSERT_EQ(oddsmith_solver_node_summary(river, &n), 0);
  EXPECT_EQ(n.board_count, 5);
  EXPECT_EQ(n.board[4], 4);  // the three of clubs
  EXPECT_EQ(n.pot, 200);
  oddsmith_solver_node_free(river);
  oddsmith_solver_node* chance = oddsmith_solver_node_at(solver, "bet 50, call", error, sizeof error);
  ASSERT_NE(chance, nullptr) << error;
  ASSERT_EQ(oddsmith_solver_node_summary(chance, &n), 0);
  EXPECT_EQ(n.kind, ODDSMITH_NODE_CHANCE);
  EXPECT_EQ(oddsmith_solver_node_cards(chance, nullptr, 0), 48);
  oddsmith_solver_node_free(chance);

  // Paths that lead nowhere.
  for (const char* bad : {"raise", "bet 75%", "check, check, check", "bet 50, call, Qs", "bet 50, fold, 2c"}) {
    error[0] = '\0';
    EXPECT_EQ(oddsmith_solver_node_at(solver, bad, error, sizeof error), nullptr) << bad;
    EXPECT_NE(error[0], '\0') << bad;
  }
  oddsmith_solver_free(solver);
}

TEST(SolverExports, Refusals) {
  char error[512] = "";
  EXPECT_EQ(oddsmith_solver_create(nullptr, error, sizeof error), nullptr);
  oddsmith_solver_query q = turn_query();
  q.size = 8;
  EXPECT_EQ(oddsmith_solver_create(&q, error, sizeof error), nullptr);
  EXPECT_NE(std::string(error).find("size"), std::string::npos);
  q = turn_query();
  q.ranges[0] = "QQ+, AKz";
  EXPECT_EQ(oddsmith_solver_create(&q, error, sizeof error), nullptr);
  EXPECT_NE(std::string(error).find("OOP's range"), std::string::npos) << error;
  q = turn_query();
  q.bets[1][1] = "50%, 2x";
  EXPECT_EQ(oddsmith_solver_create(&q, error, sizeof error), nullptr);
  EXPECT_NE(std::string(error).find("IP's turn bets"), std::string::npos) << error;
  q = turn_query();
  q.game = ODDSMITH_GAME_OMAHA;
  EXPECT_EQ(oddsmith_solver_create(&q, error, sizeof error), nullptr);
  q = turn_query();
  q.board = "Qs Jh";
  EXPECT_EQ(oddsmith_solver_create(&q, error, sizeof error), nullptr);
  q = turn_query();
  q.dead = "Qs";
  EXPECT_EQ(oddsmith_solver_create(&q, error, sizeof error), nullptr);

  // Over the memory bound: refused at once, with the tree's size.
  q = turn_query();
  q.board = "Qs Jh 2h";
  for (auto& street : q.bets) street[0] = street[1] = "25%, 50%, 75%, 100%, 150%";
  q.max_memory = 16 << 20;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(oddsmith_solver_create(&q, error, sizeof error), nullptr);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
  EXPECT_NE(std::string(error).find("over the memory bound"), std::string::npos) << error;
  oddsmith_solver_tree_info info{};
  info.size = sizeof info;
  EXPECT_EQ(oddsmith_solver_measure(&q, &info, nullptr, 0, -1, error, sizeof error), ODDSMITH_STATUS_NO_MEMORY);
  EXPECT_GT(info.memory_bytes, q.max_memory);

  oddsmith_solver_result result{};
  result.size = sizeof result;
  EXPECT_EQ(oddsmith_solver_solve(nullptr, nullptr, &result, error, sizeof error), ODDSMITH_STATUS_BAD_QUERY);
  EXPECT_EQ(oddsmith_solver_node_at(nullptr, "", error, sizeof error), nullptr);
  EXPECT_EQ(oddsmith_solver_node_summary(nullptr, nullptr), -1);
  oddsmith_solver_free(nullptr);
  oddsmith_solver_node_free(nullptr);
}

TEST(SolverExports, CancelKeepsTheStrategySoFar) {
  oddsmith_solver_query q = turn_query();
  q.board = "Qs Jh 2h";
  q.pot = 60;
  q.stack = 170;
  q.bets[0][0] = q.bets[0][1] = "33%, 75%";
  char error[512] = "";
  oddsmith_solver* solver = oddsmith_solver_create(&q, error, sizeof error);
  ASSERT_NE(solver, nullptr) << error;
  Progress progress;
  progress.cancel_after = 1;  // on the second report, about half a second in
  oddsmith_solve_options options{};
  options.size = sizeof options;
  options.target_pct = -1;
  options.max_iterations = 100000;
  options.progress = on_progress;
  options.progress_user = &progress;
  oddsmith_solver_result result{};
  result.size = sizeof result;
  EXPECT_EQ(oddsmith_solver_solve(solver, &options, &result, error, sizeof error), ODDSMITH_STATUS_CANCELLED);
  const double latency =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.cancelled_at).count();
  EXPECT_LT(latency, 1.0);  // 0.5 s asked; room for a loaded machine
  EXPECT_EQ(progress.calls, 3);  // the second cancelled; the last tells where it stopped
  EXPECT_EQ(result.converged, 0);
  EXPECT_EQ(result.stop, ODDSMITH_SOLVER_STOP_CANCELLED);
  // The strategy reached so far (perhaps none: the first iteration may be
  // what was cancelled) can be read.
  oddsmith_solver_node* root = oddsmith_solver_node_at(solver, "", error, sizeof error);
  EXPECT_NE(root, nullptr) << error;
  oddsmith_solver_node_free(root);
  oddsmith_solver_free(solver);
}

TEST(SolverExports, SixteenBitStorageHalvesTheValues) {
  oddsmith_solver_query q = turn_query();
  double ev[2] = {0, 0};
  long long memory[2] = {0, 0};
  for (int compress = 0; compress < 2; ++compress) {
    q.compress = compress;
    char error[512] = "";
    oddsmith_solver* solver = oddsmith_solver_create(&q, error, sizeof error);
    ASSERT_NE(solver, nullptr) << error;
    oddsmith_solve_options options{};
    options.size = sizeof options;
    options.target_pct = 0.3;
    oddsmith_solver_result result{};
    result.size = sizeof result;
    ASSERT_EQ(oddsmith_solver_solve(solver, &options, &result, error, sizeof error), ODDSMITH_STATUS_OK) << error;
    ev[compress] = result.ev[0];
    memory[compress] = result.memory_bytes;
    oddsmith_solver_free(solver);
  }
  // Two arrays of 4-byte values become two of 2-byte values (and a 4-byte
  // scale per decision point and array).
  oddsmith_solver_tree_info info{};
  info.size = sizeof info;
  char error[512] = "";
  ASSERT_EQ(oddsmith_solver_measure(&q, &info, nullptr, 0, -1, error, sizeof error), ODDSMITH_STATUS_OK) << error;
  EXPECT_EQ(memory[0] - memory[1], info.stored_values * 4 - info.action_nodes * 8);
  EXPECT_NEAR(ev[1], ev[0], 0.5);  // both within 0.3 % of the pot of the equilibrium
}

}  // namespace
