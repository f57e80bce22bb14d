// Card removal for four- and five-card hands: the solver's fold and showdown
// values (per-subset sums by inclusion-exclusion, a strength-ordered sweep)
// against a direct sum over every pair of hands, with strengths from the
// rule-based reference. Every hand is drawn from ten cards, so that pairs of
// hands share none, one, two, three and four cards.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>
#include <vector>

#include "cards/card_text.h"
#include "solver/internal/hands.h"
#include "support/reference_poker.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::solver;

reference::Strength omaha_strength(const std::vector<int>& board, const std::array<std::uint8_t, 5>& hole, int n) {
  reference::Strength best;
  for (int a = 0; a < n; ++a)
    for (int b = a + 1; b < n; ++b)
      for (unsigned mask = 0; mask < 32; ++mask) {
        if (std::popcount(mask) != 3) continue;
        int five[5] = {hole[static_cast<std::size_t>(a)], hole[static_cast<std::size_t>(b)]}, k = 2;
        for (int i = 0; i < 5; ++i)
          if (mask >> i & 1) five[k++] = board[static_cast<std::size_t>(i)];
        best = std::max(best, reference::five_card_strength(five));
      }
  return best;
}

Range every_hand_of(const std::vector<int>& cards, int n, std::mt19937& rng) {
  RangeBuilder b(n);
  std::uniform_real_distribution<double> weight(0.05, 1.0);
  for (unsigned m = 0; m < (1u << cards.size()); ++m) {
    if (std::popcount(m) != n) continue;
    std::vector<int> hand;
    for (std::size_t i = 0; i < cards.size(); ++i)
      if (m >> i & 1) hand.push_back(cards[i]);
    b.add(hand, weight(rng));
  }
  return std::move(b).finish();
}

TEST(SolverCardRemoval, FoldAndShowdownValuesMatchEveryPairOfHands) {
  for (const Game game : {Game::omaha, Game::omaha5}) {
    const int n = rules(game).hole_cards;
    std::vector<int> cards, board;
    std::string error;
    ASSERT_TRUE(parse_card_list("Ah Kh Qd Jd Ts 9s 8c 7c 6h 5d", cards, error));
    ASSERT_TRUE(parse_card_list("Ac Kd 4s 3h 2c", board, error));
    std::mt19937 rng(7);
    const std::array<Range, 2> ranges{every_hand_of(cards, n, rng), every_hand_of(cards, n, rng)};
    std::array<HandSet, 2> hands;
    ASSERT_TRUE(make_hand_sets(game, ranges, 0, hands, error)) << error;
    CardMask board_mask = 0;
    for (int c : board) board_mask |= card_bit(c);
    const RiverTable table = make_river_table(game, board_mask, hands);
    for (int me = 0; me < 2; ++me) {
      const HandSet& mine = hands[static_cast<std::size_t>(me)];
      const HandSet& theirs = hands[static_cast<std::size_t>(1 - me)];
      // The other's reach: random, with every fifth hand out.
      std::vector<float> reach(static_cast<std::size_t>(theirs.size()));
      std::uniform_real_distribution<float> r(0.0f, 2.0f);
      for (std::size_t o = 0; o < reach.size(); ++o) reach[o] = o % 5 == 3 ? 0.0f : r(rng);
      std::vector<float> scratch(terminal_scratch(theirs)), fold(static_cast<std::size_t>(mine.size())),
          showdown(fold.size());
      compatible_values(mine, theirs, reach.data(), fold.data(), 1.5, scratch.data());
      const double win = 3, lose = -1, tie = 0.75;
      showdown_values(table, me, mine, theirs, reach.data(), showdown.data(), win, lose, tie, scratch.data());
      std::vector<reference::Strength> strength;
      for (const auto& hole : theirs.holes) strength.push_back(omaha_strength(board, hole, n));
      std::array<int, 6> shared{};  // pairs of hands by the cards they share
      for (int h = 0; h < mine.size(); ++h) {
        const auto hu = static_cast<std::size_t>(h);
        const reference::Strength s = omaha_strength(board, mine.holes[hu], n);
        double compatible = 0, value = 0, scale = 0;
        for (int o = 0; o < theirs.size(); ++o) {
          const auto ou = static_cast<std::size_t>(o);
          const int common = std::popcount(mine.mask[hu] & theirs.mask[ou]);
          ++shared[static_cast<std::size_t>(common)];
          scale += reach[ou];
          if (common) continue;
          const reference::Strength& t = strength[ou];
          compatible += reach[ou];
          value += reach[ou] * (s > t ? win : s < t ? lose : tie);
        }
        ASSERT_NEAR(fold[hu], 1.5 * compatible, 1e-5 * scale) << rules(game).title << ", hand " << h;
        ASSERT_NEAR(showdown[hu], value, 1e-5 * 3 * scale) << rules(game).title << ", hand " << h;
      }
      for (int common = 0; common <= 4; ++common)
        EXPECT_GT(shared[static_cast<std::size_t>(common)], 0) << rules(game).title << ": no pair shares " << common;
    }
  }
}

}  // namespace
