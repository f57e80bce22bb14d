#include "calculator/suit_symmetry.h"

#include <algorithm>
#include <unordered_map>

namespace oddsmith::calc {

namespace {

// Looking for symmetry costs a lookup per hand and renaming; past this many
// hands the enumeration runs without it.
constexpr std::size_t kMaxHandsToCheck = 20000;

}  // namespace

SuitSymmetry::SuitSymmetry(const PreparedQuery& q) : SuitSymmetry() {
  std::array<int, 4> p = perms_[0];
  std::size_t hands = 0;
  for (const auto& h : q.hands) hands += h.size();
  // With one hand per player a board costs less to value than to test against
  // its renamings; with very many hands the search itself costs too much.
  if (hands == q.hands.size() || hands > kMaxHandsToCheck) return;
  // First the renamings that keep the known board, the dead cards and the known
  // hands (cheap to test, and most often only the identity is left); only then
  // the ranges, hand by hand.
  std::vector<std::array<int, 4>> candidates;
  while (std::next_permutation(p.begin(), p.end())) {
    bool same = rename(q.known_mask, p) == q.known_mask && rename(q.dead, p) == q.dead;
    for (std::size_t i = 0; same && i < q.hands.size(); ++i)
      same = q.hands[i].size() > 1 || rename(q.hands[i][0].mask, p) == q.hands[i][0].mask;
    if (same) candidates.push_back(p);
  }
  if (candidates.empty()) return;
  std::vector<std::unordered_map<CardMask, double>> weight_of_hand(q.hands.size());
  for (std::size_t i = 0; i < q.hands.size(); ++i)
    for (const RangeHand& h : q.hands[i]) weight_of_hand[i].emplace(h.mask, h.weight);
  for (const std::array<int, 4>& candidate : candidates) {
    p = candidate;
    bool same = true;
    for (std::size_t i = 0; same && i < q.hands.size(); ++i) {
      for (const RangeHand& h : q.hands[i]) {
        const auto it = weight_of_hand[i].find(rename(h.mask, p));
        if (it == weight_of_hand[i].end() || it->second != h.weight) {
          same = false;
          break;
        }
      }
    }
    if (same) perms_.push_back(p);
  }
}

}  // namespace oddsmith::calc
