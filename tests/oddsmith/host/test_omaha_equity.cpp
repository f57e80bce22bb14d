// Omaha high and Hi/Lo equity: the share rules, the per-mille conversion and the
// standard-output fragment, accuracy against exact enumeration, range mechanics,
// the loaders and the built-in ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/internal/dealer.h"
#include "host/internal/random_cards.h"
#include "host/internal/omaha.h"
#include "host/internal/process_state.h"
#include "oddsmith.h"
#include "support/card_notation.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::host;
using test_cards::cards;

// Restores both Omaha range buffers and cursors after each test.
class Omaha : public ::testing::Test {
 protected:
  void SetUp() override {
    std::copy(omaha_ranges, omaha_ranges + kOmahaRangeInts, high_);
    std::copy(omahahl_ranges, omahahl_ranges + kOmahaRangeInts, hilo_);
    cursors_[0] = omaha_range_cursor;
    cursors_[1] = omahahl_range_cursor;
  }
  void TearDown() override {
    std::copy(high_, high_ + kOmahaRangeInts, omaha_ranges);
    std::copy(hilo_, hilo_ + kOmahaRangeInts, omahahl_ranges);
    omaha_range_cursor = cursors_[0];
    omahahl_range_cursor = cursors_[1];
  }

 private:
  std::int32_t high_[kOmahaRangeInts], hilo_[kOmahaRangeInts], cursors_[2];
};

// Hand values for the share rules: lower is stronger; 1024 is "no low".
constexpr int kNone = 1024;

TEST_F(Omaha, HighShareSplitsTies) {
  const int none[1] = {0};
  EXPECT_EQ(omaha_high_share(500, none, 0), 100);
  const int one_tie[] = {500, 900}, two_ties[] = {500, 600, 500}, three_ties[] = {500, 500, 500};
  EXPECT_EQ(omaha_high_share(500, one_tie, 2), 50);
  EXPECT_EQ(omaha_high_share(500, two_ties, 3), 33);
  EXPECT_EQ(omaha_high_share(500, three_ties, 3), 25);
  const int tie_then_beaten[] = {500, 499};
  EXPECT_EQ(omaha_high_share(500, tie_then_beaten, 2), 0);
  const int beaten_first[] = {10, 500};
  EXPECT_EQ(omaha_high_share(500, beaten_first, 2), 0);
}

// Each row of the Hi/Lo score table: player's high and low, opponents' highs
// and lows, expected score.
TEST_F(Omaha, HiLoShareFollowsTheScoreTable) {
  struct Row {
    const char* deal;
    int high, low;
    std::vector<int> their_high, their_low;
    int score;
  } rows[] = {
      {"only best high, nobody has a low", 100, kNone, {200, 300}, {kNone, kNone}, 100},
      {"only best high and only best low", 100, 31, {200}, {62}, 100},
      {"only best high, no low; an opponent has a low", 100, kNone, {200}, {248}, 50},
      {"high beaten; only best low", 300, 31, {200}, {kNone}, 50},
      {"only best high; low tied with one", 100, 47, {200}, {47}, 75},
      {"high tied with one; nobody has a low", 100, kNone, {100}, {kNone}, 50},
      {"high tied with two; nobody has a low", 100, kNone, {100, 100}, {kNone, kNone}, 33},
      {"high tied with one, low with two", 100, 47, {100, 300, 300}, {47, 47, kNone}, 25 + 16},
      {"both tied with the same two", 100, 47, {100, 100}, {47, 47}, 16 + 16},
      {"high beaten, no low", 300, kNone, {200}, {kNone}, 0},
      {"high beaten, better low elsewhere", 300, 62, {200, 400}, {kNone, 31}, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(omaha_hilo_share(r.high, r.low, r.their_high.data(), r.their_low.data(),
                               static_cast<int>(r.their_high.size())),
              r.score)
        << r.deal;
  }
  EXPECT_EQ(omaha_hilo_share(100, 31, nullptr, nullptr, 0), 100);
}

// The share rules applied to real cards through the trial's scoring.
TEST_F(Omaha, ScoringHandBuiltDeals) {
  const auto board = cards("2c3d4hKcQd");
  const auto scoop = cards("As5sKdKs");      // wheel straight and A-2-3-4-5
  const auto pair_nines = cards("9c9dTcTh");  // no low, a weak high
  const auto low_76 = cards("6c7cJhJs");      // 7-6-4-3-2 low
  const auto same_low = cards("Ah5hJdJc");    // A-2-3-4-5 low, the same wheel straight
  const int opp1[] = {pair_nines[0], pair_nines[1], pair_nines[2], pair_nines[3]};
  EXPECT_EQ(omaha_hilo_score(board.data(), scoop.data(), opp1, 1), 100);
  EXPECT_EQ(omaha_high_score(board.data(), scoop.data(), opp1, 1), 100);
  std::vector<int> two(low_76);
  two.insert(two.end(), same_low.begin(), same_low.end());
  // High: the wheel ties with same_low; low: A-2-3-4-5 ties with same_low.
  EXPECT_EQ(omaha_high_score(board.data(), scoop.data(), two.data(), 2), 50);
  EXPECT_EQ(omaha_hilo_score(board.data(), scoop.data(), two.data(), 2), 25 + 25);
  // The player with only a weak high against a low: quartered out of the low, beaten high.
  EXPECT_EQ(omaha_hilo_score(board.data(), pair_nines.data(), two.data(), 2), 0);
}

TEST_F(Omaha, ConversionTruncates) {
  EXPECT_EQ(omaha_per_mille(2499999.0f, 50000), 499);
  EXPECT_EQ(omaha_per_mille(2500000.0f, 50000), 500);
  EXPECT_EQ(omaha_per_mille(5000000.0f, 50000), 1000);
  EXPECT_EQ(omaha_per_mille(0.0f, 50000), 0);
}

std::string captured_call(int (*fn)(int, int, int, int, int, int, int, int, int, int, int, int), const int* a,
                          int& result) {
  ::testing::internal::CaptureStdout();
  result = fn(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11]);
  std::fflush(stdout);
  return ::testing::internal::GetCapturedStdout();
}

TEST_F(Omaha, NoOpponentsAndTheOutputFragment) {
  const int call[12] = {50, 51, 46, 47, 0, 0, 0, 0, 0, 0, 0, 0};
  int result = 0;
  EXPECT_EQ(captured_call(poker_omaha_equity, call, result), "5000000.000000,50000 ");
  EXPECT_EQ(result, 1000);
  EXPECT_EQ(captured_call(poker_omahahl_equity, call, result), "");  // Hi/Lo writes nothing
  EXPECT_EQ(result, 1000);
  const int refused[12] = {50, 51, 46, 47, 0, 11, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(captured_call(poker_omaha_equity, refused, result), "");
  EXPECT_EQ(result, -1);
}

// Deals made ahead of their scoring are the same deals: a whole call equals
// dealing and scoring one deal at a time, sum and range cursor alike.
TEST_F(Omaha, CallsEqualOneDealAtATime) {
  struct Case {
    EquityRequest request;
    bool hilo;
  };
  const Case cases[] = {{{{50, 51, 46, 47}, 4, 0, {}, 1, 0}, false},
                        {{{50, 51, 46, 47}, 4, 3, {0, 5, 10}, 10, 0}, false},
                        {{{48, 1, 5, 46}, 4, 0, {}, 5, 2}, true},
                        {{{48, 1, 5, 46}, 4, 4, {9, 14, 30, 44}, 3, 4}, true},
                        {{{50, 51, 46, 47}, 4, 0, {}, 2, 1}, false}};
  for (const Case& c : cases) {
    for (const int trials : {1, 3, 5, 2000}) {
      std::int32_t& cursor = c.hilo ? omahahl_range_cursor : omaha_range_cursor;
      cursor = 17;
      const OmahaEquity call = c.hilo ? omaha_hilo_equity(c.request, 99, trials) : omaha_high_equity(c.request, 99, trials);
      const std::int32_t cursor_after = cursor;
      cursor = 17;
      Dealer<4> dealer(c.request, c.hilo ? omahahl_ranges : omaha_ranges, cursor);
      DealRng rng(99);
      std::int64_t sum = 0;
      for (int t = 0; t < trials; ++t) {
        int opponents[40], board[5];
        dealer.deal(rng, opponents, board);
        sum += c.hilo ? omaha_hilo_score(board, c.request.player, opponents, c.request.opponents)
                      : omaha_high_score(board, c.request.player, opponents, c.request.opponents);
      }
      EXPECT_EQ(call.score_sum, static_cast<float>(sum)) << "trials " << trials;
      EXPECT_EQ(cursor_after, cursor) << "trials " << trials;
    }
  }
}

// A host that switched to a comma-decimal locale still gets two fields. The
// locale is seen to bite first: printf itself writes a comma there.
TEST_F(Omaha, TheOutputFragmentIgnoresTheLocale) {
  const char* comma_locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
  const char* found = nullptr;
  for (const char* name : comma_locales)
    if (!found && std::setlocale(LC_ALL, name)) found = name;
  if (!found) GTEST_SKIP() << "no comma-decimal locale installed (.ci/install-deps makes de_DE.UTF-8)";
  char printf_text[16];
  std::snprintf(printf_text, sizeof printf_text, "%f", 0.5);
  const int call[12] = {50, 51, 46, 47, 0, 0, 0, 0, 0, 0, 0, 0};
  int result = 0;
  const std::string written = captured_call(poker_omaha_equity, call, result);
  std::setlocale(LC_ALL, "C");
  EXPECT_STREQ(printf_text, "0,500000") << "under " << found;
  EXPECT_EQ(written, "5000000.000000,50000 ") << "under " << found;
  EXPECT_EQ(result, 1000);
}

// Exact share against one known hand, by enumerating the rest of the board, with
// the heads-up rules written out here; also the share's variance for the
// standard error of 50,000 deals.
struct Exact {
  double mean, variance;
};

Exact exact_heads_up(const std::vector<int>& p, const std::vector<int>& o, const std::vector<int>& known, bool hilo) {
  std::vector<int> rest;
  for (int c = 0; c < 52; ++c)
    if (std::count(p.begin(), p.end(), c) + std::count(o.begin(), o.end(), c) + std::count(known.begin(), known.end(), c) == 0)
      rest.push_back(c);
  double sum = 0, sum_sq = 0;
  long long deals = 0;
  auto score = [&](const std::vector<int>& b) {
    const int ph = poker_evomaha(p[0], p[1], p[2], p[3], b[0], b[1], b[2], b[3], b[4]);
    const int oh = poker_evomaha(o[0], o[1], o[2], o[3], b[0], b[1], b[2], b[3], b[4]);
    const int high_half = ph < oh ? 2 : ph == oh ? 1 : 0;  // in quarters of the half
    double share;
    if (!hilo) {
      share = high_half / 2.0;
    } else {
      const int pl = poker_evomahalow(p[0], p[1], p[2], p[3], b[0], b[1], b[2], b[3], b[4]);
      const int ol = poker_evomahalow(o[0], o[1], o[2], o[3], b[0], b[1], b[2], b[3], b[4]);
      if (pl == 1024 && ol == 1024) {
        share = high_half / 2.0;  // the high takes the whole pot
      } else {
        const int low_half = pl < ol ? 2 : pl == ol ? 1 : 0;
        share = (high_half + low_half) / 4.0;
      }
    }
    sum += share;
    sum_sq += share * share;
    ++deals;
  };
  if (known.size() == 3) {
    for (std::size_t i = 0; i < rest.size(); ++i)
      for (std::size_t j = i + 1; j < rest.size(); ++j) score({known[0], known[1], known[2], rest[i], rest[j]});
  } else {
    for (int c : rest) score({known[0], known[1], known[2], known[3], c});
  }
  const double mean = sum / static_cast<double>(deals);
  return {mean, sum_sq / static_cast<double>(deals) - mean * mean};
}

TEST_F(Omaha, AccurateHeadsUpAgainstOneFixedHand) {
  struct Case {
    const char *player, *opp, *board;
    bool hilo;
    const char* note;
  } cases[] = {
      {"AhAsKhKs", "QcJdTc9d", "Qh7h2c", false, "high, flop"},
      {"AhAsKhKs", "QcJdTc9d", "Qh7h2cJs", false, "high, turn"},
      {"6s7s8d9d", "AcAdKcQh", "Tc5h2d", false, "high, flop draw"},
      {"Ad2d3sKs", "9c9hTdTs", "4d5c8hQc", true, "hi/lo, turn: scoop likely"},
      {"Ah2h9cTc", "As2sJdQd", "3c4d8s", true, "hi/lo, flop: shared lows quartered"},
      {"Ah2h9cTc", "As2sJdQd", "3c4d8sKh", true, "hi/lo, turn: shared lows quartered"},
      {"AhAsKhKs", "QcJdTc9d", "KcQs9h", true, "hi/lo, flop: a low is still possible"},
      {"AhAsKhKs", "QcJdTc9d", "KcQs9h8d", true, "hi/lo, turn: no low possible"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.note) + ": " + c.player + " vs " + c.opp + " on " + c.board);
    const auto opp = cards(c.opp);
    std::vector<int> loaded(8000);
    for (int i = 0; i < 8000; ++i) loaded[i] = opp[i % 4];
    ASSERT_EQ(c.hilo ? poker_load_omahahl_range(loaded.data()) : poker_load_omaha_range(loaded.data()), 1);
    const auto p = cards(c.player), b = cards(c.board);
    int bb[5] = {0, 0, 0, 0, 0};
    std::copy(b.begin(), b.end(), bb);
    int got;
    if (c.hilo) {
      got = poker_omahahl_equity(p[0], p[1], p[2], p[3], static_cast<int>(b.size()), 1, 1, bb[0], bb[1], bb[2], bb[3], bb[4]);
    } else {
      ::testing::internal::CaptureStdout();  // keep the fragment out of the test log
      got = poker_omaha_equity(p[0], p[1], p[2], p[3], static_cast<int>(b.size()), 1, 1, bb[0], bb[1], bb[2], bb[3], bb[4]);
      std::fflush(stdout);
      ::testing::internal::GetCapturedStdout();
    }
    const Exact e = exact_heads_up(p, opp, b, c.hilo);
    const double se = std::sqrt(e.variance / 50000.0) * 1000.0;
    std::printf("    %s: %d per mille, exact %.2f, off by %.2f standard errors\n", c.note, got, e.mean * 1000,
                se > 0 ? (got - e.mean * 1000) / se : 0.0);
    EXPECT_NEAR(got, e.mean * 1000.0, 4.5 * se + 1.0);
  }
}

// Opponents' hands dealt over many trials.
std::vector<std::vector<int>> dealt(const EquityRequest& r, const std::int32_t* ranges, std::int32_t& cursor) {
  Dealer<4> dealer(r, ranges, cursor);
  DealRng rng(3);
  std::vector<std::vector<int>> hands;
  for (int t = 0; t < 500; ++t) {
    int opp[40], board[5];
    dealer.deal(rng, opp, board);
    for (int o = 0; o < r.opponents; ++o) hands.emplace_back(opp + 4 * o, opp + 4 * o + 4);
  }
  return hands;
}

TEST_F(Omaha, RangeMechanics) {
  const EquityRequest tightest{{0, 1, 2, 3}, 4, 0, {0, 0, 0, 0, 0}, 5, 4};
  for (const auto& h : dealt(tightest, omaha_ranges, omaha_range_cursor)) {
    std::set<int> ranks;
    for (int c : h) ranks.insert(c / 4);
    EXPECT_LT(ranks.size(), 4u) << "an unpaired hand from slot 3";
  }
  // A loaded buffer: range argument 2 takes hands only from integers 2,000..3,999.
  std::vector<int> loaded(8000);
  for (int i = 0; i < 8000; ++i) loaded[i] = i >= 2000 && i < 4000 ? 20 + i % 4 * 8 + (i / 4) % 2 : i % 4;
  ASSERT_EQ(poker_load_omaha_range(loaded.data()), 1);
  const std::set<int> allowed(loaded.begin() + 2000, loaded.begin() + 4000);
  const EquityRequest second_slot{{40, 41, 42, 43}, 4, 0, {0, 0, 0, 0, 0}, 3, 2};
  for (const auto& h : dealt(second_slot, omaha_ranges, omaha_range_cursor))
    for (int c : h) EXPECT_TRUE(allowed.count(c)) << c;
}

TEST_F(Omaha, LoadersAndBadInput) {
  omaha_range_cursor = 7;
  omahahl_range_cursor = 9;
  const std::vector<std::int32_t> high(omaha_ranges, omaha_ranges + kOmahaRangeInts);
  const std::vector<std::int32_t> hilo(omahahl_ranges, omahahl_ranges + kOmahaRangeInts);
  EXPECT_EQ(poker_load_omaha_range(nullptr), 0);
  EXPECT_EQ(poker_load_omahahl_range(nullptr), 0);
  const int bad[][12] = {
      {50, 51, 46, 47, -1, 1, 0, 0, 0, 0, 0, 0}, {50, 51, 46, 47, 6, 1, 0, 0, 0, 0, 0, 0},
      {50, 51, 46, 47, 0, -1, 0, 0, 0, 0, 0, 0}, {50, 51, 46, 47, 0, 11, 1, 0, 0, 0, 0, 0},
      {50, 51, 46, 47, 0, 1, -1, 0, 0, 0, 0, 0}, {50, 51, 46, 47, 0, 1, 5, 0, 0, 0, 0, 0},
      {50, 51, 46, 52, 0, 1, 1, 0, 0, 0, 0, 0},  {50, 51, 46, 46, 0, 1, 1, 0, 0, 0, 0, 0},
      {50, 51, 46, 47, 2, 1, 1, 0, 50, 0, 0, 0}, {50, 51, 46, 47, 5, 1, 1, 0, 1, 2, 3, -7},
      {-2147483647 - 1, 51, 46, 47, 0, 1, 1, 0, 0, 0, 0, 0}};
  for (const auto& a : bad) {
    int result = 0;
    EXPECT_EQ(captured_call(poker_omaha_equity, a, result), "");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(poker_omahahl_equity(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11]), -1);
  }
  EXPECT_EQ(std::vector<std::int32_t>(omaha_ranges, omaha_ranges + kOmahaRangeInts), high);
  EXPECT_EQ(std::vector<std::int32_t>(omahahl_ranges, omahahl_ranges + kOmahaRangeInts), hilo);
  EXPECT_EQ(omaha_range_cursor, 7);
  EXPECT_EQ(omahahl_range_cursor, 9);
  // The card limit itself is accepted.
  EXPECT_GE(poker_omahahl_equity(50, 51, 46, 47, 5, 10, 0, 0, 1, 2, 3, 4), 0);
}

// Figures of the built-in ranges.
struct HandStats {
  int distinct = 0, paired = 0, two_pairs = 0, with_ace = 0, two_aces = 0, ace_deuce = 0, double_suited = 0;
  double average_rank = 0;
  int rank_count[13] = {};
  bool all_valid = true;
};

HandStats stats_of_slot(const std::int32_t* ranges, int slot) {
  HandStats s;
  std::set<std::vector<int>> seen;
  long rank_sum = 0;
  for (int h = 0; h < 500; ++h) {
    std::vector<int> hand(ranges + (slot * 500 + h) * 4, ranges + (slot * 500 + h) * 4 + 4);
    std::map<int, int> ranks, suits;
    for (int c : hand) {
      s.all_valid = s.all_valid && c >= 0 && c < 52;
      ++ranks[c / 4];
      ++suits[c % 4];
      rank_sum += c / 4;
      ++s.rank_count[c / 4];
    }
    s.all_valid = s.all_valid && std::set<int>(hand.begin(), hand.end()).size() == 4;
    int pairs = 0;
    for (auto [r, n] : ranks) pairs += n >= 2;
    s.paired += pairs >= 1;
    s.two_pairs += pairs == 2;
    const int aces = ranks.count(12) ? ranks.at(12) : 0;
    s.with_ace += aces > 0;
    s.two_aces += aces >= 2;
    s.ace_deuce += aces > 0 && ranks.count(0);
    std::vector<int> pattern;
    for (auto [suit, n] : suits) pattern.push_back(n);
    std::sort(pattern.rbegin(), pattern.rend());
    s.double_suited += pattern.size() >= 2 && pattern[0] == 2 && pattern[1] == 2;
    std::sort(hand.begin(), hand.end());
    seen.insert(hand);
  }
  s.distinct = static_cast<int>(seen.size());
  s.average_rank = static_cast<double>(rank_sum) / 2000.0;
  return s;
}

TEST_F(Omaha, BuiltinOmahaRangesHaveTheirFigures) {
  // distinct, with a pair, two pairs, with an ace, double-suited, average rank x 100, first hands
  const int figures[4][6] = {{500, 222, 7, 214, 99, 734}, {500, 327, 21, 254, 118, 804},
                             {497, 481, 37, 239, 112, 857}, {484, 500, 44, 356, 98, 883}};
  const char* first[4] = {"AhJc7d8c8sQc5cTsAh6dKs5s", "6d7hQsQdTsJd9sJs4dQcQs7c", "4cKs4hKdAhAc2hQd7cJc6hJh",
                          "KhAdJdAhAs8h4dAhAsQdAh9s"};
  for (int slot = 0; slot < 4; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    const HandStats s = stats_of_slot(omaha_ranges, slot);
    EXPECT_TRUE(s.all_valid);
    EXPECT_EQ(s.distinct, figures[slot][0]);
    EXPECT_EQ(s.paired, figures[slot][1]);
    EXPECT_EQ(s.two_pairs, figures[slot][2]);
    EXPECT_EQ(s.with_ace, figures[slot][3]);
    EXPECT_EQ(s.double_suited, figures[slot][4]);
    EXPECT_EQ(std::lround(s.average_rank * 100), figures[slot][5]);
    EXPECT_EQ(std::vector<int>(omaha_ranges + slot * 2000, omaha_ranges + slot * 2000 + 12), cards(first[slot]));
  }
}

TEST_F(Omaha, BuiltinHiLoRangesHaveTheirFigures) {
  // with an ace, two or more aces, ace and deuce, paired, distinct, first hands
  const int figures[4][5] = {{282, 36, 60, 180, 500}, {436, 44, 95, 170, 497}, {464, 144, 138, 234, 493},
                             {500, 477, 98, 500, 487}};
  const char* first[4] = {"7s4h7h4dKh5h6cQc5sQd8sAs", "2c2hAhJd9sAdAh6sQsAd4dJh", "Ad2d4dQc2cJcAhTs8cAs8s4c",
                          "6dAsAh8d2dAs7dAh2sAdKdAc"};
  for (int slot = 0; slot < 4; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    const HandStats s = stats_of_slot(omahahl_ranges, slot);
    EXPECT_TRUE(s.all_valid);
    EXPECT_EQ(s.with_ace, figures[slot][0]);
    EXPECT_EQ(s.two_aces, figures[slot][1]);
    EXPECT_EQ(s.ace_deuce, figures[slot][2]);
    EXPECT_EQ(s.paired, figures[slot][3]);
    EXPECT_EQ(s.distinct, figures[slot][4]);
    EXPECT_EQ(std::vector<int>(omahahl_ranges + slot * 2000, omahahl_ranges + slot * 2000 + 12), cards(first[slot]));
    for (int r = 0; r < 13; ++r)
      if (r != 7) {
        EXPECT_LT(s.rank_count[7], s.rank_count[r]) << "nines are not the rarest rank";
      }
  }
  // Slot 3: every hand holds an ace and a pair; those without two aces pair kings or queens.
  int one_ace = 0;
  for (int h = 0; h < 500; ++h) {
    std::map<int, int> ranks;
    for (int j = 0; j < 4; ++j) ++ranks[omahahl_ranges[(1500 + h) * 4 + j] / 4];
    if (ranks[12] >= 2) continue;
    ++one_ace;
    EXPECT_EQ(ranks[12], 1);
    EXPECT_TRUE(ranks[11] >= 2 || ranks[10] >= 2);
  }
  EXPECT_EQ(one_ace, 23);
}

}  // namespace
