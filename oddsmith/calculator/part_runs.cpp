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

Range first_hand_range(Game game, const RangeHand& hand) {
  RangeBuilder builder(cards_per_hand(game));
  builder.add_ascending(hand.cards, 1.0);
  return std::move(builder).finish();
}

EquityQuery with_first_hand(const EquityQuery& query, const RangeHand& hand) {
  EquityQuery one = query;
  one.players[0] = first_hand_range(query.game, hand);
  return one;
}

double exact_seconds(EquityQuery one) {
  one.force_method.reset();
  one.deadline.reset();
  one.max_seconds = 1e9;
  one.mode = Mode::exact;
  std::string error;
  const std::optional<PreparedQuery> q = prepare_query(one, error);
  if (!q) return INFINITY;
  const std::optional<Plan> plan = choose_method(*q, one, resolve_budget(one), error);
  return plan ? plan->seconds : INFINITY;
}

double exact_hands_seconds(const PreparedQuery& q, const EquityQuery& query) {
  // From the first hand that can play: a hand no opponent hand can face has
  // no estimate (it is left out of the run), and must not make the whole one
  // infinite. A few are tried; a range whose first hands all cannot play is rare.
  constexpr std::size_t kTried = 16;
  for (std::size_t i = 0; i < q.hands[0].size() && i < kTried; ++i) {
    const double one = exact_seconds(with_first_hand(query, q.hands[0][i]));
    if (std::isfinite(one)) return one * static_cast<double>(q.hands[0].size());
  }
  return INFINITY;
}

bool rest_cannot_fit(double part_seconds, std::size_t parts_left, const RunBudget& budget) {
  return part_seconds * static_cast<double>(parts_left) >
         2 * std::max(0.0, budget.seconds_left()) + 0.1 * budget.bound + 0.1;
}

bool no_deal_fits(const EquityQuery& part) {
  std::string ignored;
  const std::optional<PreparedQuery> q = prepare_query(part, ignored);
  return !q || some_assignment_fits(*q) == 0;
}

}  // namespace oddsmith::calc
