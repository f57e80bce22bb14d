// The four ways of going through deals, one file each, none calling another;
// chooser.h picks one and sizes its chunks; each stops at the budget's deadline
// (status timed_out). Each adds its chunks' tallies in
// chunk order (tally.h), so its answer does not depend on the thread count.
#pragma once

#include <cstdint>

#include "calculator/chooser.h"
#include "calculator/prepared_query.h"
#include "calculator/run_budget.h"
#include "calculator/internal/showdown.h"
#include "calculator/internal/tally.h"

namespace oddsmith::calc {

// board_sweep.cpp: every board completion, every assignment of hands on it.
SweepResult run_board_sweep(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressFn progress, void* user);

// rank_count_sweep.cpp: Hold'em and short-deck boards counted by their ranks per assignment.
SweepResult run_rank_counting(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressFn progress, void* user);

// two_range_sweep.cpp: two Hold'em (or short-deck) ranges, a sorted sweep per board; with
// `per_hand`, the first player's hands' tallies too (the plan's symmetry must
// then be the identity: a renamed board gives other hands other results).
SweepResult run_two_range_sweep(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressFn progress, void* user,
                                bool per_hand = false);

// monte_carlo_sweep.cpp: the budget's `trials` seeded deals, or (trials 0)
// batches until every player's standard error is at most its target, given up
// (target_met false) once the deals it needs are estimated to outlast the
// deadline. At the deadline the run stops with the deals done (target_met false).
SweepResult run_monte_carlo(const PreparedQuery& q, const RunBudget& budget, ProgressFn progress, void* user);

}  // namespace oddsmith::calc
