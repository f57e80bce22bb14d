// A range on a board, hand by hand: each hand of the first player's range with
// its equity against the others (card removal applied), what it holds and what
// it draws to; the range summed by category and by draw; and every player's
// equity after each card that can come next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/hand_features.h"
#include "analysis/made_hand.h"
#include "calculator/equity_query.h"

namespace oddsmith {

struct BreakdownHand {
  RangeHand hand;
  double equity = 0;
  HandFeatures features;
  MadeHand made = MadeHand::nothing;  // what the hand's own cards make (flop on)
};

// One row of a summary: the hands of a category (or a draw), their weight,
// their share of the range's weight and their average equity.
struct BreakdownRow {
  std::string name;
  double combos = 0, share = 0, equity = 0;
};

struct NextCard {
  int card = 0;
  std::vector<double> equities;  // one per player
  // The shares of the first player's range (by weight, of its hands that do
  // not hold the card) whose draw the card completes: a flush draw made a
  // flush, a straight draw a straight, and in Hi/Lo a low draw a low.
  double flush = 0, straight = 0, low = 0;
};

struct Breakdown {
  // ok, or target_not_met with every part present but some Monte-Carlo parts
  // cut short by the bound or short of the target (`error` says which); any
  // other status has no result.
  calc::Status status = calc::Status::bad_query;
  bool has_result() const { return status == calc::Status::ok || status == calc::Status::target_not_met; }
  std::string error;
  bool exact = false;
  std::int64_t deals = 0;
  std::uint64_t seed = 0;              // Monte Carlo: the hands' base seed
  std::vector<BreakdownHand> hands;    // best equity first
  std::vector<BreakdownRow> categories;  // made hands, strongest first (made_hand.h)
  std::vector<BreakdownRow> draws;       // flop and turn boards only
  std::vector<BreakdownRow> lows;        // Hi/Lo: nut low, second-nut low, other low, no low
  std::vector<NextCard> next_cards;      // flop and turn boards only
};

// Runs the breakdown of `query`'s first player. The query's bound, mode, seed,
// threads, progress and cancel hold for the whole of it: the parts are planned
// under one deadline, and work that cannot fit is refused before it starts.
Breakdown compute_breakdown(const calc::EquityQuery& query);

}  // namespace oddsmith
