// Time from dlopen of the library to the return of its first export call, in a
// fresh process: run it several times and take the median.
//   measure_load_time <path to liboddsmith.so>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: measure_load_time <library>\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    std::fprintf(stderr, "dlopen failed: %s\n", dlerror());
    return 1;
  }
  using Ev7 = int (*)(int, int, int, int, int, int, int);
  const auto ev7 = reinterpret_cast<Ev7>(dlsym(lib, "poker_ev7"));
  const int value = ev7 ? ev7(51, 47, 43, 39, 35, 0, 1) : -1;
  const auto stop = std::chrono::steady_clock::now();
  std::printf("load to first call: %.3f ms (value %d)\n",
              std::chrono::duration<double, std::milli>(stop - start).count(), value);
  return value == 1 ? 0 : 1;
}
