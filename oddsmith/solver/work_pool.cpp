// The solver's pool of threads (internal/work_pool.h).
#include "solver/internal/work_pool.h"

namespace oddsmith::solver {

namespace {
thread_local int t_index = 0;
thread_local bool t_in_loop = false;
}  // namespace

int WorkPool::thread_index() { return t_index; }
bool WorkPool::in_loop() { return t_in_loop; }

WorkPool::WorkPool(int threads) {
  for (int i = 1; i < threads; ++i) workers_.emplace_back([this, i] { work(i); });
}

WorkPool::~WorkPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
}

void WorkPool::take_items(Loop& loop, int thread) {
  const bool was = t_in_loop;
  t_in_loop = true;
  for (std::size_t i; (i = loop.next.fetch_add(1, std::memory_order_relaxed)) < loop.count;) (*loop.item)(i, thread);
  t_in_loop = was;
}

void WorkPool::work(int index) {
  t_index = index;
  std::uint64_t seen = 0;
  while (true) {
    Loop* loop = nullptr;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      loop = loop_;
      if (!loop) continue;
      ++loop->holders;
    }
    take_items(*loop, index);
    {
      std::lock_guard lock(mutex_);
      --loop->holders;
    }
    done_.notify_all();
  }
}

void WorkPool::run(std::size_t n, const std::function<void(std::size_t, int)>& item) {
  if (n == 0) return;
  if (workers_.empty() || t_in_loop || n == 1) {
    const bool was = t_in_loop;
    t_in_loop = true;
    for (std::size_t i = 0; i < n; ++i) item(i, t_index);
    t_in_loop = was;
    return;
  }
  Loop loop;
  loop.item = &item;
  loop.count = n;
  {
    std::lock_guard lock(mutex_);
    loop_ = &loop;
    ++generation_;
  }
  wake_.notify_all();
  take_items(loop, t_index);
  // Every item has been taken; wait for the pool threads still doing theirs,
  // and let no thread take up this loop from now on.
  std::unique_lock lock(mutex_);
  loop_ = nullptr;
  done_.wait(lock, [&] { return loop.holders == 0; });
}

}  // namespace oddsmith::solver
