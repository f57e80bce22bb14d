// The equity calculator's question and answer. Every player is a range (a
// single hand is a range of one); the calculator keeps no state between calls
// and reads nothing of the host exports' process-wide state.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cards/card.h"
#include "games/game_rules.h"
#include "range/range.h"

namespace oddsmith::calc {

// In the order of the ODDSMITH_GAME_* numbers.
enum class Mode { automatic, exact, monte_carlo };

// The ways a query can run (calculator/chooser.h picks one):
//   board_sweep      every board completion, every assignment of hands on it;
//   rank_counting    Hold'em or short deck, few assignments: boards counted by
//                    their ranks, flush boards by their suited cards;
//   two_range_sweep  two Hold'em (or short-deck) ranges: per board, both ranges
//                    sorted by value and swept once instead of visiting every pair;
//   monte_carlo      seeded random deals.
enum class Method { board_sweep, rank_counting, two_range_sweep, monte_carlo };

inline constexpr int kMaxPlayers = ODDSMITH_MAX_PLAYERS;

// The game facts the calculator reads, from the one table (games/game_rules.h).
using oddsmith::Game;
using oddsmith::game_deck;
constexpr int cards_per_hand(Game g) { return rules(g).hole_cards; }
constexpr int max_players(Game g) { return rules(g).max_players; }
constexpr RangeGame range_game(Game g) { return rules(g).hands; }
// Split pots: half to the best high hand, half to the best eight-or-better low.
constexpr bool is_hilo(Game g) { return rules(g).hilo; }
// Two hole cards valued as seven cards from summed card keys: Hold'em and short deck.
constexpr bool is_seven_card(Game g) { return rules(g).seven_card; }

// The one check of a player count: empty when `count` players can play `game`,
// else the message saying how many can.
std::string player_count_error(Game game, long long count);

// Called now and then from the calling thread with the share of the work done
// (0..1); returning true cancels the run.
using ProgressFn = bool (*)(double done, void* user);

struct EquityQuery {
  Game game = Game::holdem;
  std::vector<Range> players;  // 2 .. max_players(game)
  std::vector<int> board;      // 0..5 known board cards
  CardMask dead = 0;           // cards out of play
  Mode mode = Mode::automatic;
  std::int64_t trials = 0;     // Monte Carlo: deals to run (at most ODDSMITH_MAX_TRIALS); 0 = until target_stderr
  double target_stderr = 0;    // Monte Carlo: stop once every player's standard error is at most this (0: the default, run_budget.h)
  std::uint64_t seed = 0;      // Monte Carlo: 0 asks the system for one
  int threads = 1;             // 0: every core
  double max_seconds = 0;      // the time bound (0: ODDSMITH_DEFAULT_MAX_SECONDS): exact runs estimated longer
                               // on one core are refused (automatic mode simulates instead), Monte Carlo stops
                               // there (target_met false); calculator/run_budget.h resolves it
  // A run that is part of a larger one (a hand of a breakdown, a next card):
  // the moment it must be over, instead of max_seconds from its own start.
  std::optional<std::chrono::steady_clock::time_point> deadline;
  ProgressFn progress = nullptr;
  void* progress_user = nullptr;
  // Tests only: run this method whatever it costs (refused where it does not apply).
  std::optional<Method> force_method;
  // Value every board, renamed ones too (per-hand results need it).
  bool without_symmetry = false;
};

struct PlayerEquity {
  double equity = 0;  // average share of the pot
  double win = 0;     // share of deals taking the whole pot alone (a scoop in Hi/Lo)
  double tie = 0;     // share of deals sharing the best hand (or a best half in Hi/Lo) without a scoop
  double std_error = 0;  // of the equity; 0 when exact
  double low_equity = 0;  // Hi/Lo: the part of `equity` won with low hands (the rest with high ones); else 0
};

// How a run ended; the numbers are the export's status codes.
enum class Status {
  ok = ODDSMITH_STATUS_OK,
  bad_query = ODDSMITH_STATUS_BAD_QUERY,
  cancelled = ODDSMITH_STATUS_CANCELLED,
  no_memory = ODDSMITH_STATUS_NO_MEMORY,
  target_not_met = ODDSMITH_STATUS_TARGET_NOT_MET,
};

struct EquityOutcome {
  Status status = Status::bad_query;
  bool has_result() const { return status == Status::ok || status == Status::target_not_met; }
  std::string error;       // when not ok
  Method method = Method::monte_carlo;
  bool exact = false;
  bool target_met = true;  // false: a standard-error target or trial count was cut short by the time bound
                           // (status target_not_met; the answer is from the deals done)
  std::int64_t deals = 0;  // deals evaluated (exact: every assignment of hands with every board)
  double seconds = 0;
  std::uint64_t seed = 0;  // the seed a Monte Carlo run used
  std::vector<PlayerEquity> players;
  // An exact run refused or stopped for lack of time (a part of a larger run in
  // automatic mode is then simulated instead).
  bool over_time = false;
};

// Answers the query (errors in the outcome; never throws but std::bad_alloc).
// The players' equities are filled when has_result().
EquityOutcome compute_equity(const EquityQuery& query);

// Per hand of the first player's range (hand_equities.cpp): its equity against
// the other players given that hand, card removal applied. Two Hold'em ranges
// run exactly in one sorted sweep per board; otherwise each hand is a run of
// its own (exact when all of them together are quick, else seeded Monte Carlo,
// hand i with seed + i, each with an equal share of the time left), under the
// one time bound, progress and cancel. A hand that no opponent hand can face
// is left out; a hand that could not be computed fails the whole run, never
// reads as 0. Status target_not_met: every hand has its equity, but some from
// fewer deals than asked (the bound was reached) or short of the target.
struct HandsOutcome {
  Status status = Status::bad_query;
  bool has_result() const { return status == Status::ok || status == Status::target_not_met; }
  std::string error;
  bool exact = false;
  std::int64_t deals = 0;
  std::uint64_t seed = 0;  // Monte Carlo: hand i ran with seed + i
  std::vector<RangeHand> hands;       // the first player's hands that can play, in range order
  std::vector<PlayerEquity> equities; // one per hand
  bool over_time = false;             // as EquityOutcome's
};
HandsOutcome compute_hand_equities(const EquityQuery& query);

}  // namespace oddsmith::calc
