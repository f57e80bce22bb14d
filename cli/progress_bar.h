// The progress bar of a long run, on standard error when it is a terminal: the
// share done, the time taken and, once a few percent are done, the time left at
// the pace so far. Shown once a run has taken a second; redrawn at most ten
// times a second however often it is told, the finished state drawn once.
#pragma once

#include <chrono>

#include "oddsmith.h"

namespace cli {

class ProgressBar {
 public:
  // Makes the bar the query's progress callback when standard error is a terminal.
  void attach(oddsmith_equity_query& query);
  // The share done, 0 to 1: redraws when due. Always 0 (never cancels), as a callback.
  static int update(double done, void* self);
  // Erases the bar, if it was drawn, so that the output starts on a clean line.
  void clear() const;

 private:
  using Clock = std::chrono::steady_clock;
  Clock::time_point start_ = Clock::now(), drawn_at_{};
  bool shown_ = false, finished_ = false;
};

}  // namespace cli
