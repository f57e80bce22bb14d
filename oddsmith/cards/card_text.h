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

}  // namespace oddsmith
