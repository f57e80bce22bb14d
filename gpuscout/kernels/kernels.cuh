// The device-code module: three kernels and host functions that launch them on
// the default stream with no dynamic shared memory.
#pragma once

namespace gpuscout {

void launch_my_kernel(unsigned blocks, unsigned threads);
void launch_add_kernel(unsigned blocks, unsigned threads, int* c, const int* a, const int* b);
void launch_mm_kernel(unsigned blocks, unsigned threads, const int* A, const int* B, int* C, int n, int m);

}  // namespace gpuscout
