// Out-of-limit equity calls and setter arguments: each returns its agreed answer
// at once and changes nothing. (ctest's timeout turns a hang into a failure.)
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <thread>
#include <vector>

#include "host/internal/holdem.h"
#include "host/internal/omaha.h"
#include "host/internal/process_state.h"
#include "oddsmith.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::host;

struct Snapshot {
  std::vector<std::int32_t> ranges{holdem_ranges, holdem_ranges + kHoldemRangeInts};
  std::int32_t cursor = holdem_range_cursor;
  bool operator==(const Snapshot&) const = default;
};

TEST(EquityBadInput, OutOfLimitCallsAreRefused) {
  holdem_range_cursor = 42;
  const Snapshot before;
  // p1 p2 known opponents range b1..b5
  const int calls[][10] = {
      {51, 47, -1, 1, 0, 0, 1, 2, 3, 4},        {51, 47, 6, 1, 0, 0, 1, 2, 3, 4},
      {51, 47, INT_MIN, 1, 0, 0, 1, 2, 3, 4},   {51, 47, INT_MAX, 1, 0, 0, 1, 2, 3, 4},
      {51, 47, 0, 1, -1, 0, 0, 0, 0, 0},        {51, 47, 0, 1, 5, 0, 0, 0, 0, 0},
      {51, 47, 0, 1, INT_MAX, 0, 0, 0, 0, 0},   {51, 47, 0, -1, 0, 0, 0, 0, 0, 0},
      {51, 47, 0, 23, 1, 0, 0, 0, 0, 0},        {51, 47, 0, INT_MIN, 1, 0, 0, 0, 0, 0},
      {51, 47, 0, INT_MAX, 0, 0, 0, 0, 0, 0},   {-1, 47, 0, 1, 0, 0, 0, 0, 0, 0},
      {51, 52, 0, 1, 1, 0, 0, 0, 0, 0},         {INT_MIN, INT_MAX, 0, 1, 0, 0, 0, 0, 0, 0},
      {51, 51, 0, 1, 0, 0, 0, 0, 0, 0},         {51, 47, 3, 1, 0, 0, 1, 51, 3, 4},
      {51, 47, 3, 1, 2, 0, 1, 1, 3, 4},         {51, 47, 5, 1, 0, 0, 1, 2, 3, 64},
      {51, 47, 1, 1, 0, -5, 0, 0, 0, 0},        {51, 47, 5, 22, 3, 0, 1, 2, 3, 0}};
  for (const auto& c : calls) {
    EXPECT_EQ(poker_holdem_equity(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9]), -1)
        << c[0] << " " << c[1] << " known " << c[2] << " opponents " << c[3] << " range " << c[4];
  }
  EXPECT_EQ(Snapshot{}, before);
}

TEST(EquityBadInput, UnusedBoardArgumentsAreIgnored) {
  // Only the first `known` board arguments are cards; the rest may be anything.
  EXPECT_EQ(poker_holdem_equity(51, 47, 0, 0, 0, INT_MIN, -1, 99, 51, 47), 1000);
  EXPECT_EQ(poker_holdem_equity(51, 47, 3, 0, 0, 0, 1, 2, INT_MAX, 2), 1000);
  // From one seed, what follows the known cards changes no deal: nothing of it
  // is placed, checked or read.
  struct Case {
    int known;
    int board[5], other[5];
  };
  const Case cases[] = {{0, {0, 0, 0, 0, 0}, {INT_MIN, -1, 99, 51, 47}},
                        {3, {1, 2, 3, 0, 0}, {1, 2, 3, INT_MAX, 2}},
                        {4, {1, 2, 3, 4, 0}, {1, 2, 3, 4, 51}}};
  for (const Case& c : cases) {
    EquityRequest holdem{{51, 47, 0, 0}, 2, c.known, {}, 9, 0}, omaha{{51, 47, 43, 39}, 4, c.known, {}, 6, 0};
    std::copy(c.board, c.board + 5, holdem.board);
    std::copy(c.board, c.board + 5, omaha.board);
    const int holdem_answer = holdem_equity(holdem, 5, 3000);
    const float omaha_sum = omaha_high_equity(omaha, 5, 3000).score_sum;
    std::copy(c.other, c.other + 5, holdem.board);
    std::copy(c.other, c.other + 5, omaha.board);
    EXPECT_EQ(holdem_equity(holdem, 5, 3000), holdem_answer) << "known " << c.known;
    EXPECT_EQ(omaha_high_equity(omaha, 5, 3000).score_sum, omaha_sum) << "known " << c.known;
  }
  // At the card limit (22 opponents, 51 cards dealt) the zeros are no cards
  // either: the export answers as a seeded run whose unused arguments differ,
  // within its noise (under 1.5 per mille either way at 120,000 deals).
  const int full = poker_holdem_equity(51, 47, 0, 22, 0, 0, 0, 0, 0, 0);
  const int reference = holdem_equity({{51, 47, 0, 0}, 2, 0, {INT_MIN, 7, 7, -1, 99}, 22, 0}, 5, 120000);
  EXPECT_GT(reference, 0);
  EXPECT_NEAR(full, reference, 8);
}

TEST(EquityBadInput, SetterArgumentsOutsideTheirLimits) {
  const Snapshot before;
  EXPECT_EQ(poker_set_holdem_range_simul(nullptr), 0);
  for (int slot : {-1, 4, 5, INT_MIN, INT_MAX}) EXPECT_EQ(poker_set_holdem_range_exact(slot, L"QQ+"), 0);
  EXPECT_EQ(Snapshot{}, before);
}

// A host that breaks the one-call-at-a-time rule and rewrites a range buffer
// during an equity call may get a result mixing old and new hands, but every
// dealt card was checked. Each game's setter swaps a buffer of one usable hand,
// repeated, with one of cards that do not exist, while calls deal from it. A
// call's copy of the slot then holds that hand or nothing usable, so, from one
// seed, the call answers exactly as against the usable buffer (every range
// opponent holds that hand) or as against random opponents, whatever the mix;
// a card read past the check would answer otherwise, or fault.
TEST(EquityBadInput, RangeRewrittenDuringACallNeverFaults) {
  struct Game {
    int cards_per_hand;
    std::int32_t* buffer;
    int (*set)(const int*);
    float (*equity)(int opponents);  // Omaha's sum of the trial scores is finer than its per mille
  };
  const Game games[] = {
      {2, holdem_ranges, poker_set_holdem_range_simul,
       [](int n) { return static_cast<float>(holdem_equity({{51, 47, 0, 0}, 2, 0, {}, n, 1}, 7, 20000)); }},
      {4, omaha_ranges, poker_load_omaha_range,
       [](int n) { return omaha_high_equity({{51, 47, 43, 39}, 4, 0, {}, n, 1}, 7, 10000).score_sum; }},
      {4, omahahl_ranges, poker_load_omahahl_range,
       [](int n) { return omaha_hilo_equity({{51, 47, 43, 39}, 4, 0, {}, n, 1}, 7, 10000).score_sum; }}};
  for (const Game& game : games) {
    const int ints = kRangeSlots * kRangeHands * game.cards_per_hand;
    const int opponents = game.cards_per_hand == 2 ? 22 : 10;
    const std::vector<std::int32_t> saved(game.buffer, game.buffer + ints);
    std::vector<int> good(ints), bad(ints);
    for (int i = 0; i < ints; ++i) {
      good[i] = (i % game.cards_per_hand) * 5;  // 2c 3d 4h 5s ...: always usable
      bad[i] = INT_MAX - i;
    }
    game.set(bad.data());
    const float against_random = game.equity(opponents);
    game.set(good.data());
    const float against_the_hand = game.equity(opponents);
    ASSERT_NE(against_random, against_the_hand);
    std::atomic<bool> stop{false};
    std::thread rewriter([&] {
      while (!stop.load(std::memory_order_relaxed)) {
        game.set(good.data());
        game.set(bad.data());
      }
    });
    for (int call = 0; call < 40; ++call) {
      const float result = game.equity(opponents);
      EXPECT_TRUE(result == against_the_hand || result == against_random)
          << result << " against the hand " << against_the_hand << ", against random hands " << against_random;
    }
    stop = true;
    rewriter.join();
    game.set(saved.data());
  }
}

}  // namespace
