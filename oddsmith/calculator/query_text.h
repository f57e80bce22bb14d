// Builds an equity query from text: each player a hand or range in range
// notation, the board and the dead cards as card text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calculator/equity_query.h"

namespace oddsmith::calc {

// Fills query.game, players, board and dead; on bad text returns false with a
// message naming the player or field, the column and what was expected.
bool query_from_text(Game game, const std::vector<std::string_view>& players, std::string_view board,
                     std::string_view dead, EquityQuery& query, std::string& error);

}  // namespace oddsmith::calc
