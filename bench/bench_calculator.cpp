// The equity calculator through its exports, one query per iteration: range
// breakdowns, exact enumerations (hand against hand, ranges, Omaha) and
// Monte-Carlo rates (deals per second as "items"). One thread unless the name
// says otherwise.
//   build/release/bin/bench_calculator --benchmark_filter=-slow   (skips the long exact runs)
#include <benchmark/benchmark.h>

#include <vector>

#include "oddsmith.h"

namespace {

oddsmith_equity_query query_of(int game, const std::vector<const char*>& players, int mode, long long trials,
                               int threads) {
  oddsmith_equity_query q{};
  q.size = sizeof q;
  q.game = game;
  q.player_count = static_cast<int>(players.size());
  q.players = players.data();
  q.mode = mode;
  q.trials = trials;
  q.seed = 1;
  q.threads = threads;
  return q;
}

oddsmith_equity_result run(int game, const std::vector<const char*>& players, int mode, long long trials, int threads,
                           const char* board = "") {
  oddsmith_equity_query q = query_of(game, players, mode, trials, threads);
  q.board = board;
  oddsmith_equity_result r{};
  r.size = sizeof r;
  oddsmith_equity(&q, &r, nullptr, 0);
  return r;
}

void exact(benchmark::State& state, int game, const std::vector<const char*>& players, const char* board = "") {
  for (auto _ : state) benchmark::DoNotOptimize(run(game, players, ODDSMITH_MODE_EXACT, 0, 1, board).deals);
}

void monte_carlo(benchmark::State& state, int game, const std::vector<const char*>& players) {
  const long long trials = 2'000'000;
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(run(game, players, ODDSMITH_MODE_MONTE_CARLO, trials, threads).deals);
  state.SetItemsProcessed(state.iterations() * trials);
}

// A breakdown, hand by hand and card by card: a third of all hands against a
// fifth, exact, on one core.
void breakdown(benchmark::State& state, const char* board) {
  const std::vector<const char*> players = {"33%", "20%"};
  oddsmith_equity_query q = query_of(ODDSMITH_GAME_HOLDEM, players, ODDSMITH_MODE_EXACT, 0, 1);
  q.board = board;
  for (auto _ : state) {
    oddsmith_breakdown* b = oddsmith_breakdown_run(&q, nullptr, nullptr, 0);
    benchmark::DoNotOptimize(oddsmith_breakdown_hand_count(b));
    oddsmith_breakdown_free(b);
  }
}

BENCHMARK_CAPTURE(breakdown, third_vs_fifth_flop, "Th7h2d")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(breakdown, third_vs_fifth_turn, "Th7h2d5s")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact, holdem_AhKh_vs_QsQd, ODDSMITH_GAME_HOLDEM, {"AhKh", "QsQd"})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact, omaha_AhAsKhKs_vs_JcTc9d8d, ODDSMITH_GAME_OMAHA, {"AhAsKhKs", "JcTc9d8d"})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact, hilo_AhAsKhKs_vs_JcTc9d8d, ODDSMITH_GAME_OMAHA_HILO, {"AhAsKhKs", "JcTc9d8d"})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact, shortdeck_AhKh_vs_QsQd, ODDSMITH_GAME_SHORTDECK, {"AhKh", "QsQd"})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact, omaha5_flop, ODDSMITH_GAME_OMAHA5, {"AhAsKhKsQd", "JcTc9d8d7h"}, "Qc Jh 2d")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact, omaha5_hilo_flop, ODDSMITH_GAME_OMAHA5_HILO, {"Ah2h5c9dTs", "As3s6cTdJc"}, "4c 7d 8h")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(exact, slow_holdem_ranges, ODDSMITH_GAME_HOLDEM, {"QQ+,AKs", "JJ-88,AQo"})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(exact, slow_holdem_AhKh_vs_random, ODDSMITH_GAME_HOLDEM, {"AhKh", "random"})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(monte_carlo, heads_up_ranges, ODDSMITH_GAME_HOLDEM, {"QQ+,AKs", "JJ-88,AQo"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(monte_carlo, three_way, ODDSMITH_GAME_HOLDEM, {"AhKh", "QQ+,AKs", "random"})->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
// Short deck against Hold'em on the same queries, and five-card Omaha.
BENCHMARK_CAPTURE(monte_carlo, holdem_vs_random, ODDSMITH_GAME_HOLDEM, {"AhKh", "random"})->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(monte_carlo, shortdeck_vs_random, ODDSMITH_GAME_SHORTDECK, {"AhKh", "random"})->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(monte_carlo, holdem_six_way, ODDSMITH_GAME_HOLDEM, {"AhKh", "random", "random", "random", "random", "random"})->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(monte_carlo, shortdeck_six_way, ODDSMITH_GAME_SHORTDECK, {"AhKh", "random", "random", "random", "random", "random"})->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(monte_carlo, holdem_ranges, ODDSMITH_GAME_HOLDEM, {"QQ+,AKs", "JJ-88,AQo"})->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(monte_carlo, shortdeck_ranges, ODDSMITH_GAME_SHORTDECK, {"QQ+,AKs", "JJ-88,AQo"})->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(monte_carlo, omaha5_vs_random, ODDSMITH_GAME_OMAHA5, {"AhAsKhKsQd", "random"})->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
