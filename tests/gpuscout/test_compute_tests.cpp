// The compute tests' control flow on the simulated device: messages, cleanup
// order, return values, and the reset only after success; and their results.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <string>
#include <vector>

#include "support/capture.h"
#include "compute_tests.h"
#include "support/simulated_device.h"

namespace {

using namespace gpuscout_test;
using gpuscout::run_add_squares;
using gpuscout::run_empty_kernel;
using gpuscout::run_matrix_multiply;
using gpuscout::DeviceRecord;

const std::string kSetDeviceFailed = "cudaSetDevice failed!  Do you have a CUDA-capable GPU installed?";

SimulatedDevice one_device() {
  SimulatedDevice gpu;
  gpu.devices.resize(1);
  return gpu;
}

int count_of(const std::vector<std::string>& calls, const std::string& call) {
  int n = 0;
  for (const auto& c : calls) n += c == call;
  return n;
}

TEST(LaunchTest, SuccessAndLaunchFailures) {
  SimulatedDevice gpu = one_device();
  int result = -1;
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_empty_kernel(gpu, err, 1, 1, 0); }), "");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_empty_kernel(gpu, err, 0, 1, 0); }),
            "addKernel launch failed: invalid configuration argument\n");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_empty_kernel(gpu, err, 1, 2048, 0); }),
            "addKernel launch failed: invalid configuration argument\n");
  EXPECT_EQ(result, 0);
  gpu.fail("synchronize", 1, kLaunchFailure);
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_empty_kernel(gpu, err, 4, 256, 0); }),
            "cudaDeviceSynchronize returned error code 719 after launching addKernel!\n");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(count_of(gpu.calls, "reset"), 0);  // the launch test never resets
}

TEST(LaunchTest, WithoutAGpuTheSelectionErrorShowsAtTheLaunchCheck) {
  SimulatedDevice none;
  none.no_driver = true;
  int result = -1;
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_empty_kernel(none, err, 1, 1, 0); }),
            "addKernel launch failed: CUDA driver version is insufficient for CUDA runtime version\n");
  EXPECT_EQ(result, 0);
}

TEST(AddSquares, ComputesWithWrapAroundAndResetsAfterSuccess) {
  SimulatedDevice gpu = one_device();
  std::vector<int> a(1024), b(1024, 1), c(1024, -7);
  for (int i = 0; i < 1024; ++i) a[i] = i;
  int result = -1;
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_add_squares(gpu, err, a.data(), b.data(), c.data(), 1024, 0); }), "");
  EXPECT_EQ(result, 0);
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(c[i], i * i + 1);
  const std::vector<std::string> expected = {
      "set_device 0", "malloc 4096 = #1", "malloc 4096 = #2", "malloc 4096 = #3", "copy h2d #2", "copy h2d #3",
      "launch add 2x512", "synchronize", "copy d2h #1", "free #1", "free #2", "free #3", "reset"};
  EXPECT_EQ(gpu.calls, expected);

  std::vector<int> big(512, 46341), zero(512, 0), out(512);
  EXPECT_EQ(run_add_squares(gpu, stderr, big.data(), zero.data(), out.data(), 512, 0), 0);
  EXPECT_EQ(out[0], -2147479015);  // 46341^2 = 2147488281 wraps
  EXPECT_EQ(out[511], -2147479015);
  EXPECT_EQ(gpu.live_allocations(), 0);
}

// A failure injected at each step: the message, the cleanup order and the result.
TEST(AddSquares, EveryFailingStep) {
  struct Case {
    const char* step;
    int occurrence;
    std::string message;
    std::vector<std::string> frees;
  } cases[] = {
      {"set_device", 1, kSetDeviceFailed, {"free null", "free null", "free null"}},
      {"malloc", 1, "cudaMalloc failed!", {"free null", "free null", "free null"}},
      {"malloc", 2, "cudaMalloc failed!", {"free #1", "free null", "free null"}},
      {"malloc", 3, "cudaMalloc failed!", {"free #1", "free #2", "free null"}},
      {"copy", 1, "cudaMemcpy failed!", {"free #1", "free #2", "free #3"}},
      {"copy", 2, "cudaMemcpy failed!", {"free #1", "free #2", "free #3"}},
      {"launch", 1, "addKernel launch failed: unspecified launch failure\n", {"free #1", "free #2", "free #3"}},
      {"synchronize", 1, "cudaDeviceSynchronize returned error code 719 after launching addKernel!\n",
       {"free #1", "free #2", "free #3"}},
      {"copy", 3, "cudaMemcpy failed!", {"free #1", "free #2", "free #3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.step) + " #" + std::to_string(c.occurrence));
    SimulatedDevice gpu = one_device();
    gpu.fail(c.step, c.occurrence, kLaunchFailure);
    std::vector<int> a(512, 1), b(512, 2), out(512);
    int result = -1;
    EXPECT_EQ(written_by([&](std::FILE* err) { result = run_add_squares(gpu, err, a.data(), b.data(), out.data(), 512, 0); }),
              c.message + "addWithCuda failed!");
    EXPECT_EQ(result, 1);
    std::vector<std::string> frees;
    for (const auto& call : gpu.calls)
      if (call.rfind("free", 0) == 0) frees.push_back(call);
    EXPECT_EQ(frees, c.frees);
    EXPECT_EQ(count_of(gpu.calls, "reset"), 0);
    EXPECT_EQ(gpu.live_allocations(), 0);
  }
}

TEST(AddSquares, FailedResetAndMissingGpu) {
  SimulatedDevice gpu = one_device();
  gpu.fail("reset", 1, kLaunchFailure);
  std::vector<int> a(512), b(512), c(512);
  int result = -1;
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_add_squares(gpu, err, a.data(), b.data(), c.data(), 512, 0); }),
            "cudaDeviceReset failed!");
  EXPECT_EQ(result, 1);

  SimulatedDevice none;
  none.no_driver = true;
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_add_squares(none, err, a.data(), b.data(), c.data(), 512, 0); }),
            kSetDeviceFailed + "addWithCuda failed!");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_matrix_multiply(none, err, a.data(), b.data(), c.data(), 512, 1, 1, 0); }),
            kSetDeviceFailed + "addWithCuda failed!");
  EXPECT_EQ(result, 1);
}

TEST(AddSquares, NullHostArraysFailTheCopy) {
  std::vector<int> a(512);
  int result = -1;
  for (int missing = 0; missing < 3; ++missing) {
    SimulatedDevice gpu = one_device();
    const int* in_a = missing == 0 ? nullptr : a.data();
    const int* in_b = missing == 1 ? nullptr : a.data();
    int* out = missing == 2 ? nullptr : a.data();
    EXPECT_EQ(written_by([&](std::FILE* err) { result = run_add_squares(gpu, err, in_a, in_b, out, 512, 0); }),
              "cudaMemcpy failed!addWithCuda failed!");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(gpu.live_allocations(), 0);
  }
}

// The runtime keeps a failed call's error until it is read: the next launch
// check reports it, even in a later call.
TEST(AddSquares, AnEarlierErrorShowsAtTheNextLaunchCheck) {
  SimulatedDevice gpu = one_device();
  std::vector<int> a(512);
  DeviceRecord unused;
  EXPECT_NE(gpu.get_device_record(&unused, 7), 0);  // an invalid ordinal, as cuda_devicename(7) would do
  int result = -1;
  EXPECT_EQ(written_by([&](std::FILE* err) { result = run_add_squares(gpu, err, a.data(), a.data(), a.data(), 512, 0); }),
            "addKernel launch failed: invalid device ordinal\naddWithCuda failed!");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(run_add_squares(gpu, stderr, a.data(), a.data(), a.data(), 512, 0), 0);  // read and cleared
}

TEST(MatrixMultiply, IdentityTimesB) {
  SimulatedDevice gpu = one_device();
  const int n = 512;
  std::vector<int> identity(n * n, 0), b(n * n), c(n * n, -1);
  for (int i = 0; i < n; ++i) identity[i * n + i] = 1;
  for (int i = 0; i < n * n; ++i) b[i] = i * 7 - 3;
  EXPECT_EQ(run_matrix_multiply(gpu, stderr, identity.data(), b.data(), c.data(), n, n, n, 0), 0);
  EXPECT_EQ(c, b);
  EXPECT_EQ(count_of(gpu.calls, "launch matrix 1x512"), 1);
  EXPECT_EQ(gpu.calls.back(), "reset");
}

TEST(MatrixMultiply, TallTimesWideWithWrapAround) {
  SimulatedDevice gpu = one_device();
  const int a_rows = 512, inner = 2, cols = 3;
  std::vector<int> A(a_rows * inner), B = {1, 2, 3, 4, 5, INT_MAX}, C(a_rows * cols);
  for (int i = 0; i < a_rows * inner; ++i) A[i] = i % 7 - 3;
  EXPECT_EQ(run_matrix_multiply(gpu, stderr, A.data(), B.data(), C.data(), a_rows, inner, cols, 0), 0);
  for (int i = 0; i < a_rows; ++i)
    for (int j = 0; j < cols; ++j) {
      const long long exact = 1LL * A[i * 2] * B[j] + 1LL * A[i * 2 + 1] * B[3 + j];
      ASSERT_EQ(C[i * cols + j], static_cast<int>(static_cast<unsigned>(exact))) << i << "," << j;
    }
}

// A size or row count that is not a positive multiple of 512 would leave part of
// the result uncomputed: it is refused before the device is touched.
TEST(ComputeTests, CountsThatAreNotWholeBlocksAreRefusedBeforeAnyDeviceCall) {
  SimulatedDevice gpu = one_device();
  std::vector<int> a(1025, 3), b(1025, 4), c(1025, -7);
  int result = -1;
  for (unsigned size : {0u, 1u, 511u, 513u, 1023u, 4294966784u + 1u}) {
    EXPECT_EQ(written_by([&](std::FILE* err) { result = run_add_squares(gpu, err, a.data(), b.data(), c.data(), size, 0); }),
              "size must be a positive multiple of 512, got " + std::to_string(size) + "!addWithCuda failed!");
    EXPECT_EQ(result, 1);
  }
  for (int rows : {0, 1, 511, 513, -512, INT_MIN, INT_MAX}) {
    EXPECT_EQ(written_by([&](std::FILE* err) { result = run_matrix_multiply(gpu, err, a.data(), b.data(), c.data(), rows, 1, 1, 0); }),
              "row count must be a positive multiple of 512, got " + std::to_string(rows) + "!addWithCuda failed!");
    EXPECT_EQ(result, 1);
  }
  EXPECT_TRUE(gpu.calls.empty());
  for (int v : c) ASSERT_EQ(v, -7);
}

TEST(MatrixMultiply, ImpossibleSizes) {
  SimulatedDevice gpu = one_device();
  std::vector<int> A(512 * 2), B(2 * 3), C(512 * 3);
  int result = -1;
  // Products beyond 32 bits cannot be allocated: no launch happens.
  // (65536 x 65536 wraps to 0 in 32 bits: it must not allocate an empty buffer.)
  for (auto [rows, inner, cols] : {std::tuple{512, 65536, 65536}, std::tuple{65536 * 512, 65536, 1}}) {
    const int a = rows, b = inner, c = cols;  // plain copies: lambdas capture them on every compiler
    EXPECT_EQ(written_by([&](std::FILE* err) { result = run_matrix_multiply(gpu, err, A.data(), B.data(), C.data(), a, b, c, 0); }),
              "cudaMalloc failed!addWithCuda failed!");
    EXPECT_EQ(result, 1);
  }
  EXPECT_EQ(gpu.live_allocations(), 0);
}

TEST(MatrixMultiply, EmptyInnerOrOuterDimension) {
  SimulatedDevice gpu = one_device();
  std::vector<int> A(512), B(1), C(512, 9);
  EXPECT_EQ(run_matrix_multiply(gpu, stderr, A.data(), B.data(), C.data(), 512, 0, 1, 0), 0);
  for (int v : C) ASSERT_EQ(v, 0);  // n = 0: every element of the row becomes 0
}

}  // namespace
