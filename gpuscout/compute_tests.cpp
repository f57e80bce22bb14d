#include "compute_tests.h"

#include <cstdint>
#include <climits>

namespace gpuscout {

namespace {

constexpr const char* kSetDeviceFailed = "cudaSetDevice failed!  Do you have a CUDA-capable GPU installed?";

// Reports a launch or synchronisation error; returns it (0 when neither failed).
Status check_kernel(RuntimeLayer& runtime, std::FILE* err) {
  if (const Status launch = runtime.get_last_error(); launch != 0) {
    std::fprintf(err, "addKernel launch failed: %s\n", runtime.error_string(launch));
    return launch;
  }
  if (const Status sync = runtime.synchronize(); sync != 0) {
    std::fprintf(err, "cudaDeviceSynchronize returned error code %d after launching addKernel!\n", sync);
    return sync;
  }
  return 0;
}

constexpr Status kMemoryAllocation = 2;  // the runtime's code for a failed allocation

// Allocates a buffer of `count` 4-byte ints. A count outside 0..2^31-1 (a matrix
// size product beyond 32 bits, or a negative size) fails like an allocation the
// device cannot hold: such a count, wrapped to 32 bits, could otherwise allocate
// a small buffer that the kernel then overruns.
Status allocate(RuntimeLayer& runtime, void** pointer, std::int64_t count) {
  if (count < 0 || count > INT32_MAX) return kMemoryAllocation;
  return runtime.malloc_device(pointer, static_cast<std::size_t>(count) * 4);
}

// One device computation: three buffers, two copies in, a launch, one copy out.
// Every exit frees the buffers, result first. Returns the CUDA status.
template <class Launch>
Status compute(RuntimeLayer& runtime, std::FILE* err, int device, std::int64_t result_count, std::int64_t first_count,
               std::int64_t second_count, const int* first, const int* second, int* result, Launch launch) {
  void* d_result = nullptr;
  void* d_first = nullptr;
  void* d_second = nullptr;
  const std::size_t result_bytes = static_cast<std::size_t>(result_count) * 4;
  const std::size_t first_bytes = static_cast<std::size_t>(first_count) * 4;
  const std::size_t second_bytes = static_cast<std::size_t>(second_count) * 4;
  Status status = runtime.set_device(device);
  if (status != 0) {
    std::fputs(kSetDeviceFailed, err);
  } else if ((status = allocate(runtime, &d_result, result_count)) != 0 ||
             (status = allocate(runtime, &d_first, first_count)) != 0 ||
             (status = allocate(runtime, &d_second, second_count)) != 0) {
    std::fputs("cudaMalloc failed!", err);
  } else if ((status = runtime.copy(d_first, first, first_bytes, CopyKind::host_to_device)) != 0 ||
             (status = runtime.copy(d_second, second, second_bytes, CopyKind::host_to_device)) != 0) {
    std::fputs("cudaMemcpy failed!", err);
  } else {
    launch(static_cast<int*>(d_result), static_cast<const int*>(d_first), static_cast<const int*>(d_second));
    status = check_kernel(runtime, err);
    if (status == 0 && (status = runtime.copy(result, d_result, result_bytes, CopyKind::device_to_host)) != 0)
      std::fputs("cudaMemcpy failed!", err);
  }
  runtime.free_device(d_result);
  runtime.free_device(d_first);
  runtime.free_device(d_second);
  return status;
}

// The kernels run whole blocks of kThreadsPerBlock threads: a count that is not a
// positive multiple of that would leave elements uncomputed, or launch nothing,
// while the copy back still hands the host the whole buffer. Such a count is
// refused before anything is allocated; returns false after the diagnostic.
bool whole_blocks(std::FILE* err, const char* what, std::int64_t count) {
  if (count > 0 && count % kThreadsPerBlock == 0) return true;
  std::fprintf(err, "%s must be a positive multiple of %u, got %lld!addWithCuda failed!", what, kThreadsPerBlock,
               static_cast<long long>(count));
  return false;
}

// The shared ending of the vector and matrix tests; the device is reset only
// after a successful computation.
int finish(RuntimeLayer& runtime, std::FILE* err, Status status) {
  if (status != 0) {
    std::fputs("addWithCuda failed!", err);
    return 1;
  }
  if (runtime.device_reset() != 0) {
    std::fputs("cudaDeviceReset failed!", err);
    return 1;
  }
  return 0;
}

}  // namespace

int run_launch_test(RuntimeLayer& runtime, std::FILE* err, int blocks, int threads, int device) {
  runtime.set_device(device);  // a failure shows at the check after the launch
  runtime.launch_empty(static_cast<unsigned>(blocks), static_cast<unsigned>(threads));
  return check_kernel(runtime, err) == 0 ? 1 : 0;
}

int run_add_squares(RuntimeLayer& runtime, std::FILE* err, const int* a, const int* b, int* c, unsigned size,
                    int device) {
  if (!whole_blocks(err, "size", size)) return 1;
  const Status status = compute(runtime, err, device, size, size, size, a, b, c,
                                [&](int* dc, const int* da, const int* db) {
                                  runtime.launch_add_squares(size / kThreadsPerBlock, kThreadsPerBlock, dc, da, db);
                                });
  return finish(runtime, err, status);
}

int run_matrix_multiply(RuntimeLayer& runtime, std::FILE* err, const int* A, const int* B, int* C, int a, int b,
                        int c, int device) {
  if (!whole_blocks(err, "row count", a)) return 1;
  auto product = [](int x, int y) { return static_cast<std::int64_t>(x) * y; };
  const Status status = compute(runtime, err, device, product(a, c), product(a, b), product(b, c), A, B, C,
                                [&](int* dC, const int* dA, const int* dB) {
                                  runtime.launch_matrix_rows(static_cast<unsigned>(a / static_cast<int>(kThreadsPerBlock)),
                                                             kThreadsPerBlock, dA, dB, dC, b, c);
                                });
  return finish(runtime, err, status);
}

}  // namespace gpuscout
