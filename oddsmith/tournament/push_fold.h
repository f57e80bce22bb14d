// Push/fold equilibria: each player in turn folds or goes all-in, and once one
// has, the players behind call or fold. Strategies are per starting-hand class
// (169); a pair of hands sharing a card never meets, so each class's
// opponents are weighted by the pairs of hands they can hold together (heads-up
// this is the whole game: with no board, every hand of a class plays alike).
// The equilibrium is found by CFR+ on the exact heads-up class equities (and,
// with three or more players, sampled multiway equities), its distance from
// equilibrium measured by each player's best-response gain.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tournament/hand_classes.h"
#include "tournament/icm.h"

namespace oddsmith::tournament {

inline constexpr int kPushFoldMaxPlayers = 10;  // players this solver seats
// Decisions of a table of n players: n - 1 first actions and every answer to a
// push given who called it before: 2^n - 2 in all.
inline constexpr int push_fold_spot_count(int players) { return (1 << players) - 2; }

struct PushFoldQuery {
  // In big blinds, from the button. Heads-up: the button (also the small
  // blind), then the big blind. Three or more: the button, the small blind,
  // the big blind, then the others clockwise; the player after the big blind
  // (with three, the button) acts first. A stack short of its blind and ante
  // posts what it has and is all-in.
  std::vector<double> stacks;
  double small_blind = 0.5;
  double big_blind = 1;
  double ante = 0;                // per player; with big_blind_ante the big blind posts them all
  bool big_blind_ante = false;
  std::vector<double> payouts;    // empty: the payoff is chips; else ICM prize equity of the stacks after the hand
  bool card_removal = true;       // each pair of players' hands miss each other: heads-up exactly; with
                                  // three or more pairwise, the folded hands' cards included (each other
                                  // player's hand misses a player's own, and the others' miss each
                                  // other on average). false: every class dealt by its hand count alone
                                  // (the sampled multiway showdowns still deal the cards out)
  double target_exploitability = 0;  // stop once the best-response gains add up to at most this
                                     // (0: 0.00001 big blinds, or 1e-7 of the prize pool with payouts;
                                     // a chart's: ten times that; three or more players:
                                     // 0.001 big blinds, or 1e-5 of the prize pool)
  int max_iterations = 100000;
  double max_seconds = 0;         // the time bound (0: kDefaultMaxSeconds)
  ProgressFn progress = nullptr;
  void* progress_user = nullptr;
  // Three or more players: the multiway pots' Monte Carlo.
  int threads = 1;                // threads sampling the multiway pots
  std::uint64_t seed = 1;         // equal seeds give equal results
  int multiway_deals = 0;         // deals per player of a likely multiway pot at the last refreshes,
                                  // each valuing every class of theirs (0: kMultiwayDeals)
};

inline constexpr int kMultiwayDeals = 512;

// One decision: a player's first action (push or fold, everyone before has
// folded) or their answer to a push (call or fold).
struct PushFoldSpot {
  int player = 0;   // index into the stacks
  int pusher = -1;  // -1: the player acts first in; else whose push they face
  std::uint32_t callers = 0;  // bit p: player p called the push before this player acts
  std::array<double, kClasses> strategy{};  // share of each class's hands that push (or call)
  double share = 0;  // share of all hands played so (combos weighted)
};

struct PushFoldOutcome {
  IcmStatus status = IcmStatus::bad_query;
  std::string error;
  bool icm = false;      // payoff in prize equity
  int iterations = 0;
  double seconds = 0;
  double exploitability = 0;               // sum of the players' best-response gains, in the payoff's unit
  std::vector<double> best_response_gain;  // per player
  std::vector<double> ev_chips;            // per player: expected stack change, big blinds
  std::vector<double> ev_prize;            // per player: expected prize equity (with payouts), else empty
  std::vector<PushFoldSpot> spots;
  // Three or more players: the deals of the last refresh of the multiway
  // pots' values, and the largest standard error of a sampled equity (share
  // of the pot) in a multiway pot reached in at least 1 hand in 10,000,
  // averaged over the classes that get there.
  std::int64_t multiway_deals = 0;
  double multiway_std_error = 0;
};

// Empty when the table makes a question, else what is wrong.
std::string push_fold_input_error(const PushFoldQuery& query);

PushFoldOutcome solve_push_fold(const PushFoldQuery& query);

// The heads-up chart: for each class, the largest stack (both players equal,
// from `smallest` to `largest` in `step`s) at which it is pushed (strategy at
// least one half), and likewise called; 0 where never.
struct PushFoldChart {
  IcmStatus status = IcmStatus::bad_query;
  std::string error;
  std::vector<double> stacks;
  std::array<double, kClasses> push_up_to{};
  std::array<double, kClasses> call_up_to{};
  double worst_exploitability = 0;
  double seconds = 0;
};

PushFoldChart heads_up_chart(const PushFoldQuery& base, double smallest, double largest, double step);

}  // namespace oddsmith::tournament
