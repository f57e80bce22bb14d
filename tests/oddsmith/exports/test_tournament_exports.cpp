// The tournament exports as a C caller sees them: answers against the layer's,
// the refusals (null pointers, unset sizes, bad input), cancelling through the
// progress callback, and the text helpers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "oddsmith.h"
#include "tournament/icm.h"

namespace {

int cancel_at_once(double /*done*/, void* calls) {
  ++*static_cast<int*>(calls);
  return 1;
}

TEST(TournamentExports, IcmAnswersAndRefusals) {
  const std::vector<double> stacks = {9, 4, 15, 22, 3, 7, 7, 12, 30, 5, 18, 1};
  const std::vector<double> payouts = {40, 25, 15, 10, 6, 4};
  std::vector<double> equity(stacks.size()), error_of(stacks.size());
  oddsmith_icm_query query{};
  query.size = sizeof query;
  query.player_count = static_cast<int>(stacks.size());
  query.stacks = stacks.data();
  query.payout_count = static_cast<int>(payouts.size());
  query.payouts = payouts.data();
  oddsmith_icm_result result{};
  result.size = sizeof result;
  result.equity = equity.data();
  result.std_error = error_of.data();
  char error[256] = "";
  ASSERT_EQ(oddsmith_icm(&query, &result, error, sizeof error), ODDSMITH_STATUS_OK) << error;
  EXPECT_EQ(result.exact, 1);
  oddsmith::tournament::IcmQuery inner;
  inner.stacks = stacks;
  inner.payouts = payouts;
  EXPECT_EQ(equity, oddsmith::tournament::compute_icm(inner).equity);

  // Sampled: seeded, repeatable, within its standard errors of the exact answer.
  query.mode = ODDSMITH_MODE_MONTE_CARLO;
  query.seed = 99;
  query.samples = 20000;
  std::vector<double> sampled(stacks.size());
  result.equity = sampled.data();
  ASSERT_EQ(oddsmith_icm(&query, &result, error, sizeof error), ODDSMITH_STATUS_OK) << error;
  EXPECT_EQ(result.exact, 0);
  EXPECT_EQ(result.seed, 99U);
  EXPECT_EQ(result.samples, 20000);
  for (std::size_t i = 0; i < stacks.size(); ++i) EXPECT_NEAR(sampled[i], equity[i], 4.5 * error_of[i] + 1e-12);

  int calls = 0;
  query.samples = 0;
  query.target_stderr = 1e-9;
  query.progress = cancel_at_once;
  query.progress_user = &calls;
  EXPECT_EQ(oddsmith_icm(&query, &result, error, sizeof error), ODDSMITH_STATUS_CANCELLED);
  EXPECT_EQ(calls, 1);
  query.progress = nullptr;

  struct Bad {
    const char* name;
    oddsmith_icm_query query;
    oddsmith_icm_result result;
  };
  oddsmith_icm_query unsized = query;
  unsized.size = 0;
  oddsmith_icm_query no_payouts = query;
  no_payouts.payout_count = 0;
  oddsmith_icm_query bad_mode = query;
  bad_mode.mode = 7;
  oddsmith_icm_result no_array = result;
  no_array.equity = nullptr;
  const std::vector<Bad> bad = {{"size unset", unsized, result},
                                {"no payouts", no_payouts, result},
                                {"unknown mode", bad_mode, result},
                                {"no array", query, no_array}};
  for (const Bad& b : bad) {
    SCOPED_TRACE(b.name);
    oddsmith_icm_result out = b.result;
    error[0] = '\0';
    EXPECT_EQ(oddsmith_icm(&b.query, &out, error, sizeof error), ODDSMITH_STATUS_BAD_QUERY);
    EXPECT_NE(std::string(error), "");
  }
  EXPECT_EQ(oddsmith_icm(nullptr, &result, error, sizeof error), ODDSMITH_STATUS_BAD_QUERY);
}

TEST(TournamentExports, PushFoldChartAndText) {
  const double stacks[] = {10, 10};
  oddsmith_pushfold_query query{};
  query.size = sizeof query;
  query.player_count = 2;
  query.stacks = stacks;
  const auto held = std::make_unique<oddsmith_pushfold_result>();  // about 1.4 MB
  oddsmith_pushfold_result& result = *held;
  result.size = sizeof result;
  char error[256] = "";
  ASSERT_EQ(oddsmith_pushfold(&query, &result, error, sizeof error), ODDSMITH_STATUS_OK) << error;
  ASSERT_EQ(result.spot_count, 2);
  EXPECT_EQ(result.spots[0].pusher, -1);
  EXPECT_EQ(result.spots[1].pusher, 0);
  EXPECT_LT(result.exploitability, 0.01);
  EXPECT_EQ(result.icm, 0);

  // The range text of the pushes is range notation the library reads back.
  char text[4096] = "";
  const int length = oddsmith_class_range_text(result.spots[0].strategy, text, sizeof text);
  ASSERT_GT(length, 0);
  ASSERT_LT(length, static_cast<int>(sizeof text));
  int column = 0;
  oddsmith_range* range = oddsmith_range_parse(text, -1, ODDSMITH_GAME_HOLDEM, &column, error, sizeof error);
  ASSERT_NE(range, nullptr) << text << ": " << error;
  EXPECT_NEAR(oddsmith_range_size(range), result.spots[0].share * 1326, 40);
  oddsmith_range_free(range);
  char label[8] = "";
  EXPECT_EQ(oddsmith_class_label(1, label, sizeof label), 3);
  EXPECT_EQ(std::string(label), "AKs");
  EXPECT_EQ(oddsmith_class_label(169, label, sizeof label), -1);
  EXPECT_EQ(oddsmith_class_range_text(nullptr, text, sizeof text), -1);

  double push[ODDSMITH_CLASS_COUNT] = {}, call[ODDSMITH_CLASS_COUNT] = {}, worst = 1;
  ASSERT_EQ(oddsmith_pushfold_chart(&query, 1, 30, 0.5, push, call, &worst, error, sizeof error), ODDSMITH_STATUS_OK)
      << error;
  EXPECT_EQ(push[0], 30);  // aces, always
  EXPECT_LT(worst, 0.01);

  const double eleven[] = {10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
  oddsmith_pushfold_query multi = query;
  multi.player_count = 11;
  multi.stacks = eleven;
  EXPECT_EQ(oddsmith_pushfold(&multi, &result, error, sizeof error), ODDSMITH_STATUS_BAD_QUERY);
  // Three players: the 2^3 - 2 spots, the callers before each answer, the multiway pots' error.
  multi.player_count = 3;
  multi.threads = 2;
  ASSERT_EQ(oddsmith_pushfold(&multi, &result, error, sizeof error), ODDSMITH_STATUS_OK) << error;
  ASSERT_EQ(result.spot_count, 6);
  EXPECT_EQ(result.player_count, 3);
  EXPECT_EQ(result.spots[0].player, 0);
  EXPECT_EQ(result.spots[1].player, 1);
  int callers = 0;
  for (int s = 0; s < result.spot_count; ++s) callers |= result.spots[s].callers;
  EXPECT_EQ(callers, 2);  // only the big blind answers after a caller: the small blind
  EXPECT_GT(result.multiway_deals, 0);
  EXPECT_GT(result.multiway_std_error, 0);
  EXPECT_LE(result.exploitability, 1e-3);
  const auto unsized = std::make_unique<oddsmith_pushfold_result>();
  EXPECT_EQ(oddsmith_pushfold(&query, unsized.get(), error, sizeof error), ODDSMITH_STATUS_BAD_QUERY);
  EXPECT_EQ(oddsmith_pushfold_chart(&query, 5, 1, 0.5, push, call, nullptr, error, sizeof error),
            ODDSMITH_STATUS_BAD_QUERY);
}

}  // namespace
