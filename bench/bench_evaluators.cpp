// Evaluator throughput on pre-generated random hands: the internal evaluators
// and the exports (with their input checks). One thread; items/s = evaluations/s.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "eval/five_seven.h"
#include "eval/omaha5.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"
#include "oddsmith.h"
#include "random_hands.h"

namespace {

constexpr int kHands = 1 << 16;

// kHands rows of `width` distinct random cards each, made once per width.
const std::vector<int>& random_hands(int width) {
  static std::vector<int> by_width[11];
  std::vector<int>& hands = by_width[width];
  if (hands.empty()) hands = bench::random_hands(width, kHands);
  return hands;
}

template <int Width, class Eval>
void run(benchmark::State& state, Eval eval) {
  const std::vector<int>& hands = random_hands(Width);
  for (auto _ : state) {
    std::uint32_t sum = 0;
    for (int h = 0; h < kHands; ++h) sum += static_cast<std::uint32_t>(eval(&hands[static_cast<std::size_t>(h) * Width]));
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kHands);
}

void BM_eval5(benchmark::State& s) {
  run<5>(s, [](const int* c) { return oddsmith::eval5(c[0], c[1], c[2], c[3], c[4]); });
}
void BM_poker_ev5(benchmark::State& s) {
  run<5>(s, [](const int* c) { return poker_ev5(c[0], c[1], c[2], c[3], c[4]); });
}
void BM_eval7(benchmark::State& s) {
  run<7>(s, [](const int* c) { return oddsmith::eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]); });
}
void BM_poker_ev7(benchmark::State& s) {
  run<7>(s, [](const int* c) { return poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]); });
}
void BM_eval_omaha_high(benchmark::State& s) {
  run<9>(s, [](const int* c) { return oddsmith::eval_omaha_high(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
}
void BM_poker_evomaha(benchmark::State& s) {
  run<9>(s, [](const int* c) { return poker_evomaha(c[5], c[6], c[7], c[8], c[0], c[1], c[2], c[3], c[4]); });
}
void BM_eval_omaha_low(benchmark::State& s) {
  run<9>(s, [](const int* c) { return oddsmith::eval_omaha_low(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
}
void BM_poker_evomahalow(benchmark::State& s) {
  run<9>(s, [](const int* c) { return poker_evomahalow(c[5], c[6], c[7], c[8], c[0], c[1], c[2], c[3], c[4]); });
}

// Five-card Omaha: five hole cards, then the board, each hand from scratch.
void BM_eval_omaha5_high(benchmark::State& s) {
  run<10>(s, [](const int* c) { return oddsmith::eval_omaha5_high(c, c + 5); });
}
void BM_oddsmith_evaluate_game_many_omaha5(benchmark::State& s) {
  const std::vector<int>& hands = random_hands(10);
  std::vector<int> values(kHands);
  for (auto _ : s) {
    oddsmith_evaluate_game_many(hands.data(), kHands, ODDSMITH_GAME_OMAHA5, 10, values.data());
    benchmark::DoNotOptimize(values.data());
  }
  s.SetItemsProcessed(s.iterations() * kHands);
}

}  // namespace

BENCHMARK(BM_eval5);
BENCHMARK(BM_poker_ev5);
BENCHMARK(BM_eval7);
BENCHMARK(BM_poker_ev7);
BENCHMARK(BM_eval_omaha_high);
BENCHMARK(BM_poker_evomaha);
BENCHMARK(BM_eval_omaha_low);
BENCHMARK(BM_poker_evomahalow);
BENCHMARK(BM_eval_omaha5_high);
BENCHMARK(BM_oddsmith_evaluate_game_many_omaha5);
BENCHMARK_MAIN();
