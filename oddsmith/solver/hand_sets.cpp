// Each player's hands beside the board and dead cards, in any game the solver
// plays (internal/hands.h): cards, masks, weights, the other's identical hand,
// the hands holding each card, and the card-removal slots of four- and
// five-card hands.
#include <unordered_map>

#include "solver/internal/hands.h"
#include "solver/internal/text.h"

namespace oddsmith::solver {

bool make_hand_sets(Game game, const std::array<Range, 2>& ranges, CardMask blocked, std::array<HandSet, 2>& out,
                    std::string& error) {
  static const char* const kNames[2] = {"OOP", "IP"};
  const int n = rules(game).hole_cards;
  for (std::size_t p = 0; p < 2; ++p) {
    const Range& r = ranges[p];
    HandSet& hs = out[p];
    hs = HandSet{};
    hs.hole_cards = n;
    if (r.cards_per_hand() != n) {
      error = join(kNames[p], "'s range must hold ", std::to_string(n), "-card hands (", rules(game).title, ")");
      return false;
    }
    for (const RangeHand& h : r.hands()) {
      if (h.mask & blocked) continue;
      if (n == 2) {
        hs.lo.push_back(h.cards[0]);
        hs.hi.push_back(h.cards[1]);
      }
      std::array<std::uint8_t, 5> cards{};
      for (int i = 0; i < n; ++i) cards[static_cast<std::size_t>(i)] = h.cards[static_cast<std::size_t>(i)];
      hs.holes.push_back(cards);
      hs.mask.push_back(h.mask);
      hs.weight.push_back(static_cast<float>(h.weight));
    }
    if (hs.size() == 0) {
      error = join(kNames[p], "'s range has no hand beside the board and dead cards");
      return false;
    }
    if (hs.size() > 65535) {
      error = "a range holds too many hands";
      return false;
    }
    for (int h = 0; h < hs.size(); ++h)
      for (int i = 0; i < n; ++i)
        hs.with_card[hs.holes[static_cast<std::size_t>(h)][static_cast<std::size_t>(i)]].push_back(
            static_cast<std::uint16_t>(h));
  }
  for (std::size_t p = 0; p < 2; ++p) {
    HandSet& hs = out[p];
    const HandSet& other = out[1 - p];
    std::unordered_map<CardMask, int> index;
    for (int o = 0; o < other.size(); ++o) index.emplace(other.mask[static_cast<std::size_t>(o)], o);
    hs.same.assign(static_cast<std::size_t>(hs.size()), -1);
    for (int h = 0; h < hs.size(); ++h)
      if (auto it = index.find(hs.mask[static_cast<std::size_t>(h)]); it != index.end())
        hs.same[static_cast<std::size_t>(h)] = it->second;
  }
  if (n > 2) {
    std::array<SubsetIds, 2> ids;
    make_subset_ids(n, {&out[0].holes, &out[1].holes}, ids);
    out[0].subsets = std::move(ids[0]);
    out[1].subsets = std::move(ids[1]);
  }
  return true;
}

}  // namespace oddsmith::solver
