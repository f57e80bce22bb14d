// The tournament exports with arbitrary numbers: ICM over any stacks and
// payouts (negative, zero, huge, NaN, infinite) in every mode, and heads-up
// push/fold over any stacks, blinds, antes and payouts, each under a short
// time bound. A success gives finite equities and strategies in range; a
// refusal gives a status and a message.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_input.h"
#include "oddsmith.h"

namespace {

// Mostly small whole numbers, sometimes fractions, zero, negatives and the
// values no caller should send.
double number(fuzz::Input& in) {
  const std::uint8_t kind = in.byte();
  if (kind < 160) return static_cast<double>(in.byte() % 64);
  if (kind < 200) return static_cast<double>(in.byte()) / 8.0;
  if (kind < 215) return -static_cast<double>(in.byte() % 8);
  if (kind < 225) return std::numeric_limits<double>::quiet_NaN();
  if (kind < 235) return std::numeric_limits<double>::infinity();
  if (kind < 245) return 1e300;
  return std::ldexp(static_cast<double>(in.raw_int()), in.byte() % 64 - 32);
}

void icm(fuzz::Input& in) {
  const int players = 1 + in.byte() % 40;
  const int payouts = in.byte() % 42;  // sometimes more than the players, or none
  std::vector<double> stacks, prizes;
  for (int i = 0; i < players; ++i) stacks.push_back(number(in));
  for (int i = 0; i < payouts; ++i) prizes.push_back(number(in));
  oddsmith_icm_query q{};
  q.size = sizeof q;
  const int counts[] = {players, players, players, players, players, 0, -1, players - 1};
  q.player_count = counts[in.byte() % 8];  // never more than the stacks given
  q.stacks = stacks.data();
  q.payout_count = payouts;
  q.payouts = prizes.empty() ? nullptr : prizes.data();
  q.mode = in.int_near(ODDSMITH_MODE_AUTO, ODDSMITH_MODE_MONTE_CARLO);
  q.samples = in.byte() % 4 == 0 ? 0 : in.byte() * 10;
  q.target_stderr = in.byte() % 2 ? 0.01 : 0;
  q.seed = 3;
  q.max_seconds = 0.05;
  std::vector<double> equity(static_cast<std::size_t>(players) + 2, -1), error_of(equity.size(), -1);
  oddsmith_icm_result r{};
  r.size = sizeof r;
  r.equity = equity.data();
  r.std_error = error_of.data();
  char error[128] = "";
  const int status = oddsmith_icm(&q, &r, error, sizeof error);
  if (status != ODDSMITH_STATUS_OK && status != ODDSMITH_STATUS_TARGET_NOT_MET) {
    fuzz::require(status > 0 && error[0] != '\0');
    return;
  }
  double pool = 0, sum = 0;
  for (int i = 0; i < q.payout_count; ++i) pool += prizes[static_cast<std::size_t>(i)];
  for (int i = 0; i < q.player_count; ++i) {
    const double e = equity[static_cast<std::size_t>(i)];
    fuzz::require(std::isfinite(e) && e >= -1e-9 * (1 + pool) && std::isfinite(error_of[static_cast<std::size_t>(i)]));
    sum += e;
  }
  // Exactly computed, the prizes are handed out whole.
  if (r.exact) fuzz::require(std::fabs(sum - pool) <= 1e-6 * (1 + pool));
}

void pushfold(fuzz::Input& in) {
  // As many stacks as any table the export accepts: a count it takes is read
  // in full, so the arrays must hold that many.
  double stacks[ODDSMITH_PUSHFOLD_MAX_PLAYERS];
  for (double& s : stacks) s = number(in);
  const double prizes[4] = {number(in), number(in), number(in), number(in)};
  oddsmith_pushfold_query q{};
  q.size = sizeof q;
  q.player_count = in.byte() % 8 == 0 ? in.int_near(2, 6) : 2;  // near 2 to 6: 1 to 11, or any
  q.stacks = stacks;
  q.small_blind = in.byte() % 2 ? number(in) : 0.5;
  q.big_blind = in.byte() % 2 ? number(in) : 1;
  q.ante = in.byte() % 2 ? number(in) : 0;
  q.big_blind_ante = in.byte() % 2;
  q.payout_count = in.byte() % 4;
  q.payouts = prizes;
  q.without_card_removal = in.byte() % 2;
  q.max_seconds = 0.05;
  static thread_local oddsmith_pushfold_result r;  // about 1.4 MB
  std::memset(&r, 0, sizeof r);
  r.size = sizeof r;
  char error[128] = "";
  const int status = oddsmith_pushfold(&q, &r, error, sizeof error);
  if (status != ODDSMITH_STATUS_OK && status != ODDSMITH_STATUS_TARGET_NOT_MET) {
    fuzz::require(status > 0 && error[0] != '\0');
    return;
  }
  fuzz::require(r.spot_count >= 0 && r.spot_count <= ODDSMITH_PUSHFOLD_MAX_SPOTS);
  fuzz::require(std::isfinite(r.exploitability));
  for (int s = 0; s < r.spot_count; ++s) {
    const oddsmith_pushfold_spot& spot = r.spots[s];
    fuzz::require(spot.share >= 0 && spot.share <= 1 + 1e-9);
    for (const double share : spot.strategy) fuzz::require(share >= 0 && share <= 1 + 1e-9);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  if (in.byte() % 4 == 0)
    pushfold(in);
  else
    icm(in);
  return 0;
}
