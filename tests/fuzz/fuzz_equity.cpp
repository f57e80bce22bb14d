// The three equity games with arbitrary arguments, after range buffers filled
// from the fuzz input through the setters and loaders. Runs the exports' own
// code (argument checks included) with a small trial count and a seed from the
// input.
#include <cstdint>
#include <vector>

#include "host/internal/holdem.h"
#include "host/internal/omaha.h"
#include "fuzz_input.h"
#include "oddsmith.h"

namespace host = oddsmith::host;

namespace {

// A buffer of `n` ints repeating the next few input values.
std::vector<int> pattern(fuzz::Input& in, std::size_t n) {
  std::vector<int> values(1 + in.byte() % 16);
  for (int& v : values) v = in.card();
  std::vector<int> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = values[i % values.size()];
  return out;
}

host::EquityRequest request(fuzz::Input& in, int player_cards) {
  host::EquityRequest r{};
  for (int i = 0; i < 4; ++i) r.player[i] = in.card();
  r.player_cards = player_cards;
  r.known_board = in.int_near(0, 5);
  for (int& b : r.board) b = in.card();
  r.opponents = in.int_near(0, player_cards == 2 ? 22 : 10);
  r.range = in.int_near(0, 4);
  return r;
}

bool per_mille(int v) { return v == -1 || (v >= 0 && v <= 1000); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t which = in.byte();
  if (which & 1) fuzz::require(poker_set_holdem_range_simul(pattern(in, 4000).data()) == 1);
  if (which & 2) fuzz::require(poker_load_omaha_range(pattern(in, 8000).data()) == 1);
  if (which & 4) fuzz::require(poker_load_omahahl_range(pattern(in, 8000).data()) == 1);
  while (in.left() >= 8) {
    const std::uint32_t seed = static_cast<std::uint32_t>(in.raw_int());
    const int trials = 1 + in.byte() % 32;
    switch (in.byte() % 3) {
      case 0: fuzz::require(per_mille(host::holdem_equity(request(in, 2), seed, trials))); break;
      case 1: fuzz::require(per_mille(host::omaha_high_equity(request(in, 4), seed, trials).per_mille)); break;
      default: fuzz::require(per_mille(host::omaha_hilo_equity(request(in, 4), seed, trials).per_mille)); break;
    }
  }
  return 0;
}
