// A query checked and reduced to what the enumeration and the simulation need:
// each player's hands without the known board, the dead cards and the cards of
// players who hold one known hand, their weights scaled so that the heaviest is
// 1 (a range's weights only count relative to each other, and products of tiny
// weights would otherwise vanish below the smallest double), and the deck the
// board is completed from.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "calculator/equity_query.h"

namespace oddsmith::calc {

struct PreparedQuery {
  Game game = Game::holdem;
  int players = 0;
  // Per player, non-empty; players with the same range and the same cards
  // blocked share one list (hand_lists owns them).
  std::vector<std::span<const RangeHand>> hands;
  std::vector<std::shared_ptr<const std::vector<RangeHand>>> hand_lists;
  int board[5] = {};
  int known = 0;                              // known board cards, board[0..known)
  CardMask known_mask = 0;
  CardMask dead = 0;
  std::vector<int> deck;                      // cards a board completion may hold, ascending
  // Per player: its hands are every hand `deck` holds, all of one weight (a
  // "random" player). The simulation deals such a player from the cards left
  // and never reads its list.
  std::vector<bool> every_hand;
};

// Checks the query; fills `error` with a message and returns nothing when it is
// impossible (a card twice, too many players, a range with no hand left).
std::optional<PreparedQuery> prepare_query(const EquityQuery& query, std::string& error);

// `whole` with its first player holding `hand` (one of its hands) alone, for
// the simulation only: made without copying any list, so only where every
// other player is random or holds one known hand. The random players' lists
// are left as they are (hands holding `hand`'s cards included), which the
// simulation never reads, so no exact method may run it. Nothing where another
// player's range is narrower.
std::optional<PreparedQuery> simulation_with_first_hand(const PreparedQuery& whole, const RangeHand& hand);

// Whether some assignment of hands (one per player, no card twice) exists: 1
// yes, 0 no, -1 undecided within a fixed amount of search.
int some_assignment_fits(const PreparedQuery& q);

}  // namespace oddsmith::calc
