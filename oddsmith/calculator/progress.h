// The one adapter between a run's parts and the caller's progress callback: a
// part's share done d in [0, 1] reads as from + (to - from) * d of the whole,
// and the share shown never goes down (a Monte-Carlo target's expected length
// can grow between batches, and parts of a run may report out of step).
// Spans nest: a part's span may forward to the span of the run it is part of.
#pragma once

#include <algorithm>

#include "calculator/equity_query.h"

namespace oddsmith::calc {

struct ProgressSpan {
  ProgressFn fn = nullptr;
  void* user = nullptr;
  double from = 0, to = 1;
  double shown = 0;

  // The callback to hand a run: nothing when the caller asked for no progress.
  ProgressFn callback() const { return fn ? report : nullptr; }
  // Reports `done` of this span; true when the caller cancels.
  bool operator()(double done) { return fn && report(done, this); }
  // A span for the part [a, b) of this one (shares of this span).
  ProgressSpan part(double a, double b) { return {fn ? report : nullptr, this, a, b}; }

  static bool report(double done, void* self) {
    auto* s = static_cast<ProgressSpan*>(self);
    s->shown = std::max(s->shown, s->from + (s->to - s->from) * std::clamp(done, 0.0, 1.0));
    return s->fn(s->shown, s->user);
  }
};

}  // namespace oddsmith::calc
