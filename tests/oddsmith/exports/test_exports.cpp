// The library's own C exports as a caller uses them: the batch evaluators
// against the single-hand answers, bad hands and bad arguments included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "cards/card.h"
#include "eval/short_deck.h"
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

// Mostly real hands, as callers pass them, so that the batch's four-hand
// blocks take their fast path, with one hand in seven spoiled in turn by each
// way a hand can be refused; counts that leave a partial block. Each hand gets
// what the one-hand checked evaluators give it.
TEST(Exports, BatchesOfMostlyRealHandsMatchOneByOne) {
  std::uint32_t x = 777;
  auto next = [&x](int below) {
    x = x * 1664525u + 1013904223u;
    return static_cast<int>((x >> 8) % static_cast<std::uint32_t>(below));
  };
  const int spoilers[] = {-1, 52, 63, 64, 1 << 30, -2147483647 - 1};
  for (int game : {ODDSMITH_GAME_HOLDEM, ODDSMITH_GAME_SHORTDECK})
    for (int n : {5, 7}) {
      const int lowest = game == ODDSMITH_GAME_SHORTDECK ? 16 : 0;
      for (long long count : {3LL, 4LL, 4001LL}) {
        std::vector<int> cards;
        for (long long h = 0; h < count; ++h) {
          std::uint64_t used = 0;
          for (int i = 0; i < n;) {
            const int c = lowest + next(52 - lowest);
            if (used >> c & 1) continue;
            used |= std::uint64_t{1} << c;
            cards.push_back(c);
            ++i;
          }
          if (h % 7 == 3) {
            int& victim = cards[cards.size() - 1 - static_cast<std::size_t>(next(n))];
            const int way = next(8);
            // A card from the list, a repeat of another card of the hand, or
            // (short deck) a five.
            const int other = cards[cards.size() - static_cast<std::size_t>(&victim == &cards.back() ? n : 1)];
            victim = way < 6 ? spoilers[way] : way == 6 ? other : 15;
          }
        }
        std::vector<int> values(static_cast<std::size_t>(count), -5);
        ASSERT_EQ(oddsmith_evaluate_game_many(cards.data(), count, game, n, values.data()), 0);
        int refused = 0;
        for (long long h = 0; h < count; ++h) {
          const int* c = &cards[static_cast<std::size_t>(h * n)];
          int want = n == 5 ? poker_ev5(c[0], c[1], c[2], c[3], c[4]) : poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
          // Short deck: the rank-count evaluator, not the summed keys the export uses.
          if (game == ODDSMITH_GAME_SHORTDECK)
            want = want && std::all_of(c, c + n, [](int card) { return card >= 16; }) ? oddsmith::eval_shortdeck(c, n) : 0;
          ASSERT_EQ(values[static_cast<std::size_t>(h)], want) << game << " " << n << " cards, hand " << h;
          refused += want == 0;
        }
        if (count > 1000) {
          EXPECT_GT(refused, count / 9);
        }
      }
    }
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

namespace {

// Card text both ways. The reader takes letters in either case, "10", suit
// symbols (filled, outlined, with the emoji selector) and any separators, and
// names the bad piece whole; the writers name cards, hands, categories (short
// deck's flush above its full house), lows and draws, and cut only whole
// characters or escapes, always saying the whole length.
TEST(Exports, CardTextReadAndWritten) {
  struct Read {
    const char* text;
    int length;
    std::vector<int> cards;  // empty with words: refused
    const char* words;
  };
  const Read reads[] = {
      {"AhKh", -1, {50, 46}, nullptr},
      {"ah kh", -1, {50, 46}, nullptr},
      {"AH,kD\t2c\r\n", -1, {50, 45, 0}, nullptr},
      {"A\xe2\x99\xa5K\xe2\x99\xa0", -1, {50, 47}, nullptr},                  // A♥K♠
      {"A\xe2\x99\xa1 K\xe2\x99\xa4 Q\xe2\x99\xa2 J\xe2\x99\xa7", -1, {50, 47, 41, 36}, nullptr},  // outlined
      {"A\xe2\x99\xa5\xef\xb8\x8f 7\xe2\x99\xa3\xef\xb8\x8f", -1, {50, 20}, nullptr},  // with U+FE0F
      {"10h Th 10\xe2\x99\xa6", -1, {34, 34, 33}, nullptr},                    // tens, repeats not checked
      {"", -1, {}, nullptr},
      {" , ", -1, {}, nullptr},
      {"AhKhQh", 4, {50, 46}, nullptr},  // a length stops the text
      {"Ah\0Kh", 5, {}, "bad card '\\x00K' in 'Ah\\x00Kh'"},
      {"As Ks Qs Js Xs", -1, {}, "bad card 'Xs' in 'As Ks Qs Js Xs': a card is a rank"},
      {"AsKsQsJsT", -1, {}, "bad card 'T' in 'AsKsQsJsT'"},
      {"1h", -1, {}, "bad card '1h'"},
      {"10", -1, {}, "bad card '10' in '10'"},
      {"10x", -1, {}, "bad card '10x'"},
      {"X\xe2\x99\xa5", -1, {}, "bad card 'X\xe2\x99\xa5' in 'X\xe2\x99\xa5'"},  // X♥: the character whole
      {"A\xe2\x99\xa8", -1, {}, "bad card 'A\xe2\x99\xa8'"},                    // ♨ is no suit
      {"A\xe2\x99", -1, {}, "bad card 'A\\xe2' in 'A\\xe2\\x99'"},               // a cut symbol
      {"\x1b[2J", -1, {}, "bad card '\\x1b[' in '\\x1b[2J'"},
  };
  for (const Read& r : reads) {
    int cards[8];
    std::fill(std::begin(cards), std::end(cards), -7);
    char error[160] = "x";
    const int n = oddsmith_parse_cards(r.text, r.length, cards, 8, error, sizeof error);
    if (r.words) {
      EXPECT_EQ(n, -1) << r.text;
      EXPECT_NE(std::string(error).find(r.words), std::string::npos) << error;
    } else {
      EXPECT_EQ(std::vector<int>(cards, cards + std::max(n, 0)), r.cards) << r.text;
      EXPECT_STREQ(error, "");
      EXPECT_EQ(cards[std::max(n, 0)], -7);
    }
  }
  // Sizes: the count of all cards, only max_cards written; what is refused.
  int two[3] = {-7, -7, -7};
  EXPECT_EQ(oddsmith_parse_cards("AhKhQhJh", -1, two, 2, nullptr, 0), 4);
  EXPECT_EQ(two[0], 50);
  EXPECT_EQ(two[2], -7);
  EXPECT_EQ(oddsmith_parse_cards("AhKhQhJh", -1, nullptr, 0, nullptr, 0), 4);
  char tiny[4] = "xyz";
  EXPECT_EQ(oddsmith_parse_cards("Zz", -1, two, 3, tiny, sizeof tiny), -1);
  EXPECT_STREQ(tiny, "bad");
  for (const auto& [text, length, cards, max] :
       {std::tuple{static_cast<const char*>(nullptr), -1, two, 3}, std::tuple{"Ah", -2, two, 3},
        std::tuple{"Ah", -1, two, -1}, std::tuple{"Ah", -1, static_cast<int*>(nullptr), 1}})
    EXPECT_EQ(oddsmith_parse_cards(text, length, cards, max, nullptr, 0), -1);
  for (int card = 0; card < 52; ++card) {  // every name reads back as its card
    char name[3];
    ASSERT_EQ(oddsmith_card_name(card, name), 2);
    int back = -1;
    EXPECT_EQ(oddsmith_parse_cards(name, -1, &back, 1, nullptr, 0), 1);
    EXPECT_EQ(back, card) << name;
  }

  // Writers: (return, text) for each call, and a cut with its whole length.
  static constexpr int ahkh[] = {46, 50}, bad[] = {46, 52};
  struct Write {
    int (*call)(char*, int);
    int size;
    int returned;
    const char* text;
  };
  const Write writes[] = {
      {[](char* o, int s) { return oddsmith_card_name(51, o) + 0 * s; }, 3, 2, "As"},
      {[](char* o, int s) { return oddsmith_card_name(52, o) + 0 * s; }, 3, -1, ""},
      {[](char* o, int s) { return oddsmith_card_name(-1, o) + 0 * s; }, 3, -1, ""},
      {[](char* o, int s) { return oddsmith_hand_text(ahkh, 2, o, s); }, 16, 4, "AhKh"},
      {[](char* o, int s) { return oddsmith_hand_text(ahkh, 2, o, s); }, 3, 4, "Ah"},
      {[](char* o, int s) { return oddsmith_hand_text(bad, 2, o, s); }, 16, -1, ""},
      {[](char* o, int s) { return oddsmith_hand_text(ahkh, 53, o, s); }, 16, -1, ""},
      {[](char* o, int s) { return oddsmith_hand_text(nullptr, 0, o, s); }, 16, 0, ""},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_HOLDEM, 1, o, s); }, 32, 14, "Straight flush"},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_HOLDEM, 7462, o, s); }, 32, 9, "High card"},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_HOLDEM, 7463, o, s); }, 32, -1, ""},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_HOLDEM, 0, o, s); }, 32, -1, ""},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_OMAHA5_HILO, 2468, o, s); }, 32, 8, "Two pair"},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_SHORTDECK, 79, o, s); }, 32, 5, "Flush"},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_SHORTDECK, 199, o, s); }, 32, 10, "Full house"},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_SHORTDECK, 1405, o, s); }, 32, -1, ""},
      {[](char* o, int s) { return oddsmith_category_name(ODDSMITH_GAME_COUNT, 1, o, s); }, 32, -1, ""},
      {[](char* o, int s) { return oddsmith_low_name(31, o, s); }, 32, 9, "5-4-3-2-A"},
      {[](char* o, int s) { return oddsmith_low_name(0x97, o, s); }, 32, 9, "8-5-3-2-A"},
      {[](char* o, int s) { return oddsmith_low_name(ODDSMITH_NO_LOW, o, s); }, 32, 6, "no low"},
      {[](char* o, int s) { return oddsmith_low_name(30, o, s); }, 32, -1, ""},   // four ranks
      {[](char* o, int s) { return oddsmith_low_name(0x1F0, o, s); }, 32, -1, ""},  // past the eight
      {[](char* o, int s) { return oddsmith_draw_names(0, o, s); }, 32, 0, ""},
      {[](char* o, int s) { return oddsmith_draw_names(5, o, s); }, 32, 19, "flush draw, gutshot"},
      {[](char* o, int s) { return oddsmith_draw_names(7, o, s); }, 64, 25, "flush draw, OESD, gutshot"},
      {[](char* o, int s) { return oddsmith_draw_names(1 | 16 | 8 | 64 | 128, o, s); }, 64, 34, "nut flush draw, wrap, nut low draw"},
      {[](char* o, int s) { return oddsmith_draw_names(1 | 32, o, s); }, 64, 18, "2nd-nut flush draw"},
      {[](char* o, int s) { return oddsmith_draw_names(256, o, s); }, 32, -1, ""},
      {[](char* o, int s) { return oddsmith_draw_names(-1, o, s); }, 32, -1, ""},
      {[](char* o, int s) { return oddsmith_shown_text("\x1b[2J", -1, o, s); }, 32, 7, "\\x1b[2J"},
      {[](char* o, int s) { return oddsmith_shown_text("5\xe2\x99\xa5 \xc3\xa9", -1, o, s); }, 32, 7, "5\xe2\x99\xa5 \xc3\xa9"},
      {[](char* o, int s) { return oddsmith_shown_text("AK\xe2\x80\xae", -1, o, s); }, 32, 8, "AK\\u202e"},
      {[](char* o, int s) { return oddsmith_shown_text("\x1b\x1b", -1, o, s); }, 5, 8, "\\x1b"},
      {[](char* o, int s) { return oddsmith_shown_text("5\xe2\x99\xa5", -1, o, s); }, 3, 4, "5"},
      {[](char* o, int s) { return oddsmith_shown_text("A\0B", 3, o, s); }, 32, 6, "A\\x00B"},
      {[](char* o, int s) { return oddsmith_shown_text(nullptr, -1, o, s); }, 32, -1, ""},
  };
  for (const Write& w : writes) {
    char out[72];
    std::fill(std::begin(out), std::end(out), '#');
    EXPECT_EQ(w.call(out, w.size), w.returned) << w.text;
    EXPECT_STREQ(out, w.text);
    EXPECT_EQ(out[w.size], '#') << w.text;  // nothing past the size given
  }
  EXPECT_EQ(oddsmith_draw_names(7, nullptr, 0), 25);  // the length alone
  EXPECT_EQ(oddsmith_card_name(3, nullptr), -1);
}

}  // namespace
