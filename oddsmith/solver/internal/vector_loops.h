// The whole-range loops of the walk, each over the hands of one node: regret
// matching, the average strategy, and the updates. Branch-free, so that they
// run on vectors; where the loader can pick among builds for the processor
// (ELF, GCC), a second build uses AVX2's eight lanes. Every value is computed
// by the same operations in the same order either way (no fused
// multiply-adds, no reordered sums), so the numbers are the same.
#pragma once

#include <cstddef>

namespace oddsmith::solver::loops {

// sigma[a * H + h]: the positive regrets' shares, uniform where none is positive.
void regret_matching(const float* regrets, std::size_t actions, std::size_t hands, float* sigma);
// sigma[a * H + h]: the strategy sums' shares, uniform where all are 0.
void average(const float* sums, std::size_t actions, std::size_t hands, float* sigma);
// value[h] = sum over a of sigma[a * H + h] * cfv[a * stride + h].
void expected(const float* sigma, const float* cfv, std::size_t stride, std::size_t actions, std::size_t hands,
              float* value);
// regrets[a * H + h] = regret * (regret > 0 ? positive : negative) + cfv[a * H + h] - value[h].
void add_regrets(float* regrets, const float* cfv, const float* value, std::size_t actions, std::size_t hands,
                 float positive, float negative);
// sums[a * H + h] = sum * keep + reach[h] * sigma[a * H + h].
void add_sums(float* sums, const float* reach, const float* sigma, std::size_t actions, std::size_t hands, float keep);
// next[h] = reach[h] * share[h]; returns the largest.
float times(const float* reach, const float* share, std::size_t hands, float* next);
// out[h] += part[h].
void add(float* out, const float* part, std::size_t n);
// out[h] = max(out[h], part[h]).
void max_into(float* out, const float* part, std::size_t n);

}  // namespace oddsmith::solver::loops
