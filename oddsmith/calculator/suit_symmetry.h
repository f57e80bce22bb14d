// Suit symmetry of an exact enumeration. When renaming the suits by some
// permutation leaves the known board, the dead cards and every player's hands
// (with their weights) as they are, two boards, or two assignments of hands,
// that differ by that renaming give every player the same result. So only the
// smallest of each orbit is valued, counted as many times as its orbit has
// members. ("QQ+, AKs" against "JJ-88, AQo" preflop is unchanged by all 24
// renamings; AhKh against QQ by the six that keep hearts.) With one known hand
// per player no renaming is looked for: a board then costs less to value than
// to test against its renamings.
#pragma once

#include <array>
#include <vector>

#include "calculator/prepared_query.h"

namespace oddsmith::calc {

class SuitSymmetry {
 public:
  // The identity alone: no renaming is used.
  SuitSymmetry() : perms_{{0, 1, 2, 3}} {}
  // The renamings that leave the query unchanged (the identity at least). With
  // one hand per player, or a great many hands, it looks for none: see the .cpp.
  explicit SuitSymmetry(const PreparedQuery& q);

  int order() const { return static_cast<int>(perms_.size()); }

  // For a tuple of card sets (a board: one set; an assignment: a set per
  // player): 0 when some renaming maps it to a smaller tuple (compared set by
  // set), else the number of tuples in its orbit.
  int orbit_size(const CardMask* sets, int count) const {
    if (perms_.size() == 1) return 1;
    int fixed_by = 0;
    for (const auto& p : perms_) {
      int order = 0;  // the image against the tuple, set by set
      for (int i = 0; i < count && order == 0; ++i) {
        const CardMask image = rename(sets[i], p);
        order = image < sets[i] ? -1 : image > sets[i] ? 1 : 0;
      }
      if (order < 0) return 0;
      fixed_by += order == 0;
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
