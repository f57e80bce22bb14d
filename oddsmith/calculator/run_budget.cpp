#include "calculator/run_budget.h"

#include <algorithm>

#include "cards/seed.h"

namespace oddsmith::calc {

std::uint64_t system_seed() {
  const std::uint64_t seed = (std::uint64_t{seed_from_random_device()} << 32) | seed_from_random_device();
  return seed ? seed : 1;
}

Clock::time_point seconds_from_now(double seconds) {
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::clamp(seconds, 0.0, 1e9)));
}

double bound_of(const EquityQuery& query) {
  return query.max_seconds > 0 ? query.max_seconds : ODDSMITH_DEFAULT_MAX_SECONDS;
}

RunBudget resolve_budget(const EquityQuery& query) {
  RunBudget b;
  b.mode = query.mode;
  b.bound = bound_of(query);
  b.deadline = query.deadline ? *query.deadline : seconds_from_now(b.bound);
  b.seed = query.seed ? query.seed : system_seed();
  b.trials = query.trials;
  b.target_given = query.target_stderr > 0;
  b.target_stderr = b.target_given ? query.target_stderr : kDefaultTargetStderr;
  b.threads = query.threads;
  return b;
}

}  // namespace oddsmith::calc
