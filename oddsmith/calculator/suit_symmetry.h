// Suit symmetry of an exact enumeration. When renaming the suits by some
// permutation leaves the known board, the dead cards and every player's hands
// (with their weights) as they are, two boards that differ by that renaming give
// every player the same result. So only the smallest board of each orbit is
// valued, counted as many times as its orbit has boards. ("QQ+, AKs" against
// "JJ-88, AQo" preflop is unchanged by all 24 renamings; AhKh against QsQd by
// swapping diamonds and spades.)
#pragma once

#include <array>
#include <vector>

#include "calculator/prepared_query.h"

namespace oddsmith::calc {

class SuitSymmetry {
 public:
  // The renamings that leave the query unchanged (the identity at least).
  explicit SuitSymmetry(const PreparedQuery& q);

  int order() const { return static_cast<int>(perms_.size()); }
  const std::vector<std::array<int, 4>>& renamings() const { return perms_; }

  // The number of boards in the orbit of `board` (a full board's cards) when it
  // is the orbit's smallest, else 0.
  int weight_of(CardMask board) const {
    if (perms_.size() == 1) return 1;
    int fixed_by = 0;
    for (const auto& p : perms_) {
      const CardMask image = rename(board, p);
      if (image < board) return 0;
      fixed_by += image == board;
    }
    return static_cast<int>(perms_.size()) / fixed_by;
  }

  // The cards of `mask` with suit s renamed to p[s].
  static CardMask rename(CardMask mask, const std::array<int, 4>& p) {
    constexpr CardMask kLanes = 0x0001111111111111ull;  // suit 0 of every rank: bits 0, 4, .., 48
    CardMask out = 0;
    for (int s = 0; s < 4; ++s) out |= ((mask >> s) & kLanes) << p[static_cast<std::size_t>(s)];
    return out;
  }

 private:
  std::vector<std::array<int, 4>> perms_;
};

}  // namespace oddsmith::calc
