// Hold'em equity: fixed results, accuracy against exact enumeration, range
// mechanics, the setters (the exact one reading range notation) and the
// built-in ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/internal/dealer.h"
#include "host/internal/random_cards.h"
#include "host/internal/holdem.h"
#include "host/internal/process_state.h"
#include "oddsmith.h"
#include "support/card_notation.h"
#include "support/reference_dealing.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::host;
using test_cards::cards;

// Restores the Hold'em ranges and cursor after each test.
class Holdem : public ::testing::Test {
 protected:
  void SetUp() override {
    std::copy(holdem_ranges, holdem_ranges + kHoldemRangeInts, saved_);
    saved_cursor_ = holdem_range_cursor;
  }
  void TearDown() override {
    std::copy(saved_, saved_ + kHoldemRangeInts, holdem_ranges);
    holdem_range_cursor = saved_cursor_;
  }

 private:
  std::int32_t saved_[kHoldemRangeInts];
  std::int32_t saved_cursor_;
};

int equity(const std::string& player, const std::string& board, int opponents, int range) {
  const auto p = cards(player), b = cards(board);
  int bb[5] = {0, 0, 0, 0, 0};
  std::copy(b.begin(), b.end(), bb);
  return poker_holdem_equity(p[0], p[1], static_cast<int>(b.size()), opponents, range, bb[0], bb[1], bb[2], bb[3], bb[4]);
}

TEST_F(Holdem, LoadTimeTrialCounts) {
  EXPECT_EQ(holdem_trials, 120000);
  EXPECT_EQ(omaha_trials, 50000);
}

TEST_F(Holdem, FixedResults) {
  EXPECT_EQ(equity("2c7d", "", 0, 0), 1000);                  // no opponents
  EXPECT_EQ(equity("2c7d", "AsKsQsJsTs", 22, 0), 1000);       // royal flush on the board
  EXPECT_EQ(equity("2c7d", "AsKsQsJsTs", 5, 2), 1000);
  EXPECT_EQ(equity("2c3d", "AcKdQhJsTc", 22, 0), 1000);       // everyone plays the board: ties count in full
  EXPECT_EQ(equity("AhAd", "AsAc2h7c9d", 9, 0), 1000);       // four aces; no straight flush is possible
}

// The exact probability of not being beaten by one opponent holding `opp`, by
// enumerating the rest of the board.
double exact_vs_hand(const std::vector<int>& p, const std::vector<int>& opp, const std::vector<int>& known) {
  std::vector<int> rest;
  for (int c = 0; c < 52; ++c)
    if (std::find(p.begin(), p.end(), c) == p.end() && std::find(opp.begin(), opp.end(), c) == opp.end() &&
        std::find(known.begin(), known.end(), c) == known.end())
      rest.push_back(c);
  long long wins = 0, deals = 0;
  auto score = [&](const std::vector<int>& b) {
    ++deals;
    wins += poker_ev7(b[0], b[1], b[2], b[3], b[4], p[0], p[1]) <= poker_ev7(b[0], b[1], b[2], b[3], b[4], opp[0], opp[1]);
  };
  if (known.size() == 3) {
    for (std::size_t i = 0; i < rest.size(); ++i)
      for (std::size_t j = i + 1; j < rest.size(); ++j) score({known[0], known[1], known[2], rest[i], rest[j]});
  } else {
    for (int c : rest) score({known[0], known[1], known[2], known[3], c});
  }
  return static_cast<double>(wins) / static_cast<double>(deals);
}

// Within 4.5 standard errors of 120,000 trials, plus one per mille of truncation.
void expect_close(int per_mille, double p) {
  const double se = std::sqrt(p * (1 - p) / 120000.0) * 1000.0;
  std::printf("    %d per mille, exact %.2f, off by %.2f standard errors\n", per_mille, p * 1000.0,
              se > 0 ? (per_mille - p * 1000.0) / se : 0.0);
  EXPECT_NEAR(per_mille, p * 1000.0, 4.5 * se + 1.0) << "exact " << p * 1000.0 << ", standard error " << se;
}

TEST_F(Holdem, AccurateAgainstOneFixedHand) {
  struct Case {
    const char *player, *opp, *board;
  } cases[] = {{"AhKh", "QsQd", "Qh7h2c"}, {"AhKh", "QsQd", "Qh7h2c3d"}, {"8c8d", "AsKd", "Ks9h2c"},
               {"7s6s", "AdAc", "8s5d2s"}, {"7s6s", "AdAc", "8s5d2sKh"}, {"JcTc", "9h9d", "2c3c4d"}};
  for (const Case& c : cases) {
    // Slot 0 filled with copies of the opponent's hand.
    const auto opp = cards(c.opp);
    std::vector<int> simul(4000);
    for (int h = 0; h < 2000; ++h) {
      simul[2 * h] = opp[0];
      simul[2 * h + 1] = opp[1];
    }
    ASSERT_EQ(poker_set_holdem_range_simul(simul.data()), 1);
    const double p = exact_vs_hand(cards(c.player), opp, cards(c.board));
    SCOPED_TRACE(std::string(c.player) + " vs " + c.opp + " on " + c.board);
    expect_close(equity(c.player, c.board, 1, 1), p);
  }
}

// Exact probability against one random opponent, enumerating the opponent's
// cards and the rest of the board.
double exact_vs_random(const std::vector<int>& p, const std::vector<int>& known) {
  std::vector<int> rest;
  for (int c = 0; c < 52; ++c)
    if (std::find(p.begin(), p.end(), c) == p.end() && std::find(known.begin(), known.end(), c) == known.end())
      rest.push_back(c);
  double total = 0;
  long long hands = 0;
  for (std::size_t i = 0; i < rest.size(); ++i)
    for (std::size_t j = i + 1; j < rest.size(); ++j) {
      const std::vector<int> opp = {rest[i], rest[j]};
      if (known.size() == 5) {
        const auto& b = known;
        total += poker_ev7(b[0], b[1], b[2], b[3], b[4], p[0], p[1]) <= poker_ev7(b[0], b[1], b[2], b[3], b[4], opp[0], opp[1]);
      } else {
        total += exact_vs_hand(p, opp, known);  // enumerates the river
      }
      ++hands;
    }
  return total / static_cast<double>(hands);
}

TEST_F(Holdem, AccurateAgainstOneRandomOpponent) {
  struct Case {
    const char *player, *board;
  } cases[] = {{"AhKh", "Qh7h2c3d"}, {"2c7d", "Ah9s5c8d"}, {"AhKh", "Qh7h2c3dJs"}, {"5s5d", "Ah9s5c8dKd"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.player) + " on " + c.board);
    expect_close(equity(c.player, c.board, 1, 0), exact_vs_random(cards(c.player), cards(c.board)));
  }
}

// Classes such as "AA", "AKs", "T9o" of a two-card hand.
std::string class_of(int a, int b) {
  const char* ranks = "23456789TJQKA";
  const int hi = std::max(a, b), lo = std::min(a, b);
  std::string name{ranks[hi / 4], ranks[lo / 4]};
  if (hi / 4 != lo / 4) name += hi % 4 == lo % 4 ? 's' : 'o';
  return name;
}

std::set<std::string> classes_of_slot(int slot) {
  std::set<std::string> names;
  for (int h = 0; h < 500; ++h) names.insert(class_of(holdem_ranges[(slot * 500 + h) * 2], holdem_ranges[(slot * 500 + h) * 2 + 1]));
  return names;
}

// Opponents' hands dealt over many trials of a request.
std::vector<std::pair<int, int>> dealt_hands(const EquityRequest& request, int trials) {
  Dealer<2> dealer(request, holdem_ranges, holdem_range_cursor);
  DealRng rng(77);
  std::vector<std::pair<int, int>> hands;
  for (int t = 0; t < trials; ++t) {
    int opp[44], board[5];
    dealer.deal(rng, opp, board);
    for (int o = 0; o < request.opponents; ++o) hands.emplace_back(opp[2 * o], opp[2 * o + 1]);
  }
  return hands;
}

TEST_F(Holdem, RangeOpponentsGetOnlyTheirSlotsClasses) {
  for (int range : {1, 4}) {
    const std::set<std::string> allowed = classes_of_slot(range - 1);
    std::set<std::string> seen;
    for (auto [a, b] : dealt_hands({{0, 1, 0, 0}, 2, 0, {0, 0, 0, 0, 0}, 3, range}, 2000)) seen.insert(class_of(a, b));
    EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), seen.begin(), seen.end())) << "range " << range;
    EXPECT_EQ(seen.size(), allowed.size());  // 6,000 hands reach every class of the slot
  }
  EXPECT_EQ(classes_of_slot(3).size(), 15u);
}

TEST_F(Holdem, SimulRangeDealsOnlyItsFirstThousandIntegers) {
  std::vector<int> simul(4000);
  for (int i = 0; i < 4000; ++i) simul[i] = i < 1000 ? (i % 2 ? 20 + (i / 2) % 10 : 30 + (i / 2) % 10) : 0;
  ASSERT_EQ(poker_set_holdem_range_simul(simul.data()), 1);
  for (auto [a, b] : dealt_hands({{0, 1, 0, 0}, 2, 0, {0, 0, 0, 0, 0}, 4, 1}, 1000)) {
    EXPECT_GE(a, 30);
    EXPECT_LT(a, 40);
    EXPECT_GE(b, 20);
    EXPECT_LT(b, 30);
  }
}

TEST_F(Holdem, CursorRunsOnAcrossCallsAndSetters) {
  // 2c 2d appear in no hand of the range set below, so every candidate is taken.
  std::vector<int> simul(4000);
  for (int i = 0; i < 4000; ++i) simul[i] = 8 + i % 40;
  ASSERT_EQ(poker_set_holdem_range_simul(simul.data()), 1);
  holdem_range_cursor = 0;
  const EquityRequest request{{0, 1, 0, 0}, 2, 0, {0, 0, 0, 0, 0}, 1, 1};
  holdem_equity(request, 1, 1001);  // 1001 hands taken
  EXPECT_EQ(holdem_range_cursor, 1);
  ASSERT_EQ(poker_set_holdem_range_simul(simul.data()), 1);
  ASSERT_EQ(poker_set_holdem_range_exact(1, L"anything"), 1);
  EXPECT_EQ(holdem_range_cursor, 1);
  const EquityRequest other_slot{{0, 1, 0, 0}, 2, 0, {0, 0, 0, 0, 0}, 2, 3};
  holdem_equity(other_slot, 1, 100);  // 200 hands from slot 2, cursor shared
  EXPECT_EQ(holdem_range_cursor, 201);
  holdem_equity({{0, 1, 0, 0}, 2, 0, {0, 0, 0, 0, 0}, 5, 0}, 1, 100);  // random opponents: untouched
  EXPECT_EQ(holdem_range_cursor, 201);
}

TEST_F(Holdem, ExactSetterFillsOneSlotOnly) {
  std::vector<std::int32_t> before(holdem_ranges, holdem_ranges + kHoldemRangeInts);
  holdem_range_cursor = 123;
  for (const wchar_t* text : {L"AKs, QQ+", L"", static_cast<const wchar_t*>(nullptr)}) {
    ASSERT_EQ(poker_set_holdem_range_exact(2, text), 1);
    for (int i = 0; i < kHoldemRangeInts; ++i)
      if (i < 2000 || i >= 3000) {
        ASSERT_EQ(holdem_ranges[i], before[i]) << "element " << i;
      }
    for (int h = 0; h < 500; ++h) {
      const int a = holdem_ranges[2000 + 2 * h], b = holdem_ranges[2000 + 2 * h + 1];
      ASSERT_TRUE(a >= 0 && a < 52 && b >= 0 && b < 52 && a != b);
    }
    EXPECT_EQ(holdem_range_cursor, 123);
  }
  // The draws follow the generator: first card, second card, again on a repeat.
  fill_holdem_slot_at_random(0, 99);
  std::mt19937 ref(99);
  for (int h = 0; h < 500; ++h) {
    int a, b;
    do {
      a = reference::draw_card(ref);
      b = reference::draw_card(ref);
    } while (a == b);
    ASSERT_EQ(holdem_ranges[2 * h], a);
    ASSERT_EQ(holdem_ranges[2 * h + 1], b);
  }
}

// The exact setter reads its text: a slot of aces only, checked through equity
// calls (KhKs wins about 18 % against aces, about 82 % against random hands);
// unreadable text fills the slot with random hands.
TEST_F(Holdem, ExactSetterFillsTheSlotFromTheRange) {
  ASSERT_EQ(poker_set_holdem_range_exact(2, L"AA"), 1);
  for (int h = 0; h < kRangeHands; ++h) {
    const int a = holdem_ranges[2000 + h * 2], b = holdem_ranges[2000 + h * 2 + 1];
    ASSERT_TRUE(card_rank(a) == 12 && card_rank(b) == 12 && a != b) << h;
  }
  const EquityRequest kings{{47, 45, 0, 0}, 2, 0, {}, 1, 3};  // KsKh against slot 2
  EXPECT_NEAR(holdem_equity(kings, 11, 60000), 180, 15);
  for (const wchar_t* unreadable : {L"AZs", L"", L"A\u00e9", static_cast<const wchar_t*>(nullptr)}) {
    ASSERT_EQ(poker_set_holdem_range_exact(2, unreadable), 1);
    EXPECT_NEAR(holdem_equity(kings, 12, 60000), 825, 25);
  }
  // Weights steer the draw: about a tenth of the slot holds the weight-0.1 class.
  ASSERT_EQ(poker_set_holdem_range_exact(2, L"AA:0.1, 72o:0.0075"), 1);  // 6 x 0.1 against 12 x 0.0075
  int aces = 0;
  for (int h = 0; h < kRangeHands; ++h) aces += card_rank(holdem_ranges[2000 + h * 2]) == 12;
  EXPECT_NEAR(aces, 500 * 0.6 / 0.69, 40);
}

TEST_F(Holdem, FullCallsMatchTheReferenceDealing) {
  // Whole equity calls from one seed equal a literal reference run of the frame.
  struct Case {
    std::vector<int> player, known;
    int opponents, range;
  } cases[] = {{cards("AhKh"), {}, 1, 0}, {cards("7s6s"), cards("8s5d2s"), 4, 0}, {cards("AsKs"), {}, 3, 2},
               {cards("QdQh"), cards("Jh9h2c3s"), 6, 4}};
  for (const Case& c : cases) {
    EquityRequest request{{c.player[0], c.player[1], 0, 0}, 2, static_cast<int>(c.known.size()), {0, 0, 0, 0, 0},
                          c.opponents, c.range};
    std::copy(c.known.begin(), c.known.end(), request.board);
    std::int32_t ref_cursor = holdem_range_cursor;
    std::mt19937 rng(2024);
    float sum = 0;
    const int trials = 5000;
    for (int t = 0; t < trials; ++t) {
      const reference::TrialDeal d = reference::deal_trial(rng, c.player, c.known, c.opponents, 2,
                                                      c.range ? holdem_ranges + (c.range - 1) * 1000 : nullptr, ref_cursor);
      const auto& b = d.board;
      const int mine = poker_ev7(b[0], b[1], b[2], b[3], b[4], c.player[0], c.player[1]);
      int score = 1;
      for (int o = 0; o < c.opponents; ++o)
        if (poker_ev7(b[0], b[1], b[2], b[3], b[4], d.opponents[2 * o], d.opponents[2 * o + 1]) < mine) score = 0;
      sum += static_cast<float>(score);
    }
    const int expected = static_cast<int>(sum * 1000.0f / static_cast<float>(trials));
    EXPECT_EQ(holdem_equity(request, 2024, trials), expected);
    EXPECT_EQ(holdem_range_cursor, ref_cursor);
  }
}

// The built-in ranges: per-slot class counts, totals and first hands.
TEST_F(Holdem, BuiltinRangesHaveTheirFigures) {
  const char* counts[4] = {
      "AA 4, KK 1, QQ 3, JJ 6, TT 5, 99 2, 88 4, 77 2, 66 3, 55 3, 44 4, 33 5, 22 9, AKs 5, AQs 1, AJs 2, ATs 3, "
      "A9s 3, A8s 4, A7s 3, A6s 7, A5s 2, A4s 9, A3s 4, A2s 3, KQs 1, KJs 3, KTs 1, K9s 2, K7s 1, K6s 3, K5s 2, "
      "K4s 2, K3s 1, K2s 5, QJs 4, QTs 2, Q9s 2, Q8s 2, Q7s 2, Q6s 4, Q5s 2, Q4s 2, Q3s 3, Q2s 1, JTs 2, J9s 4, "
      "J8s 2, J7s 1, J6s 1, J5s 2, J4s 1, T9s 2, T8s 2, T7s 2, T6s 2, 98s 5, 97s 2, AKo 11, AQo 10, AJo 11, ATo 8, "
      "A9o 9, A8o 10, A7o 9, A6o 12, A5o 6, A4o 12, A3o 13, A2o 6, KQo 6, KJo 11, KTo 4, K9o 16, K8o 7, K7o 8, "
      "K6o 8, K5o 12, K4o 6, K3o 4, K2o 11, QJo 8, QTo 11, Q9o 11, Q8o 5, Q7o 16, Q6o 6, Q5o 9, Q4o 2, JTo 9, "
      "J9o 11, J8o 8, J7o 10, T9o 5, T8o 9",
      "AA 7, KK 9, QQ 9, JJ 7, TT 7, 99 7, 88 7, 77 8, 66 10, 55 7, 44 1, AKs 8, AQs 5, AJs 7, ATs 10, A9s 3, "
      "A8s 3, A7s 8, A6s 11, A5s 5, A4s 5, A3s 8, A2s 7, KQs 5, KJs 4, KTs 4, K9s 11, K8s 5, K7s 4, K6s 3, QJs 4, "
      "QTs 7, Q9s 5, JTs 12, AKo 25, AQo 23, AJo 19, ATo 21, A9o 13, A8o 17, A7o 11, A6o 19, A5o 15, A4o 18, "
      "A3o 2, KQo 14, KJo 18, KTo 15, K9o 16, QJo 16, QTo 15",
      "AA 13, KK 19, QQ 19, JJ 19, TT 20, 99 23, 88 20, 77 28, 66 21, AKs 8, AQs 14, AJs 10, ATs 20, A9s 13, "
      "A8s 16, A7s 9, KQs 10, KJs 7, KTs 12, AKo 42, AQo 31, AJo 40, ATo 39, A9o 15, KQo 32",
      "AA 29, KK 35, QQ 37, JJ 33, TT 26, 99 37, 88 44, 77 28, AKs 30, AQs 28, AJs 30, ATs 22, AKo 66, AQo 54, "
      "AJo 1"};
  const int classes[4] = {95, 51, 25, 15};
  const int kinds[4][3] = {{51, 119, 330}, {79, 144, 277}, {182, 119, 199}, {269, 110, 121}};
  const char* first[4] = {"AdAc8dJsQh7cAs8s", "TcAhTdKcTdAsAsKh", "9h9cAsKhTsTcAdAs", "JhJsQcQdQdAsQdQh"};
  for (int s = 0; s < 4; ++s) {
    SCOPED_TRACE("slot " + std::to_string(s));
    std::map<std::string, int> expected, found;
    std::istringstream in(counts[s]);
    std::string name, n;
    while (in >> name >> n) expected[name] = std::stoi(n);
    int pairs = 0, suited = 0, offsuit = 0, suit_seen[4] = {};
    for (int h = 0; h < 500; ++h) {
      const int a = holdem_ranges[(s * 500 + h) * 2], b = holdem_ranges[(s * 500 + h) * 2 + 1];
      ASSERT_TRUE(a >= 0 && a < 52 && b >= 0 && b < 52 && a != b);
      const std::string c = class_of(a, b);
      ++found[c];
      (c.size() == 2 ? pairs : c[2] == 's' ? suited : offsuit)++;
      ++suit_seen[a % 4];
      ++suit_seen[b % 4];
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(static_cast<int>(found.size()), classes[s]);
    EXPECT_EQ(pairs, kinds[s][0]);
    EXPECT_EQ(suited, kinds[s][1]);
    EXPECT_EQ(offsuit, kinds[s][2]);
    const std::vector<int> want = cards(first[s]);
    EXPECT_EQ(std::vector<int>(holdem_ranges + s * 1000, holdem_ranges + s * 1000 + 8), want);
    for (int suit = 0; suit < 4; ++suit) EXPECT_GT(suit_seen[suit], 1000 / 4 - 60) << "suit " << suit;
  }
}

}  // namespace
