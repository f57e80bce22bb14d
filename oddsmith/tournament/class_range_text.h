// A set of starting-hand classes with weights as range notation (range/range_notation.h
// reads it back): pairs as "TT+", "66-44"; suited and offsuit classes by first
// rank as "A9s+", "K8o-K5o"; a class played part of the time with its weight,
// "QJo:0.45".
#pragma once

#include <array>
#include <string>

#include "tournament/hand_classes.h"

namespace oddsmith::tournament {

// Weights per class (0..1). Those within 0.005 of 1 count as 1 and of 0 as 0;
// the rest are written to two decimals. Empty for an empty range.
std::string class_range_text(const std::array<double, kClasses>& weights);

}  // namespace oddsmith::tournament
