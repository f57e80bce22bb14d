// bench: evaluations per second, two ways. The timing exports evaluate one fixed
// hand over and over (its table entries stay in cache, so the rate is high);
// the random-hand rate calls the checked exports on a pre-dealt array of
// different hands, as real work does.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

constexpr int kDealtHands = 1 << 16;

// kDealtHands hands of `n` different cards each, from a fixed seed.
std::vector<int> deal_hands(int n) {
  std::vector<int> cards;
  cards.reserve(static_cast<std::size_t>(kDealtHands) * static_cast<std::size_t>(n));
  std::uint64_t x = 0x9e3779b97f4a7c15ull;
  for (int h = 0; h < kDealtHands; ++h) {
    std::uint64_t used = 0;
    for (int i = 0; i < n;) {
      x ^= x << 13, x ^= x >> 7, x ^= x << 17;
      const int card = static_cast<int>(x % 52);
      if (used >> card & 1) continue;
      used |= std::uint64_t{1} << card;
      cards.push_back(card);
      ++i;
    }
  }
  return cards;
}

// Evaluations per second of `eval` over the dealt hands, `count` calls in all.
template <class Eval>
double random_rate(int n, long long count, Eval eval) {
  const std::vector<int> cards = deal_hands(n);
  long long sum = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long long i = 0; i < count; ++i) sum += eval(&cards[static_cast<std::size_t>(i % kDealtHands) * static_cast<std::size_t>(n)]);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (sum == 42) std::fputs("", stdout);  // keeps the calls from being optimised away
  return seconds > 0 ? static_cast<double>(count) / seconds : 0;
}

}  // namespace

// cppcheck-suppress passedByValue
int run_bench(Args args) {  // NOLINT(performance-unnecessary-value-param)
  ReadArgs read;
  if (std::string error = read_options(args, {{"--json"}}, "bench", read); !error.empty()) return fail(error);
  const bool json = read.has("--json");
  if (read.positionals.size() > 1) return fail("bench takes one COUNT; unexpected '" + std::string(read.positionals[1]) + "'");
  long long count = 20'000'000;
  if (!read.positionals.empty()) {
    if (std::string error = parse_count("bench count", read.positionals[0], 1, 2'000'000'000, count); !error.empty())
      return fail(error);
  }
  struct Loop {
    const char* name;
    const char* key;
    int (*timed)(int);
    int cards;
    int (*eval)(const int*);
  };
  const Loop loops[] = {
      {"seven-card", "seven_card", holdem_test, 7,
       [](const int* c) { return poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]); }},
      {"Omaha high", "omaha_high", omaha_test, 9,
       [](const int* c) { return poker_evomaha(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); }},
      {"Omaha low", "omaha_low", omahalow_test, 9,
       [](const int* c) { return poker_evomahalow(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); }}};
  if (json) std::printf("{\"count\": %lld, \"unit\": \"evaluations per second\", \"loops\": [", count);
  else
    std::printf("%-12s %28s %28s\n", "evaluator", "one fixed hand (*_test)", "random hands (checked export)");
  for (const Loop& loop : loops) {
    const double fixed_seconds = static_cast<double>(loop.timed(static_cast<int>(count))) / CLOCKS_PER_SEC;
    const double fixed = fixed_seconds > 0 ? static_cast<double>(count) / fixed_seconds : 0;
    const double random = random_rate(loop.cards, count, loop.eval);
    if (json) {
      std::printf("%s{\"evaluator\": \"%s\", \"fixed_hand\": %s, \"random_hands\": %s}", &loop == loops ? "" : ", ",
                  loop.key, fixed > 0 ? json_number(fixed, 4).c_str() : "null", json_number(random, 4).c_str());
    } else {
      std::printf("%-12s %22.1f M/s %22.1f M/s\n", loop.name, fixed / 1e6, random / 1e6);
    }
  }
  if (json) std::printf("]}\n");
  else
    std::printf("\nThe fixed hand stays in cache; random hands are what equity work meets.\n"
                "(A fixed-hand rate of 0.0 means the run was too short for the clock: use a larger count.)\n");
  return 0;
}

}  // namespace cli
