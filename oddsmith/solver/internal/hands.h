// The solver's hands and the showdown machinery: each player's hands beside
// the starting board and dead cards, their strengths on a river board sorted
// once per board, and the sweeps that value a showdown, a fold or an all-in
// runout in time linear in the two ranges, taking out the opponent's hands
// that share a card through per-card sums (two-card games) or per-subset sums
// (four- and five-card games: omaha_hands.cpp, internal/card_removal.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cards/card.h"
#include "games/game_rules.h"
#include "range/range.h"
#include "solver/internal/card_removal.h"

namespace oddsmith::solver {

// One player's hands, as parallel arrays (the walk reads them in tight loops).
struct HandSet {
  int hole_cards = 2;
  std::vector<std::uint8_t> lo, hi;  // two-card games: the two cards, lo < hi
  std::vector<std::array<std::uint8_t, 5>> holes;  // every game: the cards ascending (the first hole_cards)
  std::vector<CardMask> mask;
  std::vector<float> weight;         // range weight
  std::vector<std::int32_t> same;    // the other player's identical hand, or -1
  std::array<std::vector<std::uint16_t>, kDeckSize> with_card;  // hands holding each card
  SubsetIds subsets;  // four- and five-card games: card removal by inclusion-exclusion
  int size() const { return static_cast<int>(mask.size()); }
};

// The hands of both players on one river board, ordered by strength, and for
// each hand where it stands in the other's order: a showdown is then prefix
// sums of the other's reach in that order, overall and per card.
struct RiverTable {
  struct Entry {
    std::int32_t strength;  // higher is stronger
    std::uint16_t hand;
    std::uint8_t lo, hi;
  };
  std::array<std::vector<Entry>, 2> sorted;  // ascending strength; hands the board blocks left out
  // Per player, its sorted hands' positions listed card by card (ascending
  // within a card): card c's are card_pos[card_start[c] .. card_start[c + 1]).
  // Its per-card prefix sums then sit at card_start[c] + c .. card_start[c + 1] + c.
  std::array<std::vector<std::uint16_t>, 2> card_pos;
  std::array<std::array<std::uint16_t, kDeckSize + 1>, 2> card_start{};
  // Per player, each of its hands against the other's order: how many of the
  // other's hands are weaker (below) and no stronger (upto); the matching
  // places in the other's per-card prefix sums for each of its two cards, up
  // to below, up to upto and to the card's end; and the identical hand's
  // position in the other's order (the order's length where there is none).
  struct Place {
    std::uint16_t hand, below, upto, same;
    std::uint16_t lo_below, lo_upto, lo_end, hi_below, hi_upto, hi_end;
  };
  std::array<std::vector<Place>, 2> places;
};

// Strength of two hole cards with five board cards: higher is stronger.
std::int32_t hand_strength(Game game, const int* board5, int lo, int hi);

// Both players' hands from the spot's ranges, less those holding a card of
// `blocked`, with their identical hands and card-removal slots. False with
// `error` where a range holds the wrong number of cards, no hand, or too many.
bool make_hand_sets(Game game, const std::array<Range, 2>& ranges, CardMask blocked, std::array<HandSet, 2>& out,
                    std::string& error);

// The river table of a board; four- and five-card games keep `sorted` alone.
RiverTable make_river_table(Game game, CardMask board, const std::array<HandSet, 2>& hands);
// Bytes a river table takes, for the memory estimate.
std::size_t river_table_bytes(const std::array<HandSet, 2>& hands);

// Floats of scratch space the showdown and fold values take against `theirs`.
std::size_t terminal_scratch(const HandSet& theirs);

// Values of the player `me` against the reach of the other (`them`) at a
// showdown on this table: out[h] = win * (reach of hands it beats) + lose *
// (reach of hands that beat it) + tie * (reach of hands it ties), hands sharing
// a card with h left out; hands the board blocks get 0.
// `scratch`: room for terminal_scratch(theirs) floats.
void showdown_values(const RiverTable& table, int me, const HandSet& mine, const HandSet& theirs, const float* reach,
                     float* out, double win, double lose, double tie, float* scratch);

// out[h] = value * (reach of the other's hands that share no card with h).
// Four- and five-card games use `scratch` (terminal_scratch(theirs) floats),
// or space of their own where it is null.
void compatible_values(const HandSet& mine, const HandSet& theirs, const float* reach, float* out, double value,
                       float* scratch = nullptr);

// The same for four- and five-card hands (omaha_hands.cpp).
RiverTable make_subset_river_table(Game game, CardMask board, const std::array<HandSet, 2>& hands);
void subset_showdown_values(const RiverTable& table, int me, const HandSet& mine, const HandSet& theirs,
                            const float* reach, float* out, double win, double lose, double tie, float* scratch);
void subset_compatible_values(const HandSet& mine, const HandSet& theirs, const float* reach, float* out, double value,
                              float* scratch);

}  // namespace oddsmith::solver
