// chart: the equity of each starting-hand class of a two-card game against one
// hand or range, as a grid of ranks, ace first (pairs on the diagonal, suited
// above it, offsuit below; Hold'em 13 x 13, short deck 9 x 9): coloured on a
// terminal, plain numbers elsewhere, and as an SVG picture with --svg. Against
// one random hand with no board the equities are fixed numbers, compiled in;
// otherwise each class runs through the calculator: exact where that is quick,
// else simulated to a standard error of 0.25 %, with one fixed seed so that a
// chart can be made again.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "card_text.h"
#include "commands.h"
#include "json_text.h"
#include "preflop_against_random.h"
#include "progress_bar.h"
#include "svg_text.h"
#include "terminal.h"
#include "oddsmith.h"

namespace cli {

namespace {

// The colour scale is fitted to the chart's own span of equities, so that
// contrast is spent where the values lie: `low` is red, `high` green.
struct Scale {
  double low = 0, high = 1;
  // The span of the values that are numbers in the chart's n x n corner, at
  // least two points wide.
  Scale(const double (&equity)[13][13], int n) {
    low = 1, high = 0;
    for (int row = 0; row < n; ++row)
      for (int col = 0; col < n; ++col)
        if (const double e = equity[row][col]; !std::isnan(e)) low = std::fmin(low, e), high = std::fmax(high, e);
    if (high < low) low = 0, high = 1;
    if (high - low < 0.02) {
      const double mid = (low + high) / 2;
      low = std::fmax(0.0, mid - 0.01), high = std::fmin(1.0, mid + 0.01);
    }
  }
  // Red through yellow to green, as RGB.
  void colour(double equity, int& r, int& g, int& b) const {
    const double x = std::fmin(1.0, std::fmax(0.0, (equity - low) / (high - low)));
    r = static_cast<int>(x < 0.5 ? 230 : 230 - (x - 0.5) * 2 * 170);
    g = static_cast<int>(x < 0.5 ? 60 + x * 2 * 160 : 220 - (x - 0.5) * 2 * 40);
    b = 60;
  }
};

// The board's cards drawn as small playing cards from (x, y).
std::string board_cards_svg(const std::vector<int>& board, int x, int y) {
  static constexpr const char* kSuitSymbols[] = {"&#9827;", "&#9830;", "&#9829;", "&#9824;"};  // clubs diamonds hearts spades
  static constexpr const char* kSuitColours[] = {"#1a7a2e", "#1f5fbf", "#c62828", "#222222"};
  static constexpr char kRanks[] = ODDSMITH_RANK_LETTERS;
  std::string out = printf_string("<text x=\"%d\" y=\"%d\" font-size=\"14\" fill=\"#333\">Board</text>\n", x, y + 29);
  for (std::size_t i = 0; i < board.size(); ++i) {
    const int cx = x + 52 + static_cast<int>(i) * 42, suit = board[i] % 4;
    out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"36\" height=\"46\" rx=\"5\" fill=\"#fff\" stroke=\"#888\"/>\n", cx, y);
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"17\" font-weight=\"bold\" text-anchor=\"middle\" fill=\"%s\">%c%s</text>\n",
                         cx + 18, y + 29, kSuitColours[suit], kRanks[board[i] / 4], kSuitSymbols[suit]);
  }
  return out;
}

std::string svg_text(const double (&equity)[13][13], int n, const Scale& scale, const std::string& opponent,
                     const std::vector<int>& board) {
  // The picture is as wide for short deck's 9 x 9 as for Hold'em's 13 x 13: its
  // cells are larger, so the title and notes fit either way.
  const int cell = 13 * 54 / n, left = 20, size = n * cell, width = left * 2 + size;
  const std::vector<std::string> title = wrap("Equity of each starting hand against " + opponent, 62);
  int top = 34 + static_cast<int>(title.size() - 1) * 24 + 22;
  const int board_y = top + 12;
  if (!board.empty()) top += 62;
  top += 14;
  const int height = top + size + 90;
  std::string out = printf_string(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
      "font-family=\"Helvetica, Arial, sans-serif\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n",
      width, height, width, height);
  for (std::size_t i = 0; i < title.size(); ++i)
    out += "<text x=\"" + std::to_string(left) + "\" y=\"" + std::to_string(34 + 24 * static_cast<int>(i)) +
           "\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">" + xml_escape(title[i]) + "</text>\n";
  out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"13\" fill=\"#555\">Pairs on the diagonal, suited hands above "
                       "it, offsuit below; each cell is the hand's share of the pot.</text>\n",
                       left, 34 + 24 * static_cast<int>(title.size() - 1) + 22);
  if (!board.empty()) out += board_cards_svg(board, left, board_y);
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      const int x = left + col * cell, y = top + row * cell;
      const double e = equity[row][col];
      int r = 235, g = 235, b = 235;
      if (!std::isnan(e)) scale.colour(e, r, g, b);
      out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"rgb(%d,%d,%d)\" stroke=\"#fff\" stroke-width=\"2\"/>\n",
                           x, y, cell, cell, r, g, b);
      out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"15\" font-weight=\"bold\" text-anchor=\"middle\" fill=\"#111\">%s</text>\n",
                           x + cell / 2, y + cell / 2 - 4, class_label(row, col).c_str());
      if (!std::isnan(e))
        out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"13\" text-anchor=\"middle\" fill=\"#111\">%.0f%%</text>\n",
                             x + cell / 2, y + cell / 2 + 15, e * 100);
    }
  }
  // The colour scale: a gradient bar over the chart's span, its ends and middle marked.
  const int bar_y = top + size + 24, bar_w = size;
  out += "<defs><linearGradient id=\"scale\">\n";
  for (int i = 0; i <= 10; ++i) {
    int r, g, b;
    scale.colour(scale.low + (scale.high - scale.low) * i / 10.0, r, g, b);
    out += printf_string("<stop offset=\"%d%%\" stop-color=\"rgb(%d,%d,%d)\"/>\n", i * 10, r, g, b);
  }
  out += printf_string("</linearGradient></defs>\n<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"18\" fill=\"url(#scale)\"/>\n",
                       left, bar_y, bar_w);
  for (int i = 0; i <= 2; ++i)
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"12\" text-anchor=\"middle\" fill=\"#333\">%.0f%%</text>\n",
                         left + bar_w * i / 2, bar_y + 34, (scale.low + (scale.high - scale.low) * i / 2) * 100);
  out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"12\" fill=\"#555\">equity; the colours span this chart's "
                       "values, %.0f%% to %.0f%%</text>\n</svg>\n",
                       left, bar_y + 52, scale.low * 100, scale.high * 100);
  return out;
}

// The grid on a terminal in at most 80 columns: each cell five wide and two
// lines high, the class over its equity, on its colour when `colour`.
void print_grid(const double (&equity)[13][13], int n, const Scale& scale, bool colour) {
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

int run_chart(Args args) {
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

  const int n = class_grid_size(game);
  double equity[13][13];
  bool any = false;
  std::string first_error;
  if (opponent == "random" && board.empty() && preflop_against_random(game.game, equity)) {
    any = true;
  } else {
    ProgressBar bar;
    const bool progress = progress_wanted();
    for (int row = 0; row < n; ++row) {
      for (int col = 0; col < n; ++col) {
        const std::string label = class_label(row, col);
        const char* players[] = {label.c_str(), opponent.c_str()};
        oddsmith_equity_query q{};
        q.size = sizeof q;
        q.game = game.game;
        q.player_count = 2;
        q.players = players;
        q.board = board.c_str();
        q.mode = ODDSMITH_MODE_AUTO;
        q.target_stderr = 0.0025;
        q.seed = 1;
        q.threads = static_cast<int>(threads);
        oddsmith_equity_result r{};
        r.size = sizeof r;
        char error[256] = "";
        const int status = oddsmith_equity(&q, &r, error, sizeof error);
        equity[row][col] = status == 0 ? r.players[0].equity : std::nan("");
        any = any || status == 0;
        if (status != 0 && first_error.empty()) first_error = error;
        if (progress) ProgressBar::update(static_cast<double>(row * n + col + 1) / (n * n), &bar);
      }
    }
    bar.clear();
  }
  if (!any) return fail("no hand class can play against '" + opponent + "': " + first_error);

  const Scale scale(equity, n);
  if (!svg.empty()) {
    std::vector<int> board_cards;
    collect_cards({board}, board_cards);  // already read by the calculator
    if (std::string error = write_file_atomically(svg, svg_text(equity, n, scale, opponent, board_cards)); !error.empty())
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
