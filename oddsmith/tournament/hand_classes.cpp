// Hold'em's starting-hand classes on the 13 x 13 chart.
#include "tournament/hand_classes.h"

#include <algorithm>
#include <vector>

namespace oddsmith::tournament {
namespace {

constexpr char kRankLetters[] = "AKQJT98765432";  // chart order: row 0 is the ace

// The hands of a class as (card, card) pairs.
std::vector<std::array<int, 2>> class_hands(int cls) {
  const int row = cls / 13;
  const int col = cls % 13;
  const int high = 12 - (row < col ? row : col);  // engine ranks: deuce 0 .. ace 12
  const int low = 12 - (row < col ? col : row);
  std::vector<std::array<int, 2>> hands;
  for (int s1 = 0; s1 < 4; ++s1) {
    for (int s2 = 0; s2 < 4; ++s2) {
      const bool suited = s1 == s2;
      if (row == col ? s2 <= s1 : (row < col) != suited) {
        continue;
      }
      hands.push_back({high * 4 + s1, low * 4 + s2});
    }
  }
  return hands;
}

}  // namespace

std::string class_label(int cls) {
  const int row = cls / 13;
  const int col = cls % 13;
  std::string label{kRankLetters[row < col ? row : col], kRankLetters[row < col ? col : row]};
  if (row != col) {
    label += row < col ? 's' : 'o';
  }
  return label;
}

int class_combos(int cls) {
  const int row = cls / 13;
  const int col = cls % 13;
  return row == col ? 6 : (row < col ? 4 : 12);
}

int class_of(int card_a, int card_b) {
  const int ra = 12 - card_a / 4;
  const int rb = 12 - card_b / 4;
  const int hi = ra < rb ? ra : rb;  // chart index of the higher rank
  const int lo = ra < rb ? rb : ra;
  if (hi == lo) {
    return hi * 13 + hi;
  }
  return (card_a % 4 == card_b % 4) ? hi * 13 + lo : lo * 13 + hi;
}

ClassPairCounts class_pair_counts() {
  std::array<std::vector<std::array<int, 2>>, kClasses> hands;
  for (int c = 0; c < kClasses; ++c) {
    hands[static_cast<std::size_t>(c)] = class_hands(c);
  }
  ClassPairCounts counts{};
  for (std::size_t a = 0; a < kClasses; ++a) {
    for (std::size_t b = 0; b < kClasses; ++b) {
      int n = 0;
      for (const auto& x : hands[a]) {
        for (const auto& y : hands[b]) {
          n += (x[0] != y[0] && x[0] != y[1] && x[1] != y[0] && x[1] != y[1]) ? 1 : 0;
        }
      }
      counts[a][b] = n;
    }
  }
  return counts;
}

void class_miss_shares(const double* weights, double* out) {
  double mass = 0;
  for (int c = 0; c < kClasses; ++c) mass += weights[c];
  if (!(mass > 0)) {
    std::fill(out, out + kClasses, 1.0);
    return;
  }
  // By row (rank, ace first): the weight of the hands holding one given card
  // of it. Half of a pocket pair's hands hold a given card of its rank; a
  // quarter of a suited or an offsuit class's hold a given card of either rank.
  std::array<double, 13> holding{};
  for (int c = 0; c < kClasses; ++c) {
    const auto row = static_cast<std::size_t>(c / 13), col = static_cast<std::size_t>(c % 13);
    if (row == col) {
      holding[row] += weights[c] / 2;
    } else {
      holding[row] += weights[c] / 4;
      holding[col] += weights[c] / 4;
    }
  }
  for (int c = 0; c < kClasses; ++c) {
    const auto row = static_cast<std::size_t>(c / 13), col = static_cast<std::size_t>(c % 13);
    // The hands sharing a card with one hand of class c: those holding either
    // card, that hand itself counted once.
    const double hit = holding[row] + holding[col] - weights[c] / class_combos(c);
    out[c] = std::max(0.0, 1 - hit / mass) * kHands / kHandsLeftByOne;
  }
}

}  // namespace oddsmith::tournament
