// The chart as an SVG picture: each class's cell coloured by its equity (grey
// where it has none), the board's cards, and the colour scale under the grid.
#pragma once

#include <string>
#include <vector>

namespace pictures {

// `equity`'s top-left `grid` x `grid` cells (NaN: no number), against
// `opponent` (the title), on `board` (card numbers; empty: none drawn).
std::string chart_svg(const double (&equity)[13][13], int grid, const std::string& opponent, const std::vector<int>& board);

}  // namespace pictures
