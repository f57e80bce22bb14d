// The library's exports: each hands the real CUDA runtime layer to the query or
// compute-test code, and keeps the two static text buffers. No exception leaves.

#include <cstdio>

#include "gpuscout.h"
#include "compute_tests.h"
#include "cuda_runtime_layer.h"
#include "device_query.h"

namespace {

char name_buffer[1000];
char summary_buffer[5000];

}  // namespace

extern "C" {

GPUSCOUT_API unsigned int NvOptimusEnablementCuda = 1;

GPUSCOUT_API int cuda_devicecount(void) { return gpuscout::device_count(gpuscout::cuda_runtime_layer()); }

GPUSCOUT_API const char* cuda_devicename(int device) {
  gpuscout::write_device_name(gpuscout::cuda_runtime_layer(), device, name_buffer, sizeof name_buffer);
  return name_buffer;  // (copying the name allocates nothing)
}

GPUSCOUT_API const char* cuda_deviceprops(int device) {
  try {
    gpuscout::write_device_summary(gpuscout::cuda_runtime_layer(), device, summary_buffer, sizeof summary_buffer);
  } catch (...) {
    summary_buffer[0] = '\0';  // out of memory while formatting
  }
  return summary_buffer;
}

GPUSCOUT_API void cuda_devicepropsbig(void) {
  try {
    gpuscout::write_full_report(gpuscout::cuda_runtime_layer(), stdout);
  } catch (...) {
    // Out of memory while formatting: the report stops; nothing may reach the host.
  }
}

GPUSCOUT_API int testcuda(int blocks, int threads, int device) {
  return gpuscout::run_empty_kernel(gpuscout::cuda_runtime_layer(), stderr, blocks, threads, device);
}

GPUSCOUT_API int testcudaaddsquare(const int* a, const int* b, int* c, unsigned int size, int device) {
  return gpuscout::run_add_squares(gpuscout::cuda_runtime_layer(), stderr, a, b, c, size, device);
}

GPUSCOUT_API int cudaMM(const int* A, const int* B, int* C, int a, int b, int c, int device) {
  return gpuscout::run_matrix_multiply(gpuscout::cuda_runtime_layer(), stderr, A, B, C, a, b, c, device);
}

}  // extern "C"
