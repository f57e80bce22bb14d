// The numbers of a chart: each starting-hand class's equity against one hand or
// range. Against one random hand with no board (and no dead cards) they are the
// compiled-in exact equities; otherwise each class runs through the calculator,
// exact where that is quick, else simulated to a standard error of 0.25 % with
// one fixed seed, so that a chart can be made again and every caller (the
// command line, Python) gets the same numbers.
#pragma once

#include <string>

#include "oddsmith.h"

namespace pictures {

struct ClassEquities {
  int grid = 13;               // the rows and columns in use (class_grid_size)
  double equity[13][13] = {};  // NaN where the class cannot play (its cards taken) or fell short of its target
  std::string first_error;     // the calculator's message for the first class that could not play
  bool cancelled = false;      // `progress` asked to stop; the classes not yet run are NaN
  bool any() const;            // some class has a number
};

struct ChartQuery {
  oddsmith_game_facts game{};  // a two-card game
  std::string opponent;        // a hand or range ("QQ+, AKs", "random")
  std::string board, dead;     // card text, "" for none
  int threads = 0;             // 0: every core
  // Told the share of the whole chart done; a non-zero answer stops it. May be null.
  oddsmith_progress_fn progress = nullptr;
  void* progress_user = nullptr;
};

ClassEquities chart_equities(const ChartQuery& query);

}  // namespace pictures
