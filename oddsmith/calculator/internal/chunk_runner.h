// Runs numbered chunks of work on several threads, the caller's among them.
// Each chunk writes only its own result slot, so combining the slots in chunk
// order gives the same answer whatever the thread count. Progress is reported
// from the calling thread, between its chunks and when a long chunk polls; a
// progress callback may cancel, and a deadline stops the run where it stands.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

#include "calculator/equity_query.h"

namespace oddsmith::calc {

// timed_out: the deadline passed; the chunks that finished are whole, the rest
// were stopped part-way (ChunkPoll::stopped tells a chunk which it is).
enum class RunStatus { done, cancelled, failed, timed_out };

// No deadline: a run that only ends when its work does (or is cancelled).
inline constexpr std::chrono::steady_clock::time_point kNoDeadline = std::chrono::steady_clock::time_point::max();

// Handed to a chunk so that a long one can report how far it is and learn that
// the run is stopping.
struct ChunkRun;
class ChunkPoll {
 public:
  ChunkPoll(ChunkRun& run, bool caller) : run_(&run), caller_(caller) {}
  // `share`: of this chunk done. True when the chunk should stop at once.
  bool operator()(double share) const;
  // Whether the run is stopping (cancelled, failed or out of time): a chunk
  // that ends while this holds may have stopped part-way.
  bool stopped() const;

 private:
  ChunkRun* run_;
  bool caller_;  // on the calling thread, the one that reports progress
  mutable unsigned polls_ = 0;  // the clock is read on every few polls only
};

// Threads to use for `requested` (0: every core), at most `chunks`.
int thread_count(int requested, std::size_t chunks);

// Calls work(i, poll) once for each i in [0, count), until `deadline`.
// `failed` when a chunk threw.
RunStatus run_chunks(std::size_t count, int threads, const std::function<void(std::size_t, const ChunkPoll&)>& work,
                     ProgressFn progress, void* user,
                     std::chrono::steady_clock::time_point deadline = kNoDeadline);

}  // namespace oddsmith::calc
