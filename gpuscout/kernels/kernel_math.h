// The per-thread arithmetic of the kernels, callable from device code and from
// host code, so the tests run exactly this code on the CPU. All arithmetic is
// 32-bit and wraps: it runs on unsigned values and converts back, which keeps
// the low 32 bits without signed overflow.
#pragma once

#if defined(__CUDACC__)
#define GPUSCOUT_HOST_DEVICE __host__ __device__
#else
#define GPUSCOUT_HOST_DEVICE
#endif

namespace gpuscout {

GPUSCOUT_HOST_DEVICE inline int wrap(unsigned value) { return static_cast<int>(value); }

// addKernel, thread i: c[i] = a[i]^2 + b[i]^2.
GPUSCOUT_HOST_DEVICE inline void add_squares_element(int* c, const int* a, const int* b, unsigned i) {
  const unsigned x = static_cast<unsigned>(a[i]), y = static_cast<unsigned>(b[i]);
  c[i] = wrap(x * x + y * y);
}

// MMKernel, thread i: row i of C (m columns) = row i of A (n columns) times B (n x m).
GPUSCOUT_HOST_DEVICE inline void matrix_multiply_row(const int* A, const int* B, int* C, int n, int m, unsigned i) {
  if (m < 1) return;
  const unsigned long long row = i;
  for (int j = 0; j < m; ++j) {
    unsigned sum = 0;
    for (int k = 0; k < n; ++k)
      sum += static_cast<unsigned>(A[row * static_cast<unsigned long long>(n) + k]) *
             static_cast<unsigned>(B[static_cast<unsigned long long>(k) * m + j]);
    C[row * static_cast<unsigned long long>(m) + j] = wrap(sum);
  }
}

}  // namespace gpuscout
