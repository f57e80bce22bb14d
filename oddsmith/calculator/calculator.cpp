// The calculator's front: checks the query, asks the chooser how it runs, runs
// that sweep, and turns the tallies into equities.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "calculator/chooser.h"
#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/sweeps.h"
#include "cards/seed.h"

namespace oddsmith::calc {

namespace {

constexpr double kDefaultTarget = 0.0005;

// 64 bits from the platform's random device; never 0, which asks for a seed.
std::uint64_t system_seed() {
  const std::uint64_t seed = (std::uint64_t{seed_from_random_device()} << 32) | seed_from_random_device();
  return seed ? seed : 1;
}

EquityOutcome failure(Status status, std::string message) {
  EquityOutcome out;
  out.status = status;
  out.error = std::move(message);
  return out;
}

// The caller's progress callback, seeing a share that never decreases (a
// Monte-Carlo target's expected length can grow between batches).
struct MonotonicProgress {
  ProgressFn fn;
  void* user;
  double shown = 0;
  static bool report(double done, void* self) {
    auto* m = static_cast<MonotonicProgress*>(self);
    m->shown = std::max(m->shown, std::clamp(done, 0.0, 1.0));
    return m->fn(m->shown, m->user);
  }
};

}  // namespace

EquityOutcome compute_equity(const EquityQuery& query) {
  const auto start = std::chrono::steady_clock::now();
  if (query.trials < 0) return failure(Status::bad_query, "the trial count must not be negative");
  if (query.trials > ODDSMITH_MAX_TRIALS)
    return failure(Status::bad_query, "at most 2^48 (" + std::to_string(ODDSMITH_MAX_TRIALS) + ") trials, got " +
                                          std::to_string(query.trials));
  if (!(query.target_stderr >= 0) || !std::isfinite(query.target_stderr))
    return failure(Status::bad_query, "the target standard error must be a positive number");
  if (!(query.max_seconds >= 0))
    return failure(Status::bad_query, "the time bound (max_seconds) must be a positive number of seconds");
  std::string error;
  const std::optional<PreparedQuery> q = prepare_query(query, error);
  if (!q) return failure(Status::bad_query, error);
  if (some_assignment_fits(*q) == 0)
    return failure(Status::bad_query, "no deal is possible: the players' ranges share cards in every combination");
  const std::optional<Plan> plan = choose_method(*q, query, error);
  if (!plan) return failure(Status::bad_query, error);

  MonotonicProgress monotonic{query.progress, query.progress_user};
  const ProgressFn progress = query.progress ? MonotonicProgress::report : nullptr;
  // A first word before the sweep sets up (its tables can take a moment for
  // many large ranges), which the caller may already use to cancel.
  if (progress && progress(0.0, &monotonic)) return failure(Status::cancelled, "cancelled");
  EquityOutcome out;
  SweepResult sweep;
  switch (plan->method) {
    case Method::board_sweep: sweep = run_board_sweep(*q, *plan, query.threads, progress, &monotonic); break;
    case Method::rank_counting: sweep = run_rank_counting(*q, *plan, query.threads, progress, &monotonic); break;
    case Method::two_range_sweep: sweep = run_two_range_sweep(*q, *plan, query.threads, progress, &monotonic); break;
    case Method::monte_carlo: {
      out.seed = query.seed ? query.seed : system_seed();
      MonteCarloRun run;
      run.trials = query.trials;
      run.target_stderr = query.target_stderr > 0 ? query.target_stderr : kDefaultTarget;
      run.max_seconds = query.max_seconds > 0 ? query.max_seconds : ODDSMITH_DEFAULT_MAX_SECONDS;
      run.seed = out.seed;
      run.threads = query.threads;
      sweep = run_monte_carlo(*q, run, progress, &monotonic);
      break;
    }
  }
  if (sweep.status == RunStatus::cancelled) return failure(Status::cancelled, "cancelled");
  if (sweep.status == RunStatus::failed) return failure(Status::no_memory, "out of memory");
  if (sweep.stuck)
    return failure(Status::bad_query, "the players' ranges almost never fit together: a million draws in a row clashed");
  if (!(sweep.tally.weight > 0))
    return failure(Status::bad_query, "no deal is possible: the players' ranges share cards in every combination");

  const bool exact = plan->method != Method::monte_carlo;
  out.status = sweep.target_met ? Status::ok : Status::target_not_met;
  if (!sweep.target_met)
    out.error = "the standard-error target was given up: reaching it would take longer than the time bound";
  out.method = plan->method;
  out.exact = exact;
  out.target_met = sweep.target_met;
  out.deals = sweep.tally.deals;
  const double total = sweep.tally.weight;
  for (const Tally& t : sweep.tally.players) {
    PlayerEquity p;
    p.equity = t.equity / total;
    p.win = t.win / total;
    p.tie = t.tie / total;
    p.low_equity = t.low / total;
    if (!exact) p.std_error = t.standard_error(total);
    out.players.push_back(p);
  }
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return out;
}

}  // namespace oddsmith::calc
