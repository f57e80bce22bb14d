// Heads-up push/fold by CFR+ over the 169 classes.
//
// The small blind (the button) pushes class a with probability p[a]; the big
// blind calls with class b with probability q[b]. Every terminal of the hand
// is valued once (chips won, or the ICM prize equity of the stacks after it);
// a showdown of a against b is a win, tie or loss with the exact table's
// shares. With W[a][b] the pairs of hands of the two classes that can meet,
// each player's counterfactual values are one 169 x 169 product per
// iteration, so an equilibrium takes milliseconds.
#include "tournament/push_fold.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>

#include "tournament/heads_up_equities.h"
#include "tournament/internal/push_fold_multiway.h"

namespace oddsmith::tournament {
namespace {

using Clock = std::chrono::steady_clock;
using Matrix = std::vector<double>;  // 169 x 169, row-major
constexpr std::size_t kN = kClasses;

// What the blinds and antes leave each player, and each terminal's stacks.
struct Table {
  double stack[2] = {0, 0};
  double ante[2] = {0, 0};   // dead money posted
  double blind[2] = {0, 0};  // live money posted
};

// A stack too short for its blind and ante posts what it has and is all-in.
Table make_table(const PushFoldQuery& query) {
  Table t;
  const double antes[2] = {query.big_blind_ante ? 0 : query.ante, query.big_blind_ante ? 2 * query.ante : query.ante};
  const double blinds[2] = {query.small_blind, query.big_blind};
  for (std::size_t i = 0; i < 2; ++i) {
    t.stack[i] = query.stacks[i];
    t.ante[i] = std::min(antes[i], t.stack[i]);
    t.blind[i] = std::min(blinds[i], t.stack[i] - t.ante[i]);
  }
  return t;
}

// A terminal's value to each player.
struct Values {
  double sb = 0;
  double bb = 0;
};

// Both players' payoffs on every terminal, weighted by the pairs of hands.
struct Payoffs {
  bool push_forced = false;  // the small blind is all-in from posting
  bool call_forced = false;  // the big blind has nothing to add to see the showdown
  Values fold;   // the small blind folds
  Values steal;  // the small blind pushes, the big blind folds
  Matrix push_gain_sb;  // W[a][b] * (showdown value - steal value) to the small blind, row a
  Matrix call_gain_bb;  // W[a][b] * (showdown value - steal value) to the big blind, row b (transposed)
};

// Values of a set of stacks after the hand: chips won, or prize equity.
Values value_of(const Table& t, double sb_after, double bb_after, const std::vector<double>& payouts) {
  if (payouts.empty()) {
    return {sb_after - t.stack[0], bb_after - t.stack[1]};
  }
  IcmQuery q;
  q.stacks = {sb_after, bb_after};
  q.payouts = payouts;
  q.mode = IcmMode::exact;
  const IcmOutcome o = compute_icm(q);
  return {o.equity[0], o.equity[1]};
}

Payoffs make_payoffs(const Table& t, const Matrix& weights, const std::vector<double>& payouts) {
  Payoffs p;
  p.push_forced = t.stack[0] - t.ante[0] - t.blind[0] <= 0;
  p.call_forced = std::min(t.stack[0] - t.ante[0], t.stack[1] - t.ante[1]) <= t.blind[1];
  const double folded = t.ante[0] + t.blind[0];
  const double stolen = t.ante[1] + t.blind[1];
  p.fold = value_of(t, t.stack[0] - folded, t.stack[1] + folded, payouts);
  p.steal = value_of(t, t.stack[0] + stolen, t.stack[1] - stolen, payouts);
  const double matched = std::min(t.stack[0] - t.ante[0], t.stack[1] - t.ante[1]);
  const double pot = t.ante[0] + t.ante[1] + 2 * matched;
  const double sb_left = t.stack[0] - t.ante[0] - matched;
  const double bb_left = t.stack[1] - t.ante[1] - matched;
  const Values win = value_of(t, sb_left + pot, bb_left, payouts);
  const Values tie = value_of(t, sb_left + pot / 2, bb_left + pot / 2, payouts);
  const Values lose = value_of(t, sb_left, bb_left + pot, payouts);
  p.push_gain_sb.assign(kN * kN, 0.0);
  p.call_gain_bb.assign(kN * kN, 0.0);
  for (std::size_t a = 0; a < kN; ++a) {
    for (std::size_t b = 0; b < kN; ++b) {
      const ClassShowdown s = heads_up_showdown(static_cast<int>(a), static_cast<int>(b));
      const double w = s.win();
      const double lost = 1 - w - s.tie;
      const double sb = w * win.sb + s.tie * tie.sb + lost * lose.sb;
      const double bb = w * win.bb + s.tie * tie.bb + lost * lose.bb;
      p.push_gain_sb[a * kN + b] = weights[a * kN + b] * (sb - p.steal.sb);
      p.call_gain_bb[b * kN + a] = weights[a * kN + b] * (bb - p.steal.bb);
    }
  }
  return p;
}

using Strategy = std::array<double, kN>;

// The small blind's push-minus-fold value per class, given the call strategy.
void push_advantage(const Payoffs& p, const std::vector<double>& row_weight, const Strategy& call, Strategy& out) {
  for (std::size_t a = 0; a < kN; ++a) {
    const double* gain = &p.push_gain_sb[a * kN];
    double sum = 0;
    for (std::size_t b = 0; b < kN; ++b) sum += gain[b] * call[b];
    out[a] = sum + row_weight[a] * (p.steal.sb - p.fold.sb);
  }
}

// The big blind's call-minus-fold value per class, given the push strategy.
void call_advantage(const Payoffs& p, const Strategy& push, Strategy& out) {
  for (std::size_t b = 0; b < kN; ++b) {
    const double* gain = &p.call_gain_bb[b * kN];
    double sum = 0;
    for (std::size_t a = 0; a < kN; ++a) sum += gain[a] * push[a];
    out[b] = sum;
  }
}

struct Evaluation {
  double sb = 0, bb = 0;            // each player's expected value
  double sb_gain = 0, bb_gain = 0;  // best-response gains
};

Evaluation evaluate(const Payoffs& p, const std::vector<double>& row_weight, double total, const Strategy& push,
                    const Strategy& call) {
  Strategy push_adv{};
  Strategy call_adv{};
  push_advantage(p, row_weight, call, push_adv);
  call_advantage(p, push, call_adv);
  Evaluation e;
  double pushed_weight = 0;
  for (std::size_t a = 0; a < kN; ++a) {
    e.sb += push[a] * push_adv[a];
    e.sb_gain += p.push_forced ? 0.0 : std::max(push_adv[a], 0.0) - push[a] * push_adv[a];
    pushed_weight += push[a] * row_weight[a];
  }
  for (std::size_t b = 0; b < kN; ++b) {
    e.bb += call[b] * call_adv[b];
    e.bb_gain += p.call_forced ? 0.0 : std::max(call_adv[b], 0.0) - call[b] * call_adv[b];
  }
  e.sb = (e.sb + total * p.fold.sb) / total;
  e.bb = (e.bb + pushed_weight * p.steal.bb + (total - pushed_weight) * p.fold.bb) / total;
  e.sb_gain /= total;
  e.bb_gain /= total;
  return e;
}

double hands_share(const Strategy& s) {
  double combos = 0;
  for (std::size_t c = 0; c < kN; ++c) combos += s[c] * class_combos(static_cast<int>(c));
  return combos / kHands;
}

// Regret matching+ on two actions: the share of the first.
double matched(double regret_yes, double regret_no) {
  const double sum = regret_yes + regret_no;
  return sum > 0 ? regret_yes / sum : 0.5;
}

}  // namespace

std::string push_fold_input_error(const PushFoldQuery& query) {
  if (query.stacks.size() < 2) {
    return "a push/fold table needs at least two stacks";
  }
  if (query.stacks.size() > static_cast<std::size_t>(kPushFoldMaxPlayers)) {
    return "push/fold equilibria seat at most " + std::to_string(kPushFoldMaxPlayers) + " players; " +
           std::to_string(query.stacks.size()) + " given";
  }
  if (!(query.small_blind >= 0) || !(query.big_blind > 0) || !(query.ante >= 0) ||
      !std::isfinite(query.small_blind + query.big_blind + query.ante)) {
    return "the blinds and ante must be finite, the big blind above zero, the rest at least zero";
  }
  if (query.small_blind > query.big_blind) {
    return "the small blind is larger than the big blind";
  }
  for (std::size_t i = 0; i < query.stacks.size(); ++i) {
    if (!std::isfinite(query.stacks[i]) || !(query.stacks[i] > 0)) {
      return "stack " + std::to_string(i + 1) + " must be a number above zero";
    }
  }
  if (!query.payouts.empty()) {
    std::string icm = icm_input_error(query.stacks, query.payouts);
    if (!icm.empty()) return icm;
  }
  if (!(query.target_exploitability >= 0) || query.max_iterations < 1 || !(query.max_seconds >= 0)) {
    return "a negative target, time bound or iteration count";
  }
  if (query.threads < 0 || query.multiway_deals < 0) {
    return "a negative thread or deal count";
  }
  return {};
}

PushFoldOutcome solve_push_fold(const PushFoldQuery& query) {
  const auto start = Clock::now();
  PushFoldOutcome out;
  out.error = push_fold_input_error(query);
  if (!out.error.empty()) return out;
  if (query.stacks.size() > 2) return solve_multiway_push_fold(query);
  const double bound = query.max_seconds > 0 ? std::min(query.max_seconds, 1e9) : kDefaultMaxSeconds;
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(bound));
  out.icm = !query.payouts.empty();
  const double pool = std::accumulate(query.payouts.begin(), query.payouts.end(), 0.0);
  const double target =
      query.target_exploitability > 0 ? query.target_exploitability : (out.icm ? 1e-7 * pool : 1e-5);

  Matrix weights(kN * kN);
  const ClassPairCounts pairs = class_pair_counts();
  std::vector<double> row_weight(kN, 0.0);
  double total = 0;
  for (std::size_t a = 0; a < kN; ++a) {
    for (std::size_t b = 0; b < kN; ++b) {
      weights[a * kN + b] = query.card_removal ? pairs[a][b]
                                               : class_combos(static_cast<int>(a)) * class_combos(static_cast<int>(b));
      row_weight[a] += weights[a * kN + b];
    }
    total += row_weight[a];
  }
  const Table table = make_table(query);
  const Payoffs payoffs = make_payoffs(table, weights, query.payouts);

  // CFR+: regrets floored at zero, alternating updates, averages weighted by iteration.
  Strategy push_regret{}, fold_regret{}, call_regret{}, pass_regret{};
  Strategy push{}, call{}, push_sum{}, call_sum{}, advantage{};
  push.fill(payoffs.push_forced ? 1.0 : 0.5);
  call.fill(payoffs.call_forced ? 1.0 : 0.5);
  Strategy push_avg = push;
  Strategy call_avg = call;
  double weight_sum = 0;
  Evaluation e = evaluate(payoffs, row_weight, total, push_avg, call_avg);
  int t = 0;
  while (e.sb_gain + e.bb_gain > target && t < query.max_iterations) {
    for (int step = 0; step < 16 && t < query.max_iterations; ++step) {
      ++t;
      push_advantage(payoffs, row_weight, call, advantage);
      for (std::size_t a = 0; a < kN; ++a) {
        push_regret[a] = std::max(0.0, push_regret[a] + (1 - push[a]) * advantage[a]);
        fold_regret[a] = std::max(0.0, fold_regret[a] - push[a] * advantage[a]);
        push[a] = payoffs.push_forced ? 1.0 : matched(push_regret[a], fold_regret[a]);
        push_sum[a] += t * push[a];
      }
      call_advantage(payoffs, push, advantage);
      for (std::size_t b = 0; b < kN; ++b) {
        call_regret[b] = std::max(0.0, call_regret[b] + (1 - call[b]) * advantage[b]);
        pass_regret[b] = std::max(0.0, pass_regret[b] - call[b] * advantage[b]);
        call[b] = payoffs.call_forced ? 1.0 : matched(call_regret[b], pass_regret[b]);
        call_sum[b] += t * call[b];
      }
      weight_sum += t;
    }
    for (std::size_t c = 0; c < kN; ++c) {
      push_avg[c] = push_sum[c] / weight_sum;
      call_avg[c] = call_sum[c] / weight_sum;
    }
    e = evaluate(payoffs, row_weight, total, push_avg, call_avg);
    if (Clock::now() > deadline) break;
    if (query.progress != nullptr) {
      const double gap = e.sb_gain + e.bb_gain;
      const double share = gap <= target ? 1.0 : std::clamp(std::log(gap) / std::log(target), 0.0, 0.99);
      if (query.progress(share, query.progress_user)) {
        out.status = IcmStatus::cancelled;
        out.error = "cancelled";
        return out;
      }
    }
  }
  out.iterations = t;
  out.exploitability = e.sb_gain + e.bb_gain;
  out.best_response_gain = {e.sb_gain, e.bb_gain};
  if (out.icm) {
    out.ev_prize = {e.sb, e.bb};
    const Payoffs chips = make_payoffs(table, weights, {});
    const Evaluation in_chips = evaluate(chips, row_weight, total, push_avg, call_avg);
    out.ev_chips = {in_chips.sb, in_chips.bb};
  } else {
    out.ev_chips = {e.sb, e.bb};
  }
  out.spots = {{0, -1, 0, push_avg, hands_share(push_avg)}, {1, 0, 0, call_avg, hands_share(call_avg)}};
  out.status = out.exploitability <= target ? IcmStatus::ok : IcmStatus::target_not_met;
  out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return out;
}

PushFoldChart heads_up_chart(const PushFoldQuery& base, double smallest, double largest, double step) {
  const auto start = Clock::now();
  PushFoldChart chart;
  if (!(smallest > 0) || !(largest >= smallest) || !(step > 0) || (largest - smallest) / step > 10000) {
    chart.error = "the chart's stacks must run upwards from above zero, in at most 10,000 steps";
    return chart;
  }
  const double bound = base.max_seconds > 0 ? std::min(base.max_seconds, 1e9) : kDefaultMaxSeconds;
  const auto count = static_cast<int>(std::floor((largest - smallest) / step + 1e-9)) + 1;
  chart.status = IcmStatus::ok;
  for (int i = 0; i < count; ++i) {
    const double stack = smallest + i * step;
    PushFoldQuery query = base;
    query.stacks = {stack, stack};
    if (query.target_exploitability == 0) {  // a chart reads strategies against one half: a looser default
      const double pool = std::accumulate(base.payouts.begin(), base.payouts.end(), 0.0);
      query.target_exploitability = base.payouts.empty() ? 1e-4 : 1e-6 * pool;
    }
    query.progress = nullptr;
    query.max_seconds = std::max(1e-3, bound - std::chrono::duration<double>(Clock::now() - start).count());
    const PushFoldOutcome solved = solve_push_fold(query);
    if (solved.status == IcmStatus::bad_query) {
      chart.status = IcmStatus::bad_query;
      chart.error = "at " + std::to_string(stack) + " big blinds: " + solved.error;
      return chart;
    }
    if (solved.status == IcmStatus::target_not_met) chart.status = IcmStatus::target_not_met;
    chart.stacks.push_back(stack);
    chart.worst_exploitability = std::max(chart.worst_exploitability, solved.exploitability);
    for (std::size_t c = 0; c < kN; ++c) {
      if (solved.spots[0].strategy[c] >= 0.5) chart.push_up_to[c] = stack;
      if (solved.spots[1].strategy[c] >= 0.5) chart.call_up_to[c] = stack;
    }
    if (base.progress != nullptr && base.progress(static_cast<double>(i + 1) / count, base.progress_user)) {
      chart.status = IcmStatus::cancelled;
      chart.error = "cancelled";
      return chart;
    }
  }
  chart.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return chart;
}

}  // namespace oddsmith::tournament
