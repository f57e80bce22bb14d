// How a run is bounded, resolved once from the query before anything runs:
// the mode, the time bound and its deadline, the seed, the Monte-Carlo goal and
// the thread count. Every default is applied here and nowhere else; the
// chooser, the sweeps and the sub-runs of hand-by-hand equities and the
// breakdown read the budget and never derive a default again.
#pragma once

#include <chrono>
#include <cstdint>

#include "calculator/equity_query.h"

namespace oddsmith::calc {

using Clock = std::chrono::steady_clock;

// Automatic mode enumerates when the quickest exact method is estimated to take
// at most this long on one core (and fits in the time left); else it simulates.
inline constexpr double kAutomaticExactSeconds = 0.5;

// Monte Carlo with neither a trial count nor a target: the standard error it runs to.
inline constexpr double kDefaultTargetStderr = 0.0005;

struct RunBudget {
  Mode mode = Mode::automatic;
  double bound = 0;                             // seconds the whole run may take, named in messages
  Clock::time_point deadline;                   // when the run must be over
  std::uint64_t seed = 1;                       // Monte Carlo's seed, never 0
  std::int64_t trials = 0;                      // Monte Carlo: deals to run; 0 runs to the target
  double target_stderr = kDefaultTargetStderr;  // Monte Carlo without trials: the goal
  bool target_given = false;                    // the caller named the target (else the default above)
  int threads = 1;                              // as asked for (0: every core)

  double seconds_left() const { return std::chrono::duration<double>(deadline - Clock::now()).count(); }
};

// The moment `seconds` from now (a negative span counts as none, and spans
// beyond 1e9 s as 1e9 s, which the clock can still hold).
Clock::time_point seconds_from_now(double seconds);

// The time bound of `query` in seconds: its max_seconds, or the default.
double bound_of(const EquityQuery& query);

// The budget of `query`, its clock started now (or the deadline the query
// inherits from the run it is part of).
RunBudget resolve_budget(const EquityQuery& query);

// 64 bits from the platform's random device; never 0, which asks for a seed.
std::uint64_t system_seed();

}  // namespace oddsmith::calc
