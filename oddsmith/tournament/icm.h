// The independent chip model (Malmuth-Harville): each player's share of the
// prize money, given the stacks and the payouts. A player finishes first with
// probability proportional to their stack; among the rest, the next place is
// again drawn in proportion to the stacks left, and so on. Exact over subsets
// of players for small fields, seeded Monte Carlo for any field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "oddsmith.h"

namespace oddsmith::tournament {

// Called from the calling thread with the share done (0..1); true cancels.
using ProgressFn = bool (*)(double done, void* user);

enum class IcmMode { automatic, exact, monte_carlo };

enum class IcmStatus { ok, bad_query, cancelled, target_not_met };

struct IcmQuery {
  std::vector<double> stacks;   // one per player, >= 0, at least one > 0
  std::vector<double> payouts;  // prize of 1st, 2nd, ... place; at most one per player, each >= 0
  IcmMode mode = IcmMode::automatic;
  std::int64_t samples = 0;     // Monte Carlo: finishing orders to draw; 0: until target_stderr
  double target_stderr = 0;     // Monte Carlo: stop once every player's standard error is at most this
                                // share of the prize pool (0: kDefaultTargetStderr)
  std::uint64_t seed = 1;       // Monte Carlo: equal seeds give equal results
  double max_seconds = 0;       // the time bound (0: kDefaultMaxSeconds)
  ProgressFn progress = nullptr;
  void* progress_user = nullptr;
};

struct IcmOutcome {
  IcmStatus status = IcmStatus::bad_query;
  std::string error;
  bool exact = false;
  std::int64_t samples = 0;
  double seconds = 0;
  std::vector<double> equity;     // prize equity per player, in the stacks' order
  std::vector<double> std_error;  // 0 when exact
};

inline constexpr double kDefaultTargetStderr = 0.001;  // of the prize pool
inline constexpr double kDefaultMaxSeconds = ODDSMITH_DEFAULT_MAX_SECONDS;
// The automatic mode runs exactly while the subsets to visit are at most this many.
inline constexpr double kExactSubsetBudget = 4e7;
// An exact run holds two layers of subsets; it is refused past this many of one layer.
inline constexpr double kExactLayerLimit = 6e7;

// Empty when the stacks and payouts make a question, else what is wrong.
std::string icm_input_error(const std::vector<double>& stacks, const std::vector<double>& payouts);

// Subsets an exact run visits (the players with chips, the places paid).
double icm_exact_subsets(const std::vector<double>& stacks, std::size_t paid_places);

// Answers the query; never throws but std::bad_alloc.
IcmOutcome compute_icm(const IcmQuery& query);

}  // namespace oddsmith::tournament
