#include "calculator/chunk_runner.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace oddsmith::calc {

int thread_count(int requested, std::size_t chunks) {
  std::size_t n = requested > 0 ? static_cast<std::size_t>(requested) : std::max(1u, std::thread::hardware_concurrency());
  n = std::min({n, chunks, std::size_t{256}});
  return static_cast<int>(std::max<std::size_t>(n, 1));
}

RunStatus run_chunks(std::size_t count, int threads, const std::function<void(std::size_t)>& work,
                     ProgressFn progress, void* user) {
  std::atomic<std::size_t> next{0}, finished{0};
  std::atomic<bool> stop{false}, failed{false};
  // Takes the next chunk and runs it; false when none is left or the run stops.
  auto run_one = [&] {
    if (stop.load(std::memory_order_relaxed)) return false;
    const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
    if (i >= count) return false;
    try {
      work(i);
    } catch (...) {
      failed = true;
      stop = true;
      return false;
    }
    finished.fetch_add(1, std::memory_order_relaxed);
    return true;
  };
  std::vector<std::thread> helpers;
  try {
    for (int t = 1; t < threads; ++t) helpers.emplace_back([&] { while (run_one()) {} });
  } catch (...) {
    // No more threads to be had: the ones started and the caller do the work.
  }
  // The caller works too, reporting progress after each of its chunks.
  bool cancelled = false;
  while (run_one()) {
    if (progress && progress(static_cast<double>(finished.load()) / static_cast<double>(count), user)) {
      cancelled = true;
      stop = true;
    }
  }
  for (std::thread& t : helpers) t.join();
  if (failed) return RunStatus::failed;
  if (cancelled) return RunStatus::cancelled;
  if (progress && progress(1.0, user)) return RunStatus::cancelled;
  return RunStatus::done;
}

}  // namespace oddsmith::calc
