// Card text, the one reader every surface uses (through oddsmith_parse_cards):
// a rank then a suit, cards run together or apart ("AhKh", "Ah Kh", "Ah,Kh").
// A rank is a letter of ODDSMITH_RANK_LETTERS in either case, or "10" for the
// ten; a suit a letter of ODDSMITH_SUIT_LETTERS in either case, or a suit
// symbol in UTF-8, filled or outlined (♣♦♥♠, ♧♢♡♤), which may carry the emoji
// presentation selector (U+FE0F) that phone keyboards add. Also the names of
// cards and of low hands, and the escaping of typed text for messages.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace oddsmith {

// The rank (0 = deuce) of a rank letter, or -1; ranks are upper case. (Range
// notation's letters; card text also takes lower case and "10".)
int rank_of_letter(char c);

// The suit of a suit letter (either case), or -1.
int suit_of_letter(char c);

// Reads the cards of `text`, writing the first out.size() of them to `out`.
// Returns how many cards the text holds, or nothing on a bad piece, with
// `error` naming the piece and what a card is. Repeats are not checked.
std::optional<std::size_t> read_card_list(std::string_view text, std::span<int> out, std::string& error);

// Appends the cards of `text` to `out`. On a bad piece returns false and sets
// `error` as read_card_list does. Repeats are not checked.
bool parse_card_list(std::string_view text, std::vector<int>& out, std::string& error);

// "As" for card 51.
std::string card_name(int card);

// A low value's ranks, highest first ("8-5-4-2-A"), or "no low" for
// ODDSMITH_NO_LOW; nothing for a value that is neither (a low is five
// different ranks of ace to eight).
std::optional<std::string> low_name(int low_value);

// `text` as a message may quote it: printable ASCII and printable UTF-8 ("5♥")
// as they are; a control byte, DEL or a byte that is not part of valid UTF-8 as
// \xNN ("\x1b"), and an invisible control character of UTF-8 (C1 controls,
// bidirectional overrides, zero-width marks) as \uNNNN. Whatever a user typed
// can then be quoted back without driving the terminal that shows it.
std::string shown_text(std::string_view text);

// The length in bytes of the UTF-8 character at text[at]: 1 for ASCII and for
// a byte that does not begin a valid sequence. `at` < text.size().
std::size_t character_length(std::string_view text, std::size_t at);

}  // namespace oddsmith
