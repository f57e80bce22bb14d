// Runs that are parts of a larger one under its single budget: each hand of a
// range (hand-by-hand equities) and each next card of a breakdown. The parts
// share the whole run's deadline and seed; this is where their queries are made
// and where the exact parts are estimated before any of them starts.
#pragma once

#include <cstdint>

#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/run_budget.h"

namespace oddsmith::calc {

// A part's Monte Carlo with neither trials nor a target given: deals per hand
// of a range (a standard error near 0.35 %; ranges have many hands), and per
// next card (near 0.16 %; the next cards' equities are the range's as a whole).
inline constexpr std::int64_t kDealsPerHand = 20000;
inline constexpr std::int64_t kDealsPerNextCard = 100000;
// A range too large for kDealsPerHand to finish within kHandsSeconds gets
// fewer deals per hand, down to kFewestDealsPerHand (a standard error near 1.1 %).
inline constexpr double kHandsSeconds = 5.0;
inline constexpr std::int64_t kFewestDealsPerHand = 2000;

// Whether Monte-Carlo parts that take `part_seconds` each (the first one's
// time) cannot fit `parts_left` more in the time left: each part's share of
// that time shrinks its deals, but not its setup or its first chunk, so the
// run is refused when even so it would overrun by more than a tenth of the
// bound and a tenth of a second.
bool rest_cannot_fit(double part_seconds, std::size_t parts_left, const RunBudget& budget);

// The query of one part of `whole`: no progress of its own, the whole run's
// deadline (a part may be given a nearer one), and `deals` deals where the
// caller named neither trials nor a target.
EquityQuery part_query(const EquityQuery& whole, const RunBudget& budget, std::int64_t deals);

// A range of `hand` alone, for a player of `game`.
Range first_hand_range(Game game, const RangeHand& hand);

// `query` with its first player holding `hand` alone.
EquityQuery with_first_hand(const EquityQuery& query, const RangeHand& hand);

// `query`'s Monte Carlo on `q`, its already prepared form (or a part made from
// one, prepared_query.h), without preparing it again: a hand of a range
// against random players costs its deals and nothing more. Defined with
// compute_equity, whose answers it gives.
EquityOutcome simulate_prepared(const PreparedQuery& q, const EquityQuery& query);

// Single-core seconds of `one` enumerated, whatever the bound; infinity where
// no exact method applies or the query is unsound.
double exact_seconds(EquityQuery one);

// Single-core seconds of the exact runs of every hand of `q`'s first player,
// estimated from the first hand's; infinity where none applies.
double exact_hands_seconds(const PreparedQuery& q, const EquityQuery& query);

// Whether no deal fits `part` at all (some player's every hand blocked by the
// board or the others, a known hand holding the next card): the one failure of
// a part that means "leave it out". Called only for parts of a query that was
// itself sound, so a part that cannot even be prepared is one of these.
bool no_deal_fits(const EquityQuery& part);

}  // namespace oddsmith::calc
