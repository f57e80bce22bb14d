// The device facts the probe reports, in a record of the library's own. The
// real runtime layer fills it from the CUDA runtime; tests build it by hand.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gpuscout {

struct DeviceRecord {
  char name[256] = {};
  std::uint64_t total_global_mem = 0;
  int multi_processor_count = 0;
  int major = 0, minor = 0;
  int warp_size = 0;
  int max_threads_per_block = 0;
  int clock_rate_khz = 0;
  int memory_clock_rate_khz = 0;
  int memory_bus_width = 0;
  int l2_cache_size = 0;
  int max_texture_1d = 0;
  int max_texture_2d[2] = {};
  int max_texture_3d[3] = {};
  int max_texture_1d_layered[2] = {};
  int max_texture_2d_layered[3] = {};
  std::size_t total_const_mem = 0;
  std::size_t shared_mem_per_block = 0;
  std::size_t shared_mem_per_multiprocessor = 0;
  int regs_per_block = 0;
  int max_threads_per_multiprocessor = 0;
  int max_threads_dim[3] = {};
  int max_grid_size[3] = {};
  std::size_t mem_pitch = 0;
  std::size_t texture_alignment = 0;
  int device_overlap = 0;
  int async_engine_count = 0;
  int kernel_exec_timeout_enabled = 0;
  int integrated = 0;
  int can_map_host_memory = 0;
  std::size_t surface_alignment = 0;
  int ecc_enabled = 0;
  int tcc_driver = 0;
  int unified_addressing = 0;
  int managed_memory = 0;
  int compute_preemption_supported = 0;
  int cooperative_launch = 0;
  int cooperative_multi_device_launch = 0;
  int pci_domain_id = 0, pci_bus_id = 0, pci_device_id = 0;
  int compute_mode = 0;
};

}  // namespace gpuscout
