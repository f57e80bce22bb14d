// What a hand holds on a board: its made category (the nine names), for Hold'em
// and short deck the kind of one pair (overpair, top, second, weaker), and its
// draws on a flop or turn, found by trying every card that can come next.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace oddsmith {

// The nine categories, named in Hold'em's order of strength ("Straight flush",
// "Four of a kind", "Full house", "Flush", .. "High card"); short deck ranks
// the flush above the full house.
enum Category : std::uint8_t { kStraightFlush, kFourOfAKind, kFullHouse, kFlush, kStraight, kThreeOfAKind, kTwoPair, kOnePair, kHighCard };
const char* category_name(Category category);
// The category of a hand value of Hold'em (and Omaha) or of short deck.
Category category_of(int hand_value, bool short_deck);

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
  int value = 0;         // the best hand on the board, the game's value (0 before the flop: no five cards)
  Category category = kHighCard;  // of `value`, when there is one
  PairKind pair = PairKind::none;
  unsigned draws = 0;    // Draw bits (flop and turn boards only)
};

// `hole`: 2 cards (Hold'em, short deck) or 4 or 5 (Omaha: two of them with
// three of the board); `board`: 0 or 3 to 5 cards, none shared with the hole.
// Short deck values and draws come from its 36 cards.
HandFeatures hand_features(std::span<const int> hole, std::span<const int> board, bool short_deck = false);

}  // namespace oddsmith
