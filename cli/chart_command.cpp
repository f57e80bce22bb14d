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

#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

// Red (0) through yellow to green (1), as RGB.
void colour_of(double equity, int& r, int& g, int& b) {
  const double x = std::fmin(1.0, std::fmax(0.0, equity));
  r = static_cast<int>(x < 0.5 ? 230 : 230 - (x - 0.5) * 2 * 170);
  g = static_cast<int>(x < 0.5 ? 60 + x * 2 * 160 : 220 - (x - 0.5) * 2 * 40);
  b = 60;
}

std::string xml_escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

bool write_svg(const std::string& path, const double (&equity)[13][13], const std::string& opponent, const std::string& board) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  const int cell = 54, left = 20, top = 70, size = 13 * cell;
  const int width = left * 2 + size, height = top + size + 90;
  std::string title = "Equity of each starting hand against " + opponent;
  if (!board.empty()) title += " on " + board;
  std::fprintf(f,
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
               "font-family=\"Helvetica, Arial, sans-serif\">\n"
               "<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n"
               "<text x=\"%d\" y=\"34\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">%s</text>\n"
               "<text x=\"%d\" y=\"56\" font-size=\"13\" fill=\"#555\">Pairs on the diagonal, suited hands above it, "
               "offsuit below; each cell is the hand's share of the pot.</text>\n",
               width, height, width, height, left, xml_escape(title).c_str(), left);
  for (int row = 0; row < 13; ++row) {
    for (int col = 0; col < 13; ++col) {
      const int x = left + col * cell, y = top + row * cell;
      const double e = equity[row][col];
      int r = 235, g = 235, b = 235;
      if (!std::isnan(e)) colour_of(e, r, g, b);
      std::fprintf(f, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"rgb(%d,%d,%d)\" stroke=\"#fff\" stroke-width=\"2\"/>\n",
                   x, y, cell, cell, r, g, b);
      std::fprintf(f, "<text x=\"%d\" y=\"%d\" font-size=\"15\" font-weight=\"bold\" text-anchor=\"middle\" fill=\"#111\">%s</text>\n",
                   x + cell / 2, y + 23, class_label(row, col).c_str());
      if (!std::isnan(e))
        std::fprintf(f, "<text x=\"%d\" y=\"%d\" font-size=\"13\" text-anchor=\"middle\" fill=\"#111\">%.0f%%</text>\n",
                     x + cell / 2, y + 42, e * 100);
    }
  }
  // The colour scale: a gradient bar with its ends and middle marked.
  const int bar_y = top + size + 24, bar_w = size;
  std::fprintf(f, "<defs><linearGradient id=\"scale\">\n");
  for (int i = 0; i <= 10; ++i) {
    int r, g, b;
    colour_of(i / 10.0, r, g, b);
    std::fprintf(f, "<stop offset=\"%d%%\" stop-color=\"rgb(%d,%d,%d)\"/>\n", i * 10, r, g, b);
  }
  std::fprintf(f, "</linearGradient></defs>\n<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"18\" fill=\"url(#scale)\"/>\n", left,
               bar_y, bar_w);
  for (int pct : {0, 25, 50, 75, 100})
    std::fprintf(f, "<text x=\"%d\" y=\"%d\" font-size=\"12\" text-anchor=\"middle\" fill=\"#333\">%d%%</text>\n",
                 left + bar_w * pct / 100, bar_y + 34, pct);
  std::fprintf(f, "<text x=\"%d\" y=\"%d\" font-size=\"12\" fill=\"#555\">equity</text>\n</svg>\n", left, bar_y + 52);
  return std::fclose(f) == 0;
}

}  // namespace

int run_chart(Args args) {
  const bool json = take_flag(args, "--json");
  std::string opponent, board, svg;
  long long threads = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if (args[i] == "--board" && has_value) {
      board = args[++i];
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

  if (!svg.empty() && !write_svg(svg, equity, opponent, board)) return fail("cannot write " + svg);
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
        colour_of(e, r, g, b);
        std::printf("\x1b[48;2;%d;%d;%dm\x1b[30m %-3s%3.0f \x1b[0m", r, g, b, label.c_str(), e * 100);
      } else if (std::isnan(e)) {
        std::printf(" %-3s  - ", label.c_str());
      } else {
        std::printf(" %-3s%3.0f ", label.c_str(), e * 100);
      }
    }
    std::printf("\n");
  }
  std::printf("\n(pairs on the diagonal, suited above it, offsuit below%s)\n", svg.empty() ? "" : ("; picture in " + svg).c_str());
  return 0;
}

}  // namespace cli
