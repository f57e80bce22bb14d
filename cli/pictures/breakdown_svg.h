// A breakdown as three charts in one SVG picture: the equity distribution
// (hands best first, share of the range's weight across, equity up), what the
// range holds (categories, lows and draws as bars of their share, with their
// equity), and every player's equity after each next card, grouped by suit.
#pragma once

#include <string>
#include <vector>

namespace pictures {

struct BreakdownPicture {
  struct Hand {
    double weight = 0, equity = 0;
  };
  struct Row {
    std::string name;
    double share = 0, equity = 0;
  };
  struct NextCard {
    int card = 0;                  // 0..51
    std::vector<double> equities;  // one per player
  };
  std::string game;                  // the library's name ("holdem")
  std::string board;                 // as the library names its cards ("Qh7c2d"), "" for none
  std::vector<std::string> players;  // the range first, as typed
  bool exact = false;
  long long deals = 0;
  std::vector<Hand> hands;  // best equity first
  std::vector<Row> categories, lows, draws;
  std::vector<NextCard> next_cards;
};

std::string breakdown_svg(const BreakdownPicture& b);

}  // namespace pictures
