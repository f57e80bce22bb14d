#include "support/simulated_device.h"

#include <cstdlib>
#include <cstring>

#include "kernels/kernel_math.h"

namespace gpuscout_test {

namespace {

// Joins the parts of a call record (appending avoids a false -Wrestrict in GCC 12).
template <class... Parts>
std::string text(const Parts&... parts) {
  std::string out;
  (out.append(parts), ...);
  return out;
}

constexpr std::size_t kDeviceMemory = std::size_t{1} << 30;  // larger requests fail like a full device
constexpr unsigned kMaxThreadsPerBlock = 1024;
constexpr unsigned kMaxBlocks = 2147483647u;
}  // namespace

SimulatedDevice::~SimulatedDevice() {
  for (auto& [pointer, number] : allocations_) std::free(const_cast<void*>(pointer));
}

Status SimulatedDevice::injected(const std::string& step) {
  const int n = ++counts_[step];
  const auto it = failures_.find(step);
  return it != failures_.end() && it->second.first == n ? it->second.second : 0;
}

Status SimulatedDevice::record_error(Status status) {
  if (status != 0) last_error_ = status;
  return status;
}

std::string SimulatedDevice::name_of(const void* pointer) const {
  if (!pointer) return "null";
  const auto it = allocations_.find(pointer);
  return it == allocations_.end() ? std::string("host") : text("#", std::to_string(it->second));
}

Status SimulatedDevice::get_device_count(int* count) {
  if (no_driver) return record_error(kInsufficientDriver);
  *count = static_cast<int>(devices.size());
  return 0;
}

Status SimulatedDevice::set_device(int device) {
  calls.push_back(text("set_device ", std::to_string(device)));
  Status status = injected("set_device");
  if (!status && no_driver) status = kInsufficientDriver;
  if (!status && (device < 0 || device >= static_cast<int>(devices.size())))
    status = devices.empty() ? kNoDevice : kInvalidDevice;
  if (!status) current_ = device;
  return record_error(status);
}

Status SimulatedDevice::get_device_record(DeviceRecord* record, int device) {
  if (no_driver) return record_error(kInsufficientDriver);
  if (device < 0 || device >= static_cast<int>(devices.size())) return record_error(kInvalidDevice);
  *record = devices[static_cast<std::size_t>(device)];
  return 0;
}

Status SimulatedDevice::driver_version(int* version) {
  *version = no_driver ? 0 : driver;
  return 0;
}

Status SimulatedDevice::runtime_version(int* version) {
  *version = runtime;
  return 0;
}

Status SimulatedDevice::malloc_device(void** pointer, std::size_t bytes) {
  Status status = injected("malloc");
  if (!status && bytes > kDeviceMemory) status = kMemoryAllocation;
  if (status) {
    calls.push_back(text("malloc ", std::to_string(bytes), " failed"));
    return record_error(status);
  }
  *pointer = std::malloc(bytes ? bytes : 1);
  allocations_[*pointer] = next_allocation_;
  calls.push_back(text("malloc ", std::to_string(bytes), " = #", std::to_string(next_allocation_++)));
  return 0;
}

Status SimulatedDevice::copy(void* destination, const void* source, std::size_t bytes, CopyKind kind) {
  const bool to_device = kind == CopyKind::host_to_device;
  calls.push_back(text(to_device ? "copy h2d " : "copy d2h ", name_of(to_device ? destination : source)));
  Status status = injected("copy");
  if (!status && (!destination || !source)) status = kInvalidValue;  // as cudaMemcpy with a null pointer
  if (status) return record_error(status);
  std::memcpy(destination, source, bytes);
  return 0;
}

Status SimulatedDevice::free_device(void* pointer) {
  calls.push_back(text("free ", name_of(pointer)));
  if (pointer) {
    allocations_.erase(pointer);
    std::free(pointer);
  }
  return 0;
}

bool SimulatedDevice::launch_ok(const char* what, unsigned blocks, unsigned threads) {
  calls.push_back(text("launch ", what, " ", std::to_string(blocks), "x", std::to_string(threads)));
  Status status = injected("launch");
  if (!status && current_ < 0) status = no_driver ? kInsufficientDriver : kNoDevice;
  if (!status && (blocks == 0 || threads == 0 || threads > kMaxThreadsPerBlock || blocks > kMaxBlocks))
    status = kInvalidConfiguration;
  record_error(status);
  return status == 0;
}

void SimulatedDevice::launch_empty_kernel(unsigned blocks, unsigned threads) { launch_ok("empty", blocks, threads); }

void SimulatedDevice::launch_add_squares(unsigned blocks, unsigned threads, int* c, const int* a, const int* b) {
  if (!launch_ok("add", blocks, threads)) return;
  for (unsigned i = 0; i < blocks * threads; ++i) gpuscout::add_squares_element(c, a, b, i);
}

void SimulatedDevice::launch_matrix_multiply(unsigned blocks, unsigned threads, const int* a, const int* b, int* c, int n,
                                         int m) {
  if (!launch_ok("matrix", blocks, threads)) return;
  for (unsigned i = 0; i < blocks * threads; ++i) gpuscout::matrix_multiply_row(a, b, c, n, m, i);
}

Status SimulatedDevice::get_last_error() {
  const Status status = last_error_;
  last_error_ = 0;
  return status;
}

const char* SimulatedDevice::error_string(Status status) {
  switch (status) {
    case 0: return "no error";
    case kInvalidValue: return "invalid argument";
    case kMemoryAllocation: return "out of memory";
    case kInvalidConfiguration: return "invalid configuration argument";
    case kInsufficientDriver: return "CUDA driver version is insufficient for CUDA runtime version";
    case kNoDevice: return "no CUDA-capable device is detected";
    case kInvalidDevice: return "invalid device ordinal";
    default: return "unspecified launch failure";
  }
}

Status SimulatedDevice::synchronize() {
  calls.push_back("synchronize");
  return record_error(injected("synchronize"));
}

Status SimulatedDevice::device_reset() {
  calls.push_back("reset");
  return record_error(injected("reset"));
}

}  // namespace gpuscout_test
