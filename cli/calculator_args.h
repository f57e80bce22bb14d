// What the calculator commands (equity, breakdown) share: their options, read
// into a query, and the progress bar they show on a terminal.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "oddsmith.h"
#include "progress_bar.h"

namespace cli {

struct CalculatorArgs {
  oddsmith_equity_query query{};
  oddsmith_game_facts game{};  // the library's facts of query.game
  std::string board, dead, svg;
  std::vector<std::string> players;
  bool json = false;
};

// Reads --game, --board/-b, --dead/-d, --exact, --monte-carlo, --trials,
// --stderr, --max-seconds, --seed, --threads, --json and, where `takes_svg`,
// --svg, wherever they stand; the other arguments are players. An error message
// naming the fault, or empty. The query's player, board and dead pointers are
// left for the caller to set.
std::string parse_calculator_args(const Args& args, const char* command, CalculatorArgs& out, bool takes_svg = true);

}  // namespace cli
