// A push/fold table of three or more players: what each posts, the order in
// which they act, and the stacks after a hand given who is still in and how
// their hands rank.
#pragma once

#include <cstdint>
#include <vector>

#include "tournament/push_fold.h"

namespace oddsmith::tournament {

// Players by index from the button: button, small blind, big blind, then the
// rest clockwise; the first to act is the player after the big blind (the
// button with three), the big blind last.
struct Seats {
  int players = 0;
  std::vector<double> stack;  // before the hand
  std::vector<double> ante;   // dead money posted
  std::vector<double> blind;  // live money posted
  std::vector<int> order;     // players in the order they act
  double capacity(int p) const { return stack[static_cast<std::size_t>(p)] - ante[static_cast<std::size_t>(p)]; }
};

// A stack short of its ante and blind posts what it has (the ante first).
Seats seat_players(const PushFoldQuery& query);

// The pot of a finished hand as layers (the main pot, then side pots), each
// won among the players still in who put in at least its top.
struct Pots {
  std::vector<double> amount;
  std::vector<std::uint32_t> eligible;  // bit p: player p may win the layer
  std::vector<double> put_in;           // per player: ante and live money
};

// `live` is each player's live money in the pot, `in_hand` the players who
// did not fold.
Pots make_pots(const Seats& seats, const std::vector<double>& live, std::uint32_t in_hand);

// The stacks after the hand, each layer split among its eligible players with
// the best (lowest) strength; only the strengths of eligible players are read.
void stacks_after(const Seats& seats, const Pots& pots, const int* strength, double* out);

}  // namespace oddsmith::tournament
