// What the calculator commands (equity, breakdown) share: their options, read
// into a query, and the progress bar they show on a terminal.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "command_line.h"
#include "oddsmith.h"

namespace cli {

struct CalculatorArgs {
  oddsmith_equity_query query{};
  oddsmith_game_facts game{};  // the library's facts of query.game
  std::string board, dead, svg;
  std::vector<std::string> players;
  bool json = false;
};

// Reads --game, --board/-b, --dead/-d, --exact, --monte-carlo, --trials,
// --stderr, --max-seconds, --seed, --threads, --json and --svg, the other
// arguments being players; an error message naming the fault, or empty. The
// query's player, board and dead pointers are left for the caller to set.
std::string parse_calculator_args(const Args& args, const char* command, CalculatorArgs& out);

// A bar on standard error once a run has taken a second, when it is a terminal:
// the share done, the time taken and, once a few percent are done, the time
// left at the pace so far.
struct ProgressBar {
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  bool shown = false;

  static int update(double done, void* self);
  void clear() const;
};

}  // namespace cli
