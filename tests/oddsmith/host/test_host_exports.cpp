// The host application's exports as it calls them: the evaluators' argument
// order, the answers agreed for bad input, and the timing loops.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ctime>
#include <random>
#include <set>

#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"
#include "host/internal/timing.h"
#include "oddsmith.h"
#include "support/reference_poker.h"

namespace {

// A card argument a careless host might pass: mostly real cards, often repeats,
// sometimes far outside the deck.
int wild_card(std::mt19937& rng) {
  static const int kWild[] = {INT_MIN, INT_MIN + 1, -1000000, -52, -1, 52, 53, 63, 64, 65, 127, 128, 255, 256,
                              1 << 20, INT_MAX - 1, INT_MAX};
  const unsigned pick = rng() % 10;
  if (pick < 8) return static_cast<int>(rng() % 52);
  if (pick == 8) return kWild[rng() % std::size(kWild)];
  return static_cast<int>(rng());
}

bool distinct_on_deck(const int* c, int n) {
  std::set<int> seen;
  for (int i = 0; i < n; ++i)
    if (c[i] < 0 || c[i] > 51 || !seen.insert(c[i]).second) return false;
  return true;
}

bool on_deck(const int* c, int n) {
  for (int i = 0; i < n; ++i)
    if (c[i] < 0 || c[i] > 51) return false;
  return true;
}

// The Omaha exports take the hole cards first and hand them to the evaluators
// after the board; on these deals reading them the other way round would give
// another answer at least sometimes, so a swapped order cannot pass.
TEST(HostExports, OmahaExportsTakeHoleCardsFirst) {
  std::mt19937 rng(21);
  int swapped_differs = 0;
  for (int i = 0; i < 2000; ++i) {
    int c[9];
    reference::deal_distinct(rng, c, 9);
    const int* h = c;
    const int* b = c + 4;
    const int high = poker_evomaha(h[0], h[1], h[2], h[3], b[0], b[1], b[2], b[3], b[4]);
    ASSERT_EQ(high, oddsmith::eval_omaha_high(b[0], b[1], b[2], b[3], b[4], h[0], h[1], h[2], h[3]));
    ASSERT_EQ(poker_evomahalow(h[0], h[1], h[2], h[3], b[0], b[1], b[2], b[3], b[4]),
              oddsmith::eval_omaha_low(b[0], b[1], b[2], b[3], b[4], h[0], h[1], h[2], h[3]));
    swapped_differs += high != oddsmith::eval_omaha_high(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
  }
  EXPECT_GT(swapped_differs, 1000);
  EXPECT_EQ(poker_evomaha(6, 7, 8, 9, 1, 2, 3, 4, 5), 154);
}

// High evaluators answer 0 for a card outside 0..51 or a repeated card; the low
// evaluator answers 0 only for a card outside 0..51 and counts a repeat once.
TEST(HostExports, BadInputGetsTheAgreedAnswer) {
  std::mt19937 rng(99);
  int rejected_high = 0, repeats_low = 0;
  for (int i = 0; i < 300000; ++i) {
    int c[9];
    for (int& x : c) x = wild_card(rng);
    const bool ok5 = distinct_on_deck(c, 5), ok7 = distinct_on_deck(c, 7), ok9 = distinct_on_deck(c, 9);
    const int v5 = poker_ev5(c[0], c[1], c[2], c[3], c[4]);
    const int v7 = poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    const int vo = poker_evomaha(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
    const int vl = poker_evomahalow(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
    ASSERT_EQ(v5, ok5 ? oddsmith::eval5(c[0], c[1], c[2], c[3], c[4]) : 0);
    ASSERT_EQ(v7, ok7 ? oddsmith::eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]) : 0);
    ASSERT_EQ(vo, ok9 ? oddsmith::eval_omaha_high(c[4], c[5], c[6], c[7], c[8], c[0], c[1], c[2], c[3]) : 0);
    if (on_deck(c, 9)) {
      const int board[5] = {c[4], c[5], c[6], c[7], c[8]}, hole[4] = {c[0], c[1], c[2], c[3]};
      ASSERT_EQ(vl, reference::omaha_low_brute_force(board, hole));
      repeats_low += !ok9;
    } else {
      ASSERT_EQ(vl, 0);
    }
    rejected_high += !ok9;
  }
  EXPECT_GT(rejected_high, 1000);
  EXPECT_GT(repeats_low, 1000);
}

TEST(HostExports, CraftedBadCards) {
  for (int bad : {INT_MIN, -1, 52, 55, 63, 64, 1000, INT_MAX}) {
    EXPECT_EQ(poker_ev5(bad, 1, 2, 3, 4), 0);
    EXPECT_EQ(poker_ev5(0, 1, 2, 3, bad), 0);
    EXPECT_EQ(poker_ev7(0, 1, 2, 3, 4, 5, bad), 0);
    EXPECT_EQ(poker_evomaha(bad, 1, 2, 3, 4, 5, 6, 7, 8), 0);
    EXPECT_EQ(poker_evomaha(0, 1, 2, 3, 4, 5, 6, 7, bad), 0);
    EXPECT_EQ(poker_evomahalow(bad, 1, 2, 3, 4, 5, 6, 7, 8), 0);
    EXPECT_EQ(poker_evomahalow(0, 1, 2, 3, 4, 5, 6, 7, bad), 0);
  }
  // Cards 0 and 64 share the low six bits: a mask alone would call them distinct.
  EXPECT_EQ(poker_ev5(0, 64, 2, 3, 4), 0);
  EXPECT_EQ(poker_ev7(51, 51, 50, 49, 48, 47, 46), 0);
  EXPECT_EQ(poker_evomaha(0, 1, 2, 3, 4, 5, 6, 7, 0), 0);
  // The low evaluator's documented rule: a repeat counts once (Ac Ac 2d 3h ...).
  // Hole 4s 5s Kc Kc, board Ac Ac 2d 3h Kd gives A-2-3-4-5.
  EXPECT_EQ(poker_evomahalow(11, 15, 44, 44, 48, 48, 1, 6, 45), 31);
}

// A loop evaluates its fixed cards `count` times (what the evaluations add up
// to shows it), and a count of 0 or less runs nothing. The ticks it answers are
// its own clock() readings' difference: never more than the ticks around the
// whole call, and most of them once the loop runs long enough to measure.
TEST(HostExports, TimingLoopsEvaluateCountTimes) {
  // The fixed cards' values: 2d 2h 2s 3c 3d 3h 3s; board 2d 2h 2s 3c 3d with hole 3h 3s 4c 4d.
  const std::uint32_t seven = static_cast<std::uint32_t>(oddsmith::eval7(1, 2, 3, 4, 5, 6, 7));
  const std::uint32_t high = static_cast<std::uint32_t>(oddsmith::eval_omaha_high(1, 2, 3, 4, 5, 6, 7, 8, 9));
  const std::uint32_t low = static_cast<std::uint32_t>(oddsmith::eval_omaha_low(1, 2, 3, 4, 5, 6, 7, 8, 9));
  auto expect_ticks = [](int (*loop)(int), int count, const char* name) {
    const std::clock_t before = std::clock();
    const int ticks = loop(count);
    const long around = static_cast<long>(std::clock() - before);
    EXPECT_GE(ticks, 0) << name << " " << count;
    EXPECT_LE(ticks, around) << name << " " << count;
    // Over a span long enough that the clock calls around the loop are noise
    // (20 ms), the loop's own ticks are most of it.
    if (around >= static_cast<long>(CLOCKS_PER_SEC / 50)) {
      EXPECT_GE(ticks, around / 2) << name << " " << count;
    }
  };
  for (int count : {0, -3, INT_MIN, 1, 1000, 1000000}) {
    const oddsmith::host::TimingSums before = oddsmith::host::timing_sums();
    expect_ticks(holdem_test, count, "holdem_test");
    expect_ticks(omaha_test, count, "omaha_test");
    expect_ticks(omahalow_test, count, "omahalow_test");
    const oddsmith::host::TimingSums after = oddsmith::host::timing_sums();
    const std::uint32_t runs = count > 0 ? static_cast<std::uint32_t>(count) : 0;
    EXPECT_EQ(after.seven_card - before.seven_card, runs * seven) << count;
    EXPECT_EQ(after.omaha_high - before.omaha_high, runs * high) << count;
    EXPECT_EQ(after.omaha_low - before.omaha_low, runs * low) << count;
  }
}

}  // namespace
