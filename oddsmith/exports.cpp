// The library's own exports (oddsmith_*): argument checks and argument order,
// then a call inward. Nothing else lives here; the host application's fixed
// exports (poker_* and the timing loops) are in host/host_exports.cpp.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>

#include "oddsmith.h"
#include "export_text.h"
#include "eval/batch.h"
#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha5.h"
#include "eval/short_deck.h"
#include "analysis/board_filters.h"
#include "analysis/breakdown.h"
#include "analysis/hand_features.h"
#include "analysis/made_hand.h"
#include "calculator/equity_query.h"
#include "calculator/part_runs.h"
#include "calculator/run_budget.h"
#include "calculator/query_text.h"
#include "cards/card_text.h"
#include "range/range_notation.h"

namespace {

// The calculator's game for an ODDSMITH_GAME_* number, or nothing.
std::optional<oddsmith::calc::Game> game_of(int game) {
  const oddsmith::GameRules* rules = oddsmith::game_numbered(game);
  return rules ? std::optional(rules->game) : std::nullopt;
}

void report_error(int column, const std::string& message, int* error_column, char* error, int error_size) {
  if (error_column) *error_column = column;
  if (error && error_size > 0) {
    const std::size_t n = std::min(message.size(), static_cast<std::size_t>(error_size) - 1);
    std::memcpy(error, message.data(), n);
    error[n] = '\0';
  }
}

using oddsmith::exports::write_text;

// A text export's refusal: "" where there is room, and -1.
int refuse_text(char* out, int size) {
  if (out && size > 0) out[0] = '\0';
  return -1;
}

// The text of an argument of `length` bytes (-1: up to a NUL), or nothing.
std::optional<std::string_view> text_argument(const char* text, int length) {
  if (!text || length < -1) return std::nullopt;
  return length < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(length));
}

static_assert(ODDSMITH_MADE_NOTHING == static_cast<int>(oddsmith::MadeHand::nothing) &&
              ODDSMITH_MADE_WEAKER_PAIR == static_cast<int>(oddsmith::MadeHand::weaker_pair) &&
              ODDSMITH_MADE_SECOND_PAIR == static_cast<int>(oddsmith::MadeHand::second_pair) &&
              ODDSMITH_MADE_TOP_PAIR == static_cast<int>(oddsmith::MadeHand::top_pair) &&
              ODDSMITH_MADE_OVERPAIR == static_cast<int>(oddsmith::MadeHand::overpair) &&
              ODDSMITH_MADE_TWO_PAIR == static_cast<int>(oddsmith::MadeHand::two_pair) &&
              ODDSMITH_MADE_TRIPS == static_cast<int>(oddsmith::MadeHand::trips) &&
              ODDSMITH_MADE_SET == static_cast<int>(oddsmith::MadeHand::set) &&
              ODDSMITH_MADE_STRAIGHT == static_cast<int>(oddsmith::MadeHand::straight) &&
              ODDSMITH_MADE_FLUSH == static_cast<int>(oddsmith::MadeHand::flush) &&
              ODDSMITH_MADE_FULL_HOUSE == static_cast<int>(oddsmith::MadeHand::full_house) &&
              ODDSMITH_MADE_QUADS == static_cast<int>(oddsmith::MadeHand::quads) &&
              ODDSMITH_MADE_STRAIGHT_FLUSH == static_cast<int>(oddsmith::MadeHand::straight_flush) &&
              ODDSMITH_MADE_STRAIGHT_FLUSH + 1 == oddsmith::kMadeHandCount);

static_assert(ODDSMITH_DRAW_FLUSH == oddsmith::kFlushDraw && ODDSMITH_DRAW_OPEN_ENDED == oddsmith::kOpenEnded &&
              ODDSMITH_DRAW_GUTSHOT == oddsmith::kGutshot && ODDSMITH_DRAW_WRAP == oddsmith::kWrap &&
              ODDSMITH_DRAW_NUT_FLUSH == oddsmith::kNutFlushDraw &&
              ODDSMITH_DRAW_SECOND_NUT_FLUSH == oddsmith::kSecondNutFlushDraw && ODDSMITH_DRAW_LOW == oddsmith::kLowDraw &&
              ODDSMITH_DRAW_NUT_LOW == oddsmith::kNutLowDraw);

// The C query as the calculator's, or a message saying what is wrong with it
// (`cancelled` set when the progress callback stopped it while ranges were read).
// Callers built against the earlier, smaller query are read up to its size.
struct ProgressCallback {
  oddsmith_progress_fn fn;
  void* user;
};

std::string read_query(const oddsmith_equity_query* query, oddsmith::calc::EquityQuery& q, ProgressCallback& callback,
                       bool& cancelled) {
  namespace calc = oddsmith::calc;
  if (!query) return "no query (a null pointer)";
  constexpr int kFirstQuerySize = offsetof(oddsmith_equity_query, max_seconds);
  if (query->size < kFirstQuerySize) return "the query's or result's size field is not set to its sizeof";
  const bool query_has_bound = query->size >= static_cast<int>(sizeof(oddsmith_equity_query));
  const auto game = game_of(query->game);
  if (!game) return "unknown game " + std::to_string(query->game);
  if (std::string message = calc::player_count_error(*game, query->player_count); !message.empty()) return message;
  if (!query->players) return "no players (a null pointer)";
  if (query->mode < ODDSMITH_MODE_AUTO || query->mode > ODDSMITH_MODE_MONTE_CARLO)
    return "unknown mode " + std::to_string(query->mode);
  std::vector<std::string_view> players;
  for (int p = 0; p < query->player_count; ++p) {
    if (!query->players[p]) return "player " + std::to_string(p + 1) + " has no text (a null pointer)";
    players.emplace_back(query->players[p]);
  }
  q.mode = query->mode == ODDSMITH_MODE_EXACT         ? calc::Mode::exact
           : query->mode == ODDSMITH_MODE_MONTE_CARLO ? calc::Mode::monte_carlo
                                                      : calc::Mode::automatic;
  q.trials = query->trials;
  q.target_stderr = query->target_stderr;
  q.seed = query->seed;
  q.threads = query->threads < 0 ? 1 : query->threads;
  // A bound past 1e9 s (some 31 years), infinity included, counts as 1e9 s.
  q.max_seconds = !query_has_bound ? 0 : query->max_seconds > 1e9 ? 1e9 : query->max_seconds;
  // The bound counts from here: reading large ranges is part of the run.
  if (q.max_seconds >= 0) q.deadline = calc::seconds_from_now(calc::bound_of(q));
  callback = {query->progress, query->progress_user};
  if (query->progress) {
    q.progress = [](double done, void* c) {
      const auto* cb = static_cast<const ProgressCallback*>(c);
      return cb->fn(done, cb->user) != 0;
    };
    q.progress_user = &callback;
  }
  std::string message;
  bool stopped = false;
  if (!calc::query_from_text(*game, players, query->board ? query->board : "", query->dead ? query->dead : "", q,
                             message, q.progress, q.progress_user, &stopped, &oddsmith::parse_range_on_board)) {
    if (stopped) cancelled = true;
    return message;
  }
  return {};
}

}  // namespace

// A breakdown as the exports hand it out.
struct oddsmith_breakdown {
  int players = 0;
  int cards_per_hand = 2;
  bool hilo = false;
  oddsmith::Breakdown breakdown;
};

struct oddsmith_range {
  oddsmith::Range range;
};

extern "C" {

ODDSMITH_API int oddsmith_evaluate_many(const int* cards, long long count, int cards_per_hand, int* values) {
  if (!cards || !values || count < 0 || (cards_per_hand != 5 && cards_per_hand != 7)) return -1;
  const auto n = static_cast<std::size_t>(count);
  if (cards_per_hand == 5)
    oddsmith::eval_batch_checked<oddsmith::BatchGame::holdem, 5>(cards, n, values);
  else
    oddsmith::eval_batch_checked<oddsmith::BatchGame::holdem, 7>(cards, n, values);
  return 0;
}

ODDSMITH_API int oddsmith_evaluate_game_many(const int* cards, long long count, int game, int cards_per_hand,
                                             int* values) {
  if (!cards || !values || count < 0) return -1;
  // Omaha hands: the hole cards, then the five board cards.
  if (game == ODDSMITH_GAME_OMAHA && cards_per_hand == 9) {
    for (long long i = 0; i < count; ++i, cards += 9)
      values[i] = oddsmith::eval_omaha_high_checked(cards[0], cards[1], cards[2], cards[3], cards[4], cards[5], cards[6],
                                                    cards[7], cards[8]);
    return 0;
  }
  if (game == ODDSMITH_GAME_OMAHA5 && cards_per_hand == 10) {
    for (long long i = 0; i < count; ++i, cards += 10) values[i] = oddsmith::eval_omaha5_high_checked(cards, cards + 5);
    return 0;
  }
  if (cards_per_hand < 5 || cards_per_hand > 7) return -1;
  const auto n = static_cast<std::size_t>(count);
  if (game == ODDSMITH_GAME_HOLDEM && cards_per_hand != 6) return oddsmith_evaluate_many(cards, count, cards_per_hand, values);
  if (game == ODDSMITH_GAME_SHORTDECK && cards_per_hand == 7) {
    oddsmith::eval_batch_checked<oddsmith::BatchGame::shortdeck, 7>(cards, n, values);
    return 0;
  }
  if (game == ODDSMITH_GAME_HOLDEM) {
    // Six cards: the best five of them, 0 when any of the six is refused.
    for (long long i = 0; i < count; ++i, cards += 6) values[i] = oddsmith::eval6_checked(cards);
    return 0;
  }
  if (game == ODDSMITH_GAME_SHORTDECK) {
    for (long long i = 0; i < count; ++i, cards += cards_per_hand)
      values[i] = oddsmith::eval_shortdeck_checked(cards, cards_per_hand);
    return 0;
  }
  return -1;
}

ODDSMITH_API int oddsmith_parse_cards(const char* text, int length, int* cards, int max_cards, char* error,
                                      int error_size) {
  const std::optional<std::string_view> view = text_argument(text, length);
  if (!view || max_cards < 0 || (!cards && max_cards > 0)) {
    report_error(0, !view ? "no text (a null pointer) or a length below -1" : "no room for the cards (max_cards or cards)",
                 nullptr, error, error_size);
    return -1;
  }
  try {
    std::string message;
    const std::optional<std::size_t> count =
        oddsmith::read_card_list(*view, std::span(cards, static_cast<std::size_t>(cards ? max_cards : 0)), message);
    if (!count) {
      report_error(0, message, nullptr, error, error_size);
      return -1;
    }
    if (*count > INT_MAX) {
      report_error(0, "more cards than an int counts", nullptr, error, error_size);
      return -1;
    }
    if (error && error_size > 0) error[0] = '\0';
    return static_cast<int>(*count);
  } catch (...) {
    report_error(0, "out of memory", nullptr, error, error_size);
    return -1;
  }
}

ODDSMITH_API int oddsmith_card_name(int card, char out[3]) {
  if (!out) return -1;
  if (!oddsmith::is_card(card)) return refuse_text(out, 3);
  const char name[2] = {oddsmith::kRankChars[oddsmith::card_rank(card)], oddsmith::kSuitChars[oddsmith::card_suit(card)]};
  return write_text(std::string_view(name, 2), out, 3);
}

ODDSMITH_API int oddsmith_hand_text(const int* cards, int count, char* out, int size) {
  if (count < 0 || count > oddsmith::kDeckSize || (!cards && count > 0)) return refuse_text(out, size);
  int sorted[oddsmith::kDeckSize];
  for (int i = 0; i < count; ++i) {
    if (!oddsmith::is_card(cards[i])) return refuse_text(out, size);
    sorted[i] = cards[i];
  }
  std::sort(sorted, sorted + count, [](int a, int b) { return a > b; });
  std::array<char, std::size_t{2} * oddsmith::kDeckSize> text{};
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    text[2 * i] = oddsmith::kRankChars[oddsmith::card_rank(sorted[i])];
    text[2 * i + 1] = oddsmith::kSuitChars[oddsmith::card_suit(sorted[i])];
  }
  return write_text(std::string_view(text.data(), 2 * static_cast<std::size_t>(count)), out, size);
}

ODDSMITH_API int oddsmith_category_name(int game, int hand_value, char* out, int size) {
  const oddsmith::GameRules* rules = oddsmith::game_numbered(game);
  if (!rules) return refuse_text(out, size);
  const bool short_deck = rules->hands == oddsmith::HandKind::shortdeck;
  const int worst = short_deck ? ODDSMITH_SHORTDECK_WORST_HAND : ODDSMITH_WORST_HAND;
  if (hand_value < ODDSMITH_BEST_HAND || hand_value > worst) return refuse_text(out, size);
  return write_text(oddsmith::category_name(oddsmith::category_of(hand_value, short_deck)), out, size);
}

ODDSMITH_API int oddsmith_low_name(int low_value, char* out, int size) {
  try {
    const std::optional<std::string> name = oddsmith::low_name(low_value);
    return name ? write_text(*name, out, size) : refuse_text(out, size);
  } catch (...) {
    return refuse_text(out, size);
  }
}

ODDSMITH_API int oddsmith_draw_names(int draws, char* out, int size) {
  constexpr int kAllDraws = ODDSMITH_DRAW_FLUSH | ODDSMITH_DRAW_OPEN_ENDED | ODDSMITH_DRAW_GUTSHOT | ODDSMITH_DRAW_WRAP |
                            ODDSMITH_DRAW_NUT_FLUSH | ODDSMITH_DRAW_SECOND_NUT_FLUSH | ODDSMITH_DRAW_LOW |
                            ODDSMITH_DRAW_NUT_LOW;
  if (draws < 0 || (draws & ~kAllDraws)) return refuse_text(out, size);
  try {
    return write_text(oddsmith::draw_names(static_cast<unsigned>(draws), ", "), out, size);
  } catch (...) {
    return refuse_text(out, size);
  }
}

ODDSMITH_API int oddsmith_shown_text(const char* text, int length, char* out, int size) {
  const std::optional<std::string_view> view = text_argument(text, length);
  if (!view) return refuse_text(out, size);
  // Escaped a character at a time, so that a cut falls between whole pieces.
  std::size_t whole = 0, written = 0;
  const std::size_t room = out && size > 0 ? static_cast<std::size_t>(size) - 1 : 0;
  bool cut = false;
  try {
    for (std::size_t i = 0; i < view->size();) {
      const std::size_t length_here = oddsmith::character_length(*view, i);
      const std::string piece = oddsmith::shown_text(view->substr(i, length_here));
      if (!cut && written + piece.size() <= room) {
        std::memcpy(out + written, piece.data(), piece.size());
        written += piece.size();
      } else {
        cut = true;
      }
      whole += piece.size();
      i += length_here;
    }
  } catch (...) {
    return refuse_text(out, size);
  }
  if (out && size > 0) out[written] = '\0';
  return static_cast<int>(std::min<std::size_t>(whole, INT_MAX));
}

ODDSMITH_API oddsmith_range* oddsmith_range_parse(const char* text, int length, int game, int* error_column,
                                                  char* error, int error_size) {
  const auto known_game = game_of(game);
  if (!known_game) {
    report_error(0,
                 "unknown game " + std::to_string(game) +
                     ": expected 0 (Hold'em), 1 (Omaha), 2 (Omaha Hi/Lo), 3 (short deck), 4 (five-card Omaha) or 5 "
                     "(five-card Omaha Hi/Lo)",
                 error_column, error, error_size);
    return nullptr;
  }
  if (!text) {
    report_error(0, "no text (a null pointer)", error_column, error, error_size);
    return nullptr;
  }
  try {
    const std::string_view view = length < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(length));
    oddsmith::RangeParse parsed = oddsmith::parse_range(view, oddsmith::calc::range_game(*known_game));
    if (!parsed.range) {
      report_error(parsed.error.column, parsed.error.message, error_column, error, error_size);
      return nullptr;
    }
    return new oddsmith_range{std::move(*parsed.range)};
  } catch (...) {
    report_error(0, "out of memory", error_column, error, error_size);
    return nullptr;
  }
}

ODDSMITH_API oddsmith_range* oddsmith_range_parse_board(const char* text, int length, int game, const char* board,
                                                        int* error_column, char* error, int error_size) {
  const auto known_game = game_of(game);
  if (!known_game || !text) {
    report_error(0, !text ? "no text (a null pointer)" : "unknown game " + std::to_string(game), error_column, error,
                 error_size);
    return nullptr;
  }
  try {
    std::vector<int> cards;
    std::string message;
    if (!oddsmith::parse_card_list(board ? board : "", cards, message)) {
      report_error(0, "board: " + message, error_column, error, error_size);
      return nullptr;
    }
    const oddsmith::RangeGame range_game = oddsmith::calc::range_game(*known_game);
    oddsmith::CardMask board_mask = 0;
    for (int c : cards) {
      if (cards.size() > 5 || (board_mask & oddsmith::card_bit(c)) ||
          (range_game == oddsmith::RangeGame::shortdeck && c < oddsmith::kShortDeckLowestCard)) {
        report_error(0,
                     cards.size() > 5 ? "board: at most 5 cards, got " + std::to_string(cards.size())
                     : board_mask & oddsmith::card_bit(c)
                         ? "board: card " + oddsmith::card_name(c) + " is on the board twice"
                         : "board: card " + oddsmith::card_name(c) + " is not in the short deck (sixes to aces)",
                     error_column, error, error_size);
        return nullptr;
      }
      board_mask |= oddsmith::card_bit(c);
    }
    const std::string_view view = length < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(length));
    oddsmith::RangeParse parsed = oddsmith::parse_range_on_board(view, range_game, cards);
    if (!parsed.range) {
      report_error(parsed.error.column, parsed.error.message, error_column, error, error_size);
      return nullptr;
    }
    oddsmith::Range left = parsed.range->without(board_mask);
    if (left.empty()) {
      report_error(0, "no hand of the range is left beside the board", error_column, error, error_size);
      return nullptr;
    }
    return new oddsmith_range{std::move(left)};
  } catch (...) {
    report_error(0, "out of memory", error_column, error, error_size);
    return nullptr;
  }
}

ODDSMITH_API int oddsmith_made_hand(int game, const int* hole, int hole_count, const int* board, int board_count,
                                    int* draws) {
  const oddsmith::GameRules* rules = oddsmith::game_numbered(game);
  if (!rules || !hole || !board || hole_count != rules->hole_cards || board_count < 3 || board_count > 5) return -1;
  const bool short_deck = rules->hands == oddsmith::HandKind::shortdeck;
  oddsmith::CardMask seen = 0;
  for (const auto& [cards, count] : {std::pair{hole, hole_count}, std::pair{board, board_count}})
    for (int i = 0; i < count; ++i)
      if (!oddsmith::take_card(seen, cards[i]) || (short_deck && cards[i] < oddsmith::kShortDeckLowestCard)) return -1;
  const std::span<const int> hole_cards(hole, static_cast<std::size_t>(hole_count));
  const std::span<const int> board_cards(board, static_cast<std::size_t>(board_count));
  if (draws) *draws = static_cast<int>(oddsmith::hand_features(hole_cards, board_cards, short_deck).draws);
  return static_cast<int>(oddsmith::made_hand(hole_cards, board_cards, short_deck));
}

ODDSMITH_API int oddsmith_made_hand_name(int made, char* out, int size) {
  if (made < 0 || made >= oddsmith::kMadeHandCount) return refuse_text(out, size);
  return write_text(oddsmith::made_hand_name(static_cast<oddsmith::MadeHand>(made)), out, size);
}

ODDSMITH_API int oddsmith_range_size(const oddsmith_range* range) {
  return range ? static_cast<int>(range->range.size()) : 0;
}

ODDSMITH_API int oddsmith_range_hand(const oddsmith_range* range, int index, int cards[5], double* weight) {
  if (!range || index < 0 || static_cast<std::size_t>(index) >= range->range.size()) return 0;
  const oddsmith::RangeHand& hand = range->range[static_cast<std::size_t>(index)];
  const int n = range->range.cards_per_hand();
  if (cards)
    for (int i = 0; i < n; ++i) cards[i] = hand.cards[static_cast<std::size_t>(i)];
  if (weight) *weight = hand.weight;
  return n;
}

ODDSMITH_API void oddsmith_range_free(oddsmith_range* range) { delete range; }

ODDSMITH_API int oddsmith_game_info(int game, const char* name, oddsmith_game_facts* facts) {
  const oddsmith::GameRules* rules = name ? oddsmith::game_named(name) : oddsmith::game_numbered(game);
  if (!rules || (facts && facts->size < static_cast<int>(sizeof *facts))) return -1;
  if (facts) {
    const auto copy = [](std::string_view text, char* out, std::size_t size) {
      const std::size_t n = std::min(text.size(), size - 1);
      std::memcpy(out, text.data(), n);
      out[n] = '\0';
    };
    facts->game = static_cast<int>(rules->game);
    copy(rules->name, facts->name, sizeof facts->name);
    copy(rules->alias, facts->alias, sizeof facts->alias);
    copy(rules->title, facts->title, sizeof facts->title);
    facts->hole_cards = rules->hole_cards;
    facts->board_cards = 5;
    facts->deck_size = oddsmith::kDeckSize - rules->lowest_card;
    facts->lowest_card = rules->lowest_card;
    facts->max_players = rules->max_players;
    facts->hilo = rules->hilo ? 1 : 0;
    facts->starting_hands = rules->starting_hands;
  }
  return static_cast<int>(rules->game);
}

ODDSMITH_API int oddsmith_equity(const oddsmith_equity_query* query, oddsmith_equity_result* result, char* error,
                                 int error_size) {
  namespace calc = oddsmith::calc;
  auto refuse = [&](calc::Status status, const std::string& message) {
    report_error(0, message, nullptr, error, error_size);
    return static_cast<int>(status);
  };
  if (!query || !result) return refuse(calc::Status::bad_query, "no query or no result (a null pointer)");
  // Callers built against the earlier, smaller result: its fields are written,
  // the later ones left alone.
  constexpr int kFirstResultSize = offsetof(oddsmith_equity_result, target_met);
  if (result->size < kFirstResultSize)
    return refuse(calc::Status::bad_query, "the query's or result's size field is not set to its sizeof");
  const bool result_has_target = result->size >= static_cast<int>(offsetof(oddsmith_equity_result, low_equity));
  const bool result_has_low = result->size >= static_cast<int>(sizeof(oddsmith_equity_result));
  try {
    calc::EquityQuery q;
    ProgressCallback callback{};
    bool cancelled = false;
    if (std::string message = read_query(query, q, callback, cancelled); !message.empty())
      return refuse(cancelled ? calc::Status::cancelled : calc::Status::bad_query, message);
    const calc::EquityOutcome out = calc::compute_equity(q);
    if (!out.has_result()) return refuse(out.status, out.error);
    result->exact = out.exact ? 1 : 0;
    result->deals = out.deals;
    result->seconds = out.seconds;
    result->seed = out.seed;
    result->player_count = static_cast<int>(out.players.size());
    for (std::size_t p = 0; p < out.players.size(); ++p)
      result->players[p] = {out.players[p].equity, out.players[p].win, out.players[p].tie, out.players[p].std_error};
    if (result_has_target) result->target_met = out.target_met ? 1 : 0;
    if (result_has_low)
      for (std::size_t p = 0; p < out.players.size(); ++p) result->low_equity[p] = out.players[p].low_equity;
    if (out.status != calc::Status::ok) return refuse(out.status, out.error);
    return ODDSMITH_STATUS_OK;
  } catch (...) {
    return refuse(calc::Status::no_memory, "out of memory");
  }
}

ODDSMITH_API oddsmith_breakdown* oddsmith_breakdown_run(const oddsmith_equity_query* query, int* status, char* error,
                                                        int error_size) {
  namespace calc = oddsmith::calc;
  auto refuse = [&](calc::Status why, const std::string& message) -> oddsmith_breakdown* {
    report_error(0, message, nullptr, error, error_size);
    if (status) *status = static_cast<int>(why);
    return nullptr;
  };
  try {
    calc::EquityQuery q;
    ProgressCallback callback{};
    bool cancelled = false;
    if (std::string message = read_query(query, q, callback, cancelled); !message.empty())
      return refuse(cancelled ? calc::Status::cancelled : calc::Status::bad_query, message);
    auto out = std::make_unique<oddsmith_breakdown>();
    out->players = static_cast<int>(q.players.size());
    out->cards_per_hand = calc::cards_per_hand(q.game);
    out->hilo = calc::is_hilo(q.game);
    out->breakdown = oddsmith::compute_breakdown(q);
    if (!out->breakdown.has_result()) return refuse(out->breakdown.status, out->breakdown.error);
    // Short of its target or trials: the handle holds every part, and the
    // status and message say what fell short, as oddsmith_equity's do.
    if (out->breakdown.status != calc::Status::ok) report_error(0, out->breakdown.error, nullptr, error, error_size);
    if (status) *status = static_cast<int>(out->breakdown.status);
    return out.release();
  } catch (...) {
    return refuse(calc::Status::no_memory, "out of memory");
  }
}

ODDSMITH_API void oddsmith_breakdown_free(oddsmith_breakdown* b) { delete b; }

ODDSMITH_API int oddsmith_breakdown_summary(const oddsmith_breakdown* b, int* exact, long long* deals,
                                            unsigned long long* seed) {
  if (!b) return 0;
  if (exact) *exact = b->breakdown.exact ? 1 : 0;
  if (deals) *deals = b->breakdown.deals;
  if (seed) *seed = b->breakdown.seed;
  return b->players;
}

ODDSMITH_API int oddsmith_breakdown_hand_count(const oddsmith_breakdown* b) {
  return b ? static_cast<int>(b->breakdown.hands.size()) : 0;
}

ODDSMITH_API int oddsmith_breakdown_hand(const oddsmith_breakdown* b, int index, int cards[5], double* weight,
                                         double* equity, int* value, int* draws) {
  if (!b || index < 0 || static_cast<std::size_t>(index) >= b->breakdown.hands.size()) return 0;
  const oddsmith::BreakdownHand& h = b->breakdown.hands[static_cast<std::size_t>(index)];
  const int n = b->cards_per_hand;
  if (cards)
    for (int i = 0; i < n; ++i) cards[i] = h.hand.cards[static_cast<std::size_t>(i)];
  if (weight) *weight = h.hand.weight;
  if (equity) *equity = h.equity;
  if (value) *value = h.features.value;
  if (draws) *draws = static_cast<int>(h.features.draws);
  return n;
}

ODDSMITH_API int oddsmith_breakdown_hand_labels(const oddsmith_breakdown* b, int index, char* made, int made_size,
                                                char* draws, int draws_size, char* low, int low_size) {
  if (!b || index < 0 || static_cast<std::size_t>(index) >= b->breakdown.hands.size()) return 0;
  const oddsmith::BreakdownHand& h = b->breakdown.hands[static_cast<std::size_t>(index)];
  try {
    report_error(0, h.features.value == 0 ? "" : oddsmith::made_hand_name(h.made), nullptr, made, made_size);
    report_error(0, oddsmith::draw_names(h.features.draws, ", "), nullptr, draws, draws_size);
    report_error(0, b->hilo && h.features.low != oddsmith::LowKind::none ? oddsmith::low_kind_name(h.features.low) : "",
                 nullptr, low, low_size);
  } catch (...) {
    return 0;
  }
  return 1;
}

ODDSMITH_API int oddsmith_breakdown_row(const oddsmith_breakdown* b, int table, int index, char* name, int name_size,
                                        double* combos, double* share, double* equity) {
  if (!b || table < ODDSMITH_BREAKDOWN_CATEGORIES || table > ODDSMITH_BREAKDOWN_LOWS) return 0;
  const auto& rows = table == ODDSMITH_BREAKDOWN_CATEGORIES ? b->breakdown.categories
                     : table == ODDSMITH_BREAKDOWN_DRAWS    ? b->breakdown.draws
                                                            : b->breakdown.lows;
  if (index < 0 || static_cast<std::size_t>(index) >= rows.size()) return 0;
  const oddsmith::BreakdownRow& row = rows[static_cast<std::size_t>(index)];
  report_error(0, row.name, nullptr, name, name_size);
  if (combos) *combos = row.combos;
  if (share) *share = row.share;
  if (equity) *equity = row.equity;
  return 1;
}

ODDSMITH_API int oddsmith_breakdown_next_card_completes(const oddsmith_breakdown* b, int index, double* flush,
                                                        double* straight, double* low) {
  if (!b || index < 0 || static_cast<std::size_t>(index) >= b->breakdown.next_cards.size()) return 0;
  const oddsmith::NextCard& next = b->breakdown.next_cards[static_cast<std::size_t>(index)];
  if (flush) *flush = next.flush;
  if (straight) *straight = next.straight;
  if (low) *low = next.low;
  return 1;
}

ODDSMITH_API int oddsmith_breakdown_next_card_count(const oddsmith_breakdown* b) {
  return b ? static_cast<int>(b->breakdown.next_cards.size()) : 0;
}

ODDSMITH_API int oddsmith_breakdown_next_card(const oddsmith_breakdown* b, int index, int* card, double* equities) {
  if (!b || index < 0 || static_cast<std::size_t>(index) >= b->breakdown.next_cards.size()) return 0;
  const oddsmith::NextCard& next = b->breakdown.next_cards[static_cast<std::size_t>(index)];
  if (card) *card = next.card;
  if (equities)
    for (std::size_t p = 0; p < next.equities.size(); ++p) equities[p] = next.equities[p];
  return 1;
}

}  // extern "C"
