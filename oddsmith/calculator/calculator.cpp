// The calculator's front: checks the query, asks the chooser how it runs, runs
// that sweep, and turns the tallies into equities.
#include <algorithm>
#include <chrono>
#include <cmath>

#include "calculator/chooser.h"
#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/progress.h"
#include "calculator/run_budget.h"
#include "calculator/internal/sweeps.h"

namespace oddsmith::calc {

namespace {

EquityOutcome failure(Status status, std::string message) {
  EquityOutcome out;
  out.status = status;
  out.error = std::move(message);
  return out;
}

// Why a Monte-Carlo run with an answer fell short: its trials cut off at the
// time bound, its target not reached by then, or its target given up early.
std::string shortfall(const RunBudget& budget, const SweepResult& sweep) {
  if (budget.trials > 0)
    return "the time bound of " + describe_seconds(budget.bound) + " was reached after " +
           std::to_string(sweep.tally.deals) + " of " + std::to_string(budget.trials) +
           " trials: the result is from the deals done";
  if (sweep.out_of_time)
    return "the standard-error target was not reached within the time bound of " + describe_seconds(budget.bound) +
           ": the result is the best estimate reached";
  return "the standard-error target was given up: reaching it would take longer than the time bound";
}

// The answer of a finished sweep: its tallies as equities, or why there are none.
EquityOutcome outcome_of(const SweepResult& sweep, const Plan& plan, const RunBudget& budget, Clock::time_point start,
                         EquityOutcome out) {
  const bool exact = plan.method != Method::monte_carlo;
  if (sweep.status == RunStatus::cancelled) return failure(Status::cancelled, "cancelled");
  if (sweep.status == RunStatus::failed) return failure(Status::no_memory, "out of memory");
  if (sweep.status == RunStatus::timed_out) {  // an exact run is whole or nothing
    EquityOutcome late = failure(Status::bad_query, "exact enumeration, estimated at about " +
                                                        describe_seconds(plan.seconds) +
                                                        " on one core, did not finish within the bound of " +
                                                        describe_seconds(budget.bound) +
                                                        ": use Monte Carlo, or raise the bound (max_seconds)");
    late.over_time = true;
    return late;
  }
  if (sweep.stuck)
    return failure(Status::bad_query, "the players' ranges almost never fit together: a million draws in a row clashed");
  if (!(sweep.tally.weight > 0)) {
    if (!exact && !sweep.target_met)
      return failure(Status::bad_query, "the time bound of " + describe_seconds(budget.bound) +
                                            " ran out before the first deals were done: raise the bound (max_seconds)");
    return failure(Status::bad_query, "no deal is possible: the players' ranges share cards in every combination");
  }

  out.status = sweep.target_met ? Status::ok : Status::target_not_met;
  if (!sweep.target_met) out.error = shortfall(budget, sweep);
  out.method = plan.method;
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
  out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return out;
}

}  // namespace

EquityOutcome compute_equity(const EquityQuery& query) {
  const auto start = Clock::now();
  if (query.trials < 0) return failure(Status::bad_query, "the trial count must not be negative");
  if (query.trials > ODDSMITH_MAX_TRIALS)
    return failure(Status::bad_query, "at most 2^48 (" + std::to_string(ODDSMITH_MAX_TRIALS) + ") trials, got " +
                                          std::to_string(query.trials));
  if (!(query.target_stderr >= 0) || !std::isfinite(query.target_stderr))
    return failure(Status::bad_query, "the target standard error must be a positive number");
  if (!(query.max_seconds >= 0))
    return failure(Status::bad_query, "the time bound (max_seconds) must be a positive number of seconds");
  const RunBudget budget = resolve_budget(query);
  ProgressSpan shown{query.progress, query.progress_user};
  // A first word before anything is set up (many large ranges take a moment
  // to prepare, and the sweep's tables another), which the caller may already
  // use to cancel; and another between the two.
  if (shown(0.0)) return failure(Status::cancelled, "cancelled");
  std::string error;
  const std::optional<PreparedQuery> q = prepare_query(query, error);
  if (!q) return failure(Status::bad_query, error);
  if (some_assignment_fits(*q) == 0)
    return failure(Status::bad_query, "no deal is possible: the players' ranges share cards in every combination");
  const std::optional<Plan> plan = choose_method(*q, query, budget, error);
  if (!plan) {
    EquityOutcome refused = failure(Status::bad_query, error);
    refused.over_time = !query.force_method;  // exact mode's one refusal: the estimate is over the time left
    return refused;
  }

  const ProgressFn progress = shown.callback();
  if (shown(0.0)) return failure(Status::cancelled, "cancelled");
  EquityOutcome out;
  SweepResult sweep;
  switch (plan->method) {
    case Method::board_sweep: sweep = run_board_sweep(*q, *plan, budget, progress, &shown); break;
    case Method::rank_counting: sweep = run_rank_counting(*q, *plan, budget, progress, &shown); break;
    case Method::two_range_sweep: sweep = run_two_range_sweep(*q, *plan, budget, progress, &shown); break;
    case Method::monte_carlo:
      out.seed = budget.seed;
      sweep = run_monte_carlo(*q, budget, progress, &shown);
      break;
  }
  return outcome_of(sweep, *plan, budget, start, std::move(out));
}

EquityOutcome simulate_prepared(const PreparedQuery& q, const EquityQuery& query) {
  const auto start = Clock::now();
  const RunBudget budget = resolve_budget(query);
  ProgressSpan shown{query.progress, query.progress_user};
  if (shown(0.0)) return failure(Status::cancelled, "cancelled");
  EquityOutcome out;
  out.seed = budget.seed;
  const SweepResult sweep = run_monte_carlo(q, budget, shown.callback(), &shown);
  Plan plan;
  plan.method = Method::monte_carlo;
  return outcome_of(sweep, plan, budget, start, std::move(out));
}

}  // namespace oddsmith::calc
