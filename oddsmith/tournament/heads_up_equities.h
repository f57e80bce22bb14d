// Hold'em heads-up all-in equities, class against class, no board: the exact
// table computed once by the engine's calculator (tools/generate_heads_up_equities.cpp)
// and compiled in.
#pragma once

namespace oddsmith::tournament {

struct ClassShowdown {
  double equity = 0;  // the first class's average share of the pot
  double tie = 0;     // share of deals tied
  double win() const { return equity - tie / 2; }
};

// The first class (0..168, hand_classes.h) against the second, every pair of
// hands sharing no card weighted alike.
ClassShowdown heads_up_showdown(int first, int second);

}  // namespace oddsmith::tournament
