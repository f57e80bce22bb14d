// Card notation for the command line: a rank from ODDSMITH_RANK_LETTERS then a
// suit from ODDSMITH_SUIT_LETTERS (upper-case suits accepted), several cards may run together.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Card number 0..51 of a two-character card, or nothing.
std::optional<int> parse_card(std::string_view text);

// Cards written one after another ("AcAdAhAs") or apart ("Ac Ad", "Ac,Ad"); on
// failure `bad` names the offending two characters (or the trailing odd character).
std::optional<std::vector<int>> parse_cards(std::string_view text, std::string& bad);

std::string card_name(int card);

// Name of the category a hand value belongs to.
const char* category_name(int hand_value);
// The same for a short-deck value (flushes above full houses).
const char* shortdeck_category_name(int hand_value);

// Describes a low value: "A-2-3-4-5" style, or "no low".
std::string low_name(int low_value);

}  // namespace cli
