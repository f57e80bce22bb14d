// The library's own C exports as a caller uses them: the batch evaluators
// against the single-hand answers, bad hands and bad arguments included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "cards/card.h"
#include "oddsmith.h"

namespace {

// The batch export gives each hand what the single exports give it, bad hands
// included, and refuses bad arguments without writing.
TEST(Exports, EvaluateManyMatchesTheSingleExports) {
  std::vector<int> cards;
  std::uint32_t x = 12345;
  for (int i = 0; i < 7000; ++i) {
    x = x * 1664525u + 1013904223u;
    cards.push_back(static_cast<int>((x >> 8) % 53));  // 52 now and then: a bad card; repeats happen too
  }
  for (int n : {5, 7}) {
    const long long count = static_cast<long long>(cards.size()) / n;
    std::vector<int> values(static_cast<std::size_t>(count), -5);
    ASSERT_EQ(oddsmith_evaluate_many(cards.data(), count, n, values.data()), 0);
    int bad = 0;
    for (long long i = 0; i < count; ++i) {
      const int* c = &cards[static_cast<std::size_t>(i * n)];
      const int want = n == 5 ? poker_ev5(c[0], c[1], c[2], c[3], c[4]) : poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
      ASSERT_EQ(values[static_cast<std::size_t>(i)], want) << i;
      bad += want == 0;
    }
    EXPECT_GT(bad, 0);
  }
  int value = -5;
  EXPECT_EQ(oddsmith_evaluate_many(cards.data(), 1, 6, &value), -1);
  EXPECT_EQ(oddsmith_evaluate_many(cards.data(), -1, 5, &value), -1);
  EXPECT_EQ(oddsmith_evaluate_many(nullptr, 1, 5, &value), -1);
  EXPECT_EQ(oddsmith_evaluate_many(cards.data(), 1, 5, nullptr), -1);
  EXPECT_EQ(value, -5);
  EXPECT_EQ(oddsmith_evaluate_many(cards.data(), 0, 7, &value), 0);

  // By game: Hold'em as above (six cards the best five of them); short deck
  // refuses a card below the six like a bad one; bad games and sizes write nothing.
  for (int n : {5, 6, 7}) {
    const long long count = static_cast<long long>(cards.size()) / n;
    std::vector<int> holdem(static_cast<std::size_t>(count)), short_deck(static_cast<std::size_t>(count));
    ASSERT_EQ(oddsmith_evaluate_game_many(cards.data(), count, ODDSMITH_GAME_HOLDEM, n, holdem.data()), 0);
    ASSERT_EQ(oddsmith_evaluate_game_many(cards.data(), count, ODDSMITH_GAME_SHORTDECK, n, short_deck.data()), 0);
    for (long long i = 0; i < count; ++i) {
      const int* c = &cards[static_cast<std::size_t>(i * n)];
      int want = n == 5 ? poker_ev5(c[0], c[1], c[2], c[3], c[4]) : poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
      const bool real = std::all_of(c, c + n, [](int card) { return card >= 0 && card <= 51; }) &&
                        std::set<int>(c, c + n).size() == static_cast<std::size_t>(n);
      if (n == 6) {  // the best of the five-card hands left by each card, or 0
        want = real ? oddsmith::kWorstHandValue : 0;
        for (int skip = 0; real && skip < 6; ++skip) {
          int five[5], k = 0;
          for (int j = 0; j < 6; ++j)
            if (j != skip) five[k++] = c[j];
          want = std::min(want, poker_ev5(five[0], five[1], five[2], five[3], five[4]));
        }
      }
      ASSERT_EQ(holdem[static_cast<std::size_t>(i)], want) << n << " cards, hand " << i;
      const bool short_cards = real && std::all_of(c, c + n, [](int card) { return card >= 16; });
      ASSERT_EQ(short_deck[static_cast<std::size_t>(i)] > 0, short_cards) << n << " cards, hand " << i;
    }
  }
  value = -5;
  for (int game : {ODDSMITH_GAME_OMAHA, -1, 99})
    EXPECT_EQ(oddsmith_evaluate_game_many(cards.data(), 1, game, 5, &value), -1);
  EXPECT_EQ(oddsmith_evaluate_game_many(cards.data(), 1, ODDSMITH_GAME_SHORTDECK, 4, &value), -1);
  EXPECT_EQ(oddsmith_evaluate_game_many(nullptr, 1, ODDSMITH_GAME_SHORTDECK, 5, &value), -1);
  EXPECT_EQ(value, -5);
}

}  // namespace

namespace {

long long choose(int n, int k) {
  long long r = 1;
  for (int i = 1; i <= k; ++i) r = r * (n - k + i) / i;
  return r;
}

// Every game by number and back by name and alias; the facts hang together
// (the starting hands are what the deck deals); unknown games, names and
// short structs are refused without writing.
TEST(Exports, GameInfoListsEveryGame) {
  std::set<std::string> names;
  for (int g = 0; g < ODDSMITH_GAME_COUNT; ++g) {
    oddsmith_game_facts f{};
    f.size = sizeof f;
    ASSERT_EQ(oddsmith_game_info(g, nullptr, &f), g);
    EXPECT_EQ(f.game, g);
    EXPECT_TRUE(names.insert(f.name).second) << f.name;
    EXPECT_EQ(oddsmith_game_info(-1, f.name, nullptr), g);
    if (f.alias[0]) {
      EXPECT_EQ(oddsmith_game_info(-1, f.alias, nullptr), g);
    }
    EXPECT_EQ(f.deck_size, 52 - f.lowest_card);
    EXPECT_EQ(f.starting_hands, choose(f.deck_size, f.hole_cards)) << f.name;
    EXPECT_LE(f.max_players * f.hole_cards + f.board_cards, f.deck_size) << f.name;
    EXPECT_GT(f.title[0], 0);
  }
  EXPECT_EQ(oddsmith_game_info(ODDSMITH_GAME_SHORTDECK, nullptr, nullptr), ODDSMITH_GAME_SHORTDECK);
  EXPECT_EQ(oddsmith_game_info(-1, "hilo", nullptr), ODDSMITH_GAME_OMAHA_HILO);
  oddsmith_game_facts untouched{};
  untouched.size = sizeof untouched - 1;
  for (int g : {-1, ODDSMITH_GAME_COUNT, 1 << 30}) EXPECT_EQ(oddsmith_game_info(g, nullptr, nullptr), -1);
  for (const char* name : {"", "Holdem", "omaha6", "holdem "}) EXPECT_EQ(oddsmith_game_info(0, name, nullptr), -1);
  EXPECT_EQ(oddsmith_game_info(0, nullptr, &untouched), -1);
  EXPECT_EQ(untouched.name[0], '\0');
}

}  // namespace
