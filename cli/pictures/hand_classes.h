// The chart of a two-card game's starting-hand classes: row and column by rank,
// ace first; pairs on the diagonal, suited classes above it, offsuit below.
// Hold'em's is 13 x 13; short deck's 9 x 9, the top left of Hold'em's.
#pragma once

#include <string>

#include "oddsmith.h"

namespace pictures {

std::string class_label(int row, int col);  // "AA", "AKs", "72o"
// The hands of a class: 6 for a pair, 4 suited, 12 offsuit.
int class_size(int row, int col);
void class_cell(const int ascending_cards[2], int& row, int& col);
// The rows (and columns) of a two-card game's chart: the ranks its deck holds.
int class_grid_size(const oddsmith_game_facts& game);

}  // namespace pictures
