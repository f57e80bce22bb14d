// Five-card Omaha high against the rule: the best of the 100 choices of two
// hole and three board cards, valued by the five-card evaluator, over a million
// random hands; the two-plus-three rule and the five-suited hole pinned by
// cases. The low half is the four-card walk's, which depends only on the low
// ranks held: checked against the brute force over every four-card part.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "eval/five_seven.h"
#include "eval/omaha5.h"
#include "eval/omaha_low.h"
#include "support/card_notation.h"
#include "support/reference_poker.h"

namespace {

using namespace oddsmith;

int rule_high(const int* hole, const int* board) {
  return reference::best_omaha5(board, hole, [](const int* f) { return eval5(f[0], f[1], f[2], f[3], f[4]); });
}

// The best low of any four of the five hole cards, by the 60-choice brute force.
int rule_low(const int* hole, const int* board) {
  int best = kNoLow;
  for (int skip = 0; skip < 5; ++skip) {
    int four[4], n = 0;
    for (int i = 0; i < 5; ++i)
      if (i != skip) four[n++] = hole[i];
    best = std::min(best, reference::omaha_low_brute_force(board, four));
  }
  return best;
}

int high(const std::string& hole, const std::string& board) {
  const auto h = test_cards::cards(hole), b = test_cards::cards(board);
  return eval_omaha5_high_checked(h.data(), b.data());
}

TEST(Omaha5, RandomHandsEqualTheBestTwoPlusThree) {
  std::mt19937_64 rng(5);
  int suited_holes = 0;
  for (int t = 0; t < 1'000'000; ++t) {
    int cards[10];
    // Every eighth hole of one suit, so that the five-suited path is met often.
    if (t % 8 == 0) {
      const int suit = static_cast<int>(rng() % 4);
      int ranks[13] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
      std::shuffle(ranks, ranks + 13, rng);
      for (int i = 0; i < 5; ++i) cards[i] = make_card(ranks[i], suit);
      CardMask used = 0;
      for (int i = 0; i < 5; ++i) used |= card_bit(cards[i]);
      for (int i = 5; i < 10;) {
        const int c = static_cast<int>(rng() % 52);
        if (take_card(used, c)) cards[i++] = c;
      }
      ++suited_holes;
    } else {
      reference::deal_distinct(rng, cards, 10);
    }
    ASSERT_EQ(eval_omaha5_high(cards, cards + 5), rule_high(cards, cards + 5)) << t;
    if (t % 4 == 0) {
      const unsigned board_low = omaha_low_board(cards[5], cards[6], cards[7], cards[8], cards[9]);
      const unsigned hole_low = detail::fold_low_ranks(detail::low_rank_words(cards[0], cards[1], cards[2], cards[3], cards[4]));
      ASSERT_EQ(detail::omaha_low_from_masks(board_low, hole_low), rule_low(cards, cards + 5)) << t;
    }
  }
  EXPECT_EQ(suited_holes, 125'000);
}

TEST(Omaha5, TwoHoleCardsAndThreeBoardCardsExactly) {
  auto five = [](const std::string& text) {
    const auto c = test_cards::cards(text);
    return eval5(c[0], c[1], c[2], c[3], c[4]);
  };
  // A royal flush in the hole plays only two of its cards: a pair of nines.
  EXPECT_EQ(high("AhKhQhJhTh", "9c9d4s3c2d"), five("AhKh9c9d4s"));
  // Four hearts in the hole and two on the board: no flush.
  EXPECT_EQ(high("AhKh7h5h3c", "QhJh9s8d2c"), five("AhKhQhJh9s"));  // ace-king-queen high
  // Three suited on the board and two of five in the hole: the best two play.
  EXPECT_EQ(high("AhKhQhJhTh", "2h5h9h3c4d"), five("AhKh9h5h2h"));
  // A straight needs three board cards: 6-7 from the hole with 8-9-T.
  EXPECT_EQ(high("7c6dAsAcKd", "8h9sTd2c2h"), five("Td9s8h7c6d"));
  // Board quads play only three of the four.
  EXPECT_EQ(high("AcAdKhQsJs", "9c9d9h9sKc"), five("AcAd9c9d9h"));
  // Not real cards, or a card twice: 0.
  const int bad[10] = {0, 1, 2, 3, 52, 5, 6, 7, 8, 9};
  EXPECT_EQ(eval_omaha5_high_checked(bad, bad + 5), 0);
  const int twice[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0};
  EXPECT_EQ(eval_omaha5_high_checked(twice, twice + 5), 0);
}

}  // namespace
