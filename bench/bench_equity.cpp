// Equity exports, one call per iteration (120,000 Hold'em or 50,000 Omaha deals
// per call) against random or range opponents. The Omaha call's fragment on
// standard output is part of what it does; run with stdout sent to a file or
// /dev/null to keep the report readable.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "oddsmith.h"

namespace {

constexpr int kAh = 50, kKh = 46;

void BM_holdem_equity(benchmark::State& state) {
  const int opponents = static_cast<int>(state.range(0)), range = static_cast<int>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(poker_holdem_equity(kAh, kKh, 0, opponents, range, 0, 0, 0, 0, 0));
}

// The player holds Ah As Kh Ks preflop.
void BM_omaha_equity(benchmark::State& state) {
  const int opponents = static_cast<int>(state.range(0)), range = static_cast<int>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(poker_omaha_equity(50, 51, 46, 47, 0, opponents, range, 0, 0, 0, 0, 0));
}

void BM_omahahl_equity(benchmark::State& state) {
  const int opponents = static_cast<int>(state.range(0)), range = static_cast<int>(state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(poker_omahahl_equity(50, 51, 46, 47, 0, opponents, range, 0, 0, 0, 0, 0));
}

}  // namespace

BENCHMARK(BM_omaha_equity)
    ->ArgNames({"opponents", "range"})
    ->Args({1, 0})->Args({5, 0})->Args({1, 2})->Args({5, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_omahahl_equity)
    ->ArgNames({"opponents", "range"})
    ->Args({1, 0})->Args({5, 0})->Args({1, 2})->Args({5, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_holdem_equity)
    ->ArgNames({"opponents", "range"})
    ->Args({1, 0})->Args({3, 0})->Args({9, 0})
    ->Args({1, 1})->Args({3, 1})->Args({9, 1})
    ->Args({1, 4})->Args({3, 4})->Args({9, 4})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
