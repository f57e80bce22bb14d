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
#include "breakdown_svg.h"
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
  double flush = 0, straight = 0, low = 0;  // shares of the first range whose draw the card completes
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
    oddsmith_breakdown_next_card_completes(b, i, &next.flush, &next.straight, &next.low);
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
  const bool hilo = a.game.hilo != 0;
  std::printf("], \"next_cards\": [");
  for (std::size_t i = 0; i < r.next_cards.size(); ++i) {
    const Next& n = r.next_cards[i];
    std::printf("%s{\"card\": \"%s\", \"equities\": [", i ? ", " : "", card_name(n.card).c_str());
    for (std::size_t p = 0; p < n.equities.size(); ++p)
      std::printf("%s%s", p ? ", " : "", json_number(n.equities[p]).c_str());
    std::printf("], \"completes\": {\"flush\": %s, \"straight\": %s", json_number(n.flush).c_str(),
                json_number(n.straight).c_str());
    if (hilo) std::printf(", \"low\": %s", json_number(n.low).c_str());
    std::printf("}}");
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
  // Each player's equity, then the shares of the first range whose draws the card completes.
  const bool hilo = a.game.hilo != 0;
  const int equities = std::max(21, 8 * r.players);
  std::printf("\nnext card  %-*s  %8s %8s%s\n", equities, "equity of each player", "flush", "straight",
              hilo ? "      low" : "");
  for (const Next& n : r.next_cards) {
    std::printf("%-10s ", card_name(n.card).c_str());
    for (double e : n.equities) std::printf(" %6.1f%%", e * 100);
    std::printf("%*s  %7.1f%% %7.1f%%", equities - 8 * r.players, "", n.flush * 100, n.straight * 100);
    if (hilo) std::printf(" %7.1f%%", n.low * 100);
    std::printf("\n");
  }
}

// The picture's data, from the breakdown as read.
pictures::BreakdownPicture picture_of(const Result& r, const CalculatorArgs& a, const std::string& board) {
  pictures::BreakdownPicture p;
  p.game = a.game.name;
  p.board = board;
  p.players = a.players;
  p.exact = r.exact != 0;
  p.deals = r.deals;
  for (const Hand& h : r.hands) p.hands.push_back({h.weight, h.equity});
  for (const auto& [rows, into] : {std::pair{&r.categories, &p.categories}, {&r.lows, &p.lows}, {&r.draws, &p.draws}})
    for (const Row& row : *rows) into->push_back({row.name, row.share, row.equity});
  for (const Next& n : r.next_cards) p.next_cards.push_back({n.card, n.equities});
  return p;
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
    if (std::string message = write_file_atomically(a.svg, pictures::breakdown_svg(picture_of(r, a, board))); !message.empty()) return fail(message);
  if (a.json) print_json(r, a, board);
  else print_text(r, a, board);
  return r.target_met ? 0 : kTargetNotMetExit;
}

}  // namespace cli
