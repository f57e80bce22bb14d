// Percentage ranges and the starting-hand rankings behind them: the committed
// rankings cover every hand once, best first, and a sample re-scored with the
// generator's own scoring gives the committed numbers; percentages take whole
// classes, strongest first, and combine with other items.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cards/card_text.h"
#include "range/range_notation.h"
#include "range/internal/start_orders.h"
#include "start_hand_equity.h"

namespace {

using namespace oddsmith;

std::set<CardMask> hands_of(std::string_view text, int cards) {
  const RangeParse parsed = parse_range(text, cards);
  EXPECT_TRUE(parsed.range) << text << ": " << parsed.error.message;
  std::set<CardMask> out;
  if (parsed.range)
    for (const RangeHand& h : parsed.range->hands()) out.insert(h.mask);
  return out;
}

CardMask mask_of(std::string_view text) {
  std::vector<int> cards;
  std::string error;
  EXPECT_TRUE(parse_card_list(text, cards, error)) << error;
  CardMask m = 0;
  for (const int c : cards) m |= card_bit(c);
  return m;
}

TEST(StartOrders, CoverEveryHandOnceBestFirstAndReplayTheirScores) {
  struct Game {
    RangeGame game;
    std::size_t classes, deck_hands;
  };
  for (const Game& g : {Game{RangeGame::holdem, 169, 1326}, Game{RangeGame::shortdeck, 81, 630},
                        Game{RangeGame::omaha, 16432, 270725}, Game{RangeGame::omaha5, 134459, 2598960}}) {
    const RangeGame game = g.game;
    const std::size_t classes = g.classes, deck_hands = g.deck_hands;
    const int cards = range_cards(game);
    const std::span<const StartClass> order = start_order(game);
    ASSERT_EQ(order.size(), classes);
    std::size_t hands = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
      hands += order[i].hands;
      if (i > 0) {
        EXPECT_GE(order[i - 1].equity_millionths, order[i].equity_millionths) << i;
      }
    }
    EXPECT_EQ(hands, deck_hands);
    // Every hand of the game's deck lies in the class whose hand is one of its
    // suit images; a hand outside the deck in none.
    const StartRanking ranking(game);
    std::vector<std::size_t> members(order.size());
    std::size_t index = 0;
    for_each_hand(cards, [&](const std::array<std::uint8_t, kMaxRangeCards>& hand) {
      const std::uint32_t place = ranking.place(index++);
      if (!in_range_deck(game, hand.data())) {
        EXPECT_GE(place, order.size());
        return;
      }
      ASSERT_LT(place, order.size()) << index;
      ++members[place];
    });
    for (std::size_t i = 0; i < order.size(); ++i) ASSERT_EQ(members[i], order[i].hands) << i;
    // The best, a middle and the worst class scored again as the generator does.
    calc::EquityQuery query = start_score::query_against_random(game);
    for (const std::size_t place : {std::size_t{0}, order.size() / 2, order.size() - 1}) {
      const StartClass& c = order[place];
      const int hand[kMaxRangeCards] = {c.cards[0], c.cards[1], c.cards[2], c.cards[3], c.cards[4]};
      EXPECT_EQ(start_score::score(query, {hand, static_cast<std::size_t>(cards)}), c.equity_millionths) << place;
    }
  }
}

TEST(StartOrders, PercentagesTakeWholeClassesStrongestFirst) {
  const std::set<CardMask> top10 = hands_of("10%", 2);
  EXPECT_GE(top10.size(), 126u);
  EXPECT_LE(top10.size(), 140u);
  for (const char* in : {"AA", "KK", "QQ", "AKs"})
    for (const CardMask h : hands_of(in, 2)) EXPECT_TRUE(top10.count(h)) << in;
  for (const CardMask h : hands_of("72o", 2)) EXPECT_FALSE(top10.count(h));
  // Whole classes: each class is all in or all out.
  const StartRanking ranking(RangeGame::holdem);
  std::vector<std::size_t> in(169);
  std::size_t index = 0;
  for_each_hand(2, [&](const std::array<std::uint8_t, kMaxRangeCards>& c) {
    in[ranking.place(index++)] += top10.count(card_bit(c[0]) | card_bit(c[1]));
  });
  for (std::size_t place = 0; place < in.size(); ++place)
    EXPECT_TRUE(in[place] == 0 || in[place] == start_order(RangeGame::holdem)[place].hands) << place;
  // A span is the wider share less the narrower, either way round; shares nest.
  const std::set<CardMask> top5 = hands_of("5%", 2), top15 = hands_of("15%", 2);
  std::set<CardMask> difference;
  for (const CardMask h : top15)
    if (!top5.count(h)) difference.insert(h);
  EXPECT_EQ(hands_of("5-15%", 2), difference);
  EXPECT_EQ(hands_of("15%-5%", 2), difference);
  for (const CardMask h : top5) EXPECT_TRUE(top10.count(h));
  EXPECT_EQ(hands_of("100%", 2).size(), 1326u);
  // With weights and other items: the later item's weight wins.
  const Range mixed = *parse_range("10%:0.5, 22+", 2).range;
  double weight = 78;
  for (const CardMask h : top10) weight += hands_of("22+", 2).count(h) ? 0 : 0.5;
  EXPECT_DOUBLE_EQ(mixed.total_weight(), weight);
  // Omaha: the tenth of 270,725 hands, the best class in it, the worst out.
  const std::set<CardMask> omaha10 = hands_of("10%", 4);
  EXPECT_GE(omaha10.size(), 26000u);
  EXPECT_LE(omaha10.size(), 28200u);
  EXPECT_TRUE(omaha10.count(mask_of("AhAsKhKs")));
  EXPECT_FALSE(omaha10.count(mask_of("2c3d7h8s")));
}

}  // namespace
