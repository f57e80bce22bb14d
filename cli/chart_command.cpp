// chart: the equity of each of the 169 starting-hand classes against one hand
// or range, as a 13 x 13 heat map (pairs on the diagonal, suited above it,
// offsuit below): coloured in a terminal, plain numbers elsewhere, and as an
// SVG picture with --svg. Each class runs through the calculator: exact where
// that is quick, else simulated to a standard error of 0.25 %, with one fixed
// seed so that a chart can be made again.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "card_text.h"
#include "commands.h"
#include "json_text.h"
#include "svg_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

// The colour scale is fitted to the chart's own span of equities, so that
// contrast is spent where the values lie: `low` is red, `high` green.
struct Scale {
  double low = 0, high = 1;
  // The span of the values that are numbers, at least two points wide.
  explicit Scale(const double (&equity)[13][13]) {
    low = 1, high = 0;
    for (const auto& row : equity)
      for (double e : row)
        if (!std::isnan(e)) low = std::fmin(low, e), high = std::fmax(high, e);
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

std::string svg_text(const double (&equity)[13][13], const Scale& scale, const std::string& opponent,
                     const std::vector<int>& board) {
  const int cell = 54, left = 20, size = 13 * cell, width = left * 2 + size;
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
  for (int row = 0; row < 13; ++row) {
    for (int col = 0; col < 13; ++col) {
      const int x = left + col * cell, y = top + row * cell;
      const double e = equity[row][col];
      int r = 235, g = 235, b = 235;
      if (!std::isnan(e)) scale.colour(e, r, g, b);
      out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"rgb(%d,%d,%d)\" stroke=\"#fff\" stroke-width=\"2\"/>\n",
                           x, y, cell, cell, r, g, b);
      out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"15\" font-weight=\"bold\" text-anchor=\"middle\" fill=\"#111\">%s</text>\n",
                           x + cell / 2, y + 23, class_label(row, col).c_str());
      if (!std::isnan(e))
        out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"13\" text-anchor=\"middle\" fill=\"#111\">%.0f%%</text>\n",
                             x + cell / 2, y + 42, e * 100);
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

}  // namespace

int run_chart(Args args) {
  const bool json = take_flag(args, "--json");
  std::string opponent, board, svg;
  long long threads = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if ((args[i] == "--board" || args[i] == "-b") && has_value) {
      take_cards_value(args, i, board);
    } else if (args[i] == "--svg" && has_value) {
      svg = args[++i];
    } else if (args[i] == "--threads" && has_value) {
      if (std::string error = parse_count("--threads", args[++i], 0, 256, threads); !error.empty()) return fail(error);
    } else if (args[i] == "--game" && has_value) {
      if (args[++i] != "holdem") return fail("chart is for Hold'em: --game holdem");
    } else if (args[i].starts_with("--")) {
      return fail("chart: unexpected '" + std::string(args[i]) + "'");
    } else {
      if (!opponent.empty()) opponent += ' ';
      opponent += args[i];
    }
  }
  if (opponent.empty()) return fail("chart needs an opponent: a hand (AhKh) or a range (\"QQ+, AKs\")");

  double equity[13][13];
  const bool progress = isatty(2);
  const auto start = std::chrono::steady_clock::now();
  bool any = false;
  std::string first_error;
  for (int row = 0; row < 13; ++row) {
    for (int col = 0; col < 13; ++col) {
      const std::string label = class_label(row, col);
      const char* players[] = {label.c_str(), opponent.c_str()};
      oddsmith_equity_query q{};
      q.size = sizeof q;
      q.game = ODDSMITH_GAME_HOLDEM;
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
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (progress && elapsed > 1.0) {
        const int done = row * 13 + col + 1;
        std::fprintf(stderr, "\r[%-30.*s] %3d/169", done * 30 / 169, "##############################", done);
        std::fflush(stderr);
      }
    }
  }
  if (progress) std::fprintf(stderr, "\r%45s\r", "");
  if (!any) return fail("no hand class can play against '" + opponent + "': " + first_error);

  const Scale scale(equity);
  if (!svg.empty()) {
    std::vector<int> board_cards;
    collect_cards({board}, board_cards);  // already read by the calculator
    if (std::string error = write_file_atomically(svg, svg_text(equity, scale, opponent, board_cards)); !error.empty())
      return fail(error);
  }
  if (json) {
    std::printf("{\"opponent\": %s, \"board\": %s, \"classes\": {", json_string(opponent).c_str(), json_string(board).c_str());
    for (int i = 0; i < 169; ++i) {
      const double e = equity[i / 13][i % 13];
      std::printf("%s\"%s\": %s", i ? ", " : "", class_label(i / 13, i % 13).c_str(), std::isnan(e) ? "null" : json_number(e, 4).c_str());
    }
    std::printf("}}\n");
    return 0;
  }
  const bool colour = isatty(1);
  std::printf("Equity (%%) of each starting hand against %s%s%s\n\n", opponent.c_str(), board.empty() ? "" : " on ",
              board.c_str());
  for (int row = 0; row < 13; ++row) {
    for (int col = 0; col < 13; ++col) {
      const double e = equity[row][col];
      const std::string label = class_label(row, col);
      if (colour && !std::isnan(e)) {
        int r, g, b;
        scale.colour(e, r, g, b);
        std::printf("\x1b[48;2;%d;%d;%dm\x1b[30m %-3s%3.0f \x1b[0m", r, g, b, label.c_str(), e * 100);
      } else if (std::isnan(e)) {
        std::printf(" %-3s  - ", label.c_str());
      } else {
        std::printf(" %-3s%3.0f ", label.c_str(), e * 100);
      }
    }
    std::printf("\n");
  }
  std::printf("\n(pairs on the diagonal, suited above it, offsuit below%s%s)\n",
              colour ? printf_string("; colours from red at %.0f%% to green at %.0f%%", scale.low * 100, scale.high * 100).c_str() : "",
              svg.empty() ? "" : ("; picture in " + shown_text(svg)).c_str());
  return 0;
}

}  // namespace cli
