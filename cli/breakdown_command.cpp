// breakdown: the first player's range on the board, hand by hand, against the
// others: each hand's equity, category and draws; the range summed by category
// and draw; every player's equity after each next card. A table, one JSON
// object, and with --svg three charts in one picture.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "calculator_args.h"
#include "card_text.h"
#include "commands.h"
#include "json_text.h"
#include "svg_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

struct Hand {
  std::string text;
  double weight = 0, equity = 0;
  int value = 0, draws = 0;
  std::string made, draw_names, low;  // the library's labels ("" where none)
};

struct Row {
  std::string name;
  double combos = 0, share = 0, equity = 0;
};

struct Next {
  int card = 0;
  std::vector<double> equities;
};

struct Result {
  int players = 0, exact = 0;
  long long deals = 0;
  unsigned long long seed = 0;
  bool target_met = true;
  std::vector<Hand> hands;
  std::vector<Row> categories, draws, lows;
  std::vector<Next> next_cards;
};

int card_rank_of(int card) { return card / 4; }
int card_suit_of(int card) { return card % 4; }

Result read_breakdown(const oddsmith_breakdown* b) {
  Result r;
  r.players = oddsmith_breakdown_summary(b, &r.exact, &r.deals, &r.seed);
  for (int i = 0; i < oddsmith_breakdown_hand_count(b); ++i) {
    Hand h;
    int cards[5] = {};
    const int n = oddsmith_breakdown_hand(b, i, cards, &h.weight, &h.equity, &h.value, &h.draws);
    h.text = hand_text(cards, n);
    char made[64] = "", draws[128] = "", low[32] = "";
    oddsmith_breakdown_hand_labels(b, i, made, sizeof made, draws, sizeof draws, low, sizeof low);
    h.made = made;
    h.draw_names = draws;
    h.low = low;
    r.hands.push_back(h);
  }
  for (int table : {ODDSMITH_BREAKDOWN_CATEGORIES, ODDSMITH_BREAKDOWN_DRAWS, ODDSMITH_BREAKDOWN_LOWS}) {
    char name[128];
    Row row;
    for (int i = 0; oddsmith_breakdown_row(b, table, i, name, sizeof name, &row.combos, &row.share, &row.equity); ++i) {
      row.name = name;
      (table == ODDSMITH_BREAKDOWN_CATEGORIES ? r.categories : table == ODDSMITH_BREAKDOWN_DRAWS ? r.draws : r.lows)
          .push_back(row);
    }
  }
  for (int i = 0; i < oddsmith_breakdown_next_card_count(b); ++i) {
    Next next;
    next.equities.assign(static_cast<std::size_t>(r.players), 0);
    oddsmith_breakdown_next_card(b, i, &next.card, next.equities.data());
    r.next_cards.push_back(std::move(next));
  }
  return r;
}

void print_json(const Result& r, const CalculatorArgs& a, const std::string& board) {
  std::printf("{\"game\": \"%s\", \"board\": %s, \"players\": [", a.game.name, json_string(board).c_str());
  for (std::size_t p = 0; p < a.players.size(); ++p) std::printf("%s%s", p ? ", " : "", json_string(a.players[p]).c_str());
  std::printf("], \"exact\": %s, \"deals\": %lld", r.exact ? "true" : "false", r.deals);
  if (!r.exact) std::printf(", \"seed\": %llu, \"target_met\": %s", r.seed, r.target_met ? "true" : "false");
  std::printf(", \"hands\": [");
  for (std::size_t i = 0; i < r.hands.size(); ++i) {
    const Hand& h = r.hands[i];
    std::printf("%s{\"hand\": \"%s\", \"weight\": %s, \"equity\": %s, \"category\": %s, \"draws\": [", i ? ", " : "",
                h.text.c_str(), json_number(h.weight).c_str(), json_number(h.equity).c_str(),
                h.made.empty() ? "null" : json_string(h.made).c_str());
    const std::vector<std::string> draws = split_names(h.draw_names);
    for (std::size_t d = 0; d < draws.size(); ++d) std::printf("%s%s", d ? ", " : "", json_string(draws[d]).c_str());
    std::printf("]");
    if (!h.low.empty()) std::printf(", \"low\": %s", json_string(h.low).c_str());
    std::printf("}");
  }
  std::vector<std::pair<const char*, const std::vector<Row>*>> tables = {{"categories", &r.categories}, {"draws", &r.draws}};
  if (!r.lows.empty()) tables.emplace_back("lows", &r.lows);
  for (const auto& [key, rows] : tables) {
    std::printf("], \"%s\": [", key);
    for (std::size_t i = 0; i < rows->size(); ++i) {
      const Row& row = (*rows)[i];
      std::printf("%s{\"name\": %s, \"combos\": %s, \"share\": %s, \"equity\": %s}", i ? ", " : "",
                  json_string(row.name).c_str(), json_number(row.combos).c_str(), json_number(row.share).c_str(),
                  json_number(row.equity).c_str());
    }
  }
  std::printf("], \"next_cards\": [");
  for (std::size_t i = 0; i < r.next_cards.size(); ++i) {
    std::printf("%s{\"card\": \"%s\", \"equities\": [", i ? ", " : "", card_name(r.next_cards[i].card).c_str());
    for (std::size_t p = 0; p < r.next_cards[i].equities.size(); ++p)
      std::printf("%s%s", p ? ", " : "", json_number(r.next_cards[i].equities[p]).c_str());
    std::printf("]}");
  }
  std::printf("]}\n");
}

// One summary table, its name column as wide as its longest name, so that the
// numbers stay in line.
void print_rows(const char* title, const std::vector<Row>& rows) {
  if (rows.empty()) return;
  int width = 24;
  for (const Row& row : rows) width = std::max(width, static_cast<int>(row.name.size()));
  std::printf("\n%-*s %9s %8s %8s\n", width, title, "combos", "share", "equity");
  for (const Row& row : rows)
    std::printf("%-*s %9.2f %7.1f%% %7.1f%%\n", width, row.name.c_str(), row.combos, row.share * 100, row.equity * 100);
}

void print_text(const Result& r, const CalculatorArgs& a, const std::string& board) {
  std::printf("%s", a.players[0].c_str());
  for (std::size_t p = 1; p < a.players.size(); ++p) std::printf(" against %s", a.players[p].c_str());
  std::printf("%s%s (%s, %s: %lld deals", board.empty() ? "" : " on ", board.c_str(), a.game.name,
              r.exact ? "exact" : "Monte Carlo", r.deals);
  if (!r.exact) std::printf(", seed %llu%s", r.seed, r.target_met ? "" : ", target not met");
  std::printf(")\n");
  print_rows("category", r.categories);
  print_rows("low", r.lows);
  print_rows("draws", r.draws);
  std::printf("\n%-12s %8s %8s  %s\n", "hand", "weight", "equity", "holds");
  for (const Hand& h : r.hands) {
    std::string holds = h.made;
    for (const std::string* label : {&h.low, &h.draw_names})
      if (!label->empty()) holds += (holds.empty() ? "" : ", ") + *label;
    std::printf("%-12s %8.2f %7.1f%%  %s\n", h.text.c_str(), h.weight, h.equity * 100, holds.c_str());
  }
  if (r.next_cards.empty()) return;
  std::printf("\nnext card   equity of each player\n");
  for (const Next& n : r.next_cards) {
    std::printf("%-11s", card_name(n.card).c_str());
    for (double e : n.equities) std::printf(" %7.1f%%", e * 100);
    std::printf("\n");
  }
}

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

// Three charts in one picture: the equity distribution (hands best first, share
// of the range's weight across, equity up), the categories' shares, and every
// player's equity after each next card, grouped by suit.
std::string breakdown_svg(const Result& r, const CalculatorArgs& a, const std::string& board) {
  static constexpr const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};
  const int left = 70, width = 960, plot = width - left - 40;
  std::string title = a.players[0];
  for (std::size_t p = 1; p < a.players.size(); ++p) title += " against " + a.players[p];
  if (!board.empty()) title += " on " + board;
  int y = 36;
  std::string body;
  for (const std::string& line : wrap(title, 80)) {
    body += printf_string("<text x=\"20\" y=\"%d\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">%s</text>\n", y,
                   xml_escape(line).c_str());
    y += 24;
  }
  y -= 24;
  body += printf_string("<text x=\"20\" y=\"%d\" font-size=\"13\" fill=\"#555\">%s, %s: %lld deals</text>\n", y + 20, a.game.name,
                 r.exact ? "exact" : "Monte Carlo", r.deals);
  // 1. The equity distribution.
  y += 70;
  const int h1 = 240;
  body += equity_axes(left, y, plot, h1, "Equity of each hand of the range, best first", "share of the range (by weight)");
  double total = 0;
  for (const Hand& h : r.hands) total += h.weight;
  std::string points;
  double before = 0;
  for (const Hand& h : r.hands) {
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
  std::vector<Row> rows = r.categories;
  rows.insert(rows.end(), r.lows.begin(), r.lows.end());
  const std::size_t made_rows = rows.size();
  rows.insert(rows.end(), r.draws.begin(), r.draws.end());
  if (!rows.empty()) {
    body += printf_string("<text x=\"20\" y=\"%d\" font-size=\"16\" font-weight=\"bold\" fill=\"#222\">What the range holds "
                   "(share of its weight; average equity)</text>\n", y - 12);
    // The labels end at `label`, far enough right for the longest (13 px
    // text runs under 7.5 px a character), so that none is cut at the left edge.
    std::size_t longest = 0;
    for (const Row& row : rows) longest = std::max(longest, row.name.size());
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
    for (const Next& n : r.next_cards) {
      const double cx = left + step * (card_suit_of(n.card) * 14 + card_rank_of(n.card) + 0.5);
      for (std::size_t p = 0; p < n.equities.size(); ++p)
        body += printf_string("<circle cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\"/>\n", cx, y + h3 - h3 * n.equities[p],
                       kColours[p % 6]);
      body += printf_string("<text x=\"%.1f\" y=\"%d\" font-size=\"9\" text-anchor=\"middle\" fill=\"#555\">%s</text>\n", cx,
                     y + h3 + 14, card_name(n.card).c_str());
    }
    for (std::size_t p = 0; p < a.players.size(); ++p)
      body += printf_string("<circle cx=\"%d\" cy=\"%d\" r=\"5\" fill=\"%s\"/><text x=\"%d\" y=\"%d\" font-size=\"12\" "
                     "fill=\"#333\">%s</text>\n", left + 10 + static_cast<int>(p) * 220, y + h3 + 54, kColours[p % 6],
                     left + 20 + static_cast<int>(p) * 220, y + h3 + 58,
                     xml_escape(a.players[p].size() > 28 ? a.players[p].substr(0, 25) + "..." : a.players[p]).c_str());
    y += h3 + 80;
  }
  return printf_string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
                "font-family=\"Helvetica, Arial, sans-serif\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"#fff\"/>\n",
                width, y, width, y) + body + "</svg>\n";
}

}  // namespace

// Every command takes its arguments by value (the command table's signature).
// cppcheck-suppress passedByValue
int run_breakdown(Args args) {  // NOLINT(performance-unnecessary-value-param)
  CalculatorArgs a;
  if (std::string error = parse_calculator_args(args, "breakdown", a); !error.empty()) return fail(error);
  if (a.players.size() < 2)
    return fail("breakdown needs a range and at least one opponent, e.g. oddsmith breakdown \"QQ+, AKs\" random --board Qh7c2d");
  std::vector<const char*> texts;
  for (const std::string& p : a.players) texts.push_back(p.c_str());
  a.query.player_count = static_cast<int>(texts.size());
  a.query.players = texts.data();
  a.query.board = a.board.c_str();
  a.query.dead = a.dead.c_str();
  ProgressBar bar;
  bar.attach(a.query);
  int status = 0;
  char error[512] = "";
  oddsmith_breakdown* b = oddsmith_breakdown_run(&a.query, &status, error, sizeof error);
  bar.clear();
  if (!b) return fail(error);
  Result r = read_breakdown(b);
  oddsmith_breakdown_free(b);
  // Short of a target or trial count at the bound: every hand is there, from
  // fewer deals than asked; said on stderr and in the exit status, as equity does.
  r.target_met = status == ODDSMITH_STATUS_OK;
  if (!r.target_met)
    std::fprintf(stderr, "oddsmith: warning: %s; these are the estimates reached\n", shown_text(error).c_str());
  std::vector<int> board_cards;
  collect_cards({a.board}, board_cards);
  std::string board;
  for (int c : board_cards) board += card_name(c);
  if (!a.svg.empty())
    if (std::string message = write_file_atomically(a.svg, breakdown_svg(r, a, board)); !message.empty()) return fail(message);
  if (a.json) print_json(r, a, board);
  else print_text(r, a, board);
  return r.target_met ? 0 : kTargetNotMetExit;
}

}  // namespace cli
