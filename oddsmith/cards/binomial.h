// C(n, k): the ways to choose k of n things, for the card counts the engine
// deals with (exact up to C(52, 26)). The one binomial of the engine, its table
// generator and its calculator.
#pragma once

#include <cstdint>

namespace oddsmith {

constexpr std::int64_t binomial(int n, int k) {
  if (k < 0 || k > n) return 0;
  if (k > n - k) k = n - k;
  std::int64_t c = 1;
  for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;  // exact: c * (n-k+i) is C(n-k+i, i) * i
  return c;
}

}  // namespace oddsmith
