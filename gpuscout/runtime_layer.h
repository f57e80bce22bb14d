// The few CUDA runtime services the probe uses, behind one small interface: the
// library's real layer calls the CUDA runtime; the tests use a simulated device
// whose kernels run on the CPU and whose every step can be made to fail.
#pragma once

#include <cstddef>

#include "device_record.h"

namespace gpuscout {

using Status = int;  // a CUDA runtime error code; 0 is success

enum class CopyKind { host_to_device = 1, device_to_host = 2 };

class RuntimeLayer {
 public:
  virtual ~RuntimeLayer() = default;

  virtual Status get_device_count(int* count) = 0;
  virtual Status set_device(int device) = 0;
  virtual Status get_device_record(DeviceRecord* record, int device) = 0;
  virtual Status driver_version(int* version) = 0;
  virtual Status runtime_version(int* version) = 0;

  virtual Status malloc_device(void** pointer, std::size_t bytes) = 0;
  virtual Status copy(void* destination, const void* source, std::size_t bytes, CopyKind kind) = 0;
  virtual Status free_device(void* pointer) = 0;

  // Kernel launches on the default stream; errors surface through get_last_error.
  virtual void launch_empty_kernel(unsigned blocks, unsigned threads) = 0;
  virtual void launch_add_squares(unsigned blocks, unsigned threads, int* c, const int* a, const int* b) = 0;
  virtual void launch_matrix_multiply(unsigned blocks, unsigned threads, const int* a, const int* b, int* c, int n,
                                  int m) = 0;

  virtual Status get_last_error() = 0;  // returns and clears the thread's last error
  virtual const char* error_string(Status status) = 0;
  virtual Status synchronize() = 0;
  virtual Status device_reset() = 0;
};

}  // namespace gpuscout
