// Short-deck values against rules written from the game's rules: every
// five-card hand of the 36-card deck in the right order (1,404 values), random
// seven-card hands as their best five (the calculator's summed-key form
// too), and the rules that set
// the game apart pinned by single cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "eval/short_deck.h"
#include "support/reference_poker.h"

namespace {

using namespace oddsmith;

// A strength to compare, larger is stronger: (class, then ranks by importance).
// Classes: straight flush 9, four of a kind 8, flush 7, full house 6, straight 5,
// three of a kind 4, two pair 3, one pair 2, high card 1.
std::vector<int> strength(const int cards[5]) {
  std::map<int, int> count;  // rank -> cards
  bool one_suit = true;
  for (int i = 0; i < 5; ++i) {
    ++count[cards[i] / 4];
    one_suit = one_suit && cards[i] % 4 == cards[0] % 4;
  }
  std::vector<std::pair<int, int>> groups;  // (cards, rank), largest group first
  for (const auto& [rank, n] : count) groups.emplace_back(n, rank);
  std::sort(groups.rbegin(), groups.rend());
  std::vector<int> ranks;
  for (const auto& [n, rank] : groups) ranks.push_back(rank);
  // Straights: five ranks in a row, or ace, six, seven, eight, nine (the ace below the six).
  int top = -1;
  if (groups.size() == 5) {
    if (ranks[0] - ranks[4] == 4) top = ranks[0];
    if (ranks == std::vector<int>{12, 7, 6, 5, 4}) top = 7;
  }
  if (top >= 0) return {one_suit ? 9 : 5, top};
  const int shape = groups[0].first * 10 + (groups.size() > 1 ? groups[1].first : 0);
  int kind = 1;
  if (one_suit) kind = 7;
  else if (shape == 41) kind = 8;
  else if (shape == 32) kind = 6;
  else if (shape == 31) kind = 4;
  else if (shape == 22) kind = 3;
  else if (shape == 21) kind = 2;
  ranks.insert(ranks.begin(), kind);
  return ranks;
}

TEST(ShortDeck, EveryFiveCardHandInOrder) {
  std::vector<std::pair<std::vector<int>, int>> hands;  // (rule strength, value)
  int c[5];
  for (c[0] = 16; c[0] < 52; ++c[0])
    for (c[1] = c[0] + 1; c[1] < 52; ++c[1])
      for (c[2] = c[1] + 1; c[2] < 52; ++c[2])
        for (c[3] = c[2] + 1; c[3] < 52; ++c[3])
          for (c[4] = c[3] + 1; c[4] < 52; ++c[4]) hands.emplace_back(strength(c), eval_shortdeck(c, 5));
  ASSERT_EQ(hands.size(), 376992u);
  std::sort(hands.begin(), hands.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  int expected = 1;
  for (std::size_t i = 0; i < hands.size(); ++i) {
    if (i > 0 && hands[i].first != hands[i - 1].first) ++expected;
    ASSERT_EQ(hands[i].second, expected) << i;
  }
  EXPECT_EQ(expected, ODDSMITH_SHORTDECK_WORST_HAND);
}

TEST(ShortDeck, SevenCardsAreTheirBestFiveAndTheRulesHold) {
  std::mt19937_64 rng(7);
  for (int t = 0; t < 300'000; ++t) {
    int seven[7];
    CardMask used = 0;
    for (int i = 0; i < 7;) {  // seven different cards of the 36
      const int card = kShortDeckLowestCard + static_cast<int>(rng() % 36);
      if (take_card(used, card)) seven[i++] = card;
    }
    const int best = reference::best_of_seven(seven, [](const int* five) { return eval_shortdeck(five, 5); });
    ASSERT_EQ(eval_shortdeck(seven, 7), best);
    // The calculator's form, from summed card keys and its own tables.
    BoardKeys board{0, 0}, hole{0, 0};
    for (int i = 0; i < 5; ++i) board = add_card(board, seven[i]);
    hole = add_card(add_card(hole, seven[5]), seven[6]);
    ASSERT_EQ(eval_shortdeck_of_keys(board, hole), best);
    int six[6];
    std::copy(seven, seven + 6, six);
    ASSERT_LE(eval_shortdeck(seven, 7), eval_shortdeck(six, 6));
  }
  auto value = [](std::initializer_list<int> cards) {
    return eval_shortdeck_checked(std::data(cards), static_cast<int>(cards.size()));
  };
  const int flush = value({51, 43, 35, 27, 19});      // As Qs Ts 8s 6s
  const int aces_full = value({51, 50, 49, 47, 46});  // As Ah Ad Ks Kh
  const int wheel = value({48, 16, 20, 24, 29});      // Ac 6c 7c 8c 9d: A-6-7-8-9
  const int ten_high = value({16, 21, 24, 28, 33});   // 6c 7d 8c 9c Td
  const int trips = value({51, 50, 49, 20, 24});      // As Ah Ad 7c 8c
  EXPECT_LT(flush, aces_full);                        // a flush beats a full house
  EXPECT_LT(ten_high, wheel);                         // A-6-7-8-9 is the lowest straight...
  EXPECT_LT(wheel, trips);                            // ...and still beats three of a kind
  EXPECT_EQ(value({48, 16, 20, 24, 28}), 6);          // A-6-7-8-9 of clubs: the lowest straight flush
  EXPECT_EQ(value({0, 16, 20, 24, 28}), 0);           // a deuce is no short-deck card
  EXPECT_EQ(value({16, 16, 20, 24, 28}), 0);          // nor is a card twice
}

}  // namespace
