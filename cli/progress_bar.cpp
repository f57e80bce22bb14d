#include "progress_bar.h"

#include <cstdio>

#include "terminal.h"

namespace cli {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

}  // namespace

void ProgressBar::attach(oddsmith_equity_query& query) {
  if (!progress_wanted()) return;
  query.progress = update;
  query.progress_user = this;
}

int ProgressBar::update(double done, void* self) {
  auto* bar = static_cast<ProgressBar*>(self);
  done = done > 0 ? (done < 1 ? done : 1) : 0;
  const Clock::time_point now = Clock::now();
  const double elapsed = std::chrono::duration<double>(now - bar->start_).count();
  if (elapsed < 1.0 || bar->finished_) return 0;
  // The library reports far more often than a person can read; each redraw is
  // a write to the terminal, so they are spaced out, but the end is always shown.
  const bool finished = done >= 1;
  if (!finished && bar->shown_ && now - bar->drawn_at_ < kRedrawEvery) return 0;
  const int width = 30, filled = static_cast<int>(done * width);
  char left[48] = "";
  if (done >= 0.02 && !finished) std::snprintf(left, sizeof left, ", about %.0f s left", elapsed * (1 - done) / done);
  std::fprintf(stderr, "\r[%.*s%*s] %3d%%  %.0f s%-24s", filled, "##############################", width - filled, "",
               static_cast<int>(done * 100), elapsed, left);
  std::fflush(stderr);
  bar->shown_ = true;
  bar->finished_ = finished;
  bar->drawn_at_ = now;
  return 0;
}

void ProgressBar::clear() const {
  if (shown_) std::fprintf(stderr, "\r%80s\r", "");
}

}  // namespace cli
