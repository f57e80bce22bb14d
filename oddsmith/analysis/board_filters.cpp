#include "analysis/board_filters.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "analysis/hand_features.h"
#include "analysis/made_hand.h"
#include "cards/binomial.h"
#include "cards/card.h"
#include "cards/card_text.h"

namespace oddsmith {

namespace {

// Five-card evaluations one text may cost: every sensible filter on every
// range is far below it (a flop draw filter on all Omaha hands is near it),
// and reaching it takes about a second.
constexpr double kWorkBudget = 400e6;

struct DrawName {
  std::string_view name;
  unsigned bit;
};
constexpr DrawName kDrawNames[] = {{"flushdraw", kFlushDraw}, {"oesd", kOpenEnded}, {"gutshot", kGutshot}};
constexpr std::string_view kPairName = "pair";

struct Filter {
  std::optional<MadeHand> made;  // a made hand; with neither made nor draw: any pair
  unsigned draw = 0;
  bool or_better = false;
  bool remove = false;
};

RangeParse failed(int column, std::string message) { return {std::nullopt, {column, std::move(message)}, {}, 0}; }

// A term as a filter, or the message saying what is wrong with it.
std::optional<Filter> filter_of(const BoardFilterTerm& term, std::string& error, int& column) {
  Filter f{std::nullopt, 0, term.or_better, term.remove};
  column = term.column;
  if (auto made = made_hand_of_token(term.name)) {
    f.made = made;
    return f;
  }
  if (term.name == kPairName) return f;
  for (const DrawName& d : kDrawNames) {
    if (term.name != d.name) continue;
    if (term.or_better) {
      column = term.column + static_cast<int>(term.name.size());
      error = "a draw takes no '+': draws are not ranked (" + term.name + ")";
      return std::nullopt;
    }
    f.draw = d.bit;
    return f;
  }
  error = "unknown board filter '" + shown_text(term.name) + "': the filters are " + board_filter_names() +
          " ('+' after a made hand: it or better; '!' before any: not it)";
  return std::nullopt;
}

// Cards of one hand valued for each way it can play on `board_cards`.
double fives_per_hand(int hole_cards, int board_cards) {
  if (hole_cards == 2) return static_cast<double>(binomial(2 + board_cards, 5));
  return static_cast<double>(binomial(hole_cards, 2) * binomial(board_cards, 3));
}

}  // namespace

std::string board_filter_names() {
  std::string out;
  for (int m = 0; m < kMadeHandCount; ++m) out += std::string(made_hand_token(static_cast<MadeHand>(m))) + ", ";
  out += kPairName;
  for (const DrawName& d : kDrawNames) out += ", " + std::string(d.name);
  return out;
}

RangeParse parse_range_on_board(std::string_view text, RangeGame game, std::span<const int> board) {
  RangeParse parsed = parse_range(text, game, BoardFilters::kept);
  if (!parsed.range || parsed.filters.empty()) return parsed;
  std::vector<Filter> filters;
  bool draws_wanted = false;
  for (const BoardFilterTerm& term : parsed.filters) {
    std::string error;
    int column = 0;
    const std::optional<Filter> f = filter_of(term, error, column);
    if (!f) return failed(column, std::move(error));
    draws_wanted = draws_wanted || f->draw;
    filters.push_back(*f);
  }
  const int where = parsed.where_column;
  if (board.empty()) return failed(where, "'where' filters the range on the board, but no board was given");
  if (board.size() < 3 || board.size() > 5)
    return failed(where, "board filters need a flop, turn or river (3 to 5 cards), the board has " +
                             std::to_string(board.size()));
  const bool short_deck = game == RangeGame::shortdeck;
  CardMask board_mask = 0;
  for (int c : board) {
    if (!is_card(c) || (board_mask & card_bit(c)))
      return failed(where, "board filters need a board of distinct cards");
    if (short_deck && c < kShortDeckLowestCard)
      return failed(where, "card " + card_name(c) + " on the board is not in the short deck (sixes to aces)");
    board_mask |= card_bit(c);
  }
  if (draws_wanted && board.size() == 5) {
    const auto draw = std::find_if(filters.begin(), filters.end(), [](const Filter& f) { return f.draw != 0; });
    return failed(parsed.filters[static_cast<std::size_t>(draw - filters.begin())].column,
                  "draws need a flop or turn: the board is a river (5 cards)");
  }
  const Range& range = *parsed.range;
  const int hole_cards = range.cards_per_hand();
  const int board_cards = static_cast<int>(board.size());
  // Draws value every card that can come next with one more board card.
  const double work = static_cast<double>(range.size()) *
                      (fives_per_hand(hole_cards, board_cards) +
                       (draws_wanted ? (kDeckSize - hole_cards - board_cards) * fives_per_hand(hole_cards, board_cards + 1) : 0));
  if (work > kWorkBudget)
    return failed(where, "the board filters would value too many hands (" + std::to_string(range.size()) +
                             " hands" + std::string(draws_wanted ? ", with their draws" : "") +
                             "): name fewer hands, or filter on made hands only");

  const bool any_kept = std::any_of(filters.begin(), filters.end(), [](const Filter& f) { return !f.remove; });
  RangeBuilder builder(hole_cards);
  for (const RangeHand& hand : range.hands()) {
    if (hand.mask & board_mask) continue;
    std::array<int, kMaxRangeCards> hole{};
    std::copy_n(hand.cards.begin(), hole_cards, hole.begin());
    const std::span<const int> cards(hole.data(), static_cast<std::size_t>(hole_cards));
    // Each found once, and only when a filter asks for it: draws try every next card.
    std::optional<MadeHand> made;
    std::optional<unsigned> draws;
    const auto passes = [&](const Filter& f) {
      if (f.draw) {
        if (!draws) draws = hand_features(cards, board, short_deck).draws;
        return (*draws & f.draw) != 0;
      }
      if (!made) made = made_hand(cards, board, short_deck);
      if (!f.made) return f.or_better ? made_hand_strength(*made, short_deck) >= made_hand_strength(MadeHand::weaker_pair, short_deck)
                                      : is_pair(*made);
      return f.or_better ? made_hand_strength(*made, short_deck) >= made_hand_strength(*f.made, short_deck) : *made == *f.made;
    };
    bool keep = !any_kept;
    for (const Filter& f : filters)
      if (!f.remove && !keep && passes(f)) keep = true;
    for (const Filter& f : filters)
      if (f.remove && keep && passes(f)) keep = false;
    if (keep) builder.add_ascending(hand.cards, hand.weight);
  }
  Range kept = std::move(builder).finish();
  if (kept.empty()) return failed(where, "no hand of the range passes the board filters on this board");
  return {std::move(kept), {}, {}, 0};
}

}  // namespace oddsmith
