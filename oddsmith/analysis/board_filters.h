// Range text read on a board: the hands of the range before "where", kept or
// dropped by the board filters after it ("QQ+, AKs, 98s where toppair+,
// flushdraw"). The range layer reads the filters' form; their names and
// meaning are the made-hand vocabulary (analysis/made_hand.h) and the draws
// of analysis/hand_features.h, so they are applied here.
//
// A hand passing any filter is kept, and a hand passing a '!' filter dropped
// even so (only '!' filters: every hand not dropped is kept). `name+` keeps the
// made hand named and every stronger one in the game's order; `pair` is any
// pair using a hole card. Draw filters (flushdraw, oesd, gutshot) need a flop
// or turn and take no '+'. Hands holding a board card are left out.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "range/range_notation.h"

namespace oddsmith {

// Parses `text` for a game's hands and applies its board filters on `board`
// (0 to 5 cards; filters need 3 or more). Errors name the column: an unknown
// filter lists the known ones. Never throws but std::bad_alloc.
RangeParse parse_range_on_board(std::string_view text, RangeGame game, std::span<const int> board);

// The filters' names, weakest made hand first, then "pair" and the draws,
// separated by ", ".
std::string board_filter_names();

}  // namespace oddsmith
