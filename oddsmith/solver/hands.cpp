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

std::size_t river_table_bytes(const std::array<HandSet, 2>& hands) {
  const std::size_t both = static_cast<std::size_t>(hands[0].size()) + static_cast<std::size_t>(hands[1].size());
  const std::size_t per_hand = hands[0].hole_cards > 2
                                   ? sizeof(RiverTable::Entry)
                                   : sizeof(RiverTable::Entry) + sizeof(RiverTable::Place) + 2 * sizeof(std::uint16_t);
  return both * per_hand + sizeof(RiverTable) + 192;
}

std::size_t terminal_scratch(const HandSet& theirs) {
  const std::size_t pairs = 4 * static_cast<std::size_t>(theirs.size()) + 64;
  return theirs.hole_cards > 2 ? std::max<std::size_t>(pairs, theirs.subsets.slots + 64) : pairs;
}

RiverTable make_river_table(Game game, CardMask board, const std::array<HandSet, 2>& hands) {
  if (hands[0].hole_cards > 2) return make_subset_river_table(game, board, hands);
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
    // Positions card by card.
    auto& start = t.card_start[static_cast<std::size_t>(p)];
    std::array<std::uint16_t, kDeckSize + 1> count{};
    for (const RiverTable::Entry& e : list) {
      ++count[e.lo];
      ++count[e.hi];
    }
    start[0] = 0;
    for (int c = 0; c < kDeckSize; ++c)
      start[static_cast<std::size_t>(c) + 1] = static_cast<std::uint16_t>(start[static_cast<std::size_t>(c)] + count[static_cast<std::size_t>(c)]);
    auto& pos = t.card_pos[static_cast<std::size_t>(p)];
    pos.resize(start[kDeckSize]);
    std::array<std::uint16_t, kDeckSize> fill{};
    for (std::size_t k = 0; k < list.size(); ++k)
      for (std::uint8_t c : {list[k].lo, list[k].hi}) pos[start[c] + fill[c]++] = static_cast<std::uint16_t>(k);
  }
  for (int me = 0; me < 2; ++me) {
    const int other = 1 - me;
    const auto& mine = t.sorted[static_cast<std::size_t>(me)];
    const auto& theirs = t.sorted[static_cast<std::size_t>(other)];
    const auto& start = t.card_start[static_cast<std::size_t>(other)];
    const auto& pos = t.card_pos[static_cast<std::size_t>(other)];
    std::vector<int> position(static_cast<std::size_t>(hands[static_cast<std::size_t>(other)].size()), -1);
    for (std::size_t k = 0; k < theirs.size(); ++k) position[theirs[k].hand] = static_cast<int>(k);
    // Where `limit` falls in card c's positions, as an index of its prefix sums.
    auto prefix_at = [&](int c, std::size_t limit) {
      const auto first = pos.begin() + start[static_cast<std::size_t>(c)];
      const auto last = pos.begin() + start[static_cast<std::size_t>(c) + 1];
      const auto k = std::lower_bound(first, last, limit) - first;
      return static_cast<std::uint16_t>(start[static_cast<std::size_t>(c)] + c + k);
    };
    auto& places = t.places[static_cast<std::size_t>(me)];
    places.reserve(mine.size());
    std::size_t below = 0, upto = 0;
    for (const RiverTable::Entry& e : mine) {
      while (below < theirs.size() && theirs[below].strength < e.strength) ++below;
      while (upto < theirs.size() && theirs[upto].strength <= e.strength) ++upto;
      const std::int32_t same = hands[static_cast<std::size_t>(me)].same[e.hand];
      const int same_position = same >= 0 ? position[static_cast<std::size_t>(same)] : -1;
      RiverTable::Place pl{};
      pl.hand = e.hand;
      pl.below = static_cast<std::uint16_t>(below);
      pl.upto = static_cast<std::uint16_t>(upto);
      pl.same = static_cast<std::uint16_t>(same_position >= 0 ? same_position : static_cast<int>(theirs.size()));
      pl.lo_below = prefix_at(e.lo, below);
      pl.lo_upto = prefix_at(e.lo, upto);
      pl.lo_end = prefix_at(e.lo, theirs.size());
      pl.hi_below = prefix_at(e.hi, below);
      pl.hi_upto = prefix_at(e.hi, upto);
      pl.hi_end = prefix_at(e.hi, theirs.size());
      places.push_back(pl);
    }
  }
  return t;
}

void showdown_values(const RiverTable& table, int me, const HandSet& mine, const HandSet& theirs_hands,
                     const float* reach, float* out, double win, double lose, double tie, float* scratch) {
  if (mine.hole_cards > 2)
    return subset_showdown_values(table, me, mine, theirs_hands, reach, out, win, lose, tie, scratch);
  const int other = 1 - me;
  const auto& theirs = table.sorted[static_cast<std::size_t>(other)];
  const std::size_t n = theirs.size();
  const auto& start = table.card_start[static_cast<std::size_t>(other)];
  const std::uint16_t* pos = table.card_pos[static_cast<std::size_t>(other)].data();
  // The other's reach in strength order (a zero after it, for "no identical
  // hand"), its prefix sums, and the per-card prefix sums.
  float* sorted = scratch;
  float* prefix = sorted + n + 1;
  float* card_prefix = prefix + n + 1;
  float sum = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const float r = reach[theirs[k].hand];
    sorted[k] = r;
    prefix[k] = sum;
    sum += r;
  }
  sorted[n] = 0;
  prefix[n] = sum;
  for (int c = 0; c < kDeckSize; ++c) {
    const std::size_t first = start[static_cast<std::size_t>(c)], last = start[static_cast<std::size_t>(c) + 1];
    float* cp = card_prefix + first + static_cast<std::size_t>(c);
    float acc = 0;
    cp[0] = 0;
    for (std::size_t k = first; k < last; ++k) {
      acc += sorted[pos[k]];
      cp[k - first + 1] = acc;
    }
  }
  std::fill(out, out + mine.size(), 0.0f);
  // out = lose * compatible + (win - tie) * beaten - (lose - tie) * not_above:
  // beaten the reach of the hands strictly weaker, not_above of those no
  // stronger (ties too), each less the hands that share a card. The
  // identical hand ties; the two cards' sums take it out twice.
  const auto c_win = static_cast<float>(win - tie), c_tie = static_cast<float>(lose - tie);
  const auto c_lose = static_cast<float>(lose);
  for (const RiverTable::Place& p : table.places[static_cast<std::size_t>(me)]) {
    const float same = sorted[p.same];
    const float compatible = sum - card_prefix[p.lo_end] - card_prefix[p.hi_end] + same;
    const float beaten = prefix[p.below] - card_prefix[p.lo_below] - card_prefix[p.hi_below];
    const float not_above = prefix[p.upto] - card_prefix[p.lo_upto] - card_prefix[p.hi_upto] + same;
    out[p.hand] = c_lose * compatible + c_win * beaten - c_tie * not_above;
  }
}

void compatible_values(const HandSet& mine, const HandSet& theirs, const float* reach, float* out, double value,
                       float* scratch) {
  if (mine.hole_cards > 2) {
    std::vector<float> own(scratch ? 0 : terminal_scratch(theirs));
    return subset_compatible_values(mine, theirs, reach, out, value, scratch ? scratch : own.data());
  }
  float card_sum[kDeckSize] = {};
  float total = 0;
  const int no = theirs.size();
  const std::uint8_t* lo = theirs.lo.data();
  const std::uint8_t* hi = theirs.hi.data();
  for (int o = 0; o < no; ++o) {
    const float r = reach[o];
    total += r;
    card_sum[lo[o]] += r;
    card_sum[hi[o]] += r;
  }
  const int nm = mine.size();
  const std::uint8_t* mlo = mine.lo.data();
  const std::uint8_t* mhi = mine.hi.data();
  const std::int32_t* same = mine.same.data();
  const auto v = static_cast<float>(value);
  for (int h = 0; h < nm; ++h) {
    const std::int32_t s = same[h];
    const float compatible = total - card_sum[mlo[h]] - card_sum[mhi[h]] + (s >= 0 ? reach[s] : 0.0f);
    out[h] = v * compatible;
  }
}

}  // namespace oddsmith::solver
