// The heads-up push/fold chart as an SVG picture: two 13 x 13 grids, the small
// blind's pushes and the big blind's calls, each cell coloured by the largest
// stack (big blinds) at which the class is played, grey where never.
#pragma once

#include <string>

namespace pictures {

// push_up_to and call_up_to per class (row * 13 + col, ace first); `largest`
// the chart's top stack; `subtitle` a line under the title (blinds, ante).
std::string pushfold_svg(const double (&push_up_to)[169], const double (&call_up_to)[169], double largest,
                         const std::string& subtitle);

}  // namespace pictures
