// Per-hand equities of the first player's range (equity_query.h).
#include <algorithm>
#include <chrono>
#include <cmath>

#include "calculator/chooser.h"
#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/progress.h"
#include "calculator/run_budget.h"
#include "calculator/part_runs.h"
#include "calculator/internal/sweeps.h"

namespace oddsmith::calc {

namespace {

HandsOutcome refused(Status status, std::string message) {
  HandsOutcome out;
  out.status = status;
  out.error = std::move(message);
  return out;
}

// Two Hold'em ranges, exactly: one sorted sweep per board with per-hand tallies.
// A hand that no opponent hand can face (weight 0) cannot play and is left out.
HandsOutcome two_range_hands(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressSpan& shown) {
  HandsOutcome out;
  const SweepResult sweep = run_two_range_sweep(q, plan, budget, shown.callback(), &shown, true);
  if (sweep.status == RunStatus::cancelled) return refused(Status::cancelled, "cancelled");
  if (sweep.status == RunStatus::failed) return refused(Status::no_memory, "out of memory");
  if (sweep.status == RunStatus::timed_out) {
    HandsOutcome late = refused(Status::bad_query, "exact hand-by-hand equities, estimated at about " +
                                                       describe_seconds(plan.seconds) +
                                                       " on one core, did not finish within the bound of " +
                                                       describe_seconds(budget.bound) +
                                                       ": use Monte Carlo, or raise the bound (max_seconds)");
    late.over_time = true;
    return late;
  }
  out.status = Status::ok;
  out.exact = true;
  out.deals = sweep.tally.deals;
  for (std::size_t i = 0; i < q.hands[0].size(); ++i) {
    const HandTally t = i < sweep.tally.first_hands.size() ? sweep.tally.first_hands[i] : HandTally{};
    if (!(t.weight > 0)) continue;
    PlayerEquity e;
    e.equity = (t.win + 0.5 * t.tie) / t.weight;
    e.win = t.win / t.weight;
    e.tie = t.tie / t.weight;
    out.hands.push_back(q.hands[0][i]);
    out.equities.push_back(e);
  }
  return out;
}

// A run per hand, all exact or all Monte Carlo, under the budget.
HandsOutcome hand_by_hand(const PreparedQuery& q, const EquityQuery& query, const RunBudget& budget, bool exact,
                          ProgressSpan& shown) {
  const std::size_t hands = q.hands[0].size();
  EquityQuery each = part_query(query, budget, kDealsPerHand);
  each.mode = exact ? Mode::exact : Mode::monte_carlo;
  // Monte Carlo's deals per hand are the caller's (trials, or a target), or
  // else kDealsPerHand cut down, once a trial run shows what a deal costs, so
  // that the hands take at most kHandsSeconds: a large range gets a coarser
  // estimate of each hand (never under kFewestDealsPerHand) instead of a long wait.
  const bool default_deals = !exact && budget.trials == 0 && !budget.target_given;
  HandsOutcome out;
  out.exact = exact;
  out.seed = exact ? 0 : budget.seed;
  const auto refuse_estimate = [&](double per_hand) {
    return refused(Status::bad_query, "hand-by-hand equities of " + std::to_string(hands) + " hands would take about " +
                                          describe_seconds(per_hand * static_cast<double>(hands)) + ", " +
                                          over_the_bound(budget) +
                                          ": narrow the range, give fewer deals per hand (trials), or raise the "
                                          "bound (max_seconds)");
  };
  // A hand against random players (and known hands) is simulated on the whole
  // range's prepared query, without preparing the random players' hundreds of
  // thousands of hands again for each hand.
  const auto run_hand = [&](std::size_t i) {
    const std::optional<PreparedQuery> part = exact ? std::nullopt : simulation_with_first_hand(q, q.hands[0][i]);
    if (!part) each.players[0] = first_hand_range(query.game, q.hands[0][i]);
    return part ? simulate_prepared(*part, each) : compute_equity(each);
  };
  if (default_deals && hands > 1) {
    // A trial run of the second hand with the fewest deals prices a deal; one
    // of the first hand before it brings the evaluator's tables into memory
    // (Omaha's first reads of its 22 MB table would price a deal several times over).
    each.trials = kFewestDealsPerHand;
    each.seed = out.seed;
    run_hand(0);
    const auto began = Clock::now();
    const EquityOutcome pilot = run_hand(1);
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    if (pilot.has_result()) {
      const double fits = static_cast<double>(kFewestDealsPerHand) *
                          std::min(kHandsSeconds, budget.seconds_left()) / (seconds * static_cast<double>(hands));
      each.trials = static_cast<std::int64_t>(std::clamp(fits, static_cast<double>(kFewestDealsPerHand),
                                                         static_cast<double>(kDealsPerHand)));
      const double per_hand = seconds * static_cast<double>(each.trials) / static_cast<double>(kFewestDealsPerHand);
      if (rest_cannot_fit(per_hand, hands, budget)) return refuse_estimate(per_hand);
    } else {
      each.trials = kDealsPerHand;  // the hand's own run says what went wrong
    }
  }
  const auto began = Clock::now();
  bool short_of_goal = false;
  for (std::size_t i = 0; i < hands; ++i) {
    if (shown(static_cast<double>(i) / static_cast<double>(hands))) return refused(Status::cancelled, "cancelled");
    // Monte Carlo: each hand gets an equal share of the time left, so that a
    // hand cut short leaves the others theirs. When the first hand shows that
    // the rest cannot fit even so (setting up a hand against large ranges
    // takes its time whatever the deals), the run is refused there, with the
    // estimate, instead of spending the bound.
    const double left = budget.seconds_left();
    if (!exact && !default_deals && i == 1) {
      const double per_hand = std::chrono::duration<double>(Clock::now() - began).count();
      if (rest_cannot_fit(per_hand, hands - 1, budget)) return refuse_estimate(per_hand);
    }
    if (!exact) each.deadline = seconds_from_now(left / static_cast<double>(hands - i));
    ProgressSpan hand_span = shown.part(static_cast<double>(i) / static_cast<double>(hands),
                                        static_cast<double>(i + 1) / static_cast<double>(hands));
    each.progress = hand_span.callback();
    each.progress_user = &hand_span;
    each.seed = out.seed + i;
    const EquityOutcome run = run_hand(i);
    if (!run.has_result()) {
      // A hand no opponent hand can face cannot play: it is left out. Any other
      // failure (cancelled, out of memory, out of time) fails the whole run:
      // a hand is never reported with an equity it did not get.
      each.players[0] = first_hand_range(query.game, q.hands[0][i]);
      if (run.status == Status::bad_query && !run.over_time && no_deal_fits(each)) continue;
      HandsOutcome failure = refused(run.status, run.error);
      failure.over_time = run.over_time;
      return failure;
    }
    short_of_goal = short_of_goal || run.status == Status::target_not_met;
    out.deals += run.deals;
    out.hands.push_back(q.hands[0][i]);
    out.equities.push_back(run.players[0]);
  }
  out.status = short_of_goal ? Status::target_not_met : Status::ok;
  if (short_of_goal)
    out.error = budget.target_given ? "the standard-error target was not reached for every hand within the time bound of " +
                                          describe_seconds(budget.bound) + ": the results are the best estimates reached"
                                    : "some hands ran out of their share of the time bound of " +
                                          describe_seconds(budget.bound) +
                                          " before all their deals: their results are from the deals done";
  return out;
}

}  // namespace

HandsOutcome compute_hand_equities(const EquityQuery& query) {
  const RunBudget budget = resolve_budget(query);
  std::string error;
  const std::optional<PreparedQuery> q = prepare_query(query, error);
  if (!q) return refused(Status::bad_query, error);
  ProgressSpan shown{query.progress, query.progress_user};
  const auto too_long = [&](double seconds) {
    return refused(Status::bad_query, "exact hand-by-hand equities would take about " + describe_seconds(seconds) +
                                          " on one core, " + over_the_bound(budget) +
                                          ": use Monte Carlo, or raise the bound (max_seconds)");
  };

  // Two Hold'em ranges: the per-hand sweep, when exact is asked for or quick.
  if (is_seven_card(query.game) && q->players == 2 && budget.mode != Mode::monte_carlo &&
      method_applies(Method::two_range_sweep, *q)) {
    EquityQuery sweep_query = query;
    sweep_query.force_method = Method::two_range_sweep;
    sweep_query.without_symmetry = true;
    const std::optional<Plan> plan = choose_method(*q, sweep_query, budget, error);
    if (!plan) return refused(Status::bad_query, error);
    const double left = budget.seconds_left();
    if (budget.mode == Mode::exact && plan->seconds > left) return too_long(plan->seconds);
    if (enumerates(budget.mode, plan->seconds, left)) {
      HandsOutcome out = two_range_hands(*q, *plan, budget, shown);
      // Automatic mode never fails for time: an enumeration the deadline cut
      // short is answered by simulation instead.
      if (!(out.over_time && budget.mode == Mode::automatic)) return out;
      return hand_by_hand(*q, query, budget, false, shown);
    }
  }

  // Otherwise a run per hand, exact when all of them together are quick enough.
  bool exact = budget.mode != Mode::monte_carlo;
  if (exact) {
    const double total = exact_hands_seconds(*q, query), left = budget.seconds_left();
    if (budget.mode == Mode::exact && total > left) return too_long(total);
    exact = enumerates(budget.mode, total, left);
  }
  HandsOutcome out = hand_by_hand(*q, query, budget, exact, shown);
  if (exact && out.over_time && budget.mode == Mode::automatic) out = hand_by_hand(*q, query, budget, false, shown);
  return out;
}

}  // namespace oddsmith::calc
