// Hold'em's 169 starting-hand classes, numbered row * 13 + col on the usual
// chart: ranks ace first, pairs on the diagonal, suited above it, offsuit below.
#pragma once

#include <array>
#include <string>

namespace oddsmith::tournament {

inline constexpr int kClasses = 169;
inline constexpr int kHands = 1326;

std::string class_label(int cls);  // "AA", "AKs", "72o"
int class_combos(int cls);         // 6 for a pair, 4 suited, 12 offsuit
// The class of the two-card hand (cards 0..51, rank = card / 4, deuce 0).
int class_of(int card_a, int card_b);

// How many pairs of hands (one of each class) share no card: 0..144.
using ClassPairCounts = std::array<std::array<int, kClasses>, kClasses>;
ClassPairCounts class_pair_counts();

}  // namespace oddsmith::tournament
