// Range notation: hand counts of every form, weights and repeats, card removal,
// the errors with their columns, and the C exports.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "calculator/prepared_query.h"
#include "calculator/query_text.h"
#include "cards/card_text.h"
#include "oddsmith.h"
#include "range/range.h"
#include "range/range_notation.h"

namespace {

using namespace oddsmith;

std::size_t count(std::string_view text, RangeGame game) {
  const RangeParse parsed = parse_range(text, game);
  EXPECT_TRUE(parsed.range) << text << ": column " << parsed.error.column << ": " << parsed.error.message;
  return parsed.range ? parsed.range->size() : 0;
}
std::size_t count(std::string_view text, int cards = 2) {
  return count(text, cards == 4 ? RangeGame::omaha : RangeGame::holdem);
}

TEST(RangeNotation, HandCounts) {
  const std::pair<const char*, std::size_t> holdem[] = {
      {"QQ+, AKs, AJo+", 58}, {"76s-54s", 12}, {"KTs-K7s", 16}, {"22+", 78}, {"A2s+", 48}, {"K9o+", 48},
      {"TT-77", 24}, {"77-TT", 24}, {"AK", 16}, {"KA", 16}, {"random", 1326}, {"AhKh", 1}, {"K9+", 64},
      {"AKs, AhKh, AKs", 4}, {" QQ ,\tKK ", 12}, {"AK:0.5, AKo:0", 4}, {"AA:0, KK", 6}, {"54s-76s", 12}};
  for (const auto& [text, n] : holdem) EXPECT_EQ(count(text), n) << text;
  const std::pair<const char*, std::size_t> omaha[] = {
      {"random", 270725}, {"AhAsKhKs", 1}, {"AhAsKhKs, 2c3c4c5c, AhAsKhKs", 2},
      {"AAxx", 6 * 1128 + 4 * 48 + 1}, {"AAKK", 36}, {"xxxx", 270725}, {"AKQJ", 256},
      // Patterns padded with x, suit shapes, spans and exclusions: counts from a
      // separate brute-force count over every hand.
      {"AA", 6961}, {"AAx", 6961}, {"AAKKds", 6}, {"AAKKss", 24}, {"AAKKrb", 6}, {"AAxxds", 864},
      {"AAxxss", 4392}, {"JT98rb", 24}, {"AA!AAA", 6768}, {"KK-TT", 27628}, {"TTxx-KK", 27628},
      {"AAxxds, AAKKds, AAxxss", 864 + 4392}, {"KK-QQds", 1722}};
  for (const auto& [text, n] : omaha) EXPECT_EQ(count(text, 4), n) << text;
  // Five-card Omaha: counts from a separate brute-force count over all 2,598,960 hands.
  const std::pair<const char*, std::size_t> omaha5[] = {
      {"random", 2598960}, {"AhAsKhKsQd", 1}, {"AA", 108336}, {"AAxxx", 108336}, {"AA!AAA", 103776},
      {"AAKKds", 684}, {"AAKKss", 552}, {"AAKK", 1632}, {"AAxxxds", 41472}, {"AAss", 32280}, {"KK-QQ", 215040}};
  for (const auto& [text, n] : omaha5) EXPECT_EQ(count(text, RangeGame::omaha5), n) << text;
  // Short deck: ranks 6 to A; classes and spans pass over the lower ranks.
  const std::pair<const char*, std::size_t> shortdeck[] = {
      {"random", 630}, {"22+", 54}, {"A2s+", 32}, {"AK", 16}, {"K9+", 64}, {"76s-54s", 4}, {"100%", 630}};
  for (const auto& [text, n] : shortdeck) EXPECT_EQ(count(text, RangeGame::shortdeck), n) << text;
}

// Wildcards, cards with x and exclusions name exactly the hands a brute-force
// look at every two-card hand finds.
TEST(RangeNotation, WildcardsSuitClassesAndExclusionsAgainstBruteForce) {
  const auto rank = [](int c) { return card_rank(c); };
  const auto suited = [](int a, int b) { return card_suit(a) == card_suit(b); };
  const auto holds = [](int a, int b, int card) { return a == card || b == card; };
  constexpr int A = 12, K = 11, Q = 10, kHearts = 2, kSpades = 3;
  struct Case {
    const char* text;
    RangeGame game;
    std::function<bool(int, int)> holds_hand;  // the two cards, a below b
  };
  const Case cases[] = {
      {"Axs", RangeGame::holdem, [&](int a, int b) { return rank(b) == A && suited(a, b); }},
      {"xAs", RangeGame::holdem, [&](int a, int b) { return rank(b) == A && suited(a, b); }},
      {"Kxo", RangeGame::holdem, [&](int a, int b) { return (rank(a) == K || rank(b) == K) && !suited(a, b) && rank(a) != rank(b); }},
      {"KX", RangeGame::holdem, [&](int a, int b) { return rank(a) == K || rank(b) == K; }},
      {"xx", RangeGame::holdem, [](int, int) { return true; }},
      {"xxs", RangeGame::holdem, [&](int a, int b) { return suited(a, b); }},
      {"AhXh", RangeGame::holdem, [&](int a, int b) { return holds(a, b, make_card(A, kHearts)) && suited(a, b); }},
      {"XsXs", RangeGame::holdem, [](int a, int b) { return card_suit(a) == kSpades && card_suit(b) == kSpades; }},
      {"XxAh", RangeGame::holdem, [&](int a, int b) { return holds(a, b, make_card(A, kHearts)); }},
      {"QxXh", RangeGame::holdem, [&](int a, int b) {
         return (rank(a) == Q && card_suit(b) == kHearts) || (rank(b) == Q && card_suit(a) == kHearts);
       }},
      {"22+!AA", RangeGame::holdem, [&](int a, int b) { return rank(a) == rank(b) && rank(a) != A; }},
      {"Axs!A5s-A2s, KK", RangeGame::holdem, [&](int a, int b) {
         return (rank(b) == A && suited(a, b) && rank(a) > 3) || (rank(a) == K && rank(b) == K);
       }},
      {"random ! AA ! xxs", RangeGame::holdem, [&](int a, int b) { return !suited(a, b) && !(rank(a) == A && rank(b) == A); }},
      {"AhXh!AhKh!AhQh", RangeGame::holdem, [&](int a, int b) {
         return holds(a, b, make_card(A, kHearts)) && suited(a, b) && rank(a) != K && rank(a) != Q;
       }},
      {"Axs", RangeGame::shortdeck, [&](int a, int b) { return rank(a) >= 4 && rank(b) == A && suited(a, b); }},
      {"xx!22+", RangeGame::shortdeck, [&](int a, int b) { return rank(a) >= 4 && rank(a) != rank(b); }},
      {"XhXx", RangeGame::shortdeck, [&](int a, int b) { return rank(a) >= 4 && (card_suit(a) == kHearts || card_suit(b) == kHearts); }},
  };
  for (const Case& c : cases) {
    const RangeParse parsed = parse_range(c.text, c.game);
    ASSERT_TRUE(parsed.range) << c.text << ": column " << parsed.error.column << ": " << parsed.error.message;
    std::set<std::pair<int, int>> got, want;
    for (const RangeHand& h : parsed.range->hands()) got.emplace(h.cards[0], h.cards[1]);
    for (int b = 1; b < kDeckSize; ++b)
      for (int a = 0; a < b; ++a)
        if (c.holds_hand(a, b)) want.emplace(a, b);
    EXPECT_EQ(got.size(), want.size()) << c.text;
    EXPECT_TRUE(got == want) << c.text;
  }
}

TEST(RangeNotation, ClassesWeightsRepeatsAndRemoval) {
  // AJo+ stops below the pair: AJo, AQo, AKo, and only offsuit hands.
  const Range plus = *parse_range("AJo+", 2).range;
  std::set<std::string> classes;
  for (const RangeHand& h : plus.hands()) {
    EXPECT_NE(card_suit(h.cards[0]), card_suit(h.cards[1]));
    EXPECT_EQ(card_rank(h.cards[1]), 12);
    classes.insert(std::string("A") + "23456789TJQKA"[card_rank(h.cards[0])]);
  }
  EXPECT_EQ(classes, (std::set<std::string>{"AJ", "AQ", "AK"}));
  // The later weight of a repeated hand wins; the hand keeps its first place.
  const Range weighted = *parse_range("AhKh:0.25, QQ, AKs:0.5", 2).range;
  ASSERT_EQ(weighted.size(), 10u);
  EXPECT_EQ(weighted[0].mask, card_bit(50) | card_bit(46));
  EXPECT_DOUBLE_EQ(weighted[0].weight, 0.5);
  EXPECT_DOUBLE_EQ(weighted.total_weight(), 6 + 4 * 0.5);
  // Card removal: the hands that share no card with the given ones.
  const Range aces = *parse_range("AA, KK", 2).range;
  EXPECT_EQ(aces.without(card_bit(51)).size(), 9u);            // As: three aces left, 3 pairs
  EXPECT_EQ(aces.without(card_bit(51) | card_bit(50)).size(), 7u);
  EXPECT_EQ(aces.without(0).size(), 12u);
}

// The builder against a plain reference (first-named order, last weight, zero
// weights dropped) over random sequences with repeats, long enough that four-
// and five-card ranges move from the hash map to the array part-way.
TEST(RangeBuilder, RepeatsKeepTheirPlaceAndTakeTheLastWeight) {
  std::mt19937 rng(5);
  for (const int n : {2, 4, 5}) {
    SCOPED_TRACE(n);
    RangeBuilder builder(n);
    std::vector<CardMask> order;
    std::map<CardMask, double> weight;
    std::vector<std::vector<int>> named;
    for (int i = 0; i < 30000; ++i) {
      std::vector<int> cards;
      if (!named.empty() && rng() % 3 == 0) {
        cards = named[rng() % named.size()];  // a hand named again
      } else {
        std::vector<int> deck(kDeckSize);
        std::iota(deck.begin(), deck.end(), 0);
        std::shuffle(deck.begin(), deck.end(), rng);
        cards.assign(deck.begin(), deck.begin() + n);
        named.push_back(cards);
      }
      CardMask mask = 0;
      for (int c : cards) mask |= card_bit(c);
      const double w = static_cast<double>(rng() % 4) / 2;  // 0, 0.5, 1 or 1.5
      builder.add(cards, w);
      if (!weight.count(mask)) order.push_back(mask);
      weight[mask] = w;
    }
    const Range range = std::move(builder).finish();
    std::vector<std::pair<CardMask, double>> want, got;
    for (CardMask m : order)
      if (weight[m] > 0) want.emplace_back(m, weight[m]);
    for (const RangeHand& h : range.hands()) got.emplace_back(h.mask, h.weight);
    EXPECT_EQ(got, want);
  }
}

TEST(RangeNotation, ErrorsNameTheColumnAndWhatWasExpected) {
  struct Case {
    const char* text;
    int cards;  // 2 Hold'em, 4 Omaha, 5 five-card Omaha, 1 short deck
    int column;
    const char* words;
  };
  const Case cases[] = {
      {"", 2, 1, "empty text"},
      {"   ", 2, 1, "empty text"},
      {"QQ+, AZs", 2, 7, "expected a second rank"},
      {"ZK", 2, 1, "a class (AKs, QQ+, Axs), a percentage (10%) or random, got 'Z'"},
      {"AAxx", 2, 3, "got 'x' (Omaha patterns such as AAxx and the suit qualifiers ds, ss, rb are Omaha notation)"},
      {"10s", 2, 1, "tens are written T"},
      {"AhAh", 2, 3, "the card Ah is repeated"},
      {"AK-", 2, 4, "a hand class after '-'"},
      {"AK+Q", 2, 4, "',' or the end after '+'"},
      {"+", 2, 1, "expected a hand (AhKh)"},
      {"AKs,,QQ", 2, 5, "a hand before ','"},
      {"AKs,", 2, 5, "a hand after ','"},
      {"AAs", 2, 3, "a pair is neither suited nor offsuit"},
      {"AKx", 2, 3, "s, o, '+', '-', ',' or the end"},
      {"K7s-Q5s", 2, 5, "keeps the first rank"},
      {"AKs-QJo", 2, 5, "same suitedness"},
      {"AKs-QQ", 2, 5, "two pairs or two non-pairs"},
      {"AKs:2", 2, 5, "a weight is from 0 to 1, got 2"},
      {"AKs: 1.5", 2, 6, "a weight is from 0 to 1, got 1.5"},
      {"AKs:-0.5", 2, 5, "a weight is from 0 to 1, got -0.5"},
      {"AKs:0.5x", 2, 8, "a weight from 0 to 1"},
      {"AKs:", 2, 5, "a weight"},
      {":0.5", 2, 1, "a hand before ':'"},
      {"AKs:0", 2, 1, "holds no hand"},
      {"Axs+", 2, 4, "',', '!' or the end after a class with x"},
      {"AKs-Axs", 2, 5, "a span joins two classes without x"},
      {"22+!", 2, 5, "a hand or class after '!'"},
      {"!AA", 2, 1, "a hand before '!'"},
      {"AA where toppair", 2, 4, "are read only with a board"},
      {"A\xC3\xA9", 2, 2, "printable ASCII range text, got '\xC3\xA9'"},
      {"AhKh", 4, 5, "another card"},
      {"AhKhQhJhTh", 4, 9, "',' or the end after a hand of 4 cards"},
      {"AAAAA", 4, 5, "at most four symbols"},
      {"AKs", 4, 3, "expected a suit qualifier: ds"},
      {"AAKKsd", 4, 5, "got 'sd' (did you mean ds?)"},
      {"KK-AK", 4, 4, "a span joins two pairs"},
      {"AAds-KKrb", 4, 6, "the same suit qualifier"},
      {"AA!", 4, 4, "a rank (23456789TJQKA) or x, got the end"},
      {"AA+", 4, 3, "'-', '!', ',' or the end after a pattern"},
      {"110%", 2, 1, "a percentage is from 0 to 100, got 110%"},
      {"12", 2, 3, "'%' after a percentage"},
      {"10%x", 4, 4, "',' or the end after a percentage"},
      {"0%", 2, 1, "holds no hand"},
      // Five-card Omaha (cards 5) and short deck (cards 1).
      {"AAKKrb", 5, 5, "five cards cannot be rainbow"},
      {"AAAAxx", 5, 6, "at most five symbols"},
      {"AhAsKhKs", 5, 9, "another card"},
      {"AhKs, 5h5s", 1, 7, "short deck plays sixes to aces: there is no 5h"},
      {"22-55", 1, 1, "holds no hand"},
  };
  for (const Case& c : cases) {
    const RangeParse parsed = parse_range(c.text, c.cards == 5   ? RangeGame::omaha5
                                                  : c.cards == 4 ? RangeGame::omaha
                                                  : c.cards == 1 ? RangeGame::shortdeck
                                                                 : RangeGame::holdem);
    EXPECT_FALSE(parsed.range) << c.text;
    EXPECT_EQ(parsed.error.column, c.column) << c.text << ": " << parsed.error.message;
    EXPECT_NE(parsed.error.message.find(c.words), std::string::npos) << c.text << ": " << parsed.error.message;
  }
  // A text of a million items is refused for its size, quickly, without a partial range.
  std::string huge;
  for (int i = 0; i < 20; ++i) huge += "random,";
  EXPECT_NE(parse_range(huge + "AAxx", 4).error.message.find("more than"), std::string::npos);
  // So is one pattern with a million exclusions, before any pass over the deck.
  std::string excluding = "AA";
  for (int i = 0; i < 1'000'000; ++i) excluding += "!KK";
  EXPECT_NE(parse_range(excluding, 4).error.message.find("more than"), std::string::npos);
}

// Every message that quotes the text it was given shows control bytes, stray
// bytes and invisible control characters escaped, so that quoting a crafted
// text cannot drive a terminal; printable UTF-8 stays readable.
TEST(InputMessages, QuoteControlBytesEscaped) {
  const auto range_message = [](std::string_view text) { return parse_range(text, RangeGame::holdem).error.message; };
  const auto card_message = [](std::string_view text) {
    std::vector<int> cards;
    std::string error;
    EXPECT_FALSE(parse_card_list(text, cards, error)) << text;
    return error;
  };
  const auto query_message = [](std::string_view player) {
    calc::EquityQuery query;
    std::string error;
    EXPECT_FALSE(calc::query_from_text(calc::Game::holdem, {"AhKh", player}, "", "", query, error)) << player;
    return error;
  };
  struct Case {
    std::string message;
    const char* words;
  };
  const Case cases[] = {
      {range_message("\x1b]0;pwned\x07" "AA"), "got '\\x1b'"},
      {range_message("AK\xff"), "got '\\xff'"},
      {range_message("A\xC3\xA9"), "got '\xC3\xA9'"},             // é, readable
      {range_message("AK\xe2\x80\xae"), "got '\\u202e'"},        // a right-to-left override
      {card_message("\x1b[2J"), "bad card '\\x1b[' in '\\x1b[2J'"},
      {card_message("QhX\xe2\x99\xa5"), "bad card 'X\xe2\x99\xa5' in 'QhX\xe2\x99\xa5'"},  // X♥: the whole character
      {card_message("Ah\xc2\x9b"), "bad card '\\u009b' in 'Ah\\u009b'"},  // the one-character CSI
      {card_message("Ah\xed\xa0\x80"), "in 'Ah\\xed\\xa0\\x80'"},   // a surrogate is not UTF-8
      {query_message("\x1b[2JAA"), "player 2 ('\\x1b[2JAA'), column 1"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(c.message.find(c.words), std::string::npos) << c.message;
    for (const char ch : c.message) EXPECT_TRUE(static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7f) << c.message;
    EXPECT_EQ(shown_text(c.message), c.message);  // escaping what is escaped changes nothing
  }
}

// A dead card the game does not play is refused, as one on the board is.
TEST(InputMessages, DeadCardsOutsideTheShortDeckAreRefused) {
  for (const auto& [board, dead, words] :
       {std::tuple{"", "5c", "card 5c among the dead cards is not in the short deck"},
        std::tuple{"5h7c9d", "", "card 5h on the board is not in the short deck"}}) {
    calc::EquityQuery query;
    std::string error;
    ASSERT_TRUE(calc::query_from_text(calc::Game::shortdeck, {"AhKh", "QsQd"}, board, dead, query, error)) << error;
    EXPECT_FALSE(calc::prepare_query(query, error));
    EXPECT_NE(error.find(words), std::string::npos) << error;
    query.game = calc::Game::holdem;  // every card is in a full deck
    EXPECT_TRUE(calc::prepare_query(query, error)) << error;
  }
}

TEST(RangeExports, ParseCountReadAndFree) {
  int column = -1;
  char error[64] = "";
  oddsmith_range* range = oddsmith_range_parse("QQ+, AKs, AJo+ and more", 14, ODDSMITH_GAME_HOLDEM, &column, error, 64);
  ASSERT_NE(range, nullptr) << error;  // the length stops the text before " and more"
  EXPECT_EQ(oddsmith_range_size(range), 58);
  int cards[5] = {-1, -1, -1, -1, -1};
  double weight = 0;
  EXPECT_EQ(oddsmith_range_hand(range, 57, cards, &weight), 2);
  EXPECT_LT(cards[0], cards[1]);
  EXPECT_EQ(cards[2], -1);
  EXPECT_EQ(weight, 1.0);
  for (int bad : {-1, 58, INT_MAX, INT_MIN}) EXPECT_EQ(oddsmith_range_hand(range, bad, cards, &weight), 0);
  oddsmith_range_free(range);

  range = oddsmith_range_parse("AhAsKhKs:0.5", -1, ODDSMITH_GAME_OMAHA_HILO, nullptr, nullptr, 0);
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(oddsmith_range_hand(range, 0, cards, &weight), 4);
  EXPECT_EQ(std::vector<int>(cards, cards + 4), (std::vector<int>{46, 47, 50, 51}));
  EXPECT_EQ(weight, 0.5);
  oddsmith_range_free(range);

  // Errors: the column, a message cut to the buffer, never a handle.
  EXPECT_EQ(oddsmith_range_parse("AK\0QQ", 5, ODDSMITH_GAME_HOLDEM, &column, error, 12), nullptr);
  EXPECT_EQ(column, 3);
  EXPECT_STREQ(error, "expected pr");
  EXPECT_EQ(oddsmith_range_parse("AK", -1, 7, &column, error, 64), nullptr);
  EXPECT_EQ(column, 0);
  EXPECT_EQ(oddsmith_range_parse(nullptr, 3, ODDSMITH_GAME_HOLDEM, &column, error, 64), nullptr);
  EXPECT_EQ(oddsmith_range_size(nullptr), 0);
  EXPECT_EQ(oddsmith_range_hand(nullptr, 0, cards, &weight), 0);
  oddsmith_range_free(nullptr);
}

}  // namespace
