// Command-line front end of the gpuscout library; uses only the public API.
// Prints the full device report, then runs the three GPU compute tests on small
// known inputs and prints pass or fail for each. Exit status 0 only when every
// test passes.

#include <cstddef>
#include <cstdio>
#include <vector>

#include "gpuscout.h"

namespace {

bool check_launch() { return testcuda(1, 1, 0) == 1; }

bool check_add_squares() {
  const unsigned size = 1024;
  std::vector<int> a(size), b(size, 1), c(size, 0);
  for (unsigned i = 0; i < size; ++i) a[i] = static_cast<int>(i);
  if (testcudaaddsquare(a.data(), b.data(), c.data(), size, 0) != 0) return false;
  for (unsigned i = 0; i < size; ++i)
    if (c[i] != static_cast<int>(i * i + 1)) return false;
  return true;
}

bool check_matrix_multiply() {
  constexpr std::size_t rows = 512, inner = 2, cols = 3;
  std::vector<int> A(rows * inner), B = {1, 2, 3, 4, 5, 6}, C(rows * cols, 0);
  for (std::size_t i = 0; i < A.size(); ++i) A[i] = static_cast<int>(i % 11) - 5;
  if (cudaMM(A.data(), B.data(), C.data(), rows, inner, cols, 0) != 0) return false;
  for (std::size_t i = 0; i < rows; ++i) {
    for (std::size_t j = 0; j < cols; ++j) {
      if (C[i * cols + j] != A[i * inner] * B[j] + A[i * inner + 1] * B[cols + j]) return false;
    }
  }
  return true;
}

}  // namespace

int main() {
  cuda_devicepropsbig();
  const int count = cuda_devicecount();
  if (count < 1) {
    std::printf("\nNo CUDA-capable GPU is available (device count %d): the compute tests cannot run.\n", count);
    return 1;
  }
  std::printf("\nCompute tests on device 0 (%s):\n", cuda_devicename(0));
  struct Check {
    const char* name;
    bool (*run)();
  };
  bool all = true;
  for (const Check& check : {Check{"empty kernel launch (testcuda)", check_launch},
                             Check{"add of squares, 1024 ints (testcudaaddsquare)", check_add_squares},
                             Check{"matrix product 512x2 by 2x3 (cudaMM)", check_matrix_multiply}}) {
    std::fflush(stdout);
    const bool ok = check.run();
    std::fflush(stderr);
    std::printf("  %-48s %s\n", check.name, ok ? "pass" : "FAIL");
    all = all && ok;
  }
  return all ? 0 : 1;
}
