// A simulated CUDA device for the tests: kernels run on the CPU through the same
// per-thread functions the GPU runs, and any step can be made to fail. Every
// call is recorded, so tests can check order, cleanup and resets.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "runtime_layer.h"

namespace gpuscout_test {

using gpuscout::CopyKind;
using gpuscout::DeviceRecord;
using gpuscout::Status;

// CUDA runtime error codes the simulation returns.
inline constexpr Status kInvalidValue = 1, kMemoryAllocation = 2, kInvalidConfiguration = 9,
                        kInsufficientDriver = 35, kNoDevice = 100, kInvalidDevice = 101, kLaunchFailure = 719;

class SimulatedDevice final : public gpuscout::RuntimeLayer {
 public:
  std::vector<DeviceRecord> devices;
  bool no_driver = false;  // every query fails as without a driver
  int driver = 12020, runtime = 12000;
  std::vector<std::string> calls;  // e.g. "malloc 4096 = #1", "copy h2d #2", "free #1", "free null", "reset"

  // Makes the `occurrence`-th call (1-based, counted from now) of `step` fail
  // with `code`. Steps: set_device, malloc, copy, launch, synchronize, reset.
  void fail(const std::string& step, int occurrence, Status code) {
    failures_[step] = {counts_[step] + occurrence, code};
  }

  int live_allocations() const { return static_cast<int>(allocations_.size()); }
  ~SimulatedDevice() override;

  Status get_device_count(int* count) override;
  Status set_device(int device) override;
  Status get_device_record(DeviceRecord* record, int device) override;
  Status driver_version(int* version) override;
  Status runtime_version(int* version) override;
  Status malloc_device(void** pointer, std::size_t bytes) override;
  Status copy(void* destination, const void* source, std::size_t bytes, CopyKind kind) override;
  Status free_device(void* pointer) override;
  void launch_empty_kernel(unsigned blocks, unsigned threads) override;
  void launch_add_squares(unsigned blocks, unsigned threads, int* c, const int* a, const int* b) override;
  void launch_matrix_multiply(unsigned blocks, unsigned threads, const int* a, const int* b, int* c, int n,
                          int m) override;
  Status get_last_error() override;
  const char* error_string(Status status) override;
  Status synchronize() override;
  Status device_reset() override;

 private:
  Status injected(const std::string& step);      // the injected failure of this call, or 0
  Status record_error(Status status);             // keeps a failure as the last error
  bool launch_ok(const char* what, unsigned blocks, unsigned threads);
  std::string name_of(const void* pointer) const;

  std::map<std::string, std::pair<int, Status>> failures_;
  std::map<std::string, int> counts_;
  std::map<const void*, int> allocations_;  // live device buffers and their numbers
  int next_allocation_ = 1;
  int current_ = -1;
  Status last_error_ = 0;
};

}  // namespace gpuscout_test
