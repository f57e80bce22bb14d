// Rule-based poker references for the tests, written from the rules of the game
// and independent of the library's tables: a five-card strength (category, then
// ranks in order of importance), brute-force best-of-subsets evaluators, and the
// step-by-step Omaha low walk.
#pragma once

#include <algorithm>
#include <array>
#include <compare>
#include <vector>

namespace reference {

// Larger is stronger. Category 8 = straight flush .. 0 = high card.
struct Strength {
  int category = -1;
  std::array<int, 5> ranks{};  // ranks in order of importance, ace = 12
  auto operator<=>(const Strength&) const = default;
};

Strength five_card_strength(const int cards[5]);

// Best (lowest) of the five-card values `value5` over every choice of five of
// seven cards, or of two hole and three board cards.
template <class Value5>
int best_of_seven(const int c[7], Value5 value5);
template <class Value5>
int best_omaha(const int board[5], const int hole[4], Value5 value5);

// Omaha low by trying all 60 two-hole, three-board choices.
int omaha_low_brute_force(const int board[5], const int hole[4]);

// Omaha low by the literal rank walk over low-rank counts.
int omaha_low_walk(const int board[5], const int hole[4]);

// Seven distinct random cards etc.: fills `out` with n distinct cards.
template <class Rng>
void deal_distinct(Rng& rng, int* out, int n) {
  unsigned long long used = 0;
  for (int i = 0; i < n;) {
    const int c = static_cast<int>(rng() % 52);
    if (used >> c & 1) continue;
    used |= 1ull << c;
    out[i++] = c;
  }
}

template <class Value5>
int best_of_seven(const int c[7], Value5 value5) {
  int best = 1 << 30;
  for (int skip1 = 0; skip1 < 7; ++skip1)
    for (int skip2 = skip1 + 1; skip2 < 7; ++skip2) {
      int five[5], n = 0;
      for (int i = 0; i < 7; ++i)
        if (i != skip1 && i != skip2) five[n++] = c[i];
      const int v = value5(five);
      if (v < best) best = v;
    }
  return best;
}

template <class Value5>
int best_omaha(const int board[5], const int hole[4], Value5 value5) {
  int best = 1 << 30;
  for (int h1 = 0; h1 < 4; ++h1)
    for (int h2 = h1 + 1; h2 < 4; ++h2)
      for (int b1 = 0; b1 < 5; ++b1)
        for (int b2 = b1 + 1; b2 < 5; ++b2)
          for (int b3 = b2 + 1; b3 < 5; ++b3) {
            const int five[5] = {hole[h1], hole[h2], board[b1], board[b2], board[b3]};
            const int v = value5(five);
            if (v < best) best = v;
          }
  return best;
}

// The same over two of five hole cards.
template <class Value5>
int best_omaha5(const int board[5], const int hole[5], Value5 value5) {
  int best = 1 << 30;
  for (int skip = 0; skip < 5; ++skip) {  // every pair lies in some four of the five
    int four[4], n = 0;
    for (int i = 0; i < 5; ++i)
      if (i != skip) four[n++] = hole[i];
    best = std::min(best, best_omaha(board, four, value5));
  }
  return best;
}

}  // namespace reference
