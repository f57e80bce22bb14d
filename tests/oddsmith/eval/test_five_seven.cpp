// Five- and seven-card evaluators against the rules of the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "eval/five_seven.h"
#include "support/card_notation.h"
#include "support/reference_poker.h"

namespace {

using oddsmith::eval5;
using oddsmith::eval7;
using test_cards::cards;

int ev5(const std::string& text) {
  const auto c = cards(text);
  return eval5(c[0], c[1], c[2], c[3], c[4]);
}
int ev7(const std::string& text) {
  const auto c = cards(text);
  return eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
}

// Every five-card hand: each value stands for exactly one strength of the rules,
// all 7462 values occur, and lower values are strictly stronger.
TEST(FiveCard, EveryHandMatchesTheRulesAndTheScaleIsExact) {
  std::vector<reference::Strength> by_value(7463);
  int hands = 0, mismatches = 0;
  int c[5];
  for (c[0] = 0; c[0] < 52; ++c[0])
    for (c[1] = c[0] + 1; c[1] < 52; ++c[1])
      for (c[2] = c[1] + 1; c[2] < 52; ++c[2])
        for (c[3] = c[2] + 1; c[3] < 52; ++c[3])
          for (c[4] = c[3] + 1; c[4] < 52; ++c[4]) {
            ++hands;
            const int v = eval5(c[0], c[1], c[2], c[3], c[4]);
            ASSERT_GE(v, 1);
            ASSERT_LE(v, 7462);
            const reference::Strength s = reference::five_card_strength(c);
            if (by_value[v].category < 0) by_value[v] = s;
            else mismatches += by_value[v] != s;
          }
  EXPECT_EQ(hands, 2598960);
  EXPECT_EQ(mismatches, 0) << "hands of one value differ in strength";
  for (int v = 1; v <= 7462; ++v) ASSERT_GE(by_value[v].category, 0) << "value " << v << " never occurs";
  for (int v = 1; v < 7462; ++v) ASSERT_GT(by_value[v], by_value[v + 1]) << "value " << v << " is not stronger";
}

TEST(FiveCard, WorkedPointsOfTheScale) {
  EXPECT_EQ(ev5("AsKsQsJsTs"), 1);
  EXPECT_EQ(ev5("5c4d3h2sAc"), 1609);
  EXPECT_EQ(ev5("5h4h3h2hAh"), 10);
  EXPECT_EQ(ev5("AcAdAhAsKc"), 11);
  EXPECT_EQ(ev5("2c2d2h2s3c"), 166);
  EXPECT_EQ(ev5("AcAdAhKsKc"), 167);
  EXPECT_EQ(ev5("2c2d2h3s3c"), 322);
  EXPECT_EQ(ev5("AcKcQcJc9c"), 323);
  EXPECT_EQ(ev5("7d5d4d3d2d"), 1599);
  EXPECT_EQ(ev5("AcKdQhJsTs"), 1600);
  EXPECT_EQ(ev5("AcAdAhKsQc"), 1610);
  EXPECT_EQ(ev5("2c2d2h4s3c"), 2467);
  EXPECT_EQ(ev5("AcAdKhKsQc"), 2468);
  EXPECT_EQ(ev5("3c3d2h2s4c"), 3325);
  EXPECT_EQ(ev5("AcAdKhQsJc"), 3326);
  EXPECT_EQ(ev5("2c2d5h4s3c"), 6185);
  EXPECT_EQ(ev5("AcKdQhJs9c"), 6186);
  EXPECT_EQ(ev5("7c5d4h3s2c"), 7462);
}

TEST(SevenCard, FixedCasesFromTheRules) {
  EXPECT_EQ(eval7(1, 2, 3, 4, 5, 6, 7), 154);
  EXPECT_EQ(ev7("AsKsQsJsTs2c3d"), 1);
  EXPECT_EQ(ev7("AsKsQsJsTs9s8s"), 1);                   // seven of one suit
  EXPECT_EQ(ev7("9h8h7h6h5h2h3h"), 6);                 // straight flush among seven suited cards
  EXPECT_EQ(ev7("Ah9h8h7h6h5h2c"), 6);                 // ... and among six
  EXPECT_LE(ev7("AhKh9h7h2hQdJc"), 1599);              // the flush, not the straight in other suits
  EXPECT_EQ(ev7("AhKh9h7h2hQdJc"), ev5("AhKh9h7h2h"));
  EXPECT_EQ(ev7("2c2d2h2s3c3d3h"), 166);  // four deuces with a three
}

TEST(SevenCard, EqualsTheBestFiveOfSevenOnRandomHands) {
  std::mt19937 rng(7);
  auto value5 = [](const int* f) { return eval5(f[0], f[1], f[2], f[3], f[4]); };
  for (int i = 0; i < 2'000'000; ++i) {
    int c[7];
    reference::deal_distinct(rng, c, 7);
    const int v = eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    ASSERT_EQ(v, reference::best_of_seven(c, value5)) << "hand " << test_cards::text(c, 7);
  }
}

TEST(SevenCard, CardOrderDoesNotMatter) {
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    int c[7];
    reference::deal_distinct(rng, c, 7);
    const int v7 = eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    const int v5 = eval5(c[0], c[1], c[2], c[3], c[4]);
    int seven[7];
    std::copy(c, c + 7, seven);
    for (int k = 0; k < 20; ++k) {
      std::shuffle(c, c + 5, rng);
      ASSERT_EQ(eval5(c[0], c[1], c[2], c[3], c[4]), v5);
      std::shuffle(seven, seven + 7, rng);
      ASSERT_EQ(eval7(seven[0], seven[1], seven[2], seven[3], seven[4], seven[5], seven[6]), v7);
    }
  }
}

}  // namespace
