// Each two-card starting-hand class's exact equity against one random hand with
// no board: fixed numbers, enumerated once by tools/generate_preflop_equities.cpp
// (the calculator takes seconds for each), so a chart against "random" is instant.
#pragma once

namespace pictures {

// Fills equity[row][col] (the chart's rows and columns, ace first) for `game`;
// false for a game without the numbers (only Hold'em and short deck have them).
bool preflop_against_random(int game, double (&equity)[13][13]);

}  // namespace pictures
