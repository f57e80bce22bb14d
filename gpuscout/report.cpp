#include "report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace gpuscout {

namespace {

// printf-style formatting into a string.
[[gnu::format(printf, 1, 2)]] std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, fmt, args);
  va_end(args);
  std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, again);
  va_end(again);
  return out;
}

// Versions are 1000 * major + 10 * minor.
int version_major(int v) { return v / 1000; }
int version_minor(int v) { return (v % 100) / 10; }

const char* yes_no(long long flag) { return flag ? "Yes" : "No"; }

// The name's length, never past its 256 bytes even if the runtime left no terminator.
int name_length(const DeviceRecord& d) { return static_cast<int>(strnlen(d.name, sizeof d.name)); }

const char* compute_mode_name(int mode) {
  switch (mode) {
    case 0: return "Default (multiple host threads can use ::cudaSetDevice() with device simultaneously)";
    case 1: return "Exclusive (only one host thread in one process is able to use ::cudaSetDevice() with this device)";
    case 2: return "Prohibited (no host thread can use ::cudaSetDevice() with this device)";
    case 3: return "Exclusive Process (many threads in one process is able to use ::cudaSetDevice() with this device)";
    default: return "Unknown";
  }
}

struct SmCores {
  int key;  // major * 16 + minor
  int cores;
};

constexpr SmCores kCoresPerSm[] = {
    {0x30, 192}, {0x32, 192}, {0x35, 192}, {0x37, 192}, {0x50, 128}, {0x52, 128}, {0x53, 128},
    {0x60, 64},  {0x61, 128}, {0x62, 128}, {0x70, 64},  {0x72, 64},  {0x75, 64},  {0x80, 64},
    {0x86, 128}, {0x87, 128}, {0x89, 128}, {0x90, 128}, {-1, -1}};

// The cores figure of the report: the fallback line goes out before it, each time.
int report_cores(int major, int minor, std::string& out) {
  const CoresLookup lookup = cores_per_multiprocessor(major, minor);
  if (!lookup.known) out += unknown_sm_line(major, minor);
  return lookup.cores;
}

}  // namespace

CoresLookup cores_per_multiprocessor(int major, int minor) {
  const int key = static_cast<int>(static_cast<unsigned>(major) * 16u + static_cast<unsigned>(minor));
  int i = 0;
  for (; kCoresPerSm[i].key != -1; ++i)
    if (kCoresPerSm[i].key == key) return {kCoresPerSm[i].cores, true};
  return {kCoresPerSm[i - 1].cores, false};  // the last real entry
}

std::string unknown_sm_line(int major, int minor) {
  return format("MapSMtoCores for SM %d.%d is undefined.  Default to use %d Cores/SM\r\n", major, minor,
                cores_per_multiprocessor(major, minor).cores);
}

std::string summary_line(const DeviceRecord& d) {
  return format("%.*s mem:%lluMB multiProcessorCount:%d compute(%d,%d) warps:%d threadsperblock:%d clockspeed:%dMhz",
                name_length(d), d.name, static_cast<unsigned long long>(d.total_global_mem / 1000000), d.multi_processor_count,
                d.major, d.minor, d.warp_size, d.max_threads_per_block, d.clock_rate_khz / 1000);
}

std::string device_report(int index, const DeviceRecord& d, int driver_version, int runtime_version) {
  std::string out = format("\r\nDevice %d: \"%.*s\"\r\n", index, name_length(d), d.name);
  out += format("  CUDA Driver Version / Runtime Version          %d.%d / %d.%d\r\n", version_major(driver_version),
                version_minor(driver_version), version_major(runtime_version), version_minor(runtime_version));
  out += format("  CUDA Capability Major/Minor version number:    %d.%d\r\n", d.major, d.minor);
  char line[256];
  std::snprintf(line, sizeof line, "  Total amount of global memory:                 %.0f MBytes (%llu bytes)\r\n",
                static_cast<double>(static_cast<float>(d.total_global_mem) * 0x1p-20f),
                static_cast<unsigned long long>(d.total_global_mem));
  out += line;
  // 32-bit product that wraps rather than overflows, whatever the record holds.
  const int total_cores = static_cast<int>(static_cast<unsigned>(report_cores(d.major, d.minor, out)) *
                                           static_cast<unsigned>(d.multi_processor_count));
  const int cores_per_mp = report_cores(d.major, d.minor, out);
  out += format("  (%03d) Multiprocessors, (%03d) CUDA Cores/MP:    %d CUDA Cores\r\n", d.multi_processor_count,
                cores_per_mp, total_cores);
  out += format("  GPU Max Clock rate:                            %.0f MHz (%0.2f GHz)\r\n",
                static_cast<double>(static_cast<float>(d.clock_rate_khz) * 0.001f),
                static_cast<double>(static_cast<float>(d.clock_rate_khz) * 0.000001f));
  out += format("  Memory Clock rate:                             %.0f Mhz\r\n",
                static_cast<double>(static_cast<float>(d.memory_clock_rate_khz) * 0.001f));
  out += format("  Memory Bus Width:                              %d-bit\r\n", d.memory_bus_width);
  if (d.l2_cache_size) out += format("  L2 Cache Size:                                 %d bytes\r\n", d.l2_cache_size);
  out += format("  Maximum Texture Dimension Size (x,y,z)         1D=(%d), 2D=(%d, %d), 3D=(%d, %d, %d)\r\n",
                d.max_texture_1d, d.max_texture_2d[0], d.max_texture_2d[1], d.max_texture_3d[0], d.max_texture_3d[1],
                d.max_texture_3d[2]);
  out += format("  Maximum Layered 1D Texture Size, (num) layers  1D=(%d), %d layers\r\n",
                d.max_texture_1d_layered[0], d.max_texture_1d_layered[1]);
  out += format("  Maximum Layered 2D Texture Size, (num) layers  2D=(%d, %d), %d layers\r\n",
                d.max_texture_2d_layered[0], d.max_texture_2d_layered[1], d.max_texture_2d_layered[2]);
  out += format("  Total amount of constant memory:               %zu bytes\r\n", d.total_const_mem);
  out += format("  Total amount of shared memory per block:       %zu bytes\r\n", d.shared_mem_per_block);
  out += format("  Total shared memory per multiprocessor:        %zu bytes\r\n", d.shared_mem_per_multiprocessor);
  out += format("  Total number of registers available per block: %d\r\n", d.regs_per_block);
  out += format("  Warp size:                                     %d\r\n", d.warp_size);
  out += format("  Maximum number of threads per multiprocessor:  %d\r\n", d.max_threads_per_multiprocessor);
  out += format("  Maximum number of threads per block:           %d\r\n", d.max_threads_per_block);
  out += format("  Max dimension size of a thread block (x,y,z): (%d, %d, %d)\r\n", d.max_threads_dim[0],
                d.max_threads_dim[1], d.max_threads_dim[2]);
  out += format("  Max dimension size of a grid size    (x,y,z): (%d, %d, %d)\r\n", d.max_grid_size[0],
                d.max_grid_size[1], d.max_grid_size[2]);
  out += format("  Maximum memory pitch:                          %zu bytes\r\n", d.mem_pitch);
  out += format("  Texture alignment:                             %zu bytes\r\n", d.texture_alignment);
  out += format("  Concurrent copy and kernel execution:          %s with %d copy engine(s)\r\n",
                yes_no(d.device_overlap), d.async_engine_count);
  out += format("  Run time limit on kernels:                     %s\r\n", yes_no(d.kernel_exec_timeout_enabled));
  out += format("  Integrated GPU sharing Host Memory:            %s\r\n", yes_no(d.integrated));
  out += format("  Support host page-locked memory mapping:       %s\r\n", yes_no(d.can_map_host_memory));
  out += format("  Alignment requirement for Surfaces:            %s\r\n",
                yes_no(static_cast<long long>(d.surface_alignment != 0)));
  out += format("  Device has ECC support:                        %s\r\n", d.ecc_enabled ? "Enabled" : "Disabled");
  out += format("  CUDA Device Driver Mode (TCC or WDDM):         %s\r\n",
                d.tcc_driver ? "TCC (Tesla Compute Cluster Driver)" : "WDDM (Windows Display Driver Model)");
  out += format("  Device supports Unified Addressing (UVA):      %s\r\n", yes_no(d.unified_addressing));
  out += format("  Device supports Managed Memory:                %s\r\n", yes_no(d.managed_memory));
  out += format("  Device supports Compute Preemption:            %s\r\n", yes_no(d.compute_preemption_supported));
  out += format("  Supports Cooperative Kernel Launch:            %s\r\n", yes_no(d.cooperative_launch));
  out += format("  Supports MultiDevice Co-op Kernel Launch:      %s\r\n", yes_no(d.cooperative_multi_device_launch));
  out += format("  Device PCI Domain ID / Bus ID / location ID:   %d / %d / %d\r\n", d.pci_domain_id, d.pci_bus_id,
                d.pci_device_id);
  out += "  Compute Mode:\r\n";
  out += format("     < %s >\r\n", compute_mode_name(d.compute_mode));
  return out;
}

// Each number of the closing line is formatted into a 10-byte scratch buffer with
// bounded formatting; a longer number is cut there, by design.
#pragma GCC diagnostic push
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wformat-truncation"
#endif
std::string report_closing(int driver_version, int runtime_version, int device_count) {
  char scratch[10];
  std::string line = "deviceQuery, CUDA Driver = CUDART";
  line += ", CUDA Driver Version = ";
  std::snprintf(scratch, sizeof scratch, "%d.%d", version_major(driver_version), version_minor(driver_version));
  line += scratch;
  line += ", CUDA Runtime Version = ";
  std::snprintf(scratch, sizeof scratch, "%d.%d", version_major(runtime_version), version_minor(runtime_version));
  line += scratch;
  line += ", NumDevs = ";
  std::snprintf(scratch, sizeof scratch, "%d", device_count);
  line += scratch;
  line += "\r\n";
  return "\r\n" + line + "Result = PASS\r\n";
}
#pragma GCC diagnostic pop

}  // namespace gpuscout
