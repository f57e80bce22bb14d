// Hands of distinct random cards from a fixed seed, for the benchmarks and the
// instruction-count workload: `count` rows of `width` cards each, drawn from
// the cards `lowest`..51 (16 for the short deck).
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace bench {

inline std::vector<int> random_hands(int width, long count, int lowest = 0) {
  std::mt19937 rng(12345);
  std::vector<int> cards;
  cards.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(count));
  for (long h = 0; h < count; ++h) {
    std::uint64_t used = 0;
    for (int i = 0; i < width;) {
      const int c = lowest + static_cast<int>(rng() % static_cast<unsigned>(52 - lowest));
      if (used >> c & 1) continue;
      used |= std::uint64_t{1} << c;
      cards.push_back(c);
      ++i;
    }
  }
  return cards;
}

}  // namespace bench
