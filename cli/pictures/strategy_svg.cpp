#include "strategy_svg.h"

#include <algorithm>

#include "hand_classes.h"
#include "oddsmith.h"
#include "svg_text.h"

namespace pictures {

namespace {

// Passive actions green, folds blue, bets and raises from orange to dark red
// as they grow (the all-in darkest).
std::vector<std::string> action_colours(const StrategyPicture& p) {
  static const char* const kAggressive[] = {"#f4a259", "#e76f51", "#d1495b", "#b23a48", "#8c2f39", "#6a1b29"};
  std::vector<std::string> out;
  int aggressive = 0, total_aggressive = 0;
  for (int k : p.kinds) total_aggressive += k == ODDSMITH_ACTION_BET || k == ODDSMITH_ACTION_RAISE ? 1 : 0;
  for (int k : p.kinds) {
    if (k == ODDSMITH_ACTION_CHECK || k == ODDSMITH_ACTION_CALL) out.emplace_back("#5ba05b");
    else if (k == ODDSMITH_ACTION_FOLD) out.emplace_back("#6d8fbf");
    else if (k == ODDSMITH_ACTION_ALLIN) out.emplace_back("#4a1020");
    else {
      const int shade = total_aggressive <= 1 ? 2 : aggressive * 5 / std::max(1, total_aggressive - 1);
      out.emplace_back(kAggressive[std::min(shade, 5)]);
      ++aggressive;
    }
  }
  return out;
}

}  // namespace

std::string strategy_svg(const StrategyPicture& p) {
  const int cell = 13 * 54 / p.grid, left = 20, size = p.grid * cell, width = left * 2 + size;
  const std::vector<std::string> title = wrap(p.title, 62);
  const std::vector<std::string> subtitle = wrap(p.subtitle, 90);
  const int top = 34 + static_cast<int>(title.size() - 1) * 24 + static_cast<int>(subtitle.size()) * 18 + 24;
  const std::size_t A = p.actions.size();
  const int legend_rows = static_cast<int>((A + 2) / 3);
  const int height = top + size + 30 + legend_rows * 24 + 30;
  const std::vector<std::string> colour = action_colours(p);
  std::string out = printf_string(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
      "font-family=\"Helvetica, Arial, sans-serif\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n",
      width, height, width, height);
  for (std::size_t i = 0; i < title.size(); ++i)
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">%s</text>\n", left,
                         34 + 24 * static_cast<int>(i), xml_escape(title[i]).c_str());
  for (std::size_t i = 0; i < subtitle.size(); ++i)
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"13\" fill=\"#555\">%s</text>\n", left,
                         34 + 24 * static_cast<int>(title.size() - 1) + 20 + 18 * static_cast<int>(i),
                         xml_escape(subtitle[i]).c_str());
  for (int row = 0; row < p.grid; ++row)
    for (int col = 0; col < p.grid; ++col) {
      const int x = left + col * cell, y = top + row * cell;
      const std::size_t c = static_cast<std::size_t>(row) * static_cast<std::size_t>(p.grid) + static_cast<std::size_t>(col);
      out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"#e8e8e8\"/>\n", x, y, cell, cell);
      if (p.weight[c] > 0) {
        // The actions' shares left to right, in the node's order.
        double at = x;
        for (std::size_t a = 0; a < A; ++a) {
          const double w = cell * p.cells[c * A + a];
          if (w > 0.05)
            out += printf_string("<rect x=\"%.2f\" y=\"%d\" width=\"%.2f\" height=\"%d\" fill=\"%s\"/>\n", at, y, w, cell,
                                 colour[a].c_str());
          at += w;
        }
      }
      out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"#fff\" "
                           "stroke-width=\"2\"/>\n",
                           x, y, cell, cell);
      out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"14\" font-weight=\"bold\" text-anchor=\"middle\" "
                           "fill=\"%s\">%s</text>\n",
                           x + cell / 2, y + cell / 2 + 5, p.weight[c] > 0 ? "#fff" : "#999",
                           class_label(row, col).c_str());
    }
  // The legend: each action's colour, name and the range's share.
  const int legend_top = top + size + 22, column = size / 3;
  for (std::size_t a = 0; a < A; ++a) {
    const int x = left + static_cast<int>(a % 3) * column, y = legend_top + static_cast<int>(a / 3) * 24;
    out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"16\" height=\"16\" fill=\"%s\"/>\n", x, y, colour[a].c_str());
    const std::string share = a < p.frequencies.size() ? printf_string(" %.1f%%", 100 * p.frequencies[a]) : "";
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"14\" fill=\"#222\">%s%s</text>\n", x + 22, y + 13,
                         xml_escape(p.actions[a]).c_str(), share.c_str());
  }
  out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"13\" fill=\"#555\">Each class split by its hands' shares of "
                       "the actions, weighted by how often they reach here; grey: none reach</text>\n</svg>\n",
                       left, legend_top + legend_rows * 24 + 14);
  return out;
}

}  // namespace pictures
