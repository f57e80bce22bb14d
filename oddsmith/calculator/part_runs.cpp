#include "calculator/part_runs.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "calculator/chooser.h"

namespace oddsmith::calc {

EquityQuery part_query(const EquityQuery& whole, const RunBudget& budget, std::int64_t deals) {
  EquityQuery part = whole;
  part.progress = nullptr;
  part.progress_user = nullptr;
  part.deadline = budget.deadline;
  part.max_seconds = budget.bound;
  if (budget.trials == 0 && !budget.target_given) part.trials = deals;
  return part;
}

EquityQuery with_first_hand(const EquityQuery& query, const RangeHand& hand) {
  EquityQuery one = query;
  RangeBuilder builder(cards_per_hand(query.game));
  builder.add_ascending(hand.cards, 1.0);
  one.players[0] = std::move(builder).finish();
  return one;
}

double exact_hands_seconds(const PreparedQuery& q, const EquityQuery& query) {
  EquityQuery first = with_first_hand(query, q.hands[0][0]);
  first.force_method.reset();
  first.deadline.reset();
  first.max_seconds = 1e9;
  first.mode = Mode::exact;
  std::string error;
  const std::optional<PreparedQuery> fq = prepare_query(first, error);
  if (!fq) return INFINITY;
  const std::optional<Plan> plan = choose_method(*fq, first, resolve_budget(first), error);
  return plan ? plan->seconds * static_cast<double>(q.hands[0].size()) : INFINITY;
}

Clock::time_point seconds_from_now(double seconds) {
  return Clock::now() + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double>(std::clamp(seconds, 0.0, 1e9)));
}

bool no_deal_fits(const EquityQuery& part) {
  std::string ignored;
  const std::optional<PreparedQuery> q = prepare_query(part, ignored);
  return !q || some_assignment_fits(*q) == 0;
}

}  // namespace oddsmith::calc
