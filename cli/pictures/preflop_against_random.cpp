#include "preflop_against_random.h"

#include "oddsmith.h"

namespace pictures {

namespace {

struct ClassEquity {
  int game, row, col;
  double equity;
};

constexpr ClassEquity kEquities[] = {
#include "preflop_against_random.inc"
};

}  // namespace

bool preflop_against_random(int game, double (&equity)[13][13]) {
  bool any = false;
  for (const ClassEquity& e : kEquities) {
    if (e.game != game) continue;
    equity[e.row][e.col] = e.equity;
    any = true;
  }
  return any;
}

}  // namespace pictures
