// Runs numbered chunks of work on several threads, the caller's among them.
// Each chunk writes only its own result slot, so combining the slots in chunk
// order gives the same answer whatever the thread count. Progress is reported
// from the calling thread between its chunks; a progress callback may cancel.
#pragma once

#include <cstddef>
#include <functional>

#include "calculator/equity_query.h"

namespace oddsmith::calc {

enum class RunStatus { done, cancelled, failed };

// Threads to use for `requested` (0: every core), at most `chunks`.
int thread_count(int requested, std::size_t chunks);

// Calls work(i) once for each i in [0, count). `failed` when a chunk threw.
RunStatus run_chunks(std::size_t count, int threads, const std::function<void(std::size_t)>& work,
                     ProgressFn progress, void* user);

}  // namespace oddsmith::calc
