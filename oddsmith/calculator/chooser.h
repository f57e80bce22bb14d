// The one place that decides how a query runs. It estimates, side by side, the
// single-core time of every exact method that applies to the prepared query,
// and picks: in exact mode the quickest, refused when even that is over the
// time bound; in automatic mode the quickest when it is quick, else Monte
// Carlo. It also sizes the exact methods' chunks by time, so that every run
// reports progress and notices a cancel promptly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/run_budget.h"
#include "calculator/suit_symmetry.h"

namespace oddsmith::calc {

// Estimated single-core seconds of each exact method; infinity where it does
// not apply.
struct MethodCosts {
  double board_sweep = 0;
  double rank_counting = 0;
  double two_range_sweep = 0;
  double of(Method m) const;
};

struct Plan {
  Method method = Method::monte_carlo;
  double seconds = 0;  // the chosen exact method's estimate (0 for Monte Carlo)
  MethodCosts costs;
  SuitSymmetry symmetry;  // exact methods: the renamings that leave the query unchanged
  // Exact methods' chunks, each about kChunkSeconds of one core's work.
  std::int64_t chunks = 1;
  std::int64_t boards_per_chunk = 1;       // board and two-range sweeps: consecutive boards
  int hand_slices = 1;                     // board sweep: chunks per board, each a slice of player 1's hands
  std::int64_t assignments_per_chunk = 1;  // rank counting: consecutive assignment numbers
};

// How long a chunk of exact work should take on one core: short enough that
// progress and cancel stay prompt on a slow machine, long enough that the
// chunks' overhead is nothing.
inline constexpr double kChunkSeconds = 0.02;

// Every exact method's estimate for `q`, using `symmetry`.
MethodCosts estimate_costs(const PreparedQuery& q, const SuitSymmetry& symmetry);

// Whether `m` can answer `q` at all.
bool method_applies(Method m, const PreparedQuery& q);

// Whether the board sweep compares one range with known hands (every player but
// one holds a known hand; not Hi/Lo, whose low needs every pair).
bool one_range_against_known_hands(const PreparedQuery& q);

// The plan for `q` under the budget's mode and time left and the query's
// (tests) forced method; or nothing, with a message in `error`, when the run is
// refused (exact mode only: automatic mode simulates what does not fit).
std::optional<Plan> choose_method(const PreparedQuery& q, const EquityQuery& query, const RunBudget& budget,
                                  std::string& error);

// Whether work estimated at `seconds` on one core is enumerated, with `left`
// seconds to do it in: in exact mode always (the caller refuses it when over
// the time left), in automatic mode when it is quick and fits, never in Monte
// Carlo. The one place the automatic mode's threshold is applied, to single
// runs and to the parts of a breakdown alike.
bool enumerates(Mode mode, double seconds, double left);

// "over the bound of 5 s", or "over the 2 s left of the bound of 5 s" for a part of a run.
std::string over_the_bound(const RunBudget& budget);

// A duration for messages: "0.5 s", "40 s", "12 minutes", "7.7 hours", "3.1 days".
std::string describe_seconds(double seconds);

}  // namespace oddsmith::calc
