// What every way of going through deals adds up, and the one place that adds
// chunks' tallies together: in chunk order, batch after batch, so that a run's
// sums do not depend on which thread ran which chunk and its memory does not
// grow with the number of chunks.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "calculator/internal/chunk_runner.h"

namespace oddsmith::calc {

// Per-player sums over deals, each deal counted with its weight.
struct Tally {
  double equity = 0;
  double equity_squared = 0;  // for the Monte-Carlo standard error
  double win = 0;
  double tie = 0;
  double low = 0;  // Hi/Lo: the part of `equity` won with the low half
  // The standard error of the mean share over `deals` equally weighted deals.
  double standard_error(double deals) const {
    const double mean = equity / deals;
    return std::sqrt(std::max(0.0, equity_squared / deals - mean * mean) / deals);
  }
  void add(const Tally& o) {
    equity += o.equity;
    equity_squared += o.equity_squared;
    win += o.win;
    tie += o.tie;
    low += o.low;
  }
};

// One hand of the first player's range: the opponents' weight it beat, tied and
// met, summed over boards (its equity is (win + tie / 2) / weight heads-up).
struct HandTally {
  double win = 0, tie = 0, weight = 0;
};

// Tallies of a run or a chunk: per player, plus the total weight and count of
// deals; where asked for, per hand of the first player too.
struct SweepTally {
  std::vector<Tally> players;
  std::vector<HandTally> first_hands;
  double weight = 0;
  std::int64_t deals = 0;
  void add(const SweepTally& o);
};

struct SweepResult {
  RunStatus status = RunStatus::done;
  SweepTally tally;
  bool stuck = false;        // Monte Carlo: assignments almost never fit together
  bool target_met = true;    // Monte Carlo: false when its target was given up or the deadline cut it short
  bool out_of_time = false;  // Monte Carlo: the deadline cut it short
};

// One chunk's work: fills `out` (its players already sized), calling `poll`
// now and then when it is long; false when the chunk could not be done (a
// Monte-Carlo chunk whose draws kept clashing).
using ChunkWork = std::function<bool(std::size_t chunk, SweepTally& out, const ChunkPoll& poll)>;

struct ChunkSchedule {
  std::size_t chunks = 0;  // chunks 0 .. chunks-1
  std::size_t batch = 1024;  // chunks run together before their tallies are added
  int threads = 1;
  // The share of the work done after `chunks_done` chunks (fractional within a
  // batch); by default chunks_done / chunks.
  std::function<double(double chunks_done)> share;
  // Called after each batch with the total so far and the chunks done; false
  // stops the run there.
  std::function<bool(const SweepTally& total, std::size_t chunks_done)> after_batch;
  // The run stops here (status timed_out), its total holding the chunks that finished.
  std::chrono::steady_clock::time_point deadline = kNoDeadline;
};

// Runs the chunks and adds their tallies into result.tally in chunk order.
SweepResult run_in_chunk_order(int players, const ChunkSchedule& schedule, const ChunkWork& work, ProgressFn progress,
                               void* user);

// The same for `chunks` chunks in batches of the default size, the share done
// counted by chunks, nothing between batches.
inline SweepResult run_in_chunk_order(int players, std::size_t chunks, int threads,
                                      std::chrono::steady_clock::time_point deadline, const ChunkWork& work,
                                      ProgressFn progress, void* user) {
  ChunkSchedule schedule;
  schedule.chunks = chunks;
  schedule.threads = threads;
  schedule.deadline = deadline;
  return run_in_chunk_order(players, schedule, work, progress, user);
}

}  // namespace oddsmith::calc
