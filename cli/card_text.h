// Card, hand and game text for the commands, all of it the library's (its
// oddsmith_parse_cards, oddsmith_*_name, oddsmith_hand_text, oddsmith_shown_text
// and oddsmith_game_info exports): the command line keeps no grammar, names or
// game list of its own, so that it reads and says what Python and the library do.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "oddsmith.h"

namespace cli {

// The cards of `text` (together or apart, "Ah Kh", "10h", "A♥"), appended to
// `cards`; the library's message on a bad piece, else empty. Repeats are not checked.
std::string parse_cards(std::string_view text, std::vector<int>& cards);

// True when `text` is exactly one card.
bool is_one_card(std::string_view text);

std::string card_name(int card);                         // "Ah"
std::string hand_text(const int* cards, int count);      // "AhKh": highest card first
std::string category_name(int game, int hand_value);    // "Full house"; "" for no value of the game
std::string low_name(int low_value);                     // "5-4-3-2-A", "no low"
std::vector<std::string> draw_names(int draws);          // the draws of the ODDSMITH_DRAW_* bits set, in the library's words
std::vector<std::string> split_names(const std::string& joined);  // "a, b" as {"a", "b"}

// `text` with control bytes and invisible controls escaped, for messages that
// quote what the user typed (the library's oddsmith_shown_text).
std::string shown_text(std::string_view text);

// The games, from the library's table, in its order.
std::vector<oddsmith_game_facts> games();
// The game named `name` (or its alias), or false.
bool find_game(std::string_view name, oddsmith_game_facts& out);
// "holdem, omaha, ... or omaha5-hilo": the names `--game` takes, for messages.
std::string game_choices(const std::vector<oddsmith_game_facts>& choices);

}  // namespace cli
