#include "calculator/internal/chunk_runner.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace oddsmith::calc {

namespace {

// The calling thread reports progress at most this often from inside a chunk.
constexpr auto kPollInterval = std::chrono::milliseconds(50);
// A chunk's polls read the clock for the deadline this often (a Monte-Carlo
// chunk polls every few dozen deals, and reading the clock is not free).
constexpr unsigned kPollsPerClockRead = 8;

}  // namespace

struct ChunkRun {
  std::size_t count;
  ProgressFn progress;
  void* user;
  std::atomic<std::size_t> next{0}, finished{0};
  std::chrono::steady_clock::time_point deadline = kNoDeadline;
  std::atomic<bool> stop{false}, failed{false}, timed_out{false};
  bool cancelled = false;  // written by the calling thread only
  std::chrono::steady_clock::time_point last_report = std::chrono::steady_clock::now();

  // True, and the run stopping, once the deadline has passed and some chunk
  // has finished: a run given too little time still answers from its first
  // chunks (a few milliseconds each) rather than with nothing.
  bool out_of_time() {
    if (deadline == kNoDeadline || finished.load(std::memory_order_relaxed) == 0 ||
        std::chrono::steady_clock::now() < deadline)
      return false;
    timed_out = true;
    stop = true;
    return true;
  }

  // The calling thread's report; true when the callback cancels.
  bool report(double share_of_current) {
    last_report = std::chrono::steady_clock::now();
    const double done = (static_cast<double>(finished.load()) + share_of_current) / static_cast<double>(count);
    if (progress(std::min(done, 1.0), user)) {
      cancelled = true;
      stop = true;
    }
    return cancelled;
  }
};

bool ChunkPoll::operator()(double share) const {
  if (run_->stop.load(std::memory_order_relaxed)) return true;
  if (++polls_ % kPollsPerClockRead == 0 && run_->out_of_time()) return true;
  if (!caller_ || !run_->progress || std::chrono::steady_clock::now() - run_->last_report < kPollInterval) return false;
  return run_->report(std::clamp(share, 0.0, 1.0));
}

bool ChunkPoll::stopped() const { return run_->stop.load(); }

int thread_count(int requested, std::size_t chunks) {
  std::size_t n = requested > 0 ? static_cast<std::size_t>(requested) : std::max(1u, std::thread::hardware_concurrency());
  n = std::min({n, chunks, std::size_t{256}});
  return static_cast<int>(std::max<std::size_t>(n, 1));
}

RunStatus run_chunks(std::size_t count, int threads, const std::function<void(std::size_t, const ChunkPoll&)>& work,
                     ProgressFn progress, void* user, std::chrono::steady_clock::time_point deadline) {
  ChunkRun run{count, progress, user};
  run.deadline = deadline;
  // Takes the next chunk and runs it; false when none is left or the run stops.
  auto run_one = [&](const ChunkPoll& poll) {
    if (run.stop.load(std::memory_order_relaxed) || run.out_of_time()) return false;
    const std::size_t i = run.next.fetch_add(1, std::memory_order_relaxed);
    if (i >= count) return false;
    try {
      work(i, poll);
    } catch (...) {
      run.failed = true;
      run.stop = true;
      return false;
    }
    run.finished.fetch_add(1, std::memory_order_relaxed);
    return true;
  };
  std::vector<std::thread> helpers;
  try {
    for (int t = 1; t < threads; ++t)
      helpers.emplace_back([&] {
        const ChunkPoll poll(run, false);
        while (run_one(poll)) {}
      });
  } catch (...) {
    // No more threads to be had: the ones started and the caller do the work.
  }
  // The caller works too, reporting progress after each of its chunks.
  const ChunkPoll poll(run, true);
  while (run_one(poll)) {
    if (progress && !run.cancelled) run.report(0);
  }
  for (std::thread& t : helpers) t.join();
  if (run.failed) return RunStatus::failed;
  if (run.cancelled) return RunStatus::cancelled;
  if (run.timed_out && run.finished.load() < count) return RunStatus::timed_out;
  if (progress && progress(1.0, user)) return RunStatus::cancelled;
  return RunStatus::done;
}

}  // namespace oddsmith::calc
