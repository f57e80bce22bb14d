// Runs numbered chunks of work on several threads, the caller's among them.
// Each chunk writes only its own result slot, so combining the slots in chunk
// order gives the same answer whatever the thread count. Progress is reported
// from the calling thread, between its chunks and when a long chunk polls; a
// progress callback may cancel.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

#include "calculator/equity_query.h"

namespace oddsmith::calc {

enum class RunStatus { done, cancelled, failed };

// Handed to a chunk so that a long one can report how far it is and learn that
// the run is stopping.
struct ChunkRun;
class ChunkPoll {
 public:
  ChunkPoll(ChunkRun& run, bool caller) : run_(&run), caller_(caller) {}
  // `share`: of this chunk done. True when the chunk should stop at once.
  bool operator()(double share) const;

 private:
  ChunkRun* run_;
  bool caller_;  // on the calling thread, the one that reports progress
};

// Threads to use for `requested` (0: every core), at most `chunks`.
int thread_count(int requested, std::size_t chunks);

// Calls work(i, poll) once for each i in [0, count). `failed` when a chunk threw.
RunStatus run_chunks(std::size_t count, int threads, const std::function<void(std::size_t, const ChunkPoll&)>& work,
                     ProgressFn progress, void* user);

}  // namespace oddsmith::calc
