/* gpuscout: a CUDA GPU probe, as plain C exports.
 *
 * Devices are CUDA runtime ordinals 0 .. count-1. Texts are returned in
 * library-owned buffers that the next call of the same export overwrites.
 * Diagnostics of the compute tests go to standard error; the full report goes
 * to standard output. Calls come from one thread at a time. */
#ifndef GPUSCOUT_H
#define GPUSCOUT_H

#if defined(_WIN32)
#  if defined(GPUSCOUT_BUILDING)
#    define GPUSCOUT_API __declspec(dllexport)
#  else
#    define GPUSCOUT_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define GPUSCOUT_API __attribute__((visibility("default")))
#else
#  define GPUSCOUT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Number of CUDA devices, or -1 when the runtime cannot count them. */
GPUSCOUT_API int cuda_devicecount(void);

/* The device's name, or "" when its properties cannot be read. */
GPUSCOUT_API const char *cuda_devicename(int device);

/* One summary line of the device, or "" when its properties cannot be read. */
GPUSCOUT_API const char *cuda_deviceprops(int device);

/* Writes the full property report of every device to standard output. */
GPUSCOUT_API void cuda_devicepropsbig(void);

/* Launches an empty kernel on `blocks` x `threads`: 1 when it ran, else 0. */
GPUSCOUT_API int testcuda(int blocks, int threads, int device);

/* c[i] = a[i]^2 + b[i]^2 (32-bit, wrapping) on the GPU, 512 threads a block.
 * 0 on success, 1 on failure; a `size` that is not a positive multiple of 512
 * is refused (1, with a diagnostic) before the GPU is touched. */
GPUSCOUT_API int testcudaaddsquare(const int *a, const int *b, int *c, unsigned int size, int device);

/* C (a x c) = A (a x b) * B (b x c), row-major 32-bit ints (wrapping), one GPU
 * thread per row of C, 512 threads a block. 0 on success, 1 on failure; a row
 * count `a` that is not a positive multiple of 512 is refused (1, with a
 * diagnostic) before the GPU is touched. */
GPUSCOUT_API int cudaMM(const int *A, const int *B, int *C, int a, int b, int c, int device);

/* 1: asks hybrid-graphics drivers to run CUDA work on the discrete GPU. */
GPUSCOUT_API extern unsigned int NvOptimusEnablementCuda;

#ifdef __cplusplus
}
#endif

#endif /* GPUSCOUT_H */
