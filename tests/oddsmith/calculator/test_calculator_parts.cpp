// The calculator's parts on their own, where a fault would otherwise show only
// through compute_equity: the chunk runner (every chunk once, deadline,
// cancel), the chunk-order tallies, the board walk, and the chooser's choices.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "calculator/internal/board_walk.h"
#include "calculator/chooser.h"
#include "calculator/internal/chunk_runner.h"
#include "calculator/query_text.h"
#include "calculator/run_budget.h"
#include "calculator/internal/tally.h"
#include "calculator/part_runs.h"
#include "calculator/prepared_query.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::calc;

EquityQuery query_of(Game game, const std::vector<std::string_view>& players, std::string_view board = "") {
  EquityQuery q;
  std::string error;
  EXPECT_TRUE(query_from_text(game, players, board, "", q, error)) << error;
  return q;
}

TEST(ChunkRunner, RunsEveryChunkOnceAndStopsAtTheDeadlineOrACancel) {
  for (int threads : {1, 3}) {
    std::vector<std::atomic<int>> runs(500);
    EXPECT_EQ(run_chunks(runs.size(), threads, [&](std::size_t i, const ChunkPoll&) { ++runs[i]; }, nullptr, nullptr),
              RunStatus::done);
    for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
  }
  // Chunks of 2 ms against a 20 ms deadline: stopped part-way, the chunks that
  // ended stopped say so. A deadline already past still lets the first chunk run.
  // (The chunks wait by watching the clock: a short sleep can return at once
  // under Wine.)
  const auto slow = [](std::atomic<int>& done, std::atomic<int>& stopped) {
    return [&](std::size_t, const ChunkPoll& poll) {
      for (int k = 0; k < 20; ++k) {
        const auto until = Clock::now() + std::chrono::microseconds(100);
        while (Clock::now() < until) {}
        if (poll(k / 20.0)) break;
      }
      (poll.stopped() ? stopped : done)++;
    };
  };
  std::atomic<int> done{0}, stopped{0};
  EXPECT_EQ(run_chunks(1000, 2, slow(done, stopped), nullptr, nullptr, Clock::now() + std::chrono::milliseconds(20)),
            RunStatus::timed_out);
  EXPECT_GT(done.load(), 0);
  EXPECT_LT(done.load(), 100);
  std::atomic<int> late_done{0}, late_stopped{0};
  EXPECT_EQ(run_chunks(1000, 1, slow(late_done, late_stopped), nullptr, nullptr, Clock::now() - std::chrono::seconds(1)),
            RunStatus::timed_out);
  EXPECT_EQ(late_done.load(), 1);
  // A cancel from the progress callback, from the calling thread.
  int calls = 0;
  const ProgressFn cancel_at_third = [](double, void* n) { return ++*static_cast<int*>(n) == 3; };
  std::atomic<int> c_done{0}, c_stopped{0};
  EXPECT_EQ(run_chunks(1000, 2, slow(c_done, c_stopped), cancel_at_third, &calls), RunStatus::cancelled);
  EXPECT_EQ(calls, 3);
}

// Tallies are added in chunk order, batch by batch: sums that depend on the
// order of adding come out bit for bit the same on any thread count, and equal
// to adding the chunks one after another.
TEST(Tallies, AddInChunkOrderWhateverTheThreads) {
  const auto value = [](std::size_t c) { return (c % 3 == 0 ? 1e16 : 1.0) * (c % 2 ? -1.0 : 1.0) + 0.1 * static_cast<double>(c); };
  double sequential = 0;
  for (std::size_t c = 0; c < 3000; ++c) sequential += value(c);
  for (int threads : {1, 2, 5}) {
    ChunkSchedule schedule;
    schedule.chunks = 3000;
    schedule.batch = 256;
    schedule.threads = threads;
    std::size_t batches = 0;
    schedule.after_batch = [&](const SweepTally&, std::size_t) { return ++batches < 100; };
    const SweepResult r = run_in_chunk_order(
        1, schedule,
        [&](std::size_t c, SweepTally& t, const ChunkPoll&) {
          t.players[0].equity = value(c);
          t.deals = 1;
          return true;
        },
        nullptr, nullptr);
    EXPECT_EQ(r.status, RunStatus::done);
    EXPECT_EQ(r.tally.deals, 3000);
    EXPECT_EQ(r.tally.players[0].equity, sequential) << threads;
    EXPECT_EQ(batches, 12u);
  }
}

// Chunks of board numbers together visit every board of the deck exactly once,
// in order, each with its cards and mask agreeing.
TEST(BoardWalk, ChunksOfBoardNumbersCoverEveryBoardOnce) {
  for (const char* board : {"2c", "Qh7c", "Qh7c2d5s"}) {
    EquityQuery query = query_of(Game::holdem, {"AhKh", "QsQd"}, board);
    std::string error;
    const std::optional<PreparedQuery> q = prepare_query(query, error);
    ASSERT_TRUE(q) << error;
    const std::int64_t total = boards_to_walk(*q);
    const std::int64_t per_chunk = total / 7 + 1;  // 7 chunks, the last one shorter
    std::vector<std::vector<CardMask>> seen(7);
    run_chunks(seen.size(), 2, [&](std::size_t c, const ChunkPoll& poll) {
      const std::int64_t first = static_cast<std::int64_t>(c) * per_chunk;
      walk_boards<Game::holdem>(*q, first, std::min(total, first + per_chunk), poll,
                                [&](const int* cards, const auto&, CardMask mask) {
                                  CardMask from_cards = 0;
                                  for (int i = 0; i < 5; ++i) from_cards |= card_bit(cards[i]);
                                  EXPECT_EQ(from_cards, mask);
                                  seen[c].push_back(mask);
                                });
    }, nullptr, nullptr);
    std::set<CardMask> all;
    std::size_t visits = 0;
    for (const auto& chunk : seen) {
      all.insert(chunk.begin(), chunk.end());
      visits += chunk.size();
    }
    EXPECT_EQ(visits, static_cast<std::size_t>(total)) << board;
    EXPECT_EQ(all.size(), visits) << board;
    for (CardMask m : all) EXPECT_EQ(m & q->known_mask, q->known_mask);
  }
}

// The chooser on a spread of queries: the quickest exact method in exact mode,
// refused over the time left; automatic mode simulates what is slow or does
// not fit; a forced method that cannot answer is refused.
TEST(Chooser, PicksTheQuickestThatFitsAndSimulatesTheRest) {
  struct Case {
    Game game;
    std::vector<std::string_view> players;
    const char* board;
    Mode mode;
    double bound;
    std::optional<Method> chosen;  // nothing: refused
  };
  const Case cases[] = {
      {Game::holdem, {"AhKh", "QsQd"}, "", Mode::exact, 60, Method::rank_counting},
      {Game::holdem, {"AhKh", "QsQd"}, "", Mode::automatic, 60, Method::rank_counting},
      {Game::holdem, {"22+, A2s+, KTo+", "random"}, "Qh7c2d", Mode::automatic, 60, Method::two_range_sweep},
      {Game::omaha, {"AhAsKhKs", "JcTc9d8d"}, "2c3d4h", Mode::exact, 60, Method::board_sweep},
      {Game::holdem, {"AhKh", "random", "random"}, "", Mode::automatic, 60, Method::monte_carlo},
      {Game::holdem, {"AhKh", "random", "random"}, "", Mode::exact, 60, std::nullopt},
      {Game::omaha, {"AhAsKhKs", "random"}, "Qh7c2d", Mode::automatic, 1e-4, Method::monte_carlo},
      {Game::omaha, {"AhAsKhKs", "random"}, "Qh7c2d", Mode::exact, 1e-4, std::nullopt},
  };
  for (const Case& c : cases) {
    EquityQuery query = query_of(c.game, c.players, c.board);
    query.mode = c.mode;
    query.max_seconds = c.bound;
    std::string error;
    const std::optional<PreparedQuery> q = prepare_query(query, error);
    ASSERT_TRUE(q) << error;
    const MethodCosts costs = estimate_costs(*q, SuitSymmetry(*q));
    for (Method m : {Method::board_sweep, Method::rank_counting, Method::two_range_sweep})
      EXPECT_EQ(std::isfinite(costs.of(m)) && costs.of(m) > 0, method_applies(m, *q)) << c.players[0];
    const std::optional<Plan> plan = choose_method(*q, query, resolve_budget(query), error);
    ASSERT_EQ(plan.has_value(), c.chosen.has_value()) << c.players[0] << ": " << error;
    if (!plan) {
      EXPECT_NE(error.find("would take about"), std::string::npos) << error;
      continue;
    }
    EXPECT_EQ(plan->method, *c.chosen) << c.players[0] << " v " << c.players[1] << " on " << c.board;
    if (plan->method != Method::monte_carlo) {
      EXPECT_GE(plan->chunks, 1);
    }
  }
  EquityQuery omaha = query_of(Game::omaha, {"AhAsKhKs", "JcTc9d8d"});
  omaha.force_method = Method::rank_counting;
  std::string error;
  const std::optional<PreparedQuery> q = prepare_query(omaha, error);
  ASSERT_TRUE(q);
  EXPECT_FALSE(choose_method(*q, omaha, resolve_budget(omaha), error));
  EXPECT_NE(error.find("does not apply"), std::string::npos) << error;
}

}  // namespace

namespace {

// A hand of a range simulated on the range's prepared query (random players
// not prepared again) must deal exactly what a query of that hand alone deals:
// same seed, same equities. Where another player's range is narrower, no such
// shortcut may be offered.
TEST(HandParts, SimulatedOnTheWholeQueryEqualTheHandAlone) {
  struct Case {
    Game game;
    std::vector<std::string_view> players;
    std::string_view board;
    bool shortcut;
  };
  const Case cases[] = {
      {Game::holdem, {"AA,KQs,72o", "random"}, "Qh7c2d", true},
      {Game::holdem, {"TT+", "random", "AhKh", "random"}, "", true},
      {Game::omaha, {"AAKK", "random"}, "QhJh2c", true},
      {Game::omaha_hilo, {"A2xx", "random", "random"}, "3h4c9d", true},
      {Game::shortdeck, {"JJ+", "random"}, "Th7c8d", true},
      {Game::holdem, {"AA,KK", "QQ+"}, "Qh7c2d", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.players[0]) + " " + std::string(c.board));
    EquityQuery query = query_of(c.game, c.players, c.board);
    query.mode = Mode::monte_carlo;
    query.trials = 5000;
    std::string error;
    const std::optional<PreparedQuery> whole = prepare_query(query, error);
    ASSERT_TRUE(whole) << error;
    // A dozen hands spread over the range (each run alone prepares the random
    // players' hands again, which is slow under the sanitizers).
    const std::size_t step = std::max<std::size_t>(1, whole->hands[0].size() / 12);
    for (std::size_t i = 0; i < whole->hands[0].size(); i += step) {
      const std::optional<PreparedQuery> part = simulation_with_first_hand(*whole, whole->hands[0][i]);
      ASSERT_EQ(part.has_value(), c.shortcut);
      if (!part) break;
      query.seed = 11 + i;
      const EquityOutcome shortcut = simulate_prepared(*part, query);
      const EquityOutcome alone = compute_equity(with_first_hand(query, whole->hands[0][i]));
      ASSERT_EQ(shortcut.status, Status::ok) << shortcut.error;
      ASSERT_EQ(alone.status, Status::ok) << alone.error;
      for (std::size_t p = 0; p < alone.players.size(); ++p) {
        EXPECT_EQ(shortcut.players[p].equity, alone.players[p].equity);
        EXPECT_EQ(shortcut.players[p].low_equity, alone.players[p].low_equity);
      }
    }
  }
}

}  // namespace
