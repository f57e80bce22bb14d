// One showdown: every player's hand valued on a complete board, and the pot
// shared out. The best high hand takes the pot and ties split it; in Hi/Lo half
// goes to the best high and half to the best qualifying low (ties split each
// half), and the high takes it all when nobody has a low.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "calculator/equity_query.h"
#include "calculator/internal/tally.h"
#include "eval/five_seven.h"
#include "eval/omaha5.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"
#include "eval/short_deck.h"

namespace oddsmith::calc {

// A hand's value: high (lower is stronger) and, in Hi/Lo, low (kNoLow for none).
struct HandValue {
  int high;
  int low;
};

// Per game: a hand's precomputed key, a prepared board, and the value of a
// hand on a board. Hold'em keeps key sums, so the exact enumeration can carry
// the board's sum card by card (Partial) instead of preparing each board anew.
template <Game G>
struct Evaluator;

template <>
struct Evaluator<Game::holdem> {
  using HandKey = BoardKeys;
  using Board = BoardKeys;
  using Partial = BoardKeys;
  static HandKey hand_key(const RangeHand& h) { return add_card(add_card({0, 0}, h.cards[0]), h.cards[1]); }
  static HandKey key_of_cards(const int* c) { return add_card(add_card({0, 0}, c[0]), c[1]); }
  static Board prepare(const int* b) { return board_keys(b); }
  static Partial start() { return {0, 0}; }
  static Partial extend(const Partial& p, int card) { return add_card(p, card); }
  static Board finish(const Partial& p, const int* /*board*/) { return p; }
  static HandValue value(const Board& b, const HandKey& h) { return {eval7_of_keys(b, h), kNoLow}; }
};

// Short deck: Hold'em's keys, with the short-deck tables.
template <>
struct Evaluator<Game::shortdeck> : Evaluator<Game::holdem> {
  static HandValue value(const Board& b, const HandKey& h) { return {eval_shortdeck_of_keys(b, h), kNoLow}; }
};

// The values of seven cards from their summed keys, by game: the rank-only
// value (right on boards where no flush can be) and the flush value (0 for none).
template <Game G>
inline int rank_only_value(std::uint64_t key_sum) {
  if constexpr (G == Game::shortdeck) return shortdeck_rank_only_value7(key_sum);
  else return rank_only_value7(key_sum);
}
template <Game G>
inline int flush_value(const BoardKeys& keys) {
  if constexpr (G == Game::shortdeck) return shortdeck_flush_value7(keys);
  else return flush_value7(keys);
}

struct OmahaHandKey {
  int cards[4];
  std::uint64_t keys;  // omaha_hole_keys of the cards
};

template <>
struct Evaluator<Game::omaha> {
  using HandKey = OmahaHandKey;
  using Board = OmahaBoard;
  struct Partial {};
  static HandKey hand_key(const RangeHand& h) {
    return {{h.cards[0], h.cards[1], h.cards[2], h.cards[3]}, omaha_hole_keys(h.cards[0], h.cards[1], h.cards[2], h.cards[3])};
  }
  static HandKey key_of_cards(const int* c) { return {{c[0], c[1], c[2], c[3]}, omaha_hole_keys(c[0], c[1], c[2], c[3])}; }
  static Board prepare(const int* b) { return omaha_board(b[0], b[1], b[2], b[3], b[4]); }
  static Partial start() { return {}; }
  static Partial extend(const Partial& p, int /*card*/) { return p; }
  static Board finish(const Partial& /*p*/, const int* b) { return prepare(b); }
  // The value in two steps, for callers that make many hands' table reads
  // together: where the unsuited value lies, then the value given it.
  static std::uint32_t unsuited_index(const Board& b, const HandKey& h) { return omaha_unsuited_index(b, h.keys); }
  static HandValue value_given(const Board& b, const HandKey& h, int unsuited) {
    const int* c = h.cards;
    return {omaha_high_with_flush(b, h.keys, unsuited, c[0], c[1], c[2], c[3]), kNoLow};
  }
  static HandValue value(const Board& b, const HandKey& h) {
    return value_given(b, h, osm_omaha_unsuited_value[unsuited_index(b, h)]);
  }
};

template <>
struct Evaluator<Game::omaha_hilo> {
  using HandKey = OmahaHandKey;
  struct Board {
    OmahaBoard high;
    unsigned low;
  };
  struct Partial {};
  static HandKey hand_key(const RangeHand& h) { return Evaluator<Game::omaha>::hand_key(h); }
  static HandKey key_of_cards(const int* c) { return Evaluator<Game::omaha>::key_of_cards(c); }
  static Board prepare(const int* b) {
    return {omaha_board(b[0], b[1], b[2], b[3], b[4]), omaha_low_board(b[0], b[1], b[2], b[3], b[4])};
  }
  static Partial start() { return {}; }
  static Partial extend(const Partial& p, int /*card*/) { return p; }
  static Board finish(const Partial& /*p*/, const int* b) { return prepare(b); }
  static std::uint32_t unsuited_index(const Board& b, const HandKey& h) { return omaha_unsuited_index(b.high, h.keys); }
  static HandValue value_given(const Board& b, const HandKey& h, int unsuited) {
    const int* c = h.cards;
    return {omaha_high_with_flush(b.high, h.keys, unsuited, c[0], c[1], c[2], c[3]),
            eval_omaha_low_on_board(b.low, c[0], c[1], c[2], c[3])};
  }
  static HandValue value(const Board& b, const HandKey& h) {
    return value_given(b, h, osm_omaha_unsuited_value[unsuited_index(b, h)]);
  }
};

// Five-card Omaha: the hole's pairs and suits, and its low ranks for Hi/Lo.
struct Omaha5HandKey {
  Omaha5Hole hole;
  unsigned low_ranks;
};

template <Game G>
struct Omaha5Evaluator {
  using HandKey = Omaha5HandKey;
  struct Board {
    Omaha5Board high;
    unsigned low;
  };
  struct Partial {};
  static HandKey key_of_cards(const int* c) {
    return {omaha5_hole(c), detail::fold_low_ranks(detail::low_rank_words(c[0], c[1], c[2], c[3], c[4]))};
  }
  static HandKey hand_key(const RangeHand& h) {
    const int c[5] = {h.cards[0], h.cards[1], h.cards[2], h.cards[3], h.cards[4]};
    return key_of_cards(c);
  }
  static Board prepare(const int* b) { return {omaha5_board(b), G == Game::omaha5_hilo ? omaha_low_board(b[0], b[1], b[2], b[3], b[4]) : 0u}; }
  static Partial start() { return {}; }
  static Partial extend(const Partial& p, int /*card*/) { return p; }
  static Board finish(const Partial& /*p*/, const int* b) { return prepare(b); }
  static HandValue value(const Board& b, const HandKey& h) {
    const int high = eval_omaha5_high_on_board(b.high, h.hole);
    if constexpr (G == Game::omaha5_hilo) return {high, detail::omaha_low_from_masks(b.low, h.low_ranks)};
    else return {high, kNoLow};
  }
};
template <>
struct Evaluator<Game::omaha5> : Omaha5Evaluator<Game::omaha5> {};
template <>
struct Evaluator<Game::omaha5_hilo> : Omaha5Evaluator<Game::omaha5_hilo> {};

// Every player's hands as Evaluator<G> keys them: made once per run, read by
// every chunk.
template <Game G>
struct HandKeys {
  std::vector<std::vector<typename Evaluator<G>::HandKey>> of;  // [player][hand]
  explicit HandKeys(const std::vector<std::span<const RangeHand>>& hands) : HandKeys(hands, [](std::size_t) { return true; }) {}
  // Only the players for whom wanted(p) holds (the others' lists stay empty).
  template <class Wanted>
  HandKeys(const std::vector<std::span<const RangeHand>>& hands, Wanted wanted) : of(hands.size()) {
    for (std::size_t p = 0; p < hands.size(); ++p) {
      if (!wanted(p)) continue;
      of[p].reserve(hands[p].size());
      for (const RangeHand& h : hands[p]) of[p].push_back(Evaluator<G>::hand_key(h));
    }
  }
};

// Calls f(std::integral_constant<Game, g>{}): a run-time game to the code
// compiled for it.
template <class F>
decltype(auto) with_game(Game g, F&& f) {
  switch (g) {
    case Game::omaha: return f(std::integral_constant<Game, Game::omaha>{});
    case Game::omaha_hilo: return f(std::integral_constant<Game, Game::omaha_hilo>{});
    case Game::shortdeck: return f(std::integral_constant<Game, Game::shortdeck>{});
    case Game::omaha5: return f(std::integral_constant<Game, Game::omaha5>{});
    case Game::omaha5_hilo: return f(std::integral_constant<Game, Game::omaha5_hilo>{});
    default: return f(std::integral_constant<Game, Game::holdem>{});
  }
}

// The same for the two-card games valued from summed keys (Hold'em, short
// deck), which the Hold'em-only sweeps serve.
template <class F>
decltype(auto) with_seven_card_game(Game g, F&& f) {
  if (g == Game::shortdeck) return f(std::integral_constant<Game, Game::shortdeck>{});
  return f(std::integral_constant<Game, Game::holdem>{});
}

// 1 / k for k players sharing a pot: a multiply instead of a divide per deal.
inline constexpr auto kInverse = [] {
  std::array<double, kMaxPlayers + 1> inv{};
  for (int k = 1; k <= kMaxPlayers; ++k) inv[static_cast<std::size_t>(k)] = 1.0 / k;
  return inv;
}();

// Adds one deal of `weight` to each player's tally.
template <Game G>
inline void settle(const HandValue* v, int n, double weight, Tally* tally) {
  if constexpr (!is_hilo(G)) {
    if (n == 2) {  // heads-up, the commonest: one comparison
      const int a = v[0].high, b = v[1].high;
      if (a != b) {
        Tally& t = tally[a < b ? 0 : 1];
        t.equity += weight;
        t.equity_squared += weight;
        t.win += weight;
      } else {
        for (int p = 0; p < 2; ++p) {
          tally[p].equity += 0.5 * weight;
          tally[p].equity_squared += 0.25 * weight;
          tally[p].tie += weight;
        }
      }
      return;
    }
  }
  int best_high = v[0].high;
  for (int p = 1; p < n; ++p) best_high = v[p].high < best_high ? v[p].high : best_high;
  int high_winners = 0;
  for (int p = 0; p < n; ++p) high_winners += v[p].high == best_high;
  if constexpr (!is_hilo(G)) {
    if (high_winners == 1) {
      int p = 0;
      while (v[p].high != best_high) ++p;
      tally[p].equity += weight;
      tally[p].equity_squared += weight;
      tally[p].win += weight;
      return;
    }
    const double inverse = kInverse[static_cast<std::size_t>(high_winners)];
    const double share = weight * inverse;
    for (int p = 0; p < n; ++p) {
      if (v[p].high != best_high) continue;
      tally[p].equity += share;
      tally[p].equity_squared += share * inverse;
      tally[p].tie += weight;
    }
    return;
  }
  int best_low = kNoLow, low_winners = 0;
  for (int p = 0; p < n; ++p) best_low = v[p].low < best_low ? v[p].low : best_low;
  if (best_low < kNoLow)
    for (int p = 0; p < n; ++p) low_winners += v[p].low == best_low;
  const double high_part = (low_winners ? 0.5 : 1.0) * kInverse[static_cast<std::size_t>(high_winners)];
  const double low_part = low_winners ? 0.5 * kInverse[static_cast<std::size_t>(low_winners)] : 0.0;
  for (int p = 0; p < n; ++p) {
    const bool high = v[p].high == best_high;
    const bool low = low_winners && v[p].low == best_low;
    if (!high && !low) continue;
    const double share = (high ? high_part : 0.0) + (low ? low_part : 0.0);
    Tally& t = tally[p];
    t.equity += weight * share;
    t.equity_squared += weight * share * share;
    t.low += low ? weight * low_part : 0.0;
    if (share == 1.0) {
      t.win += weight;  // the whole pot alone: a scoop
    } else if ((high && high_winners > 1) || (low && low_winners > 1)) {
      t.tie += weight;
    }
  }
}

}  // namespace oddsmith::calc
