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

// The host side of one device computation: two inputs and the result, with
// their element counts.
struct Operands {
  const int* first;
  std::int64_t first_count;
  const int* second;
  std::int64_t second_count;
  int* result;
  std::int64_t result_count;
};

// The device buffers of one computation. However the computation ends, all
// three are freed (even those never allocated), the result's first.
class DeviceBuffers {
 public:
  explicit DeviceBuffers(RuntimeLayer& runtime) : runtime_(runtime) {}
  DeviceBuffers(const DeviceBuffers&) = delete;
  DeviceBuffers& operator=(const DeviceBuffers&) = delete;
  ~DeviceBuffers() {
    runtime_.free_device(result_);
    runtime_.free_device(first_);
    runtime_.free_device(second_);
  }

  Status allocate(const Operands& op) {
    Status status;
    if ((status = gpuscout::allocate(runtime_, &result_, op.result_count)) != 0 ||
        (status = gpuscout::allocate(runtime_, &first_, op.first_count)) != 0)
      return status;
    return gpuscout::allocate(runtime_, &second_, op.second_count);
  }
  Status copy_in(const Operands& op) {
    const Status status = runtime_.copy(first_, op.first, bytes(op.first_count), CopyKind::host_to_device);
    return status != 0 ? status : runtime_.copy(second_, op.second, bytes(op.second_count), CopyKind::host_to_device);
  }
  Status copy_out(const Operands& op) {
    return runtime_.copy(op.result, result_, bytes(op.result_count), CopyKind::device_to_host);
  }

  int* result() const { return static_cast<int*>(result_); }
  const int* first() const { return static_cast<const int*>(first_); }
  const int* second() const { return static_cast<const int*>(second_); }

 private:
  static std::size_t bytes(std::int64_t count) { return static_cast<std::size_t>(count) * 4; }

  RuntimeLayer& runtime_;
  void* result_ = nullptr;
  void* first_ = nullptr;
  void* second_ = nullptr;
};

// One device computation: select the device, allocate, copy in, launch, check,
// copy out. Returns the CUDA status after writing its diagnostic.
template <class Launch>
Status compute(RuntimeLayer& runtime, std::FILE* err, int device, const Operands& op, Launch launch) {
  DeviceBuffers buffers(runtime);  // freed on every path, a failed device selection too
  if (const Status status = runtime.set_device(device); status != 0) {
    std::fputs(kSetDeviceFailed, err);
    return status;
  }
  if (const Status status = buffers.allocate(op); status != 0) {
    std::fputs("cudaMalloc failed!", err);
    return status;
  }
  if (const Status status = buffers.copy_in(op); status != 0) {
    std::fputs("cudaMemcpy failed!", err);
    return status;
  }
  launch(buffers.result(), buffers.first(), buffers.second());
  if (const Status status = check_kernel(runtime, err); status != 0) return status;
  const Status status = buffers.copy_out(op);
  if (status != 0) std::fputs("cudaMemcpy failed!", err);
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

int run_empty_kernel(RuntimeLayer& runtime, std::FILE* err, int blocks, int threads, int device) {
  runtime.set_device(device);  // a failure shows at the check after the launch
  runtime.launch_empty_kernel(static_cast<unsigned>(blocks), static_cast<unsigned>(threads));
  return check_kernel(runtime, err) == 0 ? 1 : 0;
}

int run_add_squares(RuntimeLayer& runtime, std::FILE* err, const int* a, const int* b, int* c, unsigned size,
                    int device) {
  if (!whole_blocks(err, "size", size)) return 1;
  const Operands op{a, size, b, size, c, size};
  const Status status = compute(runtime, err, device, op, [&](int* dc, const int* da, const int* db) {
    runtime.launch_add_squares(size / kThreadsPerBlock, kThreadsPerBlock, dc, da, db);
  });
  return finish(runtime, err, status);
}

int run_matrix_multiply(RuntimeLayer& runtime, std::FILE* err, const int* A, const int* B, int* C, int a, int b,
                        int c, int device) {
  if (!whole_blocks(err, "row count", a)) return 1;
  auto product = [](int x, int y) { return static_cast<std::int64_t>(x) * y; };
  const Operands op{A, product(a, b), B, product(b, c), C, product(a, c)};
  const Status status = compute(runtime, err, device, op, [&](int* dC, const int* dA, const int* dB) {
    runtime.launch_matrix_multiply(static_cast<unsigned>(a) / kThreadsPerBlock, kThreadsPerBlock, dA, dB, dC, b, c);
  });
  return finish(runtime, err, status);
}

}  // namespace gpuscout
