// Range notation: parsing a typical text through the export, and refilling a
// Hold'em slot from range text with the exact setter (parse plus 500 draws).
#include <benchmark/benchmark.h>

#include "oddsmith.h"

namespace {

void BM_parse_holdem_range(benchmark::State& state) {
  static constexpr char kText[] = "22+, A2s+, K9o+, QTs+";
  for (auto _ : state) {
    oddsmith_range* range = oddsmith_range_parse(kText, -1, ODDSMITH_GAME_HOLDEM, nullptr, nullptr, 0);
    benchmark::DoNotOptimize(oddsmith_range_size(range));
    oddsmith_range_free(range);
  }
}
BENCHMARK(BM_parse_holdem_range)->Unit(benchmark::kMicrosecond);

void BM_refill_slot_from_text(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(poker_set_holdem_range_exact(1, L"22+, A2s+, K9o+, QTs+"));
}
BENCHMARK(BM_refill_slot_from_text)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
