// The device-code module: three kernels and host functions that launch them on
// the default stream with no dynamic shared memory.
#pragma once

namespace gpuscout {

void launch_empty_kernel(unsigned blocks, unsigned threads);
void launch_add_squares(unsigned blocks, unsigned threads, int* c, const int* a, const int* b);
void launch_matrix_multiply(unsigned blocks, unsigned threads, const int* A, const int* B, int* C, int n, int m);

}  // namespace gpuscout
