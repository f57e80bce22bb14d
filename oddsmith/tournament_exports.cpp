// The tournament exports (oddsmith_icm, oddsmith_pushfold and their helpers):
// argument checks, then a call into tournament/.
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "oddsmith.h"
#include "export_text.h"
#include "cards/seed.h"
#include "tournament/class_range_text.h"
#include "tournament/hand_classes.h"
#include "tournament/icm.h"
#include "tournament/push_fold.h"

namespace {

namespace tour = oddsmith::tournament;

int refuse(int status, const std::string& message, char* error, int error_size) {
  if (error && error_size > 0) {
    const std::size_t n = std::min(message.size(), static_cast<std::size_t>(error_size) - 1);
    std::memcpy(error, message.data(), n);
    error[n] = '\0';
  }
  return status;
}

int status_of(tour::IcmStatus status) {
  switch (status) {
    case tour::IcmStatus::ok: return ODDSMITH_STATUS_OK;
    case tour::IcmStatus::cancelled: return ODDSMITH_STATUS_CANCELLED;
    case tour::IcmStatus::target_not_met: return ODDSMITH_STATUS_TARGET_NOT_MET;
    case tour::IcmStatus::bad_query: break;
  }
  return ODDSMITH_STATUS_BAD_QUERY;
}

using oddsmith::exports::write_text;

// The C progress callback as the tournament layer's.
struct Progress {
  oddsmith_progress_fn fn;
  void* user;
  static bool call(double done, void* self) {
    const auto* p = static_cast<const Progress*>(self);
    return p->fn(done, p->user) != 0;
  }
};

// A push/fold query from the C one; empty or what is wrong.
std::string read_pushfold(const oddsmith_pushfold_query* query, tour::PushFoldQuery& q, Progress& progress,
                          bool stacks_needed) {
  if (!query) return "no query (a null pointer)";
  if (query->size != static_cast<int>(sizeof(oddsmith_pushfold_query)))
    return "the query's size field is not set to its sizeof";
  if (stacks_needed) {
    if (query->player_count < 2 || query->player_count > ODDSMITH_PUSHFOLD_MAX_PLAYERS || !query->stacks)
      return "push/fold equilibria take 2 to " + std::to_string(ODDSMITH_PUSHFOLD_MAX_PLAYERS) + " stacks";
    q.stacks.assign(query->stacks, query->stacks + query->player_count);
  }
  if (query->big_blind != 0) {
    q.small_blind = query->small_blind;
    q.big_blind = query->big_blind;
  }
  q.ante = query->ante;
  q.big_blind_ante = query->big_blind_ante != 0;
  if (query->payout_count < 0 || (query->payout_count > 0 && !query->payouts)) return "bad payouts";
  if (query->payout_count > ODDSMITH_PUSHFOLD_MAX_PLAYERS) return "more payouts than players";
  q.payouts.assign(query->payouts, query->payouts + query->payout_count);
  q.card_removal = query->without_card_removal == 0;
  q.target_exploitability = query->target_exploitability;
  q.max_seconds = query->max_seconds;
  if (query->threads < 0) return "a negative thread count";
  q.threads = std::max(1, query->threads);
  q.seed = query->seed != 0 ? query->seed : 1;
  if (query->progress) {
    progress = {query->progress, query->progress_user};
    q.progress = &Progress::call;
    q.progress_user = &progress;
  }
  return {};
}

}  // namespace

extern "C" {

ODDSMITH_API int oddsmith_icm(const oddsmith_icm_query* query, oddsmith_icm_result* result, char* error,
                              int error_size) {
  if (!query || !result) return refuse(ODDSMITH_STATUS_BAD_QUERY, "no query or no result (a null pointer)", error, error_size);
  if (query->size != static_cast<int>(sizeof(oddsmith_icm_query)) ||
      result->size != static_cast<int>(sizeof(oddsmith_icm_result)))
    return refuse(ODDSMITH_STATUS_BAD_QUERY, "the query's or result's size field is not set to its sizeof", error,
                  error_size);
  if (query->player_count < 1 || query->player_count > ODDSMITH_ICM_MAX_PLAYERS || !query->stacks)
    return refuse(ODDSMITH_STATUS_BAD_QUERY, "no stacks, or more than ODDSMITH_ICM_MAX_PLAYERS", error, error_size);
  if (query->payout_count < 1 || !query->payouts)
    return refuse(ODDSMITH_STATUS_BAD_QUERY, "no payouts given", error, error_size);
  if (!result->equity) return refuse(ODDSMITH_STATUS_BAD_QUERY, "no array for the equities", error, error_size);
  if (query->mode < ODDSMITH_MODE_AUTO || query->mode > ODDSMITH_MODE_MONTE_CARLO)
    return refuse(ODDSMITH_STATUS_BAD_QUERY, "unknown mode", error, error_size);
  try {
    tour::IcmQuery q;
    q.stacks.assign(query->stacks, query->stacks + query->player_count);
    q.payouts.assign(query->payouts, query->payouts + std::min(query->payout_count, query->player_count + 1));
    q.mode = query->mode == ODDSMITH_MODE_EXACT
                 ? tour::IcmMode::exact
                 : (query->mode == ODDSMITH_MODE_MONTE_CARLO ? tour::IcmMode::monte_carlo : tour::IcmMode::automatic);
    q.samples = query->samples;
    q.target_stderr = query->target_stderr;
    q.seed = query->seed != 0 ? query->seed : oddsmith::seed_from_random_device();
    q.max_seconds = query->max_seconds;  // 0: the default; a negative or NaN bound is refused
    Progress progress{};
    if (query->progress) {
      progress = {query->progress, query->progress_user};
      q.progress = &Progress::call;
      q.progress_user = &progress;
    }
    const tour::IcmOutcome out = tour::compute_icm(q);
    if (out.status != tour::IcmStatus::ok && out.status != tour::IcmStatus::target_not_met)
      return refuse(status_of(out.status), out.error, error, error_size);
    result->exact = out.exact ? 1 : 0;
    result->samples = out.samples;
    result->seconds = out.seconds;
    result->seed = out.exact ? 0 : q.seed;
    std::copy(out.equity.begin(), out.equity.end(), result->equity);
    if (result->std_error) std::copy(out.std_error.begin(), out.std_error.end(), result->std_error);
    if (out.status != tour::IcmStatus::ok)
      return refuse(status_of(out.status), "the standard-error target was not met within the time bound", error,
                    error_size);
    return ODDSMITH_STATUS_OK;
  } catch (...) {
    return refuse(ODDSMITH_STATUS_NO_MEMORY, "out of memory", error, error_size);
  }
}

ODDSMITH_API int oddsmith_pushfold(const oddsmith_pushfold_query* query, oddsmith_pushfold_result* result,
                                   char* error, int error_size) {
  if (!result || result->size != static_cast<int>(sizeof(oddsmith_pushfold_result)))
    return refuse(ODDSMITH_STATUS_BAD_QUERY, "no result, or its size field is not set to its sizeof", error, error_size);
  try {
    tour::PushFoldQuery q;
    Progress progress{};
    if (std::string message = read_pushfold(query, q, progress, true); !message.empty())
      return refuse(ODDSMITH_STATUS_BAD_QUERY, message, error, error_size);
    const tour::PushFoldOutcome out = tour::solve_push_fold(q);
    if (out.status != tour::IcmStatus::ok && out.status != tour::IcmStatus::target_not_met)
      return refuse(status_of(out.status), out.error, error, error_size);
    result->icm = out.icm ? 1 : 0;
    result->iterations = out.iterations;
    result->seconds = out.seconds;
    result->exploitability = out.exploitability;
    result->player_count = static_cast<int>(q.stacks.size());
    for (std::size_t p = 0; p < q.stacks.size(); ++p) {
      result->best_response_gain[p] = out.best_response_gain[p];
      result->ev_chips[p] = out.ev_chips[p];
      result->ev_prize[p] = out.icm ? out.ev_prize[p] : 0.0;
    }
    result->spot_count = static_cast<int>(std::min<std::size_t>(out.spots.size(), ODDSMITH_PUSHFOLD_MAX_SPOTS));
    result->multiway_deals = out.multiway_deals;
    result->multiway_std_error = out.multiway_std_error;
    for (std::size_t s = 0; s < static_cast<std::size_t>(result->spot_count); ++s) {
      oddsmith_pushfold_spot& spot = result->spots[s];
      spot.player = out.spots[s].player;
      spot.pusher = out.spots[s].pusher;
      spot.callers = static_cast<int>(out.spots[s].callers);
      spot.share = out.spots[s].share;
      std::copy(out.spots[s].strategy.begin(), out.spots[s].strategy.end(), spot.strategy);
    }
    if (out.status != tour::IcmStatus::ok)
      return refuse(status_of(out.status), "the exploitability target was not met within the time bound", error,
                    error_size);
    return ODDSMITH_STATUS_OK;
  } catch (...) {
    return refuse(ODDSMITH_STATUS_NO_MEMORY, "out of memory", error, error_size);
  }
}

ODDSMITH_API int oddsmith_pushfold_chart(const oddsmith_pushfold_query* query, double smallest, double largest,
                                         double step, double push_up_to[ODDSMITH_CLASS_COUNT],
                                         double call_up_to[ODDSMITH_CLASS_COUNT], double* worst, char* error,
                                         int error_size) {
  if (!push_up_to || !call_up_to)
    return refuse(ODDSMITH_STATUS_BAD_QUERY, "no arrays for the chart", error, error_size);
  try {
    tour::PushFoldQuery q;
    Progress progress{};
    if (std::string message = read_pushfold(query, q, progress, false); !message.empty())
      return refuse(ODDSMITH_STATUS_BAD_QUERY, message, error, error_size);
    const tour::PushFoldChart chart = tour::heads_up_chart(q, smallest, largest, step);
    if (chart.status != tour::IcmStatus::ok && chart.status != tour::IcmStatus::target_not_met)
      return refuse(status_of(chart.status), chart.error, error, error_size);
    std::copy(chart.push_up_to.begin(), chart.push_up_to.end(), push_up_to);
    std::copy(chart.call_up_to.begin(), chart.call_up_to.end(), call_up_to);
    if (worst) *worst = chart.worst_exploitability;
    if (chart.status != tour::IcmStatus::ok)
      return refuse(status_of(chart.status), "the exploitability target was not met within the time bound", error,
                    error_size);
    return ODDSMITH_STATUS_OK;
  } catch (...) {
    return refuse(ODDSMITH_STATUS_NO_MEMORY, "out of memory", error, error_size);
  }
}

ODDSMITH_API int oddsmith_class_range_text(const double* strategy, char* out, int size) {
  if (!strategy) {
    if (out && size > 0) out[0] = '\0';
    return -1;
  }
  try {
    std::array<double, tour::kClasses> weights{};
    std::copy(strategy, strategy + tour::kClasses, weights.begin());
    return write_text(tour::class_range_text(weights), out, size);
  } catch (...) {
    if (out && size > 0) out[0] = '\0';
    return -1;
  }
}

ODDSMITH_API int oddsmith_class_label(int cls, char* out, int size) {
  if (cls < 0 || cls >= tour::kClasses) {
    if (out && size > 0) out[0] = '\0';
    return -1;
  }
  try {
    return write_text(tour::class_label(cls), out, size);
  } catch (...) {
    if (out && size > 0) out[0] = '\0';
    return -1;
  }
}

}  // extern "C"
