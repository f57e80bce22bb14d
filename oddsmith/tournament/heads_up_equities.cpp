// The generated heads-up table, stored for first <= second, read both ways.
#include "tournament/heads_up_equities.h"

#include <array>

#include "tournament/hand_classes.h"

namespace oddsmith::tournament {
namespace {

constexpr ClassShowdown kUpperHalf[] = {
#include "heads_up_equities.inc"
};
static_assert(std::size(kUpperHalf) == kClasses * (kClasses + 1) / 2);

// Where row a's cells (a <= b) start: a * 169 - a * (a - 1) / 2.
constexpr int row_start(int a) { return a * kClasses - a * (a - 1) / 2; }

}  // namespace

ClassShowdown heads_up_showdown(int first, int second) {
  if (first <= second) {
    return kUpperHalf[row_start(first) + (second - first)];
  }
  const ClassShowdown mirror = kUpperHalf[row_start(second) + (first - second)];
  return {1.0 - mirror.equity, mirror.tie};
}

}  // namespace oddsmith::tournament
