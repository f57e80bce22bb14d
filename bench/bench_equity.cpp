// Equity exports, one call per iteration (120,000 Hold'em deals per call): the
// player holds Ah Kh preflop against random or range opponents.
#include <benchmark/benchmark.h>

#include "oddsmith.h"

namespace {

constexpr int kAh = 50, kKh = 46;

void BM_holdem_equity(benchmark::State& state) {
  const int opponents = static_cast<int>(state.range(0)), range = static_cast<int>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(poker_holdem_equity(kAh, kKh, 0, opponents, range, 0, 0, 0, 0, 0));
}

}  // namespace

BENCHMARK(BM_holdem_equity)
    ->ArgNames({"opponents", "range"})
    ->Args({1, 0})->Args({3, 0})->Args({9, 0})
    ->Args({1, 1})->Args({3, 1})->Args({9, 1})
    ->Args({1, 4})->Args({3, 4})->Args({9, 4})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
