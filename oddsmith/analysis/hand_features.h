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

enum Draw : unsigned {
  kFlushDraw = 1,     // a next card of one suit makes a flush the hand did not have
  kOpenEnded = 2,     // next cards of two or more ranks, under 13 cards, make a straight (eight outs, double gutshots too)
  kGutshot = 4,       // next cards of one rank make a straight
  kWrap = 8,          // 13 or more next cards make a straight (Omaha's wraps; never with kOpenEnded)
  kNutFlushDraw = 16,        // with kFlushDraw: the hand holds the highest card of the suit not on the board
  kSecondNutFlushDraw = 32,  // with kFlushDraw: the second highest
  kLowDraw = 64,      // Hi/Lo, no low yet: a next card gives the hand a low
  kNutLowDraw = 128,  // with kLowDraw: most next cards that give it a low give it the best low there is
};
inline constexpr unsigned kLowDraws = kLowDraw | kNutLowDraw;
// The short names of the bits set, in the order of the enumeration, the
// flush draw named once ("nut flush draw", "2nd-nut flush draw" or "flush
// draw"), the low draw likewise: "flush draw", "OESD", "gutshot", "wrap",
// "low draw", joined by `separator`.
std::string draw_names(unsigned draws, const char* separator);

// Hi/Lo: the hand's low on the board, against the best lows any two cards make there.
enum class LowKind : std::uint8_t { none, nut, second_nut, other };
const char* low_kind_name(LowKind kind);  // "Nut low", "2nd-nut low", "Other low", "No low"

struct HandFeatures {
  int value = 0;         // the best hand on the board, the game's value (0 before the flop: no five cards)
  Category category = kHighCard;  // of `value`, when there is one
  PairKind pair = PairKind::none;
  unsigned draws = 0;    // Draw bits (flop and turn boards only)
  int straight_outs = 0;  // the next cards that make a straight the hand lacked
  LowKind low = LowKind::none;  // Hi/Lo only
};

// Whether `hole` (Omaha: two of its cards) with three of `board` make an
// eight-or-better low.
bool has_low(std::span<const int> hole, std::span<const int> board);

// `hole`: 2 cards (Hold'em, short deck) or 4 or 5 (Omaha: two of them with
// three of the board); `board`: 0 or 3 to 5 cards, none shared with the hole.
// Short deck values and draws come from its 36 cards; `hi_lo` adds the low
// and the low draws (Omaha Hi/Lo).
HandFeatures hand_features(std::span<const int> hole, std::span<const int> board, bool short_deck = false,
                           bool hi_lo = false);

}  // namespace oddsmith
