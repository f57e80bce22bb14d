// A postflop spot for the solver: the game, the board, two weighted ranges,
// dead cards, the starting pot and effective stack in whole chips, the rake,
// and the rules the betting tree is built from (solver/game_tree.h).
#pragma once

#include <array>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "games/game_rules.h"
#include "range/range.h"

namespace oddsmith::solver {

inline constexpr int kOop = 0;  // out of position: acts first on each street
inline constexpr int kIp = 1;   // in position

enum class Street { flop = 0, turn = 1, river = 2 };

// One bet or raise size as written: "33%" (of the pot at that moment; a
// raise: of the pot after calling), "e" (geometric; bets only), "a"
// (all-in), "2.5x" (raise to 2.5 times the bet faced; raises only).
struct BetSize {
  enum class Kind { pot_percent, geometric, all_in, times };
  Kind kind = Kind::pot_percent;
  double value = 0;  // the percentage or the multiple
  std::string label() const;  // as it would be written: "33%", "e", "a", "2.5x"
  bool operator==(const BetSize&) const = default;
};

// The sizes one player may bet and raise on one street.
struct StreetSizes {
  std::vector<BetSize> bets;
  std::vector<BetSize> raises;
};

// Reads a list of sizes ("33%, 75%, a"). Bets take N%, e and a; raises N%,
// Nx and a. Nothing on an error, with `error` saying which piece and why.
std::optional<std::vector<BetSize>> parse_sizes(std::string_view text, bool raises, std::string& error);

// The tree's rules (solver/game_tree.h documents each).
struct TreeRules {
  int pot = 0;    // chips in the middle at the spot's start (both players' and dead money)
  int stack = 0;  // effective stack behind, each player
  // sizes[street][player]; a street the spot starts after is ignored.
  std::array<std::array<StreetSizes, 2>, 3> sizes{};
  bool donk = false;         // OOP may lead into the last street's aggressor on the turn and river
  double add_allin = 1.5;    // 0: off
  double force_allin = 0.15; // 0: off
  double merge = 0.1;        // 0: off
  int max_raises = 3;        // raises per street (the first bet is not one); -1: no cap
};

struct Spot {
  Game game = Game::holdem;   // holdem or shortdeck
  std::vector<int> board;     // 3, 4 or 5 cards
  std::vector<int> dead;      // cards out of play
  std::array<Range, 2> ranges{Range(2), Range(2)};  // OOP, IP
  TreeRules tree;
  double rake_rate = 0;       // share of the pot taken at the end of the hand
  double rake_cap = std::numeric_limits<double>::infinity();  // chips; infinity: no cap
};

// The first street the spot plays: a 3-card board is the flop.
inline Street first_street(const Spot& s) { return static_cast<Street>(s.board.size() - 3); }

}  // namespace oddsmith::solver
