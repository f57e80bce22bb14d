// How a starting hand is scored for the rankings behind range notation's
// percentages: the one definition the generator and the test that re-scores a
// sample of the committed data share. Hold'em and short deck: exact equity
// against one random hand of the deck. Omaha and five-card Omaha: Monte Carlo
// (high only) against one random hand, a fixed seed and deal count for every class, so a score is reproducible on any machine and thread count.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <utility>

#include "calculator/equity_query.h"
#include "eval/omaha5.h"
#include "range/range.h"

namespace oddsmith::start_score {

inline constexpr std::int64_t kOmahaDeals = std::int64_t{1} << 19;
inline constexpr std::int64_t kOmaha5Deals = std::int64_t{1} << 15;
inline constexpr std::uint64_t kOmahaSeed = 1;

// Five-card Omaha has 134,459 classes: each is scored by a plain simulation
// here rather than by a calculator run (which would copy the opponent's
// 2,598,960 hands for every class). The opponent's hand and the board are
// dealt off a deck shuffled by a standard Mersenne Twister, so the score is
// the same on any machine.
inline std::int32_t omaha5_score(std::span<const int> hand) {
  std::array<int, kDeckSize> deck{};
  int n = 0;
  CardMask held = 0;
  for (const int c : hand) held |= card_bit(c);
  for (int c = 0; c < kDeckSize; ++c)
    if (!(held & card_bit(c))) deck[static_cast<std::size_t>(n++)] = c;
  std::mt19937_64 rng(kOmahaSeed);
  const Omaha5Hole mine = omaha5_hole(hand.data());
  double pot = 0;
  for (std::int64_t d = 0; d < kOmaha5Deals; ++d) {
    for (int i = 0; i < 10; ++i)  // the front ten of a partial shuffle: the opponent's five, then the board
      std::swap(deck[static_cast<std::size_t>(i)], deck[static_cast<std::size_t>(i) + rng() % static_cast<unsigned>(n - i)]);
    const Omaha5Board board = omaha5_board(deck.data() + 5);
    const int a = eval_omaha5_high_on_board(board, mine), b = eval_omaha5_high_on_board(board, omaha5_hole(deck.data()));
    pot += a < b ? 1.0 : a == b ? 0.5 : 0.0;
  }
  return static_cast<std::int32_t>(std::lround(pot / static_cast<double>(kOmaha5Deals) * 1e6));
}

// A query of one hand (filled by score()) against every hand of the game's deck.
inline calc::EquityQuery query_against_random(RangeGame game) {
  calc::EquityQuery query;
  query.game = game == RangeGame::holdem      ? calc::Game::holdem
               : game == RangeGame::shortdeck ? calc::Game::shortdeck
               : game == RangeGame::omaha     ? calc::Game::omaha
                                              : calc::Game::omaha5;
  const int cards = range_cards(game);
  query.players.emplace_back(cards);
  if (game == RangeGame::omaha5) return query;  // scored by omaha5_score
  RangeBuilder random(cards);
  for_each_hand(cards, [&](const std::array<std::uint8_t, kMaxRangeCards>& hand) {
    if (in_range_deck(game, hand.data())) random.add_ascending(hand, 1.0);
  });
  query.players.push_back(std::move(random).finish());
  query.threads = 0;
  query.max_seconds = 3600;
  if (cards == 2) {
    query.mode = calc::Mode::exact;
  } else {
    query.mode = calc::Mode::monte_carlo;
    query.trials = kOmahaDeals;
    query.seed = kOmahaSeed;
  }
  return query;
}

// The hand's equity in millionths, or -1 when the calculator refuses.
inline std::int32_t score(calc::EquityQuery& query, std::span<const int> hand) {
  if (query.game == calc::Game::omaha5) return omaha5_score(hand);
  RangeBuilder one(static_cast<int>(hand.size()));
  one.add(hand, 1.0);
  query.players[0] = std::move(one).finish();
  const calc::EquityOutcome outcome = calc::compute_equity(query);
  if (!outcome.has_result()) return -1;
  return static_cast<std::int32_t>(std::lround(outcome.players[0].equity * 1e6));
}

}  // namespace oddsmith::start_score
