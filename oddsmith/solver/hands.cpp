// Hand strengths and the linear-time showdown and fold values (internal/hands.h).
#include <algorithm>

#include "eval/five_seven.h"
#include "eval/short_deck.h"
#include "solver/internal/hands.h"

namespace oddsmith::solver {

std::int32_t hand_strength(Game game, const int* board5, int lo, int hi) {
  if (game == Game::shortdeck) {
    const int cards[7] = {board5[0], board5[1], board5[2], board5[3], board5[4], lo, hi};
    return -eval_shortdeck(cards, 7);
  }
  return -eval7(board5[0], board5[1], board5[2], board5[3], board5[4], lo, hi);
}

RiverTable make_river_table(Game game, CardMask board, const std::array<HandSet, 2>& hands) {
  int b[5], n = 0;
  for (int c = 0; c < kDeckSize && n < 5; ++c)
    if (board & card_bit(c)) b[n++] = c;
  RiverTable t;
  for (int p = 0; p < 2; ++p) {
    const HandSet& hs = hands[static_cast<std::size_t>(p)];
    auto& list = t.sorted[static_cast<std::size_t>(p)];
    list.reserve(static_cast<std::size_t>(hs.size()));
    for (int h = 0; h < hs.size(); ++h) {
      const auto i = static_cast<std::size_t>(h);
      if (hs.mask[i] & board) continue;
      list.push_back({hand_strength(game, b, hs.lo[i], hs.hi[i]), static_cast<std::uint16_t>(h), hs.lo[i], hs.hi[i]});
    }
    std::sort(list.begin(), list.end(), [](const RiverTable::Entry& x, const RiverTable::Entry& y) {
      return x.strength != y.strength ? x.strength < y.strength : x.hand < y.hand;
    });
  }
  return t;
}

void showdown_values(const RiverTable& table, int me, const HandSet& mine, const HandSet& theirs,
                     const float* reach, float* out, double win, double lose, double tie) {
  (void)theirs;
  const auto& my = table.sorted[static_cast<std::size_t>(me)];
  const auto& op = table.sorted[static_cast<std::size_t>(1 - me)];
  std::fill(out, out + mine.size(), 0.0f);
  const std::size_t nm = my.size(), no = op.size();
  const RiverTable::Entry* o = op.data();
  double card_sum[kDeckSize] = {};
  double total = 0;
  // out = tie * compatible + (win - tie) * beaten + (lose - tie) * beating.
  const double win_extra = win - tie, lose_extra = lose - tie;
  // Wins: the other's hands strictly weaker, weakest first; then the rest of
  // them, for the sums of every hand.
  std::size_t j = 0;
  for (std::size_t i = 0; i < nm; ++i) {
    const RiverTable::Entry& e = my[i];
    for (; j < no && o[j].strength < e.strength; ++j) {
      const double r = reach[o[j].hand];
      total += r;
      card_sum[o[j].lo] += r;
      card_sum[o[j].hi] += r;
    }
    out[e.hand] = static_cast<float>(win_extra * (total - card_sum[e.lo] - card_sum[e.hi]));
  }
  for (; j < no; ++j) {
    const double r = reach[o[j].hand];
    total += r;
    card_sum[o[j].lo] += r;
    card_sum[o[j].hi] += r;
  }
  // Losses: strictly stronger, strongest first, as the sums of every hand less
  // those of the hands no stronger.
  double below_sum[kDeckSize] = {};
  double below = 0;
  j = 0;
  for (std::size_t i = 0; i < nm; ++i) {
    const RiverTable::Entry& e = my[i];
    for (; j < no && o[j].strength <= e.strength; ++j) {
      const double r = reach[o[j].hand];
      below += r;
      below_sum[o[j].lo] += r;
      below_sum[o[j].hi] += r;
    }
    const std::int32_t s = mine.same[e.hand];
    const double compatible = total - card_sum[e.lo] - card_sum[e.hi] + (s >= 0 ? reach[s] : 0.0f);
    // Hands no stronger that share a card with e: below_sum[lo] + below_sum[hi]
    // counts the identical hand (which ties) twice.
    const double not_above = below - below_sum[e.lo] - below_sum[e.hi] + (s >= 0 ? reach[s] : 0.0f);
    out[e.hand] += static_cast<float>(tie * compatible + lose_extra * (compatible - not_above));
  }
}

void compatible_values(const HandSet& mine, const HandSet& theirs, const float* reach, float* out, double value) {
  double card_sum[kDeckSize] = {};
  double total = 0;
  const int no = theirs.size();
  for (int o = 0; o < no; ++o) {
    const double r = reach[o];
    total += r;
    card_sum[theirs.lo[static_cast<std::size_t>(o)]] += r;
    card_sum[theirs.hi[static_cast<std::size_t>(o)]] += r;
  }
  const int nm = mine.size();
  for (int h = 0; h < nm; ++h) {
    const auto i = static_cast<std::size_t>(h);
    const std::int32_t s = mine.same[i];
    const double compatible = total - card_sum[mine.lo[i]] - card_sum[mine.hi[i]] + (s >= 0 ? reach[s] : 0.0f);
    out[h] = static_cast<float>(value * compatible);
  }
}

}  // namespace oddsmith::solver
