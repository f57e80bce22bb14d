// Range notation: the one grammar every surface reads (C exports, command line,
// Python). Items are separated by commas; spaces may stand around items.
//
// Hold'em (two cards):
//   QQ  TT+  TT-77          pairs: one, it and every higher one, a span
//   AKs AKo AK              suited (4 hands), offsuit (12), both (16)
//   AJo+ A2s+ K9+           the second rank rises to one below the first
//   KTs-K7s  76s-54s        spans keeping the first rank, or the gap
//   AhKh                    one hand
// Omaha (four cards; also Omaha Hi/Lo):
//   AhAsKhKs                one hand
//   AAxx  AKQx  AA          every hand holding those ranks (x: any card; up to
//                           four symbols, the missing ones x)
//   AAKKds AKxxss JT98rb    with the suits spread 2+2, 2+1+1 or 1+1+1+1
//   KK-TT  KK-TTds          pairs: KKxx through TTxx (a qualifier on either end)
//   AA!AAA                  a pattern less any after '!' (here: exactly two aces)
// Five-card Omaha: the same with five cards (AAxxx, or AA); ds is 2+2+1 and ss
// 2+1+1+1 (five cards cannot be rainbow).
// Short deck: Hold'em notation over ranks 6 to A; classes and spans pass over
// the ranks below the six, so 22+ is 66+.
// Two cards (Hold'em, short deck) also: Axs Kxo Ax xxs xx (x: any rank; Ax
// holds AA, xx is every hand), AhXh XsXs AhXx (cards with x for any rank or
// suit; AhXh is the ace of hearts with any other heart), and '!' on any item:
// 22+!AA, AhXh!AhKh (the hands before the first '!' less those after each).
// All: `10%` (the strongest tenth of all hands) and `5-15%` (the 5th to the
// 15th percentile), whole classes as range/start_orders.h ranks them; `random`
// (every hand of the deck); and a weight from 0 to 1 on any item as `AKs:0.5`
// (1 when omitted). A hand named twice counts once, with the weight
// of its last naming; a weight of 0 leaves the hand out.
// Any text may end in board filters: `RANGE where FILTER, ...` (read only with
// a board; see BoardFilters).
// Ranks and suits are the letters of ODDSMITH_RANK_LETTERS (ten is T, upper case)
// and ODDSMITH_SUIT_LETTERS.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "range/range.h"

namespace oddsmith {

struct RangeParseError {
  int column;           // 1-based byte position in the text where the fault is
  std::string message;  // what was found and what was expected
};

// A board filter as written after "where" ("toppair+", "!flushdraw"). Only
// its form is read here; its name is checked, and the filter applied, where
// the board is known (analysis/board_filters.h).
struct BoardFilterTerm {
  std::string name;        // lower case, as written: "toppair"
  bool or_better = false;  // '+' after the name
  bool remove = false;     // '!' before it
  int column = 0;          // 1-based, of the name's first letter
};

struct RangeParse {
  std::optional<Range> range;  // set on success: at least one hand
  RangeParseError error;       // meaningful only when !range
  // BoardFilters::kept: the filters after "where", not yet applied, and where the word stands.
  std::vector<BoardFilterTerm> filters;
  int where_column = 0;
};

// Whether a text may end in board filters ("QQ+, AKs where toppair+"):
// refused (an error at "where") where no board is known; kept, unapplied, in
// the parse for a caller that applies them.
enum class BoardFilters { refused, kept };

// Parses `text` for a game's hands. Never throws but std::bad_alloc.
RangeParse parse_range(std::string_view text, RangeGame game, BoardFilters filters = BoardFilters::refused);
// The same for Hold'em (2 cards) or Omaha (4).
RangeParse parse_range(std::string_view text, int cards_per_hand);

}  // namespace oddsmith
