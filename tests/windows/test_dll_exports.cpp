// Loads oddsmith.dll with LoadLibrary and calls every export by name, as the
// host application does on Windows. Prints one line per check; exit status 0
// only when all pass.
//   dll_exports oddsmith.dll
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s  %s\n", ok ? "pass" : "FAIL", what);
  failures += !ok;
}

template <class Fn>
Fn find(HMODULE lib, const char* name) {
  FARPROC address = GetProcAddress(lib, name);
  if (!address) {
    std::printf("FAIL  export %s not found\n", name);
    ++failures;
  }
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
}

}  // namespace

int main(int argc, char** argv) {
  HMODULE lib = LoadLibraryA(argc > 1 ? argv[1] : "oddsmith.dll");
  if (!lib) {
    std::printf("FAIL  LoadLibrary: error %lu\n", GetLastError());
    return 1;
  }
  using I5 = int (*)(int, int, int, int, int);
  using I7 = int (*)(int, int, int, int, int, int, int);
  using I9 = int (*)(int, int, int, int, int, int, int, int, int);
  using I1 = int (*)(int);
  using I10 = int (*)(int, int, int, int, int, int, int, int, int, int);
  using I12 = int (*)(int, int, int, int, int, int, int, int, int, int, int, int);
  using Buffer = int (*)(const int*);
  using Exact = int (*)(int, const wchar_t*);
  using Parse = void* (*)(const char*, int, int, int*, char*, int);
  using Size = int (*)(const void*);
  using Hand = int (*)(const void*, int, int*, double*);
  using Free = void (*)(void*);

  const auto ev5 = find<I5>(lib, "poker_ev5");
  const auto ev7 = find<I7>(lib, "poker_ev7");
  const auto evomaha = find<I9>(lib, "poker_evomaha");
  const auto evomahalow = find<I9>(lib, "poker_evomahalow");
  const auto holdem_test = find<I1>(lib, "holdem_test");
  const auto omaha_test = find<I1>(lib, "omaha_test");
  const auto omahalow_test = find<I1>(lib, "omahalow_test");
  const auto holdem = find<I10>(lib, "poker_holdem_equity");
  const auto omaha = find<I12>(lib, "poker_omaha_equity");
  const auto hilo = find<I12>(lib, "poker_omahahl_equity");
  const auto simul = find<Buffer>(lib, "poker_set_holdem_range_simul");
  const auto exact = find<Exact>(lib, "poker_set_holdem_range_exact");
  const auto load_omaha = find<Buffer>(lib, "poker_load_omaha_range");
  const auto load_hilo = find<Buffer>(lib, "poker_load_omahahl_range");
  const auto range_parse = find<Parse>(lib, "oddsmith_range_parse");
  const auto range_size = find<Size>(lib, "oddsmith_range_size");
  const auto range_hand = find<Hand>(lib, "oddsmith_range_hand");
  const auto range_free = find<Free>(lib, "oddsmith_range_free");
  if (failures) return 1;

  check(ev5(51, 47, 43, 39, 35) == 1, "poker_ev5 of the royal flush is 1");
  check(ev5(51, 51, 43, 39, 35) == 0, "poker_ev5 of a repeated card is 0");
  check(ev7(1, 2, 3, 4, 5, 6, 7) == 154, "poker_ev7(1..7) is 154");
  check(evomaha(48, 49, 50, 51, 44, 45, 42, 43, 36) == 2468, "poker_evomaha of four aces on KKQQJ is 2468");
  check(evomahalow(11, 15, 28, 29, 48, 1, 6, 44, 45) == 31, "poker_evomahalow of A-2-3-4-5 is 31");
  check(holdem_test(100000) >= 0 && omaha_test(100000) >= 0 && omahalow_test(100000) >= 0, "timing exports");
  // Equity 1000 with no opponents also shows that DllMain set the trial counts.
  check(holdem(50, 46, 0, 0, 0, 0, 0, 0, 0, 0) == 1000, "poker_holdem_equity, no opponents: 1000");
  const int aces = holdem(50, 49, 0, 1, 0, 0, 0, 0, 0, 0);
  check(aces >= 840 && aces <= 865, "poker_holdem_equity of aces against one random hand");
  check(holdem(50, 46, 0, 23, 0, 0, 0, 0, 0, 0) == -1, "poker_holdem_equity refuses 23 opponents");
  check(omaha(50, 51, 46, 47, 0, 0, 0, 0, 0, 0, 0, 0) == 1000, "poker_omaha_equity, no opponents: 1000");
  check(hilo(50, 51, 46, 47, 0, 0, 0, 0, 0, 0, 0, 0) == 1000, "poker_omahahl_equity, no opponents: 1000");
  check(simul(nullptr) == 0 && load_omaha(nullptr) == 0 && load_hilo(nullptr) == 0, "null buffers are refused");
  std::vector<int> hands(8000);
  for (int i = 0; i < 8000; ++i) hands[i] = 44 + i % 4;  // Kc Kd Kh Ks
  check(simul(hands.data()) == 1 && load_omaha(hands.data()) == 1 && load_hilo(hands.data()) == 1, "loaders");
  check(exact(2, L"QQ+") == 1 && exact(4, L"QQ+") == 0 && exact(0, nullptr) == 1, "poker_set_holdem_range_exact");
  void* range = range_parse("QQ+, AKs, AJo+", -1, 0, nullptr, nullptr, 0);
  int cards[5];
  double weight = 0;
  check(range && range_size(range) == 58 && range_hand(range, 0, cards, &weight) == 2 && weight == 1.0,
        "oddsmith_range_parse, _size and _hand: QQ+, AKs, AJo+ is 58 hands");
  range_free(range);
  int column = 0;
  char error[64] = "";
  check(!range_parse("QQ+, AZs", -1, 0, &column, error, 64) && column == 7 && error[0],
        "oddsmith_range_parse names the column of a fault");
  std::printf("\n%d check(s) failed\n", failures);
  FreeLibrary(lib);
  return failures == 0 ? 0 : 1;
}
