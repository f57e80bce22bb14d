#include "hand_classes.h"

namespace pictures {

std::string class_label(int row, int col) {
  static constexpr char kRanks[] = ODDSMITH_RANK_LETTERS;
  const int high = 12 - (row < col ? row : col), low = 12 - (row < col ? col : row);
  std::string label{kRanks[high], kRanks[low]};
  if (row != col) label += row < col ? 's' : 'o';
  return label;
}

int class_size(int row, int col) { return row == col ? 6 : row < col ? 4 : 12; }

int class_grid_size(const oddsmith_game_facts& game) { return 13 - game.lowest_card / 4; }

void class_cell(const int ascending_cards[2], int& row, int& col) {
  const int high = ascending_cards[1] / 4, low = ascending_cards[0] / 4;
  const bool suited = ascending_cards[0] % 4 == ascending_cards[1] % 4;
  row = 12 - (suited ? high : low);
  col = 12 - (suited ? low : high);
}

}  // namespace pictures
