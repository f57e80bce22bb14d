// The walk's whole-range loops (internal/vector_loops.h).
#include "solver/internal/vector_loops.h"

#include <algorithm>

#if defined(__ELF__) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define ODDSMITH_VECTOR_CLONES [[gnu::target_clones("avx2", "default")]]
#else
#define ODDSMITH_VECTOR_CLONES
#endif

namespace oddsmith::solver::loops {

ODDSMITH_VECTOR_CLONES
void regret_matching(const float* r, std::size_t A, std::size_t H, float* sigma) {
  // The last row first holds 1 / (sum of positive regrets), or 0 where none
  // is positive.
  float* scale = sigma + (A - 1) * H;
  for (std::size_t h = 0; h < H; ++h) scale[h] = std::max(r[h], 0.0f);
  for (std::size_t a = 1; a < A; ++a)
    for (std::size_t h = 0; h < H; ++h) scale[h] += std::max(r[a * H + h], 0.0f);
  for (std::size_t h = 0; h < H; ++h) {
    const float sum = scale[h];
    const float divisor = sum > 0 ? sum : 1.0f;
    const float inverse = 1.0f / divisor;
    scale[h] = sum > 0 ? inverse : 0.0f;
  }
  const float uniform = 1.0f / static_cast<float>(A);
  for (std::size_t a = 0; a < A; ++a) {
    float* row = sigma + a * H;
    const float* ra = r + a * H;
    for (std::size_t h = 0; h < H; ++h) {
      const float inverse = scale[h];
      row[h] = std::max(ra[h], 0.0f) * inverse + (inverse == 0 ? uniform : 0.0f);
    }
  }
}

ODDSMITH_VECTOR_CLONES
void average(const float* s, std::size_t A, std::size_t H, float* sigma) {
  float* scale = sigma + (A - 1) * H;
  for (std::size_t h = 0; h < H; ++h) scale[h] = s[h];
  for (std::size_t a = 1; a < A; ++a)
    for (std::size_t h = 0; h < H; ++h) scale[h] += s[a * H + h];
  for (std::size_t h = 0; h < H; ++h) {
    const float sum = scale[h];
    const float divisor = sum > 0 ? sum : 1.0f;
    scale[h] = sum > 0 ? 1.0f / divisor : 0.0f;
  }
  const float uniform = 1.0f / static_cast<float>(A);
  for (std::size_t a = 0; a < A; ++a) {
    float* row = sigma + a * H;
    const float* sa = s + a * H;
    for (std::size_t h = 0; h < H; ++h) {
      const float inverse = scale[h];
      row[h] = sa[h] * inverse + (inverse == 0 ? uniform : 0.0f);
    }
  }
}

ODDSMITH_VECTOR_CLONES
void expected(const float* sigma, const float* cfv, std::size_t stride, std::size_t A, std::size_t H, float* value) {
  for (std::size_t h = 0; h < H; ++h) value[h] = sigma[h] * cfv[h];
  for (std::size_t a = 1; a < A; ++a) {
    const float* sa = sigma + a * H;
    const float* va = cfv + a * stride;
    for (std::size_t h = 0; h < H; ++h) value[h] += sa[h] * va[h];
  }
}

ODDSMITH_VECTOR_CLONES
void add_regrets(float* r, const float* cfv, const float* value, std::size_t A, std::size_t H, float positive,
                 float negative) {
  for (std::size_t a = 0; a < A; ++a) {
    float* ra = r + a * H;
    const float* va = cfv + a * H;
    for (std::size_t h = 0; h < H; ++h) {
      const float old = ra[h];
      ra[h] = old * (old > 0 ? positive : negative) + (va[h] - value[h]);
    }
  }
}

ODDSMITH_VECTOR_CLONES
void add_sums(float* s, const float* reach, const float* sigma, std::size_t A, std::size_t H, float keep) {
  for (std::size_t a = 0; a < A; ++a)
    for (std::size_t h = 0; h < H; ++h) s[a * H + h] = s[a * H + h] * keep + reach[h] * sigma[a * H + h];
}

ODDSMITH_VECTOR_CLONES
float times(const float* reach, const float* share, std::size_t H, float* next) {
  float largest = 0;
  for (std::size_t h = 0; h < H; ++h) {
    next[h] = reach[h] * share[h];
    largest = std::max(largest, next[h]);
  }
  return largest;
}

ODDSMITH_VECTOR_CLONES
void add(float* out, const float* part, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] += part[i];
}

ODDSMITH_VECTOR_CLONES
void max_into(float* out, const float* part, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] = std::max(out[i], part[i]);
}

}  // namespace oddsmith::solver::loops
