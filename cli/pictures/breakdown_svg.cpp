#include "breakdown_svg.h"

#include <algorithm>

#include "svg_text.h"

namespace pictures {

namespace {

int rank_of(int card) { return card / 4; }
int suit_of(int card) { return card % 4; }

// Axes of a chart at (x, y), w x h, equity 0..100 % up the left side.
std::string equity_axes(int x, int y, int w, int h, const char* title, const char* x_label) {
  std::string out = printf_string("<text x=\"%d\" y=\"%d\" font-size=\"16\" font-weight=\"bold\" fill=\"#222\">%s</text>\n", x, y - 12, title);
  for (int pct = 0; pct <= 100; pct += 25) {
    const int gy = y + h - h * pct / 100;
    out += printf_string("<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"#ddd\"/>\n", x, gy, x + w, gy);
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"11\" text-anchor=\"end\" fill=\"#555\">%d%%</text>\n", x - 6, gy + 4, pct);
  }
  out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"12\" text-anchor=\"middle\" fill=\"#555\">%s</text>\n", x + w / 2,
                y + h + 34, x_label);
  return out;
}

}  // namespace

std::string breakdown_svg(const BreakdownPicture& r) {
  static constexpr const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};
  const int left = 70, width = 960, plot = width - left - 40;
  std::string title = r.players.empty() ? std::string() : r.players[0];
  for (std::size_t p = 1; p < r.players.size(); ++p) title += " against " + r.players[p];
  if (!r.board.empty()) title += " on " + r.board;
  int y = 36;
  std::string body;
  for (const std::string& line : wrap(title, 80)) {
    body += printf_string("<text x=\"20\" y=\"%d\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">%s</text>\n", y,
                   xml_escape(line).c_str());
    y += 24;
  }
  y -= 24;
  body += printf_string("<text x=\"20\" y=\"%d\" font-size=\"13\" fill=\"#555\">%s, %s: %lld deals</text>\n", y + 20,
                        xml_escape(r.game).c_str(), r.exact ? "exact" : "Monte Carlo", r.deals);
  // 1. The equity distribution.
  y += 70;
  const int h1 = 240;
  body += equity_axes(left, y, plot, h1, "Equity of each hand of the range, best first", "share of the range (by weight)");
  double total = 0;
  for (const BreakdownPicture::Hand& h : r.hands) total += h.weight;
  std::string points;
  double before = 0;
  for (const BreakdownPicture::Hand& h : r.hands) {
    const double x0 = left + plot * before / total, x1 = left + plot * (before + h.weight) / total, ey = y + h1 - h1 * h.equity;
    points += printf_string("%.1f,%.1f %.1f,%.1f ", x0, ey, x1, ey);
    before += h.weight;
  }
  body += printf_string("<polyline points=\"%s\" fill=\"none\" stroke=\"%s\" stroke-width=\"2.5\"/>\n", points.c_str(), kColours[0]);
  for (int pct = 0; pct <= 100; pct += 25)
    body += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"11\" text-anchor=\"middle\" fill=\"#555\">%d%%</text>\n",
                   left + plot * pct / 100, y + h1 + 16, pct);
  // 2. The categories (and draws) as bars of their share, with their equity.
  y += h1 + 80;
  std::vector<BreakdownPicture::Row> rows = r.categories;
  rows.insert(rows.end(), r.lows.begin(), r.lows.end());
  const std::size_t made_rows = rows.size();
  rows.insert(rows.end(), r.draws.begin(), r.draws.end());
  if (!rows.empty()) {
    body += printf_string("<text x=\"20\" y=\"%d\" font-size=\"16\" font-weight=\"bold\" fill=\"#222\">What the range holds "
                   "(share of its weight; average equity)</text>\n", y - 12);
    // The labels end at `label`, far enough right for the longest (13 px
    // text runs under 7.5 px a character), so that none is cut at the left edge.
    std::size_t longest = 0;
    for (const BreakdownPicture::Row& row : rows) longest = std::max(longest, row.name.size());
    const int label = std::max(200, 20 + static_cast<int>(7.5 * static_cast<double>(longest))), bar_w = width - label - 160;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const int by = y + static_cast<int>(i) * 24;
      const bool draw = i >= made_rows;
      body += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"13\" text-anchor=\"end\" fill=\"#222\">%s</text>\n", label,
                     by + 14, xml_escape(rows[i].name).c_str());
      body += printf_string("<rect x=\"%d\" y=\"%d\" width=\"%.1f\" height=\"18\" fill=\"%s\"/>\n", label + 8, by,
                     std::max(1.0, bar_w * rows[i].share), draw ? "#ff7f0e" : kColours[0]);
      body += printf_string("<text x=\"%.1f\" y=\"%d\" font-size=\"12\" fill=\"#333\">%.1f%%; equity %.1f%%</text>\n",
                     label + 14 + bar_w * rows[i].share, by + 14, rows[i].share * 100, rows[i].equity * 100);
    }
    y += static_cast<int>(rows.size()) * 24 + 60;
  }
  // 3. Next cards: each player's equity, cards grouped by suit.
  if (!r.next_cards.empty()) {
    const int h3 = 220;
    body += equity_axes(left, y, plot, h3, "Equity after each next card", "next card, by suit (clubs, diamonds, hearts, spades)");
    const double step = static_cast<double>(plot) / (52 + 3);  // a gap between suits
    for (const BreakdownPicture::NextCard& n : r.next_cards) {
      const double cx = left + step * (suit_of(n.card) * 14 + rank_of(n.card) + 0.5);
      for (std::size_t p = 0; p < n.equities.size(); ++p)
        body += printf_string("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\"/>\n", cx, y + h3 - h3 * n.equities[p],
                       kColours[p % 6]);
      body += printf_string("<text x=\"%.1f\" y=\"%d\" font-size=\"9\" text-anchor=\"middle\" fill=\"#555\">%s</text>\n", cx,
                     y + h3 + 14, card_name(n.card).c_str());
    }
    for (std::size_t p = 0; p < r.players.size(); ++p)
      body += printf_string("<circle cx=\"%d\" cy=\"%d\" r=\"5\" fill=\"%s\"/><text x=\"%d\" y=\"%d\" font-size=\"12\" "
                     "fill=\"#333\">%s</text>\n", left + 10 + static_cast<int>(p) * 220, y + h3 + 54, kColours[p % 6],
                     left + 20 + static_cast<int>(p) * 220, y + h3 + 58,
                     xml_escape(r.players[p].size() > 28 ? r.players[p].substr(0, 25) + "..." : r.players[p]).c_str());
    y += h3 + 80;
  }
  return printf_string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
                "font-family=\"Helvetica, Arial, sans-serif\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"#fff\"/>\n",
                width, y, width, y) + body + "</svg>\n";
}

}  // namespace pictures
