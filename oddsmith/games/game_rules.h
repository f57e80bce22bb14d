// The one table of the games: what each deals, how many can play, how its pots
// split, its names, and what a step of it costs the calculator's estimates.
// Every layer reads its game facts here, and the C interface hands them out
// (oddsmith_game_info), so that the command line and Python take their game
// lists from the library. A new game is a row here and its evaluator.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "cards/card.h"
#include "oddsmith.h"

namespace oddsmith {

// In the order of the ODDSMITH_GAME_* numbers.
enum class Game { holdem, omaha, omaha_hilo, shortdeck, omaha5, omaha5_hilo };

// The hands a game's ranges hold: Hold'em and short deck two cards (short deck
// from its 36), Omaha four (Hi/Lo too), five-card Omaha five (Hi/Lo too).
enum class HandKind { holdem, omaha, shortdeck, omaha5 };

struct GameRules {
  Game game;
  std::string_view name;   // as the command line and Python take it: "omaha-hilo"
  std::string_view alias;  // a second accepted name, or empty
  std::string_view title;  // for people: "Omaha Hi/Lo"
  HandKind hands;
  int hole_cards;
  int lowest_card;         // the deck is cards lowest_card .. 51 (short deck: the sixes up)
  int max_players;         // as many hands as the deck holds beside a board
  bool hilo;               // half the pot to the best eight-or-better low
  bool seven_card;         // two hole cards valued with the board as seven cards
  bool flush_beats_full_house;  // short deck's order of categories
  std::int64_t starting_hands;  // distinct hole-card sets of the deck
  // Seconds of one core, measured on a Release build (bench/check_estimates):
  double board_cost;       // a board prepared for valuing hands
  double hand_value_cost;  // one hand valued on a prepared board
};

inline constexpr int kGameCount = ODDSMITH_GAME_COUNT;

inline constexpr std::array<GameRules, kGameCount> kGameRules = {{
    {Game::holdem, "holdem", "", "Hold'em", HandKind::holdem, 2, 0, ODDSMITH_MAX_PLAYERS, false, true, false, 1326,
     1.0e-9, 2.0e-9},
    {Game::omaha, "omaha", "", "Omaha", HandKind::omaha, 4, 0, ODDSMITH_OMAHA_MAX_PLAYERS, false, false, false, 270725,
     20e-9, 2.5e-9},
    {Game::omaha_hilo, "omaha-hilo", "hilo", "Omaha Hi/Lo", HandKind::omaha, 4, 0, ODDSMITH_OMAHA_MAX_PLAYERS, true,
     false, false, 270725, 25e-9, 16e-9},
    {Game::shortdeck, "shortdeck", "", "short deck", HandKind::shortdeck, 2, kShortDeckLowestCard,
     ODDSMITH_SHORTDECK_MAX_PLAYERS, false, true, true, 630, 1.0e-9, 2.0e-9},
    {Game::omaha5, "omaha5", "", "five-card Omaha", HandKind::omaha5, 5, 0, ODDSMITH_OMAHA5_MAX_PLAYERS, false, false,
     false, 2598960, 25e-9, 6e-9},
    {Game::omaha5_hilo, "omaha5-hilo", "", "five-card Omaha Hi/Lo", HandKind::omaha5, 5, 0, ODDSMITH_OMAHA5_MAX_PLAYERS,
     true, false, false, 2598960, 30e-9, 16e-9},
}};

constexpr const GameRules& rules(Game g) { return kGameRules[static_cast<std::size_t>(g)]; }

// The game of an ODDSMITH_GAME_* number, or null.
constexpr const GameRules* game_numbered(int number) {
  return number >= 0 && number < kGameCount ? &kGameRules[static_cast<std::size_t>(number)] : nullptr;
}

// The game of a name or alias ("omaha-hilo", "hilo"), or null.
constexpr const GameRules* game_named(std::string_view name) {
  for (const GameRules& g : kGameRules)
    if (name == g.name || (!g.alias.empty() && name == g.alias)) return &g;
  return nullptr;
}

// The cards the game plays with.
constexpr CardMask game_deck(Game g) {
  const CardMask all = (CardMask{1} << kDeckSize) - 1;
  return all & ~((CardMask{1} << rules(g).lowest_card) - 1);
}

constexpr int hand_cards(HandKind k) { return k == HandKind::omaha ? 4 : k == HandKind::omaha5 ? 5 : 2; }

// The game numbers and the table's order agree.
static_assert(ODDSMITH_GAME_HOLDEM == static_cast<int>(Game::holdem) &&
              ODDSMITH_GAME_OMAHA == static_cast<int>(Game::omaha) &&
              ODDSMITH_GAME_OMAHA_HILO == static_cast<int>(Game::omaha_hilo) &&
              ODDSMITH_GAME_SHORTDECK == static_cast<int>(Game::shortdeck) &&
              ODDSMITH_GAME_OMAHA5 == static_cast<int>(Game::omaha5) &&
              ODDSMITH_GAME_OMAHA5_HILO == static_cast<int>(Game::omaha5_hilo));
static_assert([] {
  for (int i = 0; i < kGameCount; ++i)
    if (static_cast<int>(kGameRules[static_cast<std::size_t>(i)].game) != i) return false;
  return true;
}());

}  // namespace oddsmith
