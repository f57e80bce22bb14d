#include "cuda_runtime_layer.h"

#include <cuda_runtime_api.h>

#include <cstring>

#include "kernels/kernels.cuh"

namespace gpuscout {

namespace {

// An attribute the record needs that cudaDeviceProp no longer carries on every
// toolkit; 0 when it cannot be read.
int attribute(cudaDeviceAttr attr, int device) {
  int value = 0;
  if (cudaDeviceGetAttribute(&value, attr, device) != cudaSuccess) value = 0;
  return value;
}

void fill_record(const cudaDeviceProp& p, int device, DeviceRecord& r) {
  std::memcpy(r.name, p.name, sizeof r.name);
  r.name[sizeof r.name - 1] = '\0';
  r.total_global_mem = p.totalGlobalMem;
  r.multi_processor_count = p.multiProcessorCount;
  r.major = p.major;
  r.minor = p.minor;
  r.warp_size = p.warpSize;
  r.max_threads_per_block = p.maxThreadsPerBlock;
  r.memory_bus_width = p.memoryBusWidth;
  r.l2_cache_size = p.l2CacheSize;
  r.max_texture_1d = p.maxTexture1D;
  for (int i = 0; i < 2; ++i) r.max_texture_2d[i] = p.maxTexture2D[i];
  for (int i = 0; i < 3; ++i) r.max_texture_3d[i] = p.maxTexture3D[i];
  for (int i = 0; i < 2; ++i) r.max_texture_1d_layered[i] = p.maxTexture1DLayered[i];
  for (int i = 0; i < 3; ++i) r.max_texture_2d_layered[i] = p.maxTexture2DLayered[i];
  r.total_const_mem = p.totalConstMem;
  r.shared_mem_per_block = p.sharedMemPerBlock;
  r.shared_mem_per_multiprocessor = p.sharedMemPerMultiprocessor;
  r.regs_per_block = p.regsPerBlock;
  r.max_threads_per_multiprocessor = p.maxThreadsPerMultiProcessor;
  for (int i = 0; i < 3; ++i) r.max_threads_dim[i] = p.maxThreadsDim[i];
  for (int i = 0; i < 3; ++i) r.max_grid_size[i] = p.maxGridSize[i];
  r.mem_pitch = p.memPitch;
  r.texture_alignment = p.textureAlignment;
  r.async_engine_count = p.asyncEngineCount;
  r.integrated = p.integrated;
  r.can_map_host_memory = p.canMapHostMemory;
  r.surface_alignment = p.surfaceAlignment;
  r.ecc_enabled = p.ECCEnabled;
  r.tcc_driver = p.tccDriver;
  r.unified_addressing = p.unifiedAddressing;
  r.managed_memory = p.managedMemory;
  r.compute_preemption_supported = p.computePreemptionSupported;
  r.cooperative_launch = p.cooperativeLaunch;
  r.pci_domain_id = p.pciDomainID;
  r.pci_bus_id = p.pciBusID;
  r.pci_device_id = p.pciDeviceID;
  // CUDA 13 dropped these members from cudaDeviceProp; the attributes serve both.
  r.clock_rate_khz = attribute(cudaDevAttrClockRate, device);
  r.memory_clock_rate_khz = attribute(cudaDevAttrMemoryClockRate, device);
  r.device_overlap = attribute(cudaDevAttrGpuOverlap, device);
  r.kernel_exec_timeout_enabled = attribute(cudaDevAttrKernelExecTimeout, device);
  r.compute_mode = attribute(cudaDevAttrComputeMode, device);
#if CUDART_VERSION < 13000
  r.cooperative_multi_device_launch = attribute(cudaDevAttrCooperativeMultiDeviceLaunch, device);
#else
  r.cooperative_multi_device_launch = 0;  // no longer exists: reported as "No"
#endif
}

class CudaRuntimeLayer final : public RuntimeLayer {
 public:
  Status get_device_count(int* count) override { return cudaGetDeviceCount(count); }
  Status set_device(int device) override { return cudaSetDevice(device); }
  Status get_device_record(DeviceRecord* record, int device) override {
    cudaDeviceProp properties{};
    const cudaError_t status = cudaGetDeviceProperties(&properties, device);
    if (status == cudaSuccess) fill_record(properties, device, *record);
    return status;
  }
  Status driver_version(int* version) override { return cudaDriverGetVersion(version); }
  Status runtime_version(int* version) override { return cudaRuntimeGetVersion(version); }
  Status malloc_device(void** pointer, std::size_t bytes) override { return cudaMalloc(pointer, bytes); }
  Status copy(void* destination, const void* source, std::size_t bytes, CopyKind kind) override {
    return cudaMemcpy(destination, source, bytes,
                      kind == CopyKind::host_to_device ? cudaMemcpyHostToDevice : cudaMemcpyDeviceToHost);
  }
  Status free_device(void* pointer) override { return cudaFree(pointer); }
  // The kernels' launch functions share these names: qualified, or a member would call itself.
  void launch_empty_kernel(unsigned blocks, unsigned threads) override {
    ::gpuscout::launch_empty_kernel(blocks, threads);
  }
  void launch_add_squares(unsigned blocks, unsigned threads, int* c, const int* a, const int* b) override {
    ::gpuscout::launch_add_squares(blocks, threads, c, a, b);
  }
  void launch_matrix_multiply(unsigned blocks, unsigned threads, const int* a, const int* b, int* c, int n,
                              int m) override {
    ::gpuscout::launch_matrix_multiply(blocks, threads, a, b, c, n, m);
  }
  Status get_last_error() override { return cudaGetLastError(); }
  const char* error_string(Status status) override { return cudaGetErrorString(static_cast<cudaError_t>(status)); }
  Status synchronize() override { return cudaDeviceSynchronize(); }
  Status device_reset() override { return cudaDeviceReset(); }
};

}  // namespace

RuntimeLayer& cuda_runtime_layer() {
  static CudaRuntimeLayer layer;
  return layer;
}

}  // namespace gpuscout
