// What a hand holds on a board: its made category (the nine names), for Hold'em
// the kind of one pair (overpair, top, second, weaker), and its draws on a flop
// or turn, found by trying every card that can come next.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace oddsmith {

// The nine category names, strongest first ("Straight flush" .. "High card").
const char* category_name(int hand_value);

enum class PairKind : std::uint8_t { none, overpair, top_pair, second_pair, weaker_pair };
const char* pair_kind_name(PairKind kind);  // "Overpair", "Top pair", "Second pair", "Weaker pair"

enum Draw : std::uint8_t {
  kFlushDraw = 1,     // a next card of one suit makes a flush the hand did not have
  kOpenEnded = 2,     // next cards of two or more ranks make a straight (eight outs, double gutshots too)
  kGutshot = 4,       // next cards of one rank make a straight
};
// "flush draw", "open-ended straight draw", "gutshot", in that order, for the bits set.
std::string draw_names(unsigned draws, const char* separator);

struct HandFeatures {
  int value = 0;         // the best hand on the board (0 before the flop: no five cards)
  PairKind pair = PairKind::none;
  unsigned draws = 0;    // Draw bits (flop and turn boards only)
};

// `hole`: 2 cards (Hold'em) or 4 (Omaha: two of them with three of the board);
// `board`: 0 or 3 to 5 cards, none shared with the hole.
HandFeatures hand_features(std::span<const int> hole, std::span<const int> board);

}  // namespace oddsmith
