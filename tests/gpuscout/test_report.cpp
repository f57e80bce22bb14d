// The probe's texts for synthetic device records, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "report.h"

namespace {

using namespace gpuscout;

DeviceRecord sample_device() {
  DeviceRecord d;
  std::strcpy(d.name, "Simulated RTX 3070");
  d.total_global_mem = 8589934592ull;
  d.multi_processor_count = 28;
  d.major = 8;
  d.minor = 6;
  d.warp_size = 32;
  d.max_threads_per_block = 1024;
  d.clock_rate_khz = 1770000;
  d.memory_clock_rate_khz = 7001000;
  d.memory_bus_width = 256;
  d.l2_cache_size = 4194304;
  d.max_texture_1d = 131072;
  d.max_texture_2d[0] = 131072; d.max_texture_2d[1] = 65536;
  d.max_texture_3d[0] = 16384; d.max_texture_3d[1] = 16384; d.max_texture_3d[2] = 16384;
  d.max_texture_1d_layered[0] = 32768; d.max_texture_1d_layered[1] = 2048;
  d.max_texture_2d_layered[0] = 32768; d.max_texture_2d_layered[1] = 32768; d.max_texture_2d_layered[2] = 2048;
  d.total_const_mem = 65536;
  d.shared_mem_per_block = 49152;
  d.shared_mem_per_multiprocessor = 102400;
  d.regs_per_block = 65536;
  d.max_threads_per_multiprocessor = 1536;
  d.max_threads_dim[0] = 1024; d.max_threads_dim[1] = 1024; d.max_threads_dim[2] = 64;
  d.max_grid_size[0] = 2147483647; d.max_grid_size[1] = 65535; d.max_grid_size[2] = 65535;
  d.mem_pitch = 2147483647;
  d.texture_alignment = 512;
  d.device_overlap = 1;
  d.async_engine_count = 2;
  d.kernel_exec_timeout_enabled = 1;
  d.integrated = 0;
  d.can_map_host_memory = 1;
  d.surface_alignment = 512;
  d.ecc_enabled = 0;
  d.tcc_driver = 0;
  d.unified_addressing = 1;
  d.managed_memory = 1;
  d.compute_preemption_supported = 1;
  d.cooperative_launch = 1;
  d.cooperative_multi_device_launch = 0;
  d.pci_domain_id = 0; d.pci_bus_id = 1; d.pci_device_id = 0;
  d.compute_mode = 0;
  return d;
}

TEST(Report, WholeDeviceTextByteForByte) {
  const std::string expected =
      "\r\nDevice 0: \"Simulated RTX 3070\"\r\n"
      "  CUDA Driver Version / Runtime Version          12.2 / 12.0\r\n"
      "  CUDA Capability Major/Minor version number:    8.6\r\n"
      "  Total amount of global memory:                 8192 MBytes (8589934592 bytes)\r\n"
      "  (028) Multiprocessors, (128) CUDA Cores/MP:    3584 CUDA Cores\r\n"
      "  GPU Max Clock rate:                            1770 MHz (1.77 GHz)\r\n"
      "  Memory Clock rate:                             7001 Mhz\r\n"
      "  Memory Bus Width:                              256-bit\r\n"
      "  L2 Cache Size:                                 4194304 bytes\r\n"
      "  Maximum Texture Dimension Size (x,y,z)         1D=(131072), 2D=(131072, 65536), 3D=(16384, 16384, 16384)\r\n"
      "  Maximum Layered 1D Texture Size, (num) layers  1D=(32768), 2048 layers\r\n"
      "  Maximum Layered 2D Texture Size, (num) layers  2D=(32768, 32768), 2048 layers\r\n"
      "  Total amount of constant memory:               65536 bytes\r\n"
      "  Total amount of shared memory per block:       49152 bytes\r\n"
      "  Total shared memory per multiprocessor:        102400 bytes\r\n"
      "  Total number of registers available per block: 65536\r\n"
      "  Warp size:                                     32\r\n"
      "  Maximum number of threads per multiprocessor:  1536\r\n"
      "  Maximum number of threads per block:           1024\r\n"
      "  Max dimension size of a thread block (x,y,z): (1024, 1024, 64)\r\n"
      "  Max dimension size of a grid size    (x,y,z): (2147483647, 65535, 65535)\r\n"
      "  Maximum memory pitch:                          2147483647 bytes\r\n"
      "  Texture alignment:                             512 bytes\r\n"
      "  Concurrent copy and kernel execution:          Yes with 2 copy engine(s)\r\n"
      "  Run time limit on kernels:                     Yes\r\n"
      "  Integrated GPU sharing Host Memory:            No\r\n"
      "  Support host page-locked memory mapping:       Yes\r\n"
      "  Alignment requirement for Surfaces:            Yes\r\n"
      "  Device has ECC support:                        Disabled\r\n"
      "  CUDA Device Driver Mode (TCC or WDDM):         WDDM (Windows Display Driver Model)\r\n"
      "  Device supports Unified Addressing (UVA):      Yes\r\n"
      "  Device supports Managed Memory:                Yes\r\n"
      "  Device supports Compute Preemption:            Yes\r\n"
      "  Supports Cooperative Kernel Launch:            Yes\r\n"
      "  Supports MultiDevice Co-op Kernel Launch:      No\r\n"
      "  Device PCI Domain ID / Bus ID / location ID:   0 / 1 / 0\r\n"
      "  Compute Mode:\r\n"
      "     < Default (multiple host threads can use ::cudaSetDevice() with device simultaneously) >\r\n";
  EXPECT_EQ(device_report(0, sample_device(), 12020, 12000), expected);
}

TEST(Report, EveryLineEndsInCrLf) {
  DeviceRecord d = sample_device();
  d.major = 10;
  d.minor = 0;
  for (const std::string& text : {device_report(3, d, 12020, 12000), report_closing(12020, 12000, 4)}) {
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
      }
  }
}

TEST(Report, OptionalAndAlternativeLines) {
  DeviceRecord d = sample_device();
  d.l2_cache_size = 0;
  d.ecc_enabled = 1;
  d.tcc_driver = 1;
  d.surface_alignment = 0;
  const std::string text = device_report(1, d, 11080, 13000);
  EXPECT_EQ(text.find("L2 Cache Size"), std::string::npos);
  EXPECT_NE(text.find("Device 1: \"Simulated RTX 3070\""), std::string::npos);
  EXPECT_NE(text.find("          11.8 / 13.0\r\n"), std::string::npos);
  EXPECT_NE(text.find("ECC support:                        Enabled\r\n"), std::string::npos);
  EXPECT_NE(text.find("TCC (Tesla Compute Cluster Driver)\r\n"), std::string::npos);
  EXPECT_NE(text.find("Alignment requirement for Surfaces:            No\r\n"), std::string::npos);
}

TEST(Report, ComputeModeNames) {
  const char* names[] = {
      "Default (multiple host threads can use ::cudaSetDevice() with device simultaneously)",
      "Exclusive (only one host thread in one process is able to use ::cudaSetDevice() with this device)",
      "Prohibited (no host thread can use ::cudaSetDevice() with this device)",
      "Exclusive Process (many threads in one process is able to use ::cudaSetDevice() with this device)"};
  DeviceRecord d = sample_device();
  for (int mode = -1; mode <= 5; ++mode) {
    d.compute_mode = mode;
    const std::string want = std::string("     < ") + (mode >= 0 && mode <= 3 ? names[mode] : "Unknown") + " >\r\n";
    const std::string text = device_report(0, d, 0, 0);
    EXPECT_EQ(text.substr(text.size() - want.size()), want) << "mode " << mode;
  }
}

TEST(Report, CoresPerMultiprocessor) {
  EXPECT_EQ(cores_per_multiprocessor(7, 5).cores, 64);
  EXPECT_EQ(cores_per_multiprocessor(6, 1).cores, 128);
  EXPECT_EQ(cores_per_multiprocessor(3, 7).cores, 192);
  EXPECT_EQ(cores_per_multiprocessor(6, 0).cores, 64);
  EXPECT_EQ(cores_per_multiprocessor(9, 0).cores, 128);
  EXPECT_TRUE(cores_per_multiprocessor(8, 6).known);
  const CoresLookup unknown = cores_per_multiprocessor(10, 0);
  EXPECT_FALSE(unknown.known);
  EXPECT_EQ(unknown.cores, 128);
}

TEST(Report, UnknownSmVersionWritesTheFallbackTwice) {
  DeviceRecord d = sample_device();
  d.major = 10;
  d.minor = 0;
  const std::string fallback = "MapSMtoCores for SM 10.0 is undefined.  Default to use 128 Cores/SM\r\n";
  const std::string text = device_report(0, d, 12020, 12000);
  const std::string expected_run = fallback + fallback + "  (028) Multiprocessors, (128) CUDA Cores/MP:    3584 CUDA Cores\r\n";
  EXPECT_NE(text.find("(8589934592 bytes)\r\n" + expected_run), std::string::npos);
}

TEST(Report, SummaryLine) {
  EXPECT_EQ(summary_line(sample_device()),
            "Simulated RTX 3070 mem:8589MB multiProcessorCount:28 compute(8,6) warps:32 threadsperblock:1024 "
            "clockspeed:1770Mhz");
}

TEST(Report, ClosingLines) {
  EXPECT_EQ(report_closing(12020, 12000, 2),
            "\r\ndeviceQuery, CUDA Driver = CUDART, CUDA Driver Version = 12.2, CUDA Runtime Version = 12.0, "
            "NumDevs = 2\r\nResult = PASS\r\n");
  EXPECT_EQ(report_closing(0, 0, 0),
            "\r\ndeviceQuery, CUDA Driver = CUDART, CUDA Driver Version = 0.0, CUDA Runtime Version = 0.0, "
            "NumDevs = 0\r\nResult = PASS\r\n");
}

}  // namespace
