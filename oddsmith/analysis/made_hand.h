// What a hand has made on a board, in the words every surface uses for it: the
// made hands in order of strength, their display names ("Top pair", "Set") and
// the tokens range filters read ("toppair", "set").
//
// A made hand counts only where the hand's own cards take part in it: a pair,
// trips or a straight that the board makes alone is Nothing for every hand
// (kickers do not count), and in Hold'em a hand that plays the board has
// Nothing. In Omaha the best hand is two hole cards with three of the board,
// and its pair kind comes from those two hole cards.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace oddsmith {

// Weakest first. Pairs using a hole card, by what they pair: a pocket pair
// above every board card is an Overpair; a hole card pairing the board's
// highest rank Top pair, its second rank Second pair; any other pair (a lower
// board card, or a pocket pair below the top card) a Weaker pair. Trips: one
// hole card with a board pair; Set: a pocket pair with one board card.
enum class MadeHand : std::uint8_t {
  nothing,
  weaker_pair,
  second_pair,
  top_pair,
  overpair,
  two_pair,
  trips,
  set,
  straight,
  flush,
  full_house,
  quads,
  straight_flush,
};
inline constexpr int kMadeHandCount = 13;

// What `hole` makes on `board`. `hole`: 2 cards (Hold'em, short deck) or 4 or
// 5 (Omaha); `board`: 3 to 5 cards, none shared with the hole (other counts: Nothing).
MadeHand made_hand(std::span<const int> hole, std::span<const int> board, bool short_deck = false);

// Its place in the game's order of strength: 0 for Nothing, higher is stronger
// (short deck ranks the flush above the full house).
int made_hand_strength(MadeHand made, bool short_deck);

// "Nothing", "Weaker pair", "Second pair", "Top pair", "Overpair", "Two pair",
// "Trips", "Set", "Straight", "Flush", "Full house", "Quads", "Straight flush".
const char* made_hand_name(MadeHand made);
// "nothing", "weakerpair", "secondpair", "toppair", "overpair", "twopair",
// "trips", "set", "straight", "flush", "fullhouse", "quads", "straightflush".
const char* made_hand_token(MadeHand made);
std::optional<MadeHand> made_hand_of_token(std::string_view token);

// A pair using a hole card: weaker pair up to overpair.
constexpr bool is_pair(MadeHand made) { return made >= MadeHand::weaker_pair && made <= MadeHand::overpair; }

}  // namespace oddsmith
