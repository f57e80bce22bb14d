// Four- and five-card hands (Omaha high, five-card Omaha high): strengths on
// a river board from the game's evaluator (two hole cards with three board
// cards), and showdown and fold values in time linear in the ranges, the
// opponent's hands that share cards with a hand taken out through per-subset
// sums (internal/card_removal.h) instead of hand against hand.
#include <algorithm>
#include <cstring>

#include "eval/omaha5.h"
#include "eval/omaha_high.h"
#include "solver/internal/hands.h"

namespace oddsmith::solver {

RiverTable make_subset_river_table(Game game, CardMask board, const std::array<HandSet, 2>& hands) {
  int b[5], n = 0;
  for (int c = 0; c < kDeckSize && n < 5; ++c)
    if (board & card_bit(c)) b[n++] = c;
  const OmahaBoard four = omaha_board(b[0], b[1], b[2], b[3], b[4]);
  const Omaha5Board five = omaha5_board(b);
  RiverTable t;
  for (std::size_t p = 0; p < 2; ++p) {
    const HandSet& hs = hands[p];
    auto& list = t.sorted[p];
    list.reserve(static_cast<std::size_t>(hs.size()));
    for (int h = 0; h < hs.size(); ++h) {
      const auto i = static_cast<std::size_t>(h);
      if (hs.mask[i] & board) continue;
      const auto& c = hs.holes[i];
      int value = 0;
      if (game == Game::omaha5) {
        const int cards[5] = {c[0], c[1], c[2], c[3], c[4]};
        value = eval_omaha5_high_on_board(five, omaha5_hole(cards));
      } else {
        value = eval_omaha_high_on_board(four, c[0], c[1], c[2], c[3]);
      }
      // The evaluators' values are lower for stronger hands.
      list.push_back({-value, static_cast<std::uint16_t>(h), 0, 0});
    }
    std::sort(list.begin(), list.end(), [](const RiverTable::Entry& x, const RiverTable::Entry& y) {
      return x.strength != y.strength ? x.strength < y.strength : x.hand < y.hand;
    });
  }
  return t;
}

namespace {

// Their reach summed over every card subset of their hands, and from it the
// reach of their hands that a hand of mine shares no card with.
class SubsetReach {
 public:
  SubsetReach(const HandSet& mine, const HandSet& theirs, float* scratch)
      : per_hand_(theirs.subsets.per_hand),
        odd_(mine.subsets.odd),
        own_(theirs.subsets.own.data()),
        other_(mine.subsets.other.data()),
        sums_(scratch) {
    std::fill(sums_, sums_ + theirs.subsets.slots + 1, 0.0f);
  }
  void add(int theirs, float reach) {
    total_ += reach;
    add_subsets(own_ + static_cast<std::size_t>(theirs) * static_cast<std::size_t>(per_hand_), per_hand_, reach, sums_);
  }
  float compatible(int mine) const {
    return total_ - blocked_reach(other_ + static_cast<std::size_t>(mine) * static_cast<std::size_t>(per_hand_),
                                  per_hand_, odd_, sums_);
  }

 private:
  int per_hand_, odd_;
  const std::uint32_t* own_;
  const std::uint32_t* other_;
  float* sums_;
  float total_ = 0;
};

}  // namespace

void subset_showdown_values(const RiverTable& table, int me, const HandSet& mine, const HandSet& theirs,
                            const float* reach, float* out, double win, double lose, double tie, float* scratch) {
  const auto& mine_sorted = table.sorted[static_cast<std::size_t>(me)];
  const auto& theirs_sorted = table.sorted[static_cast<std::size_t>(1 - me)];
  SubsetReach sums(mine, theirs, scratch);
  std::size_t next = 0;
  // Their hands into the sums in strength order, up to a strength.
  auto add_below = [&](auto stronger_than_limit) {
    while (next < theirs_sorted.size() && !stronger_than_limit(theirs_sorted[next].strength)) {
      const std::uint16_t o = theirs_sorted[next++].hand;
      if (reach[o] != 0) sums.add(o, reach[o]);
    }
  };
  auto compatible = [&](std::uint16_t h) { return sums.compatible(h); };
  std::fill(out, out + mine.size(), 0.0f);
  // out = lose * compatible + (win - tie) * beaten - (lose - tie) * not_above,
  // as the two-card sweep: beaten over the hands strictly weaker, not_above
  // over those no stronger, each less the hands that share a card.
  const auto c_win = static_cast<float>(win - tie), c_tie = static_cast<float>(lose - tie);
  const auto c_lose = static_cast<float>(lose);
  for (std::size_t k = 0; k < mine_sorted.size();) {
    const std::int32_t s = mine_sorted[k].strength;
    std::size_t end = k;
    while (end < mine_sorted.size() && mine_sorted[end].strength == s) ++end;
    add_below([s](std::int32_t x) { return x >= s; });
    for (std::size_t j = k; j < end; ++j) out[mine_sorted[j].hand] = c_win * compatible(mine_sorted[j].hand);
    add_below([s](std::int32_t x) { return x > s; });
    for (std::size_t j = k; j < end; ++j) out[mine_sorted[j].hand] -= c_tie * compatible(mine_sorted[j].hand);
    k = end;
  }
  add_below([](std::int32_t) { return false; });
  for (const RiverTable::Entry& e : mine_sorted) out[e.hand] += c_lose * compatible(e.hand);
}

void subset_compatible_values(const HandSet& mine, const HandSet& theirs, const float* reach, float* out, double value,
                              float* scratch) {
  SubsetReach sums(mine, theirs, scratch);
  for (int o = 0; o < theirs.size(); ++o) {
    if (reach[o] != 0) sums.add(o, reach[o]);
  }
  const auto v = static_cast<float>(value);
  for (int h = 0; h < mine.size(); ++h) out[h] = v * sums.compatible(h);
}

}  // namespace oddsmith::solver
