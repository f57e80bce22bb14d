// The two ways of going through deals, both split into numbered chunks whose
// tallies are combined in chunk order:
//   exact        every board completion, and on each board every assignment of
//                hands in which no card repeats, weighted by the weights' product;
//   Monte Carlo  assignments drawn by weight, a clash redrawing the whole
//                assignment, then a uniformly drawn board completion.
#pragma once

#include <cstdint>
#include <vector>

#include "calculator/chunk_runner.h"
#include "calculator/prepared_query.h"
#include "calculator/showdown.h"

namespace oddsmith::calc {

// Tallies of a sweep: per player, plus the total weight and count of deals.
struct SweepTally {
  std::vector<Tally> players;
  double weight = 0;
  std::int64_t deals = 0;
  void add(const SweepTally& o);
};

struct SweepResult {
  RunStatus status = RunStatus::done;
  SweepTally tally;
  bool stuck = false;  // Monte Carlo: assignments almost never fit together
};

// The chunks' tallies added up in chunk order (so the sum does not depend on
// which thread ran which chunk).
SweepResult in_chunk_order(RunStatus status, int players, const std::vector<SweepTally>& tallies);

SweepResult run_exact(const PreparedQuery& q, int threads, ProgressFn progress, void* user);

// Exact Hold'em by counting boards per assignment of hands (by their ranks, the
// flush boards by their suited cards) rather than visiting every board: the
// cheaper way when assignments are few (a hand against a hand or a range).
bool counting_boards_is_cheaper(const PreparedQuery& q);
// Its work: rank multisets and flush groups valued, over all assignments (1e18
// where it does not apply).
double counting_work(const PreparedQuery& q);
SweepResult run_exact_by_counting(const PreparedQuery& q, int threads, ProgressFn progress, void* user);

// `trials` deals, or (trials 0) batches until every player's standard error is
// at most `target_stderr`.
SweepResult run_monte_carlo(const PreparedQuery& q, std::int64_t trials, double target_stderr, std::uint64_t seed,
                            int threads, ProgressFn progress, void* user);

}  // namespace oddsmith::calc
