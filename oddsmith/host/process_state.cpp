#include "host/internal/process_state.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "host/internal/random_cards.h"

namespace oddsmith::host {

std::int32_t holdem_trials = 0;
std::int32_t omaha_trials = 0;

std::int32_t holdem_ranges[kHoldemRangeInts] = {
#include "builtin_holdem_ranges.inc"  // from host/builtin_holdem_ranges.txt
};
std::int32_t holdem_range_cursor = 0;

std::int32_t omaha_ranges[kOmahaRangeInts] = {
#include "builtin_omaha_ranges.inc"  // from host/builtin_omaha_ranges.txt
};
std::int32_t omaha_range_cursor = 0;

std::int32_t omahahl_ranges[kOmahaRangeInts] = {
#include "builtin_omahahl_ranges.inc"  // from host/builtin_omahahl_ranges.txt
};
std::int32_t omahahl_range_cursor = 0;

void on_process_attach() {
  holdem_trials = kHoldemTrials;
  omaha_trials = kOmahaTrials;
}

void store_holdem_ranges(const std::int32_t* hands) { std::memcpy(holdem_ranges, hands, sizeof holdem_ranges); }
void store_omaha_ranges(const std::int32_t* hands) { std::memcpy(omaha_ranges, hands, sizeof omaha_ranges); }
void store_omahahl_ranges(const std::int32_t* hands) { std::memcpy(omahahl_ranges, hands, sizeof omahahl_ranges); }

void fill_holdem_slot_at_random(int slot, std::uint32_t seed) {
  DealRng rng(seed);
  std::int32_t* hand = holdem_ranges + std::ptrdiff_t{slot} * kRangeHands * 2;
  for (int h = 0; h < kRangeHands; ++h, hand += 2) {
    int first, second;
    do {
      first = draw_card(rng);
      second = draw_card(rng);
    } while (first == second);
    hand[0] = first;
    hand[1] = second;
  }
}

void fill_holdem_slot_from_range(int slot, const Range& range, std::uint32_t seed) {
  // Each hand takes one draw: its top bits pick the hand (by a multiply, so the
  // top bits decide), its lowest bit the order of the two cards. Thirty-two bits
  // resolve weights far finer than any notation can write them.
  const std::size_t n = range.size();
  bool uniform = true;
  std::vector<double> cumulative(n);
  double total = 0;
  for (std::size_t i = 0; i < n; ++i) {
    cumulative[i] = total += range[i].weight;
    uniform = uniform && range[i].weight == range[0].weight;
  }
  DealRng rng(seed);
  std::int32_t* hand = holdem_ranges + std::ptrdiff_t{slot} * kRangeHands * 2;
  for (int h = 0; h < kRangeHands; ++h, hand += 2) {
    const std::uint32_t x = rng.next();
    std::size_t i = static_cast<std::size_t>((std::uint64_t{x} * n) >> 32);
    if (!uniform) {
      const double point = static_cast<double>(x) * 0x1p-32 * total;
      i = static_cast<std::size_t>(std::upper_bound(cumulative.begin(), cumulative.end(), point) - cumulative.begin());
      i = std::min(i, n - 1);
    }
    const std::size_t swap = x & 1u;
    hand[0] = range[i].cards[swap];
    hand[1] = range[i].cards[1 - swap];
  }
}


}  // namespace oddsmith::host
