// The evaluator exports with arbitrary integers, repeated cards included: every
// answer is 0 for bad input or a value of its scale, and nothing faults. The
// by-game batch export too, one hand at a time.
#include <cstdint>
#include <set>

#include "fuzz_input.h"
#include "oddsmith.h"

namespace {

bool distinct_cards(const int* c, int n) {
  std::set<int> seen;
  for (int i = 0; i < n; ++i)
    if (c[i] < 0 || c[i] > 51 || !seen.insert(c[i]).second) return false;
  return true;
}

bool low_value(int v) {
  if (v == 1024) return true;
  int bits = 0;
  for (int b = 0; b < 8; ++b) bits += (v >> b) & 1;
  return v > 0 && v < 256 && bits == 5;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  while (!in.empty()) {
    int c[10];
    for (int& card : c) card = in.card();
    const int v5 = poker_ev5(c[0], c[1], c[2], c[3], c[4]);
    fuzz::require(distinct_cards(c, 5) ? v5 >= 1 && v5 <= 7462 : v5 == 0);
    const int v7 = poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
    fuzz::require(distinct_cards(c, 7) ? v7 >= 1 && v7 <= 7462 && v7 <= v5 : v7 == 0);
    const int high = poker_evomaha(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
    fuzz::require(distinct_cards(c, 9) ? high >= 1 && high <= 7462 : high == 0);
    const int low = poker_evomahalow(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
    bool on_deck = true;
    for (int i = 0; i < 9; ++i) on_deck = on_deck && c[i] >= 0 && c[i] <= 51;
    fuzz::require(on_deck ? low_value(low) : low == 0);
    // By game: Hold'em agrees with the single exports; short deck answers within
    // its scale for distinct cards from the six up, else 0; other games refuse.
    for (int n = 5; n <= 7; ++n) {
      int holdem = -1, short_deck = -1;
      fuzz::require(oddsmith_evaluate_game_many(c, 1, ODDSMITH_GAME_HOLDEM, n, &holdem) == 0);
      fuzz::require(n == 5 ? holdem == v5 : n == 7 ? holdem == v7 : (distinct_cards(c, 6) ? holdem >= v7 : holdem == 0));
      fuzz::require(oddsmith_evaluate_game_many(c, 1, ODDSMITH_GAME_SHORTDECK, n, &short_deck) == 0);
      bool short_cards = distinct_cards(c, n);
      for (int i = 0; i < n; ++i) short_cards = short_cards && c[i] >= 16;
      fuzz::require(short_cards ? short_deck >= 1 && short_deck <= ODDSMITH_SHORTDECK_WORST_HAND : short_deck == 0);
    }
    // Omaha by game: the hole cards first, as poker_evomaha takes them; five-card
    // Omaha within the scale for ten distinct cards, else 0.
    int omaha = -1, omaha5 = -1;
    fuzz::require(oddsmith_evaluate_game_many(c, 1, ODDSMITH_GAME_OMAHA, 9, &omaha) == 0 && omaha == high);
    fuzz::require(oddsmith_evaluate_game_many(c, 1, ODDSMITH_GAME_OMAHA5, 10, &omaha5) == 0);
    fuzz::require(distinct_cards(c, 10) ? omaha5 >= 1 && omaha5 <= 7462 : omaha5 == 0);
    fuzz::require(oddsmith_evaluate_game_many(c, 1, in.int_near(-2, 8), in.int_near(-2, 11), nullptr) == -1);
    // The timing loops with small (or negative) counts.
    const int count = in.int_near(-2, 64);
    if (count <= 64) {
      fuzz::require(holdem_test(count) >= 0);
      fuzz::require(omaha_test(count) >= 0);
      fuzz::require(omahalow_test(count) >= 0);
    }
  }
  return 0;
}
