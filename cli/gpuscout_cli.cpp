// Command-line front end of the gpuscout library; uses only the public API.
// Prints the full device report, then runs the three GPU compute tests on small
// known inputs and prints pass or fail for each. Exit status 0 only when every
// test passes.

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "gpuscout.h"
#include "shown_text.h"

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

#ifndef GPUSCOUT_VERSION
#define GPUSCOUT_VERSION "unknown"
#endif

constexpr const char* kUsage =
    "usage: gpuscout [--help | --version]\n"
    "\n"
    "Prints the property report of every CUDA device, then runs three compute tests on\n"
    "device 0 (an empty kernel launch, an add of squares, a matrix product) and prints\n"
    "pass or FAIL for each. Exit status: 0 when every test passes, 1 when one fails or\n"
    "no GPU is available, 2 for a bad argument.\n";

int run_checks() {
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

}  // namespace

int main(int argc, char** argv) {
  auto is_help = [](std::string_view arg) { return arg == "--help" || arg == "-h" || arg == "help"; };
  int status = 0;
  if (argc == 1) {
    status = run_checks();
  } else if (argc == 2 && is_help(argv[1])) {
    std::fputs(kUsage, stdout);
  } else if (argc == 2 && std::string_view(argv[1]) == "--version") {
    std::printf("gpuscout %s\n", GPUSCOUT_VERSION);
  } else {
    std::fprintf(stderr, "gpuscout: unexpected argument '%s'\n%s", cli::shown_text(argv[is_help(argv[1]) ? 2 : 1]).c_str(),
                 kUsage);
    return 2;
  }
  // A report that never reached its destination is a failure.
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "gpuscout: cannot write the output%s%s\n", errno ? ": " : "", errno ? std::strerror(errno) : "");
    return 1;
  }
  return status;
}
