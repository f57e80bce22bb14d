// The equity calculator's question and answer. Every player is a range (a
// single hand is a range of one); the calculator keeps no state between calls
// and reads nothing of the host exports' process-wide state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cards/card.h"
#include "range/range.h"

namespace oddsmith::calc {

enum class Game { holdem, omaha, omaha_hilo };
enum class Mode { automatic, exact, monte_carlo };

inline constexpr int kMaxPlayers = ODDSMITH_MAX_PLAYERS;  // Hold'em: 23 x 2 + 5 = 51 cards
constexpr int cards_per_hand(Game g) { return g == Game::holdem ? 2 : 4; }
constexpr int max_players(Game g) { return g == Game::holdem ? 23 : 11; }

// Called now and then from the calling thread with the share of the work done
// (0..1); returning true cancels the run.
using ProgressFn = bool (*)(double done, void* user);

struct EquityQuery {
  Game game = Game::holdem;
  std::vector<Range> players;  // 2 .. max_players(game)
  std::vector<int> board;      // 0..5 known board cards
  CardMask dead = 0;           // cards out of play
  Mode mode = Mode::automatic;
  std::int64_t trials = 0;     // Monte Carlo: deals to run; 0 = until target_stderr
  double target_stderr = 0;    // Monte Carlo: stop once every player's standard error is at most this (0: 0.0005)
  std::uint64_t seed = 0;      // Monte Carlo: 0 asks the system for one
  int threads = 1;             // 0: every core
  ProgressFn progress = nullptr;
  void* progress_user = nullptr;
};

struct PlayerEquity {
  double equity = 0;  // average share of the pot
  double win = 0;     // share of deals taking the whole pot alone (a scoop in Hi/Lo)
  double tie = 0;     // share of deals sharing the best hand (or a best half in Hi/Lo) without a scoop
  double std_error = 0;  // of the equity; 0 when exact
};

struct EquityOutcome {
  bool ok = false;
  std::string error;       // when !ok
  bool exact = false;
  std::int64_t deals = 0;  // deals evaluated (exact: every assignment of hands with every board)
  double seconds = 0;
  std::uint64_t seed = 0;  // the seed a Monte Carlo run used
  std::vector<PlayerEquity> players;
};

// Answers the query (errors in the outcome; never throws but std::bad_alloc).
EquityOutcome compute_equity(const EquityQuery& query);

}  // namespace oddsmith::calc
