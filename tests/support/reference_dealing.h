// A plain, step-by-step dealing of one trial, written from the rules with the
// standard library's MT19937, linear scans and the literal 500-candidate range
// scan: what the engine's faster dealing must reproduce draw for draw.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace reference {

struct TrialDeal {
  std::vector<int> opponents;  // N cards per opponent, in dealing order
  std::vector<int> board;      // known cards first, then dealt ones
};

inline int draw_card(std::mt19937& rng) {
  for (;;) {
    const std::uint32_t x = rng();
    if (x < 4294967248u) return static_cast<int>(x % 52);
  }
}

inline bool contains(const std::vector<int>& cards, int card) {
  for (int c : cards)
    if (c == card) return true;
  return false;
}

// Draws until the card equals none of the player's, opponents' or board cards.
inline int deal_card(std::mt19937& rng, const std::vector<int>& player, const TrialDeal& d) {
  for (;;) {
    const int c = draw_card(rng);
    if (!contains(player, c) && !contains(d.opponents, c) && !contains(d.board, c)) return c;
  }
}

// One trial. `slot` holds 500 hands of N cards; `cursor` is the shared cursor.
inline TrialDeal deal_trial(std::mt19937& rng, const std::vector<int>& player, const std::vector<int>& known_board,
                       int opponents, int n, const std::int32_t* slot, std::int32_t& cursor) {
  TrialDeal d;
  d.board = known_board;
  std::vector<int> last_accepted;
  for (int o = 0; o < opponents; ++o) {
    if (!slot) {
      for (int j = 0; j < n; ++j) d.opponents.push_back(deal_card(rng, player, d));
      continue;
    }
    std::vector<int> taken;
    for (int tries = 0; tries < 500 && taken.empty(); ++tries) {
      const std::int32_t* hand = slot + cursor * n;
      cursor = cursor + 1 == 500 ? 0 : cursor + 1;
      bool ok = true;
      for (int j = 0; j < n && ok; ++j) {
        const int c = hand[j];
        // Unreal cards and repeats inside the hand are refused like conflicts.
        ok = c >= 0 && c <= 51 && !contains(player, c) && !contains(d.board, c);
        for (int k = 0; k < j && ok; ++k) ok = hand[k] != c;
      }
      if (ok) taken.assign(hand, hand + n);
    }
    if (taken.empty()) taken = last_accepted;
    if (taken.empty()) {  // no acceptable hand at all: random cards by the dealing rule
      for (int j = 0; j < n; ++j) d.opponents.push_back(deal_card(rng, player, d));
      continue;
    }
    last_accepted = taken;
    d.opponents.insert(d.opponents.end(), taken.begin(), taken.end());
  }
  while (d.board.size() < 5) d.board.push_back(deal_card(rng, player, d));
  return d;
}

}  // namespace reference
