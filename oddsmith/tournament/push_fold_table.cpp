// Posting, the order of action and the side pots of a push/fold hand.
#include "tournament/internal/push_fold_table.h"

#include <algorithm>
#include <climits>

namespace oddsmith::tournament {

Seats seat_players(const PushFoldQuery& query) {
  Seats s;
  s.players = static_cast<int>(query.stacks.size());
  const auto n = static_cast<std::size_t>(s.players);
  s.stack = query.stacks;
  s.ante.assign(n, 0.0);
  s.blind.assign(n, 0.0);
  for (std::size_t p = 0; p < n; ++p) {
    const double ante = query.big_blind_ante ? (p == 2 ? query.ante * static_cast<double>(n) : 0.0) : query.ante;
    s.ante[p] = std::min(ante, s.stack[p]);
    const double blind = p == 1 ? query.small_blind : (p == 2 ? query.big_blind : 0.0);
    s.blind[p] = std::min(blind, s.stack[p] - s.ante[p]);
  }
  for (int k = 0; k < s.players; ++k) s.order.push_back((k + 3) % s.players);
  return s;
}

Pots make_pots(const Seats& seats, const std::vector<double>& live, std::uint32_t in_hand) {
  const auto n = static_cast<std::size_t>(seats.players);
  Pots pots;
  pots.put_in.resize(n);
  double dead = 0;
  std::vector<double> levels;
  for (std::size_t p = 0; p < n; ++p) {
    pots.put_in[p] = seats.ante[p] + live[p];
    dead += seats.ante[p];
    if (live[p] > 0) levels.push_back(live[p]);
  }
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  if (levels.empty()) levels.push_back(0.0);
  // The in-hand player with the most live money takes a layer no one in the hand reached.
  int deepest = -1;
  for (std::size_t p = 0; p < n; ++p) {
    if (((in_hand >> p) & 1u) && (deepest < 0 || live[p] > live[static_cast<std::size_t>(deepest)]))
      deepest = static_cast<int>(p);
  }
  double below = 0;
  for (std::size_t l = 0; l < levels.size(); ++l) {
    double amount = l == 0 ? dead : 0.0;
    std::uint32_t eligible = 0;
    for (std::size_t p = 0; p < n; ++p) {
      amount += std::clamp(live[p] - below, 0.0, levels[l] - below);
      if (((in_hand >> p) & 1u) && live[p] >= levels[l]) eligible |= 1u << p;
    }
    if (eligible == 0 && deepest >= 0) eligible = 1u << deepest;
    pots.amount.push_back(amount);
    pots.eligible.push_back(eligible);
    below = levels[l];
  }
  return pots;
}

void stacks_after(const Seats& seats, const Pots& pots, const int* strength, double* out) {
  const auto n = static_cast<std::size_t>(seats.players);
  for (std::size_t p = 0; p < n; ++p) out[p] = seats.stack[p] - pots.put_in[p];
  for (std::size_t l = 0; l < pots.amount.size(); ++l) {
    int best = INT_MAX;
    int winners = 0;
    for (std::size_t p = 0; p < n; ++p) {
      if (!((pots.eligible[l] >> p) & 1u)) continue;
      if (strength[p] < best) {
        best = strength[p];
        winners = 0;
      }
      if (strength[p] == best) ++winners;
    }
    for (std::size_t p = 0; p < n; ++p) {
      if (((pots.eligible[l] >> p) & 1u) && strength[p] == best) out[p] += pots.amount[l] / winners;
    }
  }
}

}  // namespace oddsmith::tournament
