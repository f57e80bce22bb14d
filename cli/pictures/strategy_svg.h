// The solver's strategy at a node as a chart of starting-hand classes: each
// cell split across by the class's share of each action (its hands weighted by
// how often they reach the node), one colour per action, with a legend.
#pragma once

#include <string>
#include <vector>

namespace pictures {

struct StrategyPicture {
  int grid = 13;                      // 13 for Hold'em, 9 for short deck
  std::vector<std::string> actions;   // "check", "bet 20", "allin 170"
  std::vector<int> kinds;             // per action: ODDSMITH_ACTION_*
  // Per cell (row * grid + col): the reaching weight of the class's hands, and
  // per action the weighted share (cells[(row * grid + col) * actions + a]).
  std::vector<double> weight;
  std::vector<double> cells;
  std::vector<double> frequencies;    // the whole range's share of each action
  std::string title, subtitle;
};

std::string strategy_svg(const StrategyPicture& picture);

}  // namespace pictures
