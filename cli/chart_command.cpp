// chart: the equity of each starting-hand class of a two-card game against one
// hand or range, as a grid of ranks, ace first (pairs on the diagonal, suited
// above it, offsuit below; Hold'em 13 x 13, short deck 9 x 9): coloured on a
// terminal, plain numbers elsewhere, and as an SVG picture with --svg. The
// numbers and the picture are the pictures library's (cli/pictures), which the
// Python package's chart shares.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "card_text.h"
#include "chart_equities.h"
#include "chart_svg.h"
#include "colour_scale.h"
#include "commands.h"
#include "json_text.h"
#include "progress_bar.h"
#include "svg_text.h"
#include "terminal.h"
#include "oddsmith.h"

namespace cli {

namespace {

using pictures::ColourScale;
using pictures::printf_string;

// The grid on a terminal in at most 80 columns: each cell five wide and two
// lines high, the class over its equity, on its colour when `colour`.
void print_grid(const double (&equity)[13][13], int n, const ColourScale& scale, bool colour) {
  for (int row = 0; row < n; ++row) {
    for (int line = 0; line < 2; ++line) {
      for (int col = 0; col < n; ++col) {
        const double e = equity[row][col];
        const std::string text = line == 0       ? printf_string(" %-3s ", class_label(row, col).c_str())
                                 : std::isnan(e) ? std::string("   - ")
                                                 : printf_string(" %3.0f ", e * 100);
        if (colour && !std::isnan(e)) {
          int r, g, b;
          scale.colour(e, r, g, b);
          std::printf("\x1b[48;2;%d;%d;%dm\x1b[30m%s\x1b[0m", r, g, b, text.c_str());
        } else {
          std::printf("%s", text.c_str());
        }
      }
      std::printf("\n");
    }
  }
}

}  // namespace

// cppcheck-suppress passedByValue
int run_chart(Args args) {  // NOLINT(performance-unnecessary-value-param)
  ReadArgs read;
  if (std::string error = read_options(args,
                                       {{"--json"},
                                        {"--board", Takes::cards, "-b"},
                                        {"--svg", Takes::value},
                                        {"--threads", Takes::value},
                                        {"--game", Takes::value}},
                                       "chart", read);
      !error.empty())
    return fail(error);
  const bool json = read.has("--json");
  std::string board, svg;
  oddsmith_game_facts game{};
  game.size = sizeof game;
  oddsmith_game_info(ODDSMITH_GAME_HOLDEM, nullptr, &game);
  long long threads = 0;
  for (const ReadArgs::Option& option : read.options) {
    if (option.name == "--board") {
      board = option.value;
    } else if (option.name == "--svg") {
      svg = option.value;
    } else if (option.name == "--threads") {
      if (std::string error = parse_count("--threads", option.value, 0, 256, threads); !error.empty()) return fail(error);
    } else if (option.name == "--game") {
      if (!find_game(option.value, game) || game.hole_cards != 2)
        return fail("chart is for the two-card games: --game holdem or shortdeck, got '" + option.value + "'");
    }
  }
  std::string opponent;
  for (std::string_view word : read.positionals) {  // words of an unquoted range: "QQ+," "AKs"
    if (!opponent.empty()) opponent += ' ';
    opponent += word;
  }
  if (opponent.empty()) return fail("chart needs an opponent: a hand (AhKh) or a range (\"QQ+, AKs\")");

  pictures::ChartQuery query;
  query.game = game;
  query.opponent = opponent;
  query.board = board;
  query.threads = static_cast<int>(threads);
  ProgressBar bar;
  if (progress_wanted()) query.progress = ProgressBar::update, query.progress_user = &bar;
  const pictures::ClassEquities chart = pictures::chart_equities(query);
  bar.clear();
  if (!chart.any()) return fail("no hand class can play against '" + opponent + "': " + chart.first_error);
  const int n = chart.grid;
  const auto& equity = chart.equity;

  const ColourScale scale(equity, n);
  if (!svg.empty()) {
    std::vector<int> board_cards;
    collect_cards({board}, board_cards);  // already read by the calculator
    if (std::string error = write_file_atomically(svg, pictures::chart_svg(equity, n, opponent, board_cards)); !error.empty())
      return fail(error);
  }
  if (json) {
    std::printf("{\"game\": \"%s\", \"opponent\": %s, \"board\": %s, \"classes\": {", game.name,
                json_string(opponent).c_str(), json_string(board).c_str());
    for (int i = 0; i < n * n; ++i) {
      const double e = equity[i / n][i % n];
      std::printf("%s\"%s\": %s", i ? ", " : "", class_label(i / n, i % n).c_str(), std::isnan(e) ? "null" : json_number(e).c_str());
    }
    std::printf("}}\n");
    return 0;
  }
  const bool colour = colour_wanted();
  std::printf("Equity (%%) of each starting hand against %s%s%s\n\n", opponent.c_str(), board.empty() ? "" : " on ",
              board.c_str());
  print_grid(equity, n, scale, colour);
  std::printf("\n(pairs on the diagonal, suited above it, offsuit below%s%s)\n",
              colour ? printf_string("; colours from red at %.0f%% to green at %.0f%%", scale.low * 100, scale.high * 100).c_str() : "",
              svg.empty() ? "" : ("; picture in " + shown_text(svg)).c_str());
  return 0;
}

}  // namespace cli
