// The solver's threads: a fixed pool that runs the items of one loop at a time
// (the cards of a chance node), the calling thread taking part. Each item is
// done whole by one thread, and callers combine the items' results in item
// order, so results do not depend on the thread count or the schedule.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace oddsmith::solver {

class WorkPool {
 public:
  explicit WorkPool(int threads);
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  int threads() const { return static_cast<int>(workers_.size()) + 1; }
  // The calling thread's number: 0 for a thread outside the pool, 1.. for the pool's.
  static int thread_index();
  // Whether this thread is inside a loop already (nested loops run serially).
  static bool in_loop();

  // Runs item(i, thread) for i in [0, n); returns when all are done.
  void run(std::size_t n, const std::function<void(std::size_t, int)>& item);

 private:
  struct Loop {
    const std::function<void(std::size_t, int)>* item;
    std::size_t count;
    std::atomic<std::size_t> next{0};
    int holders = 0;  // pool threads taking its items (under mutex_)
  };
  void work(int index);
  static void take_items(Loop& loop, int thread);

  std::vector<std::thread> workers_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::uint64_t generation_ = 0;
  bool stopping_ = false;
  Loop* loop_ = nullptr;  // the loop running now (under mutex_)
};

}  // namespace oddsmith::solver
