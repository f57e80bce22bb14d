// Builds an equity query from text: each player a hand or range in range
// notation, the board and the dead cards as card text.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calculator/equity_query.h"
#include "range/range_notation.h"

namespace oddsmith::calc {

// Reads one player's text on the query's board. The calculator reads range
// notation alone, refusing board filters ("QQ+ where toppair"); a layer that
// knows what hands make on a board passes a reader that applies them
// (analysis/board_filters.h: the exports do).
using RangeReader = RangeParse (*)(std::string_view text, RangeGame game, std::span<const int> board);

// Fills query.game, players, board and dead; on bad text returns false with a
// message naming the player or field, the column and what was expected.
// `progress` (may be null) is called with 0 before each range is parsed (a
// five-card Omaha "random" takes a fifth of a second): the caller hears from
// the run at once, and may cancel there (false, with *cancelled set).
bool query_from_text(Game game, const std::vector<std::string_view>& players, std::string_view board,
                     std::string_view dead, EquityQuery& query, std::string& error, ProgressFn progress = nullptr,
                     void* user = nullptr, bool* cancelled = nullptr, RangeReader read = nullptr);

}  // namespace oddsmith::calc
