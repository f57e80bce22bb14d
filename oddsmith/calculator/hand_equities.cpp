// Per-hand equities of the first player's range (equity_query.h).
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

// Automatic mode enumerates when every hand's runs together take about this long at most.
constexpr double kAutomaticExactSeconds = 1.0;
// Monte Carlo without trials or a target: deals per hand (a standard error near 0.35 %).
constexpr std::int64_t kDealsPerHand = 20000;

HandsOutcome refused(Status status, std::string message) {
  HandsOutcome out;
  out.status = status;
  out.error = std::move(message);
  return out;
}

// The caller's progress over n hands: hand i's share done d reads as (i + d) / n.
struct HandProgress {
  ProgressFn fn;
  void* user;
  double hand = 0, hands = 1;
  static bool report(double done, void* self) {
    const auto* p = static_cast<const HandProgress*>(self);
    return p->fn((p->hand + std::clamp(done, 0.0, 1.0)) / p->hands, p->user);
  }
};

// Two Hold'em ranges, exactly: one sorted sweep per board with per-hand tallies.
HandsOutcome two_range_hands(const PreparedQuery& q, const EquityQuery& query, const Plan& plan) {
  HandsOutcome out;
  const SweepResult sweep = run_two_range_sweep(q, plan, query.threads, query.progress, query.progress_user, true);
  if (sweep.status != RunStatus::done) return refused(Status::cancelled, "cancelled");
  out.status = Status::ok;
  out.exact = true;
  out.deals = sweep.tally.deals;
  out.hands.assign(q.hands[0].begin(), q.hands[0].end());
  for (std::size_t i = 0; i < q.hands[0].size(); ++i) {
    PlayerEquity e;
    const HandTally t = i < sweep.tally.first_hands.size() ? sweep.tally.first_hands[i] : HandTally{};
    if (t.weight > 0) {
      e.equity = (t.win + 0.5 * t.tie) / t.weight;
      e.win = t.win / t.weight;
      e.tie = t.tie / t.weight;
    }
    out.equities.push_back(e);
  }
  return out;
}

// A range of one hand, weight 1.
Range range_of(const RangeHand& hand, Game game) {
  RangeBuilder one(cards_per_hand(game));
  one.add_ascending(hand.cards, 1.0);
  return std::move(one).finish();
}

}  // namespace

HandsOutcome compute_hand_equities(const EquityQuery& query) {
  std::string error;
  const std::optional<PreparedQuery> q = prepare_query(query, error);
  if (!q) return refused(Status::bad_query, error);
  const double bound = query.max_seconds > 0 ? query.max_seconds : ODDSMITH_DEFAULT_MAX_SECONDS;
  const std::size_t hands = q->hands[0].size();

  // Two Hold'em ranges: the per-hand sweep, when exact is asked for or quick.
  if (is_seven_card(query.game) && q->players == 2 && query.mode != Mode::monte_carlo &&
      method_applies(Method::two_range_sweep, *q)) {
    EquityQuery sweep_query = query;
    sweep_query.force_method = Method::two_range_sweep;
    sweep_query.without_symmetry = true;
    const std::optional<Plan> plan = choose_method(*q, sweep_query, error);
    if (!plan) return refused(Status::bad_query, error);
    const double seconds = plan->costs.of(Method::two_range_sweep);
    if (query.mode == Mode::exact && seconds > bound)
      return refused(Status::bad_query, "exact hand-by-hand equities would take about " + describe_seconds(seconds) +
                                            " on one core, over the bound of " + describe_seconds(bound) +
                                            ": use Monte Carlo, or raise the bound (max_seconds)");
    if (seconds <= (query.mode == Mode::exact ? bound : kAutomaticExactSeconds)) return two_range_hands(*q, query, *plan);
  }

  // Otherwise a run per hand, exact when all of them are quick enough.
  EquityQuery each = query;
  each.progress = nullptr;
  Mode mode = query.mode;
  if (mode != Mode::monte_carlo) {
    EquityQuery first = query;
    first.players[0] = range_of(q->hands[0][0], query.game);
    first.mode = Mode::exact;
    first.max_seconds = 1e12;
    const std::optional<PreparedQuery> fq = prepare_query(first, error);
    const std::optional<Plan> plan = fq ? choose_method(*fq, first, error) : std::nullopt;
    const double total = plan ? plan->seconds * static_cast<double>(hands) : INFINITY;
    if (mode == Mode::exact && total > bound)
      return refused(Status::bad_query, "exact hand-by-hand equities would take about " + describe_seconds(total) +
                                            " on one core, over the bound of " + describe_seconds(bound) +
                                            ": use Monte Carlo, or raise the bound (max_seconds)");
    if (mode == Mode::automatic && total > kAutomaticExactSeconds) mode = Mode::monte_carlo;
  }
  each.mode = mode;
  HandsOutcome out;
  out.exact = mode != Mode::monte_carlo;
  if (!out.exact) {
    out.seed = query.seed ? query.seed : ((std::uint64_t{seed_from_random_device()} << 32) | seed_from_random_device() | 1);
    if (each.trials == 0 && each.target_stderr == 0) each.trials = kDealsPerHand;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(bound);
  HandProgress watch{query.progress, query.progress_user, 0, static_cast<double>(hands)};
  if (query.progress) {
    each.progress = HandProgress::report;
    each.progress_user = &watch;
  }
  for (std::size_t i = 0; i < hands; ++i) {
    // Each run sets up the whole query again, which no estimate above covers:
    // the bound is held here, hand by hand.
    if (std::chrono::steady_clock::now() > deadline)
      return refused(Status::bad_query, "hand-by-hand equities of " + std::to_string(hands) +
                                            " hands did not finish within the bound of " + describe_seconds(bound) +
                                            ": narrow the ranges, or raise the bound (max_seconds)");
    if (query.progress && query.progress(static_cast<double>(i) / static_cast<double>(hands), query.progress_user))
      return refused(Status::cancelled, "cancelled");
    watch.hand = static_cast<double>(i);
    each.players[0] = range_of(q->hands[0][i], query.game);
    each.seed = out.seed + i;
    each.max_seconds = std::max(1e-3, std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count());
    const EquityOutcome run = compute_equity(each);
    if (run.status == Status::cancelled || run.status == Status::no_memory) return refused(run.status, run.error);
    PlayerEquity e;  // a hand no deal fits (every opponent hand blocked) keeps equity 0
    if (run.has_result()) {
      e = run.players[0];
      out.deals += run.deals;
    }
    out.hands.push_back(q->hands[0][i]);
    out.equities.push_back(e);
  }
  out.status = Status::ok;
  return out;
}

}  // namespace oddsmith::calc
