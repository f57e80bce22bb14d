// The range setters and loaders with arbitrary buffers, slots and wide-character
// texts (null ones included), followed by range deals that read what they stored.
#include <cstdint>
#include <cstring>
#include <vector>

#include "host/internal/holdem.h"
#include "host/internal/omaha.h"
#include "host/internal/process_state.h"
#include "fuzz_input.h"
#include "oddsmith.h"

namespace host = oddsmith::host;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  while (!in.empty()) {
    switch (in.byte() % 5) {
      case 0:
      case 2:
      case 3: {  // a setter or loader: null, or a buffer of input values it must store as given
        struct Loader {
          int (*load)(const int*);
          const std::int32_t* stored;
          std::size_t ints;
        };
        const Loader loaders[] = {{poker_set_holdem_range_simul, host::holdem_ranges, host::kHoldemRangeInts},
                                  {poker_load_omaha_range, host::omaha_ranges, host::kOmahaRangeInts},
                                  {poker_load_omahahl_range, host::omahahl_ranges, host::kOmahaRangeInts}};
        const Loader& l = loaders[in.byte() % 3];
        if (in.byte() & 1) {
          fuzz::require(l.load(nullptr) == 0);
          break;
        }
        std::vector<int> hands(l.ints);
        for (int& c : hands) c = in.card();
        fuzz::require(l.load(hands.data()) == 1);
        fuzz::require(std::memcmp(l.stored, hands.data(), l.ints * sizeof(int)) == 0);
        break;
      }
      case 1: {  // exact setter: any slot, any text
        const int slot = in.int_near(0, 3);
        std::vector<wchar_t> text(in.byte() % 32);
        for (wchar_t& ch : text) ch = static_cast<wchar_t>(in.raw_int());
        text.push_back(L'\0');
        const bool null_text = in.byte() & 1;
        const int result = poker_set_holdem_range_exact(slot, null_text ? nullptr : text.data());
        fuzz::require(result == (slot >= 0 && slot <= 3 ? 1 : 0));
        break;
      }
      default: {  // deals from the stored ranges
        const int range = 1 + in.byte() % 4;
        const std::uint32_t seed = static_cast<std::uint32_t>(in.raw_int());
        const host::EquityRequest holdem{{0, 1, 0, 0}, 2, 0, {0, 0, 0, 0, 0}, 1 + in.byte() % 22, range};
        const int h = host::holdem_equity(holdem, seed, 8);
        fuzz::require(h >= 0 && h <= 1000);
        const host::EquityRequest omaha{{4, 5, 6, 7}, 4, 0, {0, 0, 0, 0, 0}, 1 + in.byte() % 10, range};
        const int o = host::omaha_high_equity(omaha, seed, 8).per_mille;
        const int l = host::omaha_hilo_equity(omaha, seed, 8).per_mille;
        fuzz::require(o >= 0 && o <= 1000 && l >= 0 && l <= 1000);
        break;
      }
    }
  }
  return 0;
}
