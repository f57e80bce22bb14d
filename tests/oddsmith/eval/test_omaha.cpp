// Omaha high and eight-or-better low evaluators against brute force over the 60
// choices of two hole and three board cards.
#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>

#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"
#include "support/card_notation.h"
#include "support/reference_poker.h"

namespace {

using oddsmith::eval_omaha_high;
using oddsmith::eval_omaha_low;

// Board first, as the internal evaluators take it.
int high(const std::string& board, const std::string& hole) {
  const auto b = test_cards::cards(board), h = test_cards::cards(hole);
  return eval_omaha_high(b[0], b[1], b[2], b[3], b[4], h[0], h[1], h[2], h[3]);
}
int low(const std::string& board, const std::string& hole) {
  const auto b = test_cards::cards(board), h = test_cards::cards(hole);
  return eval_omaha_low(b[0], b[1], b[2], b[3], b[4], h[0], h[1], h[2], h[3]);
}

TEST(OmahaHigh, CasesFromTheRules) {
  EXPECT_EQ(eval_omaha_high(1, 2, 3, 4, 5, 6, 7, 8, 9), 154);
  EXPECT_EQ(high("KcKdQhQsJc", "AcAdAhAs"), 2468);  // only two of the four aces play
  EXPECT_EQ(high("AhKhQhJhTh", "2c3d4s5c"), 6224);  // the board's royal flush does not play
  EXPECT_EQ(high("AhKhQhJhTh", "9h8h2c2d"), 3);     // padded flush lookup
  EXPECT_EQ(high("ThJhQh2c3d", "KhAh4s5s"), 1);     // three board and two hole suited cards
  EXPECT_EQ(high("2h3h4hKdKc", "5h6hKsKh"), 9);     // straight flush beats the four kings
  EXPECT_EQ(high("2h5h9hJhKc", "Ah3c4d6s"), 6240);  // one heart in the hole: no flush
  EXPECT_EQ(high("2h3h4hKdKc", "5c6dKsKh"), 32);    // four kings with a four beat the straight
}

TEST(OmahaHigh, EqualsBruteForceOnRandomDeals) {
  std::mt19937 rng(3);
  auto value5 = [](const int* f) { return oddsmith::eval5(f[0], f[1], f[2], f[3], f[4]); };
  for (int i = 0; i < 1'000'000; ++i) {
    int c[9];
    reference::deal_distinct(rng, c, 9);
    const int* board = c;
    const int* hole = c + 5;
    ASSERT_EQ(eval_omaha_high(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]),
              reference::best_omaha(board, hole, value5))
        << "board " << test_cards::text(board, 5) << " hole " << test_cards::text(hole, 4);
  }
}

// Deals rich in flushes: every card from two suits, so the padded paths run often.
TEST(OmahaHigh, EqualsBruteForceOnFlushHeavyDeals) {
  std::mt19937 rng(5);
  auto value5 = [](const int* f) { return oddsmith::eval5(f[0], f[1], f[2], f[3], f[4]); };
  for (int i = 0; i < 300'000; ++i) {
    int c[9];
    unsigned long long used = 0;
    for (int k = 0; k < 9;) {
      const int card = static_cast<int>(rng() % 13) * 4 + static_cast<int>(rng() % 2) * 2;
      if (used >> card & 1) continue;
      used |= 1ull << card;
      c[k++] = card;
    }
    ASSERT_EQ(eval_omaha_high(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]),
              reference::best_omaha(c, c + 5, value5))
        << "board " << test_cards::text(c, 5) << " hole " << test_cards::text(c + 5, 4);
  }
}

TEST(OmahaLow, CasesFromTheRules) {
  EXPECT_EQ(low("Ac2d3hKcKd", "4s5s9c9d"), 31);
  EXPECT_EQ(low("Ac2d3hKcKd", "Ah2sQcQd"), 1024);  // only three different low ranks in all
  EXPECT_EQ(low("2c3d4h9cTd", "As5sKcKd"), 31);
  EXPECT_EQ(low("7c8dKhKcQd", "As2s3c4d"), 1024);  // two low ranks on the board
  EXPECT_EQ(low("Ac2d3h4c5d", "6s7sKcKd"), 103);   // two hole cards must play
  EXPECT_EQ(low("Ac2d3h4c5d", "Ah2s6c7d"), 31);
  EXPECT_EQ(low("8c7d6hKcKd", "4s5sQcQd"), 248);
  EXPECT_EQ(low("8c7d6hKcKd", "4s4hQcQd"), 1024);  // one low rank in the hole
  EXPECT_EQ(low("AcAd2h2c3d", "4s5sQcQd"), 31);
  EXPECT_EQ(low("Ac2d3h6c7d", "As2s4c5d"), 31);
  EXPECT_EQ(eval_omaha_low(1, 2, 3, 4, 5, 6, 7, 8, 9), 1024);
}

// Every pair of board and hole low-rank sets, as concrete cards: the bit
// arithmetic agrees with the literal walk and with brute force.
TEST(OmahaLow, EveryRankPatternMatchesWalkAndBruteForce) {
  // Low rank r as a card: the ace for 0, otherwise rank r - 1; rank nine fills gaps.
  auto card_of = [](int low_rank, int suit) { return low_rank == 0 ? 48 + suit : (low_rank - 1) * 4 + suit; };
  const int filler[5] = {28, 29, 30, 31, 32};  // 9c 9d 9h 9s Tc: never part of a low
  int checked = 0;
  for (unsigned bmask = 0; bmask < 256; ++bmask) {
    if (std::popcount(bmask) > 5) continue;
    for (unsigned hmask = 0; hmask < 256; ++hmask) {
      if (std::popcount(hmask) > 4) continue;
      int board[5], hole[4], nb = 0, nh = 0;
      for (int r = 0; r < 8; ++r) {
        if (bmask >> r & 1) board[nb++] = card_of(r, 0);
        if (hmask >> r & 1) hole[nh++] = card_of(r, 1);
      }
      for (int i = 0; nb < 5; ++i) board[nb++] = filler[i];
      for (int i = 0; nh < 4; ++i) hole[nh++] = filler[4 - i] + 4;  // Ts Jc ...: distinct from the board
      const int got = eval_omaha_low(board[0], board[1], board[2], board[3], board[4], hole[0], hole[1], hole[2], hole[3]);
      ASSERT_EQ(got, reference::omaha_low_walk(board, hole)) << "board mask " << bmask << " hole mask " << hmask;
      ASSERT_EQ(got, reference::omaha_low_brute_force(board, hole)) << "board mask " << bmask << " hole mask " << hmask;
      ++checked;
    }
  }
  EXPECT_GT(checked, 30000);
}

TEST(OmahaLow, EqualsBruteForceOnRandomDeals) {
  std::mt19937 rng(9);
  for (int i = 0; i < 1'000'000; ++i) {
    int c[9];
    reference::deal_distinct(rng, c, 9);
    ASSERT_EQ(eval_omaha_low(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]),
              reference::omaha_low_brute_force(c, c + 5))
        << "board " << test_cards::text(c, 5) << " hole " << test_cards::text(c + 5, 4);
  }
}

TEST(OmahaLow, OrderAndOrderingOfLows) {
  EXPECT_EQ(low("Ac2d3hKcKd", "4s6s9c9d"), 47);
  EXPECT_EQ(low("Ac2d3hKcKd", "5s6s9c9d"), 55);
  EXPECT_EQ(low("2c3d4hKcKd", "5s6s9c9d"), 62);
  EXPECT_EQ(low("Ac2d3hKcKd", "4s7s9c9d"), 79);
  EXPECT_EQ(low("Kd3hKc2dAc", "9d9c4s5s"), low("Ac2d3hKcKd", "4s5s9c9d"));
}

}  // namespace
