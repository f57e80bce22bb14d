#include "calculator/query_text.h"

#include <algorithm>

#include "cards/card_text.h"
#include "range/range_notation.h"

namespace oddsmith::calc {

bool query_from_text(Game game, const std::vector<std::string_view>& players, std::string_view board,
                     std::string_view dead, EquityQuery& query, std::string& error, ProgressFn progress, void* user,
                     bool* cancelled, RangeReader read) {
  query.game = game;
  query.players.clear();
  // The board first: board filters in the ranges are read against it.
  query.board.clear();
  if (!parse_card_list(board, query.board, error)) {
    error = "board: " + error;
    return false;
  }
  for (std::size_t p = 0; p < players.size(); ++p) {
    // A text given before (several "random" opponents) is copied, not parsed
    // again: a five-card Omaha "random" is 2,598,960 hands.
    const auto same = std::find(players.begin(), players.begin() + static_cast<std::ptrdiff_t>(p), players[p]);
    if (same != players.begin() + static_cast<std::ptrdiff_t>(p)) {
      Range copy = query.players[static_cast<std::size_t>(same - players.begin())];
      query.players.push_back(std::move(copy));
      continue;
    }
    if (progress && progress(0.0, user)) {
      if (cancelled) *cancelled = true;
      error = "cancelled";
      return false;
    }
    RangeParse parsed = read ? read(players[p], range_game(game), query.board) : parse_range(players[p], range_game(game));
    if (!parsed.range) {
      error = "player " + std::to_string(p + 1) + " ('" + shown_text(players[p]) + "'), column " +
              std::to_string(parsed.error.column) + ": " + parsed.error.message;
      return false;
    }
    query.players.push_back(std::move(*parsed.range));
  }
  std::vector<int> dead_cards;
  if (!parse_card_list(dead, dead_cards, error)) {
    error = "dead cards: " + error;
    return false;
  }
  query.dead = 0;
  for (int c : dead_cards) {
    if (query.dead & card_bit(c)) {
      error = "card " + card_name(c) + " is dead twice";
      return false;
    }
    query.dead |= card_bit(c);
  }
  return true;
}

}  // namespace oddsmith::calc
