// How a starting hand is scored for the rankings behind range notation's
// percentages: the one definition the generator and the test that re-scores a
// sample of the committed data share. Hold'em and short deck: exact equity
// against one random hand of the deck. Omaha and five-card Omaha: Monte Carlo
// against one random hand, a fixed seed and deal count for every class, so a score is reproducible on any machine and thread count.
#pragma once

#include <cmath>
#include <cstdint>
#include <span>

#include "calculator/equity_query.h"
#include "range/range.h"

namespace oddsmith::start_score {

inline constexpr std::int64_t kOmahaDeals = std::int64_t{1} << 19;
inline constexpr std::int64_t kOmaha5Deals = std::int64_t{1} << 16;
inline constexpr std::uint64_t kOmahaSeed = 1;

// A query of one hand (filled by score()) against every hand of the game's deck.
inline calc::EquityQuery query_against_random(RangeGame game) {
  calc::EquityQuery query;
  query.game = game == RangeGame::holdem      ? calc::Game::holdem
               : game == RangeGame::shortdeck ? calc::Game::shortdeck
               : game == RangeGame::omaha     ? calc::Game::omaha
                                              : calc::Game::omaha5;
  const int cards = range_cards(game);
  query.players.emplace_back(cards);
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
    query.trials = cards == 4 ? kOmahaDeals : kOmaha5Deals;
    query.seed = kOmahaSeed;
  }
  return query;
}

// The hand's equity in millionths, or -1 when the calculator refuses.
inline std::int32_t score(calc::EquityQuery& query, std::span<const int> hand) {
  RangeBuilder one(static_cast<int>(hand.size()));
  one.add(hand, 1.0);
  query.players[0] = std::move(one).finish();
  const calc::EquityOutcome outcome = calc::compute_equity(query);
  if (!outcome.has_result()) return -1;
  return static_cast<std::int32_t>(std::lround(outcome.players[0].equity * 1e6));
}

}  // namespace oddsmith::start_score
