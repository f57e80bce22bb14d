// Card text: a rank (ODDSMITH_RANK_LETTERS) then a suit (ODDSMITH_SUIT_LETTERS, either case), cards run
// together or apart ("AhKh", "Ah Kh", "Ah,Kh").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace oddsmith {

// The rank (0 = deuce) of a rank letter, or -1; ranks are upper case.
int rank_of_letter(char c);

// The suit of a suit letter (either case), or -1.
int suit_of_letter(char c);

// Appends the cards of `text` to `out`. On a bad piece returns false and sets
// `error` to a message naming it and what was expected. Repeats are not checked.
bool parse_card_list(std::string_view text, std::vector<int>& out, std::string& error);

// "As" for card 51.
std::string card_name(int card);

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
