// Hold'em's 169 starting-hand classes, numbered row * 13 + col on the usual
// chart: ranks ace first, pairs on the diagonal, suited above it, offsuit below.
#pragma once

#include <array>
#include <string>

namespace oddsmith::tournament {

inline constexpr int kClasses = 169;
inline constexpr int kHands = 1326;
inline constexpr int kHandsLeftByOne = 1225;  // the hands a given hand leaves another player

std::string class_label(int cls);  // "AA", "AKs", "72o"
int class_combos(int cls);         // 6 for a pair, 4 suited, 12 offsuit
// The class of the two-card hand (cards 0..51, rank = card / 4, deuce 0).
int class_of(int card_a, int card_b);

// How many pairs of hands (one of each class) share no card: 0..144.
using ClassPairCounts = std::array<std::array<int, kClasses>, kClasses>;
ClassPairCounts class_pair_counts();

// Card removal, first order: for a player whose weight by class is `weights`
// (169: the share of all hands that hold the class and play so), how likely
// their hand misses a given hand of each class, relative to a hand dealt from
// all 1,326 (1 when nothing is known of it; 0 when every hand they play holds
// one of its cards). Writes 169 values.
void class_miss_shares(const double* weights, double* out);

}  // namespace oddsmith::tournament
