// Card encoding shared by every part of the engine: card = rank * 4 + suit,
// rank 0 = deuce .. 12 = ace, suit 0..3 = clubs, diamonds, hearts, spades.
#pragma once

#include <cstdint>

#include "oddsmith.h"

namespace oddsmith {

inline constexpr int kDeckSize = 52;
inline constexpr int kRankCount = 13;
inline constexpr int kSuitCount = 4;

// Strength bounds of a hand value: the best is a royal flush, the worst a seven-high.
inline constexpr int kBestHandValue = ODDSMITH_BEST_HAND;
inline constexpr int kWorstHandValue = ODDSMITH_WORST_HAND;

// Low value meaning "no qualifying eight-or-better low".
inline constexpr int kNoLow = ODDSMITH_NO_LOW;

inline constexpr char kRankChars[] = ODDSMITH_RANK_LETTERS;
inline constexpr char kSuitChars[] = ODDSMITH_SUIT_LETTERS;

// Short deck plays the 36 cards from this one (the six of clubs) on.
inline constexpr int kShortDeckLowestCard = 16;

// A set of cards: bit c stands for card c.
using CardMask = std::uint64_t;

constexpr CardMask card_bit(int card) { return CardMask{1} << card; }

// True when the card is a real one, 0..51 (negatives fail too).
constexpr bool is_card(int card) { return static_cast<unsigned>(card) < static_cast<unsigned>(kDeckSize); }

// The test of "real cards, none repeated" for a list of cards: adds `card` to
// `seen` when it is real and not yet there; false otherwise. The evaluator
// exports make the same test fused with their evaluation (eval/five_seven.h,
// eval_checked): one bound below 64, then one bit per card from a table read
// they need anyway, and the count of bits.
constexpr bool take_card(CardMask& seen, int card) {
  if (!is_card(card) || (seen & card_bit(card))) return false;
  seen |= card_bit(card);
  return true;
}

constexpr int card_rank(int card) { return card >> 2; }
constexpr int card_suit(int card) { return card & 3; }
constexpr int make_card(int rank, int suit) { return rank * 4 + suit; }

}  // namespace oddsmith
