// range: what a range holds: its hands, their share of all hands, for Hold'em
// and short deck a 13 x 13 chart of the hand classes (pairs on the diagonal,
// suited above it, offsuit below), and on a board (--board) what the hands
// make and draw to there, after the range's board filters ("where ...").
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "card_text.h"
#include "command_line.h"
#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"
#include "range_svg.h"

namespace cli {

namespace {

// Hands listed in the text output without --all.
constexpr int kHandsShown = 50;

std::string made_hand_name(int made) {
  char name[64] = "";
  oddsmith_made_hand_name(made, name, static_cast<int>(sizeof name));
  return name;
}

// One row of a summary on the board: the hands of a made hand or draw.
struct Row {
  std::string name;
  int hands = 0;
  double weight = 0;
};

// The hands of the range, what each makes on the board and draws to.
struct Listing {
  std::vector<std::string> hands;
  std::vector<double> weights;
  int in_class[13][13] = {};
  double total_weight = 0;
  std::vector<Row> made;   // strongest first, only those held
  std::vector<Row> draws;  // each draw the hands hold, then no draw; flop and turn only
};

Listing list_range(const oddsmith_range* range, const oddsmith_game_facts& game, const std::vector<int>& board) {
  Listing out;
  const int size = oddsmith_range_size(range);
  const bool two_cards = game.hole_cards == 2;
  const bool drawing = board.size() == 3 || board.size() == 4;
  std::vector<Row> by_made(ODDSMITH_MADE_STRAIGHT_FLUSH + 1);
  // One row per draw, in the library's order and words (a hand with two draws
  // counts in both), then the hands with none.
  std::vector<Row> by_draw;
  for (int draws : {ODDSMITH_DRAW_FLUSH | ODDSMITH_DRAW_NUT_FLUSH, ODDSMITH_DRAW_FLUSH | ODDSMITH_DRAW_SECOND_NUT_FLUSH,
                    ODDSMITH_DRAW_FLUSH, ODDSMITH_DRAW_WRAP, ODDSMITH_DRAW_OPEN_ENDED, ODDSMITH_DRAW_GUTSHOT,
                    ODDSMITH_DRAW_LOW | ODDSMITH_DRAW_NUT_LOW, ODDSMITH_DRAW_LOW})
    by_draw.push_back({draw_names(draws).front(), 0, 0});
  by_draw.push_back({"no draw", 0, 0});
  for (int i = 0; i < size; ++i) {
    int cards[5] = {};
    double weight = 0;
    const int n = oddsmith_range_hand(range, i, cards, &weight);
    out.total_weight += weight;
    out.hands.push_back(hand_text(cards, n));
    out.weights.push_back(weight);
    if (two_cards) {
      int row, col;
      class_cell(cards, row, col);
      ++out.in_class[row][col];
    }
    if (board.size() < 3) continue;
    int draws = 0;
    const int made = oddsmith_made_hand(game.game, cards, n, board.data(), static_cast<int>(board.size()),
                                        drawing ? &draws : nullptr);
    if (made < 0) continue;  // cannot happen: the library left out hands holding a board card
    by_made[static_cast<std::size_t>(made)].hands += 1;
    by_made[static_cast<std::size_t>(made)].weight += weight;
    const std::vector<std::string> names = draws ? draw_names(draws) : std::vector<std::string>{"no draw"};
    for (Row& row : by_draw)
      if (std::find(names.begin(), names.end(), row.name) != names.end()) row.hands += 1, row.weight += weight;
  }
  if (board.size() < 3) return out;
  // Strongest first in the game's order: short deck's flush above its full house.
  std::vector<int> order;
  for (int m = ODDSMITH_MADE_STRAIGHT_FLUSH; m >= ODDSMITH_MADE_NOTHING; --m) order.push_back(m);
  if (game.game == ODDSMITH_GAME_SHORTDECK) std::swap(order[2], order[3]);
  for (int m : order)
    if (by_made[static_cast<std::size_t>(m)].hands) {
      out.made.push_back(by_made[static_cast<std::size_t>(m)]);
      out.made.back().name = made_hand_name(m);
    }
  if (drawing)
    for (const Row& r : by_draw)
      if (r.hands) out.draws.push_back(r);
  return out;
}

void print_rows_json(const char* key, const std::vector<Row>& rows, double total_weight) {
  std::printf(", \"%s\": [", key);
  for (std::size_t i = 0; i < rows.size(); ++i)
    std::printf("%s{\"name\": %s, \"combos\": %d, \"weight\": %s, \"share\": %s}", i ? ", " : "",
                json_string(rows[i].name).c_str(), rows[i].hands, json_number(rows[i].weight, 10).c_str(),
                json_number(total_weight > 0 ? rows[i].weight / total_weight : 0, 6).c_str());
  std::printf("]");
}

void print_rows(const char* title, const std::vector<Row>& rows, double total_weight) {
  std::printf("\n%-24s %10s %8s\n", title, "combos", "share");
  for (const Row& r : rows)
    std::printf("%-24s %10.2f %7.1f%%\n", r.name.c_str(), r.weight, total_weight > 0 ? 100 * r.weight / total_weight : 0);
}

}  // namespace

// cppcheck-suppress passedByValue
int run_range(Args args) {  // NOLINT(performance-unnecessary-value-param)
  ReadArgs read;
  if (std::string error = read_options(args,
                                       {{"--json"},
                                        {"--all"},
                                        {"--game", Takes::value},
                                        {"--board", Takes::cards, "-b"},
                                        {"--svg", Takes::value}},
                                       "range", read);
      !error.empty())
    return fail(error);
  std::string text, board_text, svg;
  oddsmith_game_facts game{};
  game.size = sizeof game;
  oddsmith_game_info(ODDSMITH_GAME_HOLDEM, nullptr, &game);
  const bool json = read.has("--json"), all = read.has("--all");
  for (const ReadArgs::Option& option : read.options) {
    if (option.name == "--game") {
      if (std::string error = read_game(option.value, game); !error.empty()) return fail(error);
    } else if (option.name == "--board") {
      board_text = option.value;
    } else if (option.name == "--svg") {
      svg = option.value;
    }
  }
  for (const std::string_view word : read.positionals) {
    if (!text.empty()) text += ' ';  // words of an unquoted range: "QQ+," "AKs"
    text += word;
  }
  if (text.empty()) return fail("range needs range text, e.g. oddsmith range \"QQ+, AKs, AJo+\"");
  std::vector<int> board;
  if (std::string error = parse_cards(board_text, board); !error.empty()) return fail("--board: " + error);

  int column = 0;
  char error[512] = "";
  oddsmith_range* range = oddsmith_range_parse_board(text.c_str(), static_cast<int>(text.size()), game.game,
                                                     board_text.c_str(), &column, error, static_cast<int>(sizeof error));
  if (!range) {
    if (column == 0) return fail(error);
    // The text as shown (control bytes escaped) and a caret under the column:
    // one place for each character shown before it, an escape as wide as it prints.
    const std::string before = shown_text(std::string_view(text).substr(0, column > 0 ? column - 1 : 0));
    int width = 0;
    for (const char ch : before) width += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    std::fprintf(stderr, "oddsmith: bad range at column %d: %s\n  %s\n  %*s^\n", column, shown_text(error).c_str(),
                 shown_text(text).c_str(), width, "");
    return 2;
  }
  const Listing list = list_range(range, game, board);
  oddsmith_range_free(range);
  const int size = static_cast<int>(list.hands.size());
  const bool two_cards = game.hole_cards == 2;
  const double share = size / static_cast<double>(game.starting_hands);
  std::string board_shown;  // as the library names the cards: "Qh7c2d"
  for (int c : board) board_shown += card_name(c);
  const int grid = two_cards ? class_grid_size(game) : 0;
  if (!svg.empty()) {
    if (!two_cards) return fail("--svg draws the chart of a two-card game's classes: --game holdem or shortdeck");
    if (std::string message = write_file_atomically(svg, pictures::range_svg(list.in_class, grid, list.hands.size(), text, board_shown)); !message.empty())
      return fail(message);
  }

  if (json) {
    std::printf("{\"range\": %s, \"game\": \"%s\"", json_string(text).c_str(), game.name);
    if (!board.empty()) std::printf(", \"board\": %s", json_string(board_shown).c_str());
    std::printf(", \"combos\": %d, \"share\": %s, \"weight\": %s", size, json_number(share, 6).c_str(),
                json_number(list.total_weight, 10).c_str());
    if (two_cards) {
      std::printf(", \"classes\": {");
      const char* separator = "";
      for (int row = 0; row < 13; ++row)
        for (int col = 0; col < 13; ++col)
          if (list.in_class[row][col]) {
            std::printf("%s\"%s\": %d", separator, class_label(row, col).c_str(), list.in_class[row][col]);
            separator = ", ";
          }
      std::printf("}");
    }
    if (board.size() >= 3) print_rows_json("made_hands", list.made, list.total_weight);
    if (board.size() == 3 || board.size() == 4) print_rows_json("draws", list.draws, list.total_weight);
    std::printf(", \"hands\": [");
    for (int i = 0; i < size; ++i) std::printf(i ? ", \"%s\"" : "\"%s\"", list.hands[static_cast<std::size_t>(i)].c_str());
    std::printf("], \"weights\": [");
    for (int i = 0; i < size; ++i)
      std::printf(i ? ", %s" : "%s", json_number(list.weights[static_cast<std::size_t>(i)], 10).c_str());
    std::printf("]}\n");
    return 0;
  }
  // Two decimals, or two significant digits for the small shares of Omaha patterns.
  std::printf(share >= 0.001 ? "%d hands%s%s, %.2f%% of all %s hands" : "%d hands%s%s, %.2g%% of all %s hands", size,
              board.empty() ? "" : " on ", board_shown.c_str(), share * 100, game.name);
  if (list.total_weight != size) std::printf(" (total weight %.4g)", list.total_weight);
  std::printf("\n");
  if (two_cards) {
    std::printf("\n");
    for (int row = 0; row < grid; ++row) {
      for (int col = 0; col < grid; ++col) {
        const int n = list.in_class[row][col];
        if (n == 0) {
          std::printf("  .  ");
        } else {
          std::printf(" %-3s%c", class_label(row, col).c_str(), n == class_size(row, col) ? ' ' : '*');
        }
      }
      std::printf("\n");
    }
    std::printf("\n(pairs on the diagonal, suited above it, offsuit below; * some hands of the class)\n");
  }
  if (board.size() >= 3) print_rows("made hand", list.made, list.total_weight);
  if (board.size() == 3 || board.size() == 4) print_rows("draws", list.draws, list.total_weight);
  // The hands as range text, so that a listing can be given back as a range.
  const int shown = all ? size : std::min(size, kHandsShown);
  std::printf("\n");
  std::string line;
  for (int i = 0; i < shown; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    std::string item = list.hands[at];
    if (list.weights[at] != 1) {
      item += ':';
      item += json_number(list.weights[at], 4);
    }
    if (!line.empty() && line.size() + item.size() + 2 > 80) {
      std::printf("%s,\n", line.c_str());
      line.clear();
    }
    if (!line.empty()) line += ", ";
    line += item;
  }
  std::printf("%s\n", line.c_str());
  if (shown < size) std::printf("and %d more (--all lists them all)\n", size - shown);
  return 0;
}

}  // namespace cli
