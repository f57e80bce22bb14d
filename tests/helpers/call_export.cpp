// Loads libgpuscout by path, as a host does, and calls one export, so that a test
// can read the process's standard output and standard error exactly. The export's
// result goes to a separate file.
//   call_export <library> <export> <result file>
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!lib) return 3;
  const char* name = argv[2];
  void* symbol = dlsym(lib, name);
  if (!symbol) return 4;
  std::FILE* result = std::fopen(argv[3], "w");
  if (!result) return 5;
  std::vector<int> a(1024), b(1024, 1), c(1024);
  for (int i = 0; i < 1024; ++i) a[i] = i;
  if (!std::strcmp(name, "cuda_devicecount")) {
    std::fprintf(result, "%d", reinterpret_cast<int (*)()>(symbol)());
  } else if (!std::strcmp(name, "cuda_devicename") || !std::strcmp(name, "cuda_deviceprops")) {
    std::fprintf(result, "[%s]", reinterpret_cast<const char* (*)(int)>(symbol)(0));
  } else if (!std::strcmp(name, "cuda_devicepropsbig")) {
    reinterpret_cast<void (*)()>(symbol)();
  } else if (!std::strcmp(name, "testcuda")) {
    std::fprintf(result, "%d", reinterpret_cast<int (*)(int, int, int)>(symbol)(1, 1, 0));
  } else if (!std::strcmp(name, "testcudaaddsquare")) {
    using Fn = int (*)(const int*, const int*, int*, unsigned, int);
    std::fprintf(result, "%d", reinterpret_cast<Fn>(symbol)(a.data(), b.data(), c.data(), 1024, 0));
  } else if (!std::strcmp(name, "cudaMM")) {
    using Fn = int (*)(const int*, const int*, int*, int, int, int, int);
    std::fprintf(result, "%d", reinterpret_cast<Fn>(symbol)(a.data(), b.data(), c.data(), 512, 2, 1, 0));
  } else if (!std::strcmp(name, "NvOptimusEnablementCuda")) {
    std::fprintf(result, "%u", *static_cast<unsigned*>(symbol));
  } else {
    return 6;
  }
  std::fclose(result);
  return 0;
}
