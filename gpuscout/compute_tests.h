// The three GPU compute tests behind testcuda, testcudaaddsquare and cudaMM:
// their control flow, diagnostics and cleanup, on any runtime layer.
#pragma once

#include <cstdio>

#include "runtime_layer.h"

namespace gpuscout {

inline constexpr unsigned kThreadsPerBlock = 512;

// 1 when an empty kernel on blocks x threads launched and completed, else 0.
int run_empty_kernel(RuntimeLayer& runtime, std::FILE* err, int blocks, int threads, int device);

// c[i] = a[i]^2 + b[i]^2 on the device: 0 on success, 1 on failure.
int run_add_squares(RuntimeLayer& runtime, std::FILE* err, const int* a, const int* b, int* c, unsigned size,
                    int device);

// C (a x c) = A (a x b) B (b x c) on the device: 0 on success, 1 on failure.
int run_matrix_multiply(RuntimeLayer& runtime, std::FILE* err, const int* A, const int* B, int* C, int a, int b,
                        int c, int device);

}  // namespace gpuscout
