// The calculator's front: checks the query, picks exact enumeration or Monte
// Carlo, runs it, and turns the tallies into equities.
#include <chrono>
#include <cmath>

#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/sweep.h"
#include "equity/seed.h"

namespace oddsmith::calc {

namespace {

constexpr double kDefaultTarget = 0.0005;
// Automatic mode enumerates when the enumeration visits at most this many deals
// (well under a second on one core), and refuses exact enumeration far beyond
// anything that could finish.
constexpr double kAutomaticExactLimit = 3e7;
// The same for Hold'em counted board by rank (about a third of a second).
constexpr double kAutomaticCountingLimit = 1e8;
constexpr double kExactLimit = 1e13;

// 64 bits from the platform's random device; never 0, which asks for a seed.
std::uint64_t system_seed() {
  const std::uint64_t seed = (std::uint64_t{seed_from_random_device()} << 32) | seed_from_random_device();
  return seed ? seed : 1;
}

EquityOutcome failure(std::string message) {
  EquityOutcome out;
  out.error = std::move(message);
  return out;
}

}  // namespace

EquityOutcome compute_equity(const EquityQuery& query) {
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  const std::optional<PreparedQuery> q = prepare_query(query, error);
  if (!q) return failure(error);
  if (some_assignment_fits(*q) == 0)
    return failure("no deal is possible: the players' ranges share cards in every combination");
  if (query.trials < 0) return failure("the trial count must not be negative");
  if (!(query.target_stderr >= 0) || !std::isfinite(query.target_stderr))
    return failure("the target standard error must be a positive number");

  const double cost = exact_cost(*q);
  bool exact = query.mode == Mode::exact;
  const double counting = counting_work(*q);
  if (query.mode == Mode::automatic) exact = cost <= kAutomaticExactLimit || counting <= kAutomaticCountingLimit;
  if (exact && cost > kExactLimit && counting > kExactLimit)
    return failure("exact enumeration would visit about " + std::to_string(static_cast<long long>(cost)) +
                   " deals: use Monte Carlo");

  EquityOutcome out;
  SweepResult sweep;
  if (exact) {
    sweep = run_exact(*q, query.threads, query.progress, query.progress_user);
  } else {
    out.seed = query.seed ? query.seed : system_seed();
    const double target = query.target_stderr > 0 ? query.target_stderr : kDefaultTarget;
    sweep = run_monte_carlo(*q, query.trials, target, out.seed, query.threads, query.progress, query.progress_user);
  }
  if (sweep.status == RunStatus::cancelled) return failure("cancelled");
  if (sweep.status == RunStatus::failed) return failure("out of memory");
  if (sweep.stuck) return failure("the players' ranges almost never fit together: a million draws in a row clashed");
  if (!(sweep.tally.weight > 0)) return failure("no deal is possible: the players' ranges share cards in every combination");

  out.ok = true;
  out.exact = exact;
  out.deals = sweep.tally.deals;
  const double total = sweep.tally.weight;
  for (const Tally& t : sweep.tally.players) {
    PlayerEquity p;
    p.equity = t.equity / total;
    p.win = t.win / total;
    p.tie = t.tie / total;
    if (!exact) p.std_error = t.standard_error(total);
    out.players.push_back(p);
  }
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return out;
}

}  // namespace oddsmith::calc
