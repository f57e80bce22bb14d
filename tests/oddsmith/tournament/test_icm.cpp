// ICM against a brute force over every finishing order (written here from the
// model's definition), the model's known reductions, the Monte-Carlo estimate
// against the exact answer, and the input errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "tournament/icm.h"

namespace {

using oddsmith::tournament::compute_icm;
using oddsmith::tournament::IcmMode;
using oddsmith::tournament::IcmOutcome;
using oddsmith::tournament::IcmQuery;
using oddsmith::tournament::IcmStatus;

// Every finishing order's probability: the next place goes to a player left
// in proportion to their stack; once only players without chips are left,
// each of their orders is equally likely.
std::vector<double> brute_force(const std::vector<double>& stacks, const std::vector<double>& payouts) {
  std::vector<int> order(stacks.size());
  std::iota(order.begin(), order.end(), 0);
  std::vector<double> equity(stacks.size(), 0.0);
  do {
    double p = 1;
    for (std::size_t place = 0; place < order.size(); ++place) {
      double left = 0;  // added up, never subtracted: no precision lost beside a huge stack
      for (std::size_t rest = place; rest < order.size(); ++rest) left += stacks[static_cast<std::size_t>(order[rest])];
      const double s = stacks[static_cast<std::size_t>(order[place])];
      p *= left > 0 ? s / left : 1.0 / static_cast<double>(order.size() - place);
    }
    for (std::size_t place = 0; place < payouts.size(); ++place) {
      equity[static_cast<std::size_t>(order[place])] += p * payouts[place];
    }
  } while (std::next_permutation(order.begin(), order.end()));
  return equity;
}

IcmOutcome run(const std::vector<double>& stacks, const std::vector<double>& payouts, IcmMode mode,
               std::int64_t samples = 0) {
  IcmQuery query;
  query.stacks = stacks;
  query.payouts = payouts;
  query.mode = mode;
  query.samples = samples;
  query.seed = 12345;
  return compute_icm(query);
}

struct Case {
  const char* name;
  std::vector<double> stacks;
  std::vector<double> payouts;
};

TEST(Icm, ExactMatchesFinishingOrdersAndMonteCarloAgrees) {
  const std::vector<Case> cases = {
      {"two players pay stack shares", {30, 70}, {100}},
      {"two players, two prizes", {25, 75}, {65, 35}},
      {"equal stacks", {10, 10, 10, 10, 10}, {50, 30, 20}},
      {"ties among others", {5, 20, 20, 40, 5, 10}, {50, 30, 20}},
      {"zero stacks finish last", {0, 12, 30, 0, 8}, {40, 25, 15, 12, 8}},
      {"zero stacks, fewer prizes", {0, 12, 30, 0, 8}, {60, 40}},
      {"eight players, three paid", {1, 2, 3, 5, 8, 13, 21, 34}, {50, 30, 20}},
      {"eight players, all paid", {7, 1, 9, 4, 4, 11, 2, 6}, {30, 20, 15, 12, 9, 7, 4, 3}},
      {"one prize", {3, 9, 27, 81}, {100}},
      {"one stack dwarfs the rest", {1, 1e300, 2, 7}, {50, 30, 20}},
      {"twelve players", {9, 4, 15, 22, 3, 7, 7, 12, 30, 5, 18, 1}, {40, 25, 15, 10, 6, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const IcmOutcome exact = run(c.stacks, c.payouts, IcmMode::exact);
    ASSERT_EQ(exact.status, IcmStatus::ok) << exact.error;
    ASSERT_TRUE(exact.exact);
    const double pool = std::accumulate(c.payouts.begin(), c.payouts.end(), 0.0);
    EXPECT_NEAR(std::accumulate(exact.equity.begin(), exact.equity.end(), 0.0), pool, 1e-9 * pool);
    if (c.stacks.size() <= 8) {
      const std::vector<double> reference = brute_force(c.stacks, c.payouts);
      for (std::size_t i = 0; i < c.stacks.size(); ++i) {
        EXPECT_NEAR(exact.equity[i], reference[i], 1e-9 * pool) << "player " << i;
      }
    }
    if (c.stacks.size() == 2 && c.payouts.size() == 2) {
      const double share = c.stacks[0] / (c.stacks[0] + c.stacks[1]);
      EXPECT_NEAR(exact.equity[0], c.payouts[1] + share * (c.payouts[0] - c.payouts[1]), 1e-12 * pool);
    }
    for (std::size_t i = 0; i < c.stacks.size(); ++i) {
      for (std::size_t j = 0; j < c.stacks.size(); ++j) {
        if (c.stacks[i] == c.stacks[j]) {
          EXPECT_EQ(exact.equity[i], exact.equity[j]) << "players " << i << " and " << j;
        } else if (c.stacks[i] < c.stacks[j]) {
          EXPECT_LT(exact.equity[i], exact.equity[j]) << "players " << i << " and " << j;
        }
      }
    }
    const IcmOutcome simulated = run(c.stacks, c.payouts, IcmMode::monte_carlo, 40000);
    ASSERT_EQ(simulated.status, IcmStatus::ok) << simulated.error;
    EXPECT_FALSE(simulated.exact);
    EXPECT_EQ(simulated.samples, 40000);
    for (std::size_t i = 0; i < c.stacks.size(); ++i) {
      EXPECT_NEAR(simulated.equity[i], exact.equity[i], 4.5 * simulated.std_error[i] + 1e-12) << "player " << i;
      EXPECT_LT(simulated.std_error[i], 0.01 * pool);
    }
    // The same seed repeats the same estimate.
    EXPECT_EQ(run(c.stacks, c.payouts, IcmMode::monte_carlo, 40000).equity, simulated.equity);
  }
}

TEST(Icm, LargeFieldsAndBadInput) {
  // Twenty players paying every place run exactly; a field of thousands
  // runs automatically as Monte Carlo to the default target.
  std::vector<double> stacks(20);
  for (std::size_t i = 0; i < stacks.size(); ++i) stacks[i] = 1000.0 + 37.0 * static_cast<double>(i * i % 23);
  std::vector<double> payouts(20);
  for (std::size_t i = 0; i < payouts.size(); ++i) payouts[i] = 100.0 / static_cast<double>(i + 1);
  const IcmOutcome big = run(stacks, payouts, IcmMode::automatic);
  ASSERT_EQ(big.status, IcmStatus::ok) << big.error;
  EXPECT_TRUE(big.exact);
  EXPECT_NEAR(std::accumulate(big.equity.begin(), big.equity.end(), 0.0),
              std::accumulate(payouts.begin(), payouts.end(), 0.0), 1e-9);

  std::vector<double> field(3000);
  for (std::size_t i = 0; i < field.size(); ++i) field[i] = 1.0 + static_cast<double>(i % 97);
  const IcmOutcome wide = run(field, {40, 25, 15, 10, 10}, IcmMode::automatic);
  ASSERT_EQ(wide.status, IcmStatus::ok) << wide.error;
  EXPECT_FALSE(wide.exact);
  EXPECT_LE(*std::max_element(wide.std_error.begin(), wide.std_error.end()), 0.001 * 100);

  const std::vector<Case> bad = {
      {"no stacks", {}, {1}},
      {"no payouts", {1, 2}, {}},
      {"more payouts than players", {1, 2}, {3, 2, 1}},
      {"negative stack", {1, -2, 3}, {1}},
      {"every stack zero", {0, 0}, {1}},
      {"negative payout", {1, 2}, {1, -1}},
      {"not a number", {1, std::nan("")}, {1}},
  };
  for (const Case& c : bad) {
    SCOPED_TRACE(c.name);
    const IcmOutcome out = run(c.stacks, c.payouts, IcmMode::automatic);
    EXPECT_EQ(out.status, IcmStatus::bad_query);
    EXPECT_FALSE(out.error.empty());
  }
}

}  // namespace
