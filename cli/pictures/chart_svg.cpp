#include "chart_svg.h"

#include <cmath>

#include "colour_scale.h"
#include "hand_classes.h"
#include "oddsmith.h"
#include "svg_text.h"

namespace pictures {

namespace {

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

}  // namespace

std::string chart_svg(const double (&equity)[13][13], int grid, const std::string& opponent, const std::vector<int>& board) {
  const int n = grid;
  const ColourScale scale(equity, n);
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

}  // namespace pictures
