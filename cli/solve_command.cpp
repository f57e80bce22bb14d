// solve: the postflop solver. Two ranges (OOP's, IP's) on a flop, turn or
// river, a pot and a stack, bet and raise sizes per street: solved to a
// target exploitability through the library's oddsmith_solver_* exports, then
// the root (or --path's node) told as text, JSON or a strategy chart.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"
#include "progress_bar.h"
#include "strategy_svg.h"
#include "terminal.h"
#include "tournament_args.h"

namespace cli {

namespace {

constexpr const char* kStreets[3] = {"flop", "turn", "river"};
constexpr const char* kPositions[2] = {"oop", "ip"};
constexpr const char* kPlayers[2] = {"OOP", "IP"};

std::string card_text(int card) {
  char name[8] = "";
  oddsmith_card_name(card, name);
  return name;
}

std::string action_label(int kind, int amount) {
  static const char* const kNames[] = {"check", "bet", "raise", "call", "fold", "allin"};
  std::string s = kNames[kind];
  if (kind == ODDSMITH_ACTION_BET || kind == ODDSMITH_ACTION_RAISE || kind == ODDSMITH_ACTION_ALLIN)
    s.append(" ").append(std::to_string(amount));
  return s;
}

// A memory size: a number of MiB, or with a unit K, M or G (binary; "B" or
// "iB" after it optional: 560M, 4GiB).
std::string parse_memory(std::string_view text, long long& out) {
  std::size_t digits = 0;
  while (digits < text.size() && (std::isdigit(static_cast<unsigned char>(text[digits])) || text[digits] == '.')) ++digits;
  double value = 0;
  if (!parse_positive("--max-memory", text.substr(0, digits), value).empty() || digits == 0)
    return "--max-memory: '" + std::string(text) + "' is not a size (4096, 560M, 4G: MiB unless a unit is given)";
  std::string unit(text.substr(digits));
  for (char& ch : unit) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  double scale = 0;
  if (unit.empty() || unit == "M" || unit == "MB" || unit == "MIB") scale = 1 << 20;
  else if (unit == "K" || unit == "KB" || unit == "KIB") scale = 1 << 10;
  else if (unit == "G" || unit == "GB" || unit == "GIB") scale = 1 << 30;
  else if (unit == "B") scale = 1;
  if (scale == 0 || value * scale < 1 || value * scale > 9e18)
    return "--max-memory: '" + std::string(text) + "' is not a size (4096, 560M, 4G: MiB unless a unit is given)";
  out = static_cast<long long>(value * scale);
  return {};
}

struct Node {
  oddsmith_solver_node_info info{};
  int hand_cards = 2;  // the game's hole cards
  std::string path;
  std::vector<int> kinds, amounts;
  std::vector<double> frequencies;
  std::vector<std::string> sizes;
  std::vector<int> cards[2];
  std::vector<double> weight[2], ev[2], equity[2];
  std::vector<double> strategy;
  std::vector<int> next_cards;
};

Node read_node(const oddsmith_solver_node* n, int hand_cards) {
  Node r;
  r.hand_cards = hand_cards;
  r.info.size = sizeof r.info;
  oddsmith_solver_node_summary(n, &r.info);
  r.path.resize(static_cast<std::size_t>(oddsmith_solver_node_path(n, nullptr, 0)));
  oddsmith_solver_node_path(n, r.path.data(), static_cast<int>(r.path.size()) + 1);
  for (int a = 0; a < r.info.action_count; ++a) {
    int kind = 0, amount = 0;
    double f = 0;
    char sizes[128] = "";
    oddsmith_solver_node_action(n, a, &kind, &amount, &f, sizes, sizeof sizes);
    r.kinds.push_back(kind);
    r.amounts.push_back(amount);
    r.frequencies.push_back(f);
    r.sizes.emplace_back(sizes);
  }
  for (int p = 0; p < 2; ++p) {
    const auto h = static_cast<std::size_t>(r.info.hand_count[p]);
    r.cards[p].resize(static_cast<std::size_t>(hand_cards) * h);
    r.weight[p].resize(h);
    r.ev[p].resize(h);
    r.equity[p].resize(h);
    oddsmith_solver_node_hands(n, p, r.cards[p].data(), r.weight[p].data(), r.ev[p].data(), r.equity[p].data(),
                               static_cast<int>(h));
  }
  r.strategy.resize(static_cast<std::size_t>(std::max(0, oddsmith_solver_node_strategy(n, nullptr, 0))));
  oddsmith_solver_node_strategy(n, r.strategy.data(), static_cast<int>(r.strategy.size()));
  r.next_cards.resize(static_cast<std::size_t>(std::max(0, oddsmith_solver_node_cards(n, nullptr, 0))));
  oddsmith_solver_node_cards(n, r.next_cards.data(), static_cast<int>(r.next_cards.size()));
  return r;
}

std::string number_or_null(double v, int digits = 8) { return std::isnan(v) ? "null" : json_number(v, digits); }

const char* kind_name(int kind) {
  switch (kind) {
    case ODDSMITH_NODE_ACTION: return "action";
    case ODDSMITH_NODE_CHANCE: return "chance";
    case ODDSMITH_NODE_FOLD: return "fold";
    case ODDSMITH_NODE_SHOWDOWN: return "showdown";
    default: return "runout";
  }
}

// The hands of player p at the node as JSON, with their strategy where they act.
std::string hands_json(const Node& n, int p, bool with_strategy) {
  std::string out = "[";
  const std::size_t A = n.kinds.size();
  for (std::size_t h = 0; h < n.weight[p].size(); ++h) {
    if (h) out += ", ";
    std::string hand;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n.hand_cards); ++i)
      hand += card_text(n.cards[p][static_cast<std::size_t>(n.hand_cards) * h + i]);
    out += "{\"hand\": " + json_string(hand) + ", \"weight\": " + json_number(n.weight[p][h], 8);
    if (with_strategy) {
      out += ", \"strategy\": [";
      for (std::size_t a = 0; a < A; ++a) out += (a ? ", " : "") + json_number(n.strategy[h * A + a], 6);
      out += "]";
    }
    out += ", \"ev\": " + number_or_null(n.ev[p][h]) + ", \"equity\": " + number_or_null(n.equity[p][h], 6) + "}";
  }
  return out + "]";
}

// The chart cell of a hand (its two cards, higher first).
void cell_of(int high, int low, int& row, int& col) {
  const int ascending[2] = {low, high};
  class_cell(ascending, row, col);
}

// The class of player p's hand h for --hands: its chart cell (two cards), or
// its ranks, highest first (four and five cards), as (-ranks in base 13, 0)
// so that the higher ranks come first.
std::pair<int, int> hand_class(const Node& n, int p, std::size_t h) {
  const auto k = static_cast<std::size_t>(n.hand_cards);
  const int* cards = n.cards[p].data() + k * h;
  if (k == 2) {
    int row = 0, col = 0;
    cell_of(cards[0], cards[1], row, col);
    return {row, col};
  }
  std::vector<int> ranks;
  for (std::size_t i = 0; i < k; ++i) ranks.push_back(cards[i] / 4);
  std::sort(ranks.rbegin(), ranks.rend());
  int code = 0;
  for (int r : ranks) code = code * 13 + r;
  return {-code, 0};
}

std::string class_name(const Node& n, std::pair<int, int> cls) {
  if (n.hand_cards == 2) return class_label(cls.first, cls.second);
  std::string ranks;
  for (int code = -cls.first, i = 0; i < n.hand_cards; ++i, code /= 13) ranks.insert(ranks.begin(), "23456789TJQKA"[code % 13]);
  return ranks;
}

// Appends a lock file's lines ("PATH|HAND|ACTION:FREQ,..." or
// "PATH=ACTION:FREQ,..."; '#' comments) to `locks`.
std::string read_lock_file(const std::string& path, std::string& locks) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return "--lock-file: cannot open " + path;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) locks.append(buffer, got);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return "--lock-file: cannot read " + path;
  locks += "\n";
  return {};
}

// A loaded solution's saved result, and its spot's game, root board, pot and
// stack into the query (for the report's first line).
int loaded_result(const oddsmith_solver* solver, oddsmith_solver_query& q, std::string& board,
                  oddsmith_solver_result& result) {
  oddsmith_solver_last_result(solver, &result, &q.game);
  char error[256] = "";
  oddsmith_solver_node* root = oddsmith_solver_node_at(solver, "", error, static_cast<int>(sizeof error));
  if (root) {
    oddsmith_solver_node_info info{};
    info.size = sizeof info;
    oddsmith_solver_node_summary(root, &info);
    oddsmith_solver_node_free(root);
    board.clear();
    for (int c = 0; c < info.board_count; ++c) board += (c ? " " : "") + card_text(info.board[c]);
    q.pot = info.pot;
    q.stack = info.stacks[0];
  }
  return result.converged ? ODDSMITH_STATUS_OK : ODDSMITH_STATUS_TARGET_NOT_MET;
}

struct SolveProgress {
  ProgressBar bar;
  double first = -1, target = 0.5;
  int max_iterations = 1000;
  double max_seconds = 0;
  static int update(int iteration, double exploitability_pct, double seconds, void* self) {
    auto* p = static_cast<SolveProgress*>(self);
    double done = static_cast<double>(iteration) / p->max_iterations;
    if (p->max_seconds > 0) done = std::max(done, seconds / p->max_seconds);
    if (exploitability_pct > 0) {
      if (p->first < 0) p->first = exploitability_pct;
      if (p->target > 0 && p->first > p->target)
        done = std::max(done, std::log(p->first / exploitability_pct) / std::log(p->first / p->target) * 0.95);
    }
    ProgressBar::update(std::min(done, 0.99), &p->bar);
    return 0;
  }
};

}  // namespace

// cppcheck-suppress passedByValue
int run_solve(Args args) {  // NOLINT(performance-unnecessary-value-param)
  std::vector<KnownOption> known = {
      {"--game", Takes::value},         {"--board", Takes::cards, "-b"},  {"--dead", Takes::cards, "-d"},
      {"--pot", Takes::value},          {"--stack", Takes::value},        {"--donk"},
      {"--add-allin", Takes::value},    {"--force-allin", Takes::value},  {"--merge", Takes::value},
      {"--max-raises", Takes::value},   {"--rake", Takes::value},         {"--target", Takes::value},
      {"--max-iterations", Takes::value}, {"--max-seconds", Takes::value}, {"--max-memory", Takes::value},
      {"--threads", Takes::value},      {"--compress"},                   {"--path", Takes::value},
      {"--tree"},                       {"--depth", Takes::value},        {"--hands"},
      {"--json"},                       {"--svg", Takes::value},          {"--lock", Takes::value},
      {"--lock-file", Takes::value},    {"--save", Takes::value},         {"--save-bits", Takes::value},
      {"--load", Takes::value}};
  static const std::vector<std::string> sized = [] {
    std::vector<std::string> names;
    for (const char* who : {"", "oop-", "ip-"})
      for (const char* street : kStreets)
        for (const char* what : {"bets", "raises"}) names.push_back(std::string("--") + who + street + "-" + what);
    return names;
  }();
  for (const std::string& name : sized) known.push_back({name, Takes::value});
  ReadArgs read;
  if (std::string e = read_options(args, known, "solve", read); !e.empty()) return fail(e);
  const bool loading = read.has("--load");
  if (loading && !read.positionals.empty()) return fail("solve --load reads the spot from the file: no ranges are given");
  if (!loading && read.positionals.size() != 2)
    return fail("solve takes two ranges, OOP's then IP's (\"QQ-22, AQs+\" \"AA-22, AKo\"), not " +
                std::to_string(read.positionals.size()) + " arguments");
  const std::string oop(loading ? "" : read.positionals[0]), ip(loading ? "" : read.positionals[1]);
  oddsmith_solver_query q;
  oddsmith_solver_query_init(&q);
  q.ranges[0] = oop.c_str();
  q.ranges[1] = ip.c_str();
  std::string board, dead, path, svg;
  // Sizes: every street, both players, unless given.
  std::string sizes[3][2][2];
  for (auto& street : sizes)
    for (auto& player : street) {
      player[0] = "33%, 75%";
      player[1] = "2.5x";
    }
  oddsmith_solve_options options{};
  options.size = sizeof options;
  options.target_pct = 0.5;
  options.max_iterations = 1000;
  bool json = false, tree = false, hands = false;
  std::string locks, save, load;
  long long save_bits = 16;
  long long depth = -1;
  oddsmith_game_facts game{};
  for (const auto& o : read.options) {
    std::string e;
    long long n = 0;
    if (o.name == "--game") {
      e = read_game(o.value, game);
      if (e.empty()) q.game = game.game;
    } else if (o.name == "--board") board = o.value;
    else if (o.name == "--dead") dead = o.value;
    else if (o.name == "--pot") { e = parse_count("--pot", o.value, 1, 100000000, n); q.pot = static_cast<int>(n); }
    else if (o.name == "--stack") { e = parse_count("--stack", o.value, 0, 100000000, n); q.stack = static_cast<int>(n); }
    else if (o.name == "--donk") q.donk = 1;
    else if (o.name == "--add-allin") e = parse_positive("--add-allin", o.value, q.add_allin);
    else if (o.name == "--force-allin") e = parse_positive("--force-allin", o.value, q.force_allin);
    else if (o.name == "--merge") e = parse_positive("--merge", o.value, q.merge);
    else if (o.name == "--max-raises") {
      if (o.value == "none") q.max_raises = ODDSMITH_SOLVER_NO_RAISE_CAP;
      else { e = parse_count("--max-raises", o.value, 0, 1000, n); q.max_raises = static_cast<int>(n); }
    } else if (o.name == "--rake") {
      std::vector<double> rake;
      std::string value = o.value;
      const bool percent = !value.empty() && value.find('%') != std::string::npos;
      value.erase(std::remove(value.begin(), value.end(), '%'), value.end());
      e = parse_number_list("--rake", value, rake);
      if (e.empty() && (rake.empty() || rake.size() > 2)) e = "--rake takes RATE or RATE,CAP (0.05,3 or 5%,3)";
      if (e.empty()) {
        q.rake_rate = percent ? rake[0] / 100 : rake[0];
        q.rake_cap = rake.size() > 1 ? rake[1] : 0;
        if (q.rake_rate >= 1) e = "--rake: the rate is a share of the pot below 1 (0.05, or 5%)";
      }
    } else if (o.name == "--target") e = parse_positive("--target", o.value, options.target_pct);
    else if (o.name == "--max-iterations") {
      e = parse_count("--max-iterations", o.value, 1, 100000000, n);
      options.max_iterations = static_cast<int>(n);
    } else if (o.name == "--max-seconds") e = parse_positive("--max-seconds", o.value, options.max_seconds);
    else if (o.name == "--max-memory") e = parse_memory(o.value, q.max_memory);
    else if (o.name == "--threads") { e = parse_count("--threads", o.value, 0, 1024, n); q.threads = static_cast<int>(n); }
    else if (o.name == "--compress") q.compress = 1;
    else if (o.name == "--path") path = o.value;
    else if (o.name == "--tree") tree = true;
    else if (o.name == "--depth") e = parse_count("--depth", o.value, 0, 1000, depth);
    else if (o.name == "--hands") hands = true;
    else if (o.name == "--json") json = true;
    else if (o.name == "--svg") svg = o.value;
    else if (o.name == "--lock") locks += o.value + "\n";
    else if (o.name == "--lock-file") e = read_lock_file(o.value, locks);
    else if (o.name == "--save") save = o.value;
    else if (o.name == "--save-bits") {
      e = parse_count("--save-bits", o.value, 16, 32, save_bits);
      if (e.empty() && save_bits != 16 && save_bits != 32) e = "--save-bits is 16 or 32";
    } else if (o.name == "--load") load = o.value;
    else {
      // --[oop-|ip-]STREET-bets|raises
      std::string_view name = o.name.substr(2);
      int who = -1;
      if (name.substr(0, 4) == "oop-") who = 0, name.remove_prefix(4);
      else if (name.substr(0, 3) == "ip-") who = 1, name.remove_prefix(3);
      for (int s = 0; s < 3; ++s)
        for (int r = 0; r < 2; ++r)
          if (name == std::string(kStreets[s]) + (r ? "-raises" : "-bets"))
            for (int p = 0; p < 2; ++p)
              if (who < 0 || who == p) sizes[s][p][r] = o.value == "none" ? "" : o.value;
    }
    if (!e.empty()) return fail(e);
  }
  if (options.target_pct == 0) options.target_pct = -1;  // --target 0: no target
  if (loading) options.target_pct = 0;  // the saved solve's result is told as it was
  if (loading && (read.has("--lock") || read.has("--lock-file") || read.has("--tree")))
    return fail("solve --load reads the locks and the tree from the file");
  if (board.empty() && !loading) return fail("solve needs a --board of 3, 4 or 5 cards");
  q.board = board.c_str();
  q.dead = dead.empty() ? nullptr : dead.c_str();
  q.locks = locks.empty() ? nullptr : locks.c_str();
  if (!loading && (!read.has("--pot") || !read.has("--stack"))) return fail("solve needs --pot and --stack (chips)");
  for (int s = 0; s < 3; ++s)
    for (int p = 0; p < 2; ++p) {
      q.bets[s][p] = sizes[s][p][0].c_str();
      q.raises[s][p] = sizes[s][p][1].c_str();
    }
  char error[1024] = "";

  if (tree) {
    oddsmith_solver_tree_info info{};
    info.size = sizeof info;
    const int length = 1 << 22;
    std::string text(static_cast<std::size_t>(length), '\0');
    const int status = oddsmith_solver_measure(&q, &info, text.data(), length, static_cast<int>(depth), error,
                                               static_cast<int>(sizeof error));
    if (status == ODDSMITH_STATUS_BAD_QUERY) return fail(error);
    text.resize(std::strlen(text.c_str()));
    if (json) {
      std::printf("{\"street_trees\": %lld, \"action_nodes\": %lld, \"terminal_nodes\": %lld, \"chance_nodes\": %lld, "
                  "\"stored_values\": %lld, \"memory_bytes\": %lld, \"hands\": [%d, %d], \"over_memory_bound\": %s, "
                  "\"tree\": %s}\n",
                  info.street_trees, info.action_nodes, info.terminal_nodes, info.chance_nodes, info.stored_values,
                  info.memory_bytes, info.hands[0], info.hands[1],
                  status == ODDSMITH_STATUS_NO_MEMORY ? "true" : "false", json_string(text).c_str());
    } else {
      std::fputs(text.c_str(), stdout);
      std::printf("hands: OOP %d, IP %d\n", info.hands[0], info.hands[1]);
    }
    if (status == ODDSMITH_STATUS_NO_MEMORY) warn(error);
    return 0;
  }

  oddsmith_solver* solver = loading ? oddsmith_solver_load(load.c_str(), q.threads, q.max_memory, error,
                                                          static_cast<int>(sizeof error))
                                    : oddsmith_solver_create(&q, error, static_cast<int>(sizeof error));
  if (!solver) return fail(loading ? "--load: " + std::string(error) : std::string(error));
  SolveProgress progress;
  progress.target = options.target_pct;
  progress.max_iterations = options.max_iterations;
  progress.max_seconds = options.max_seconds;
  if (progress_wanted()) {
    options.progress = SolveProgress::update;
    options.progress_user = &progress;
  }
  oddsmith_solver_result result{};
  result.size = sizeof result;
  const int status = loading ? loaded_result(solver, q, board, result)
                             : oddsmith_solver_solve(solver, &options, &result, error, static_cast<int>(sizeof error));
  progress.bar.clear();
  if (status != ODDSMITH_STATUS_OK && status != ODDSMITH_STATUS_TARGET_NOT_MET) {
    oddsmith_solver_free(solver);
    return fail(error);
  }
  if (!save.empty() &&
      oddsmith_solver_save(solver, save.c_str(), static_cast<int>(save_bits), error, static_cast<int>(sizeof error)) !=
          ODDSMITH_STATUS_OK) {
    oddsmith_solver_free(solver);
    return fail("--save: " + std::string(error));
  }
  std::vector<std::string> locked;
  {
    std::string text(static_cast<std::size_t>(std::max(0, oddsmith_solver_locks(solver, nullptr, 0))), '\0');
    oddsmith_solver_locks(solver, text.data(), static_cast<int>(text.size()) + 1);
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
      end = text.find('\n', start);
      locked.push_back(text.substr(start, end - start));
    }
  }
  oddsmith_solver_node* handle = oddsmith_solver_node_at(solver, path.c_str(), error, static_cast<int>(sizeof error));
  if (!handle) {
    oddsmith_solver_free(solver);
    return fail("--path: " + std::string(error));
  }
  oddsmith_game_facts facts{};
  facts.size = sizeof facts;
  const int hand_cards = oddsmith_game_info(q.game, nullptr, &facts) >= 0 ? facts.hole_cards : 2;
  const Node n = read_node(handle, hand_cards);
  oddsmith_solver_node_free(handle);
  oddsmith_solver_free(solver);
  const int actor = n.info.kind == ODDSMITH_NODE_ACTION ? n.info.player : 0;
  std::string board_text;
  for (int c = 0; c < n.info.board_count; ++c) board_text += (c ? " " : "") + card_text(n.info.board[c]);

  if (json) {
    std::string out = "{\"exploitability\": " + json_number(result.exploitability, 8) +
                      ", \"exploitability_pct\": " + json_number(result.exploitability_pct, 6) +
                      ", \"iterations\": " + std::to_string(result.iterations) +
                      ", \"seconds\": " + json_number(result.seconds, 4) +
                      ", \"memory_bytes\": " + std::to_string(result.memory_bytes) +
                      ", \"converged\": " + (result.converged ? "true" : "false") +
                      ", \"target_pct\": " + (options.target_pct > 0 ? json_number(options.target_pct, 6) : "null") +
                      ", \"locked_nodes\": [";
    for (std::size_t i = 0; i < locked.size(); ++i) out += (i ? ", " : "") + json_string(locked[i]);
    out += "], \"players\": [";
    for (int p = 0; p < 2; ++p)
      out += std::string(p ? ", " : "") + "{\"position\": \"" + kPositions[p] + "\", \"ev\": " +
             json_number(result.ev[p], 8) + ", \"equity\": " + json_number(result.equity[p], 6) + "}";
    out += "], \"node\": {\"path\": " + json_string(n.path) + ", \"kind\": \"" + kind_name(n.info.kind) + "\"";
    out += ", \"player\": " + (n.info.kind == ODDSMITH_NODE_ACTION || n.info.kind == ODDSMITH_NODE_FOLD
                                   ? std::string("\"") + kPositions[n.info.player] + "\""
                                   : std::string("null"));
    out += ", \"locked_hands\": " + std::to_string(n.info.locked_hands);
    out += ", \"board\": " + json_string(board_text) + ", \"pot\": " + std::to_string(n.info.pot) +
           ", \"stacks\": [" + std::to_string(n.info.stacks[0]) + ", " + std::to_string(n.info.stacks[1]) + "]";
    out += ", \"actions\": [";
    for (std::size_t a = 0; a < n.kinds.size(); ++a) {
      static const char* const kNames[] = {"check", "bet", "raise", "call", "fold", "allin"};
      out += std::string(a ? ", " : "") + "{\"name\": \"" + kNames[n.kinds[a]] + "\", \"amount\": " +
             std::to_string(n.amounts[a]) + ", \"frequency\": " + number_or_null(n.frequencies[a], 6) +
             ", \"sizes\": " + json_string(n.sizes[a]) + "}";
    }
    out += "], \"cards\": [";
    for (std::size_t c = 0; c < n.next_cards.size(); ++c) out += (c ? ", \"" : "\"") + card_text(n.next_cards[c]) + "\"";
    out += "], \"ranges\": [";
    for (int p = 0; p < 2; ++p)
      out += std::string(p ? ", " : "") + "{\"position\": \"" + kPositions[p] + "\", \"weight\": " +
             json_number(n.info.total_weight[p], 8) + ", \"ev\": " + number_or_null(n.info.ev[p]) +
             ", \"equity\": " + number_or_null(n.info.equity[p], 6) + "}";
    const bool acting = n.info.kind == ODDSMITH_NODE_ACTION;
    out += "], \"hands\": " + hands_json(n, actor, acting) + ", \"other_hands\": " + hands_json(n, 1 - actor, false) +
           "}}\n";
    std::fputs(out.c_str(), stdout);
  } else {
    std::string title = facts.title;
    if (!title.empty()) title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
    std::printf("%s: board %s, pot %d, stacks %d; OOP %d hands, IP %d hands\n", title.c_str(), board.c_str(), q.pot, q.stack,
                n.info.hand_count[0], n.info.hand_count[1]);
    std::printf("Exploitability %.3f%% of the pot (%.3f chips) after %d iterations, %.3f s, %.1f MiB%s\n",
                result.exploitability_pct, result.exploitability, result.iterations, result.seconds,
                static_cast<double>(result.memory_bytes) / (1 << 20),
                result.converged ? "" : options.target_pct > 0 ? " (short of the target)" : "");
    std::printf("OOP: EV %.2f chips, equity %.1f%%   IP: EV %.2f chips, equity %.1f%%\n\n", result.ev[0],
                100 * result.equity[0], result.ev[1], 100 * result.equity[1]);
    if (!locked.empty()) {
      std::printf("Locked nodes:");
      for (std::size_t i = 0; i < locked.size(); ++i) std::printf("%s \"%s\"", i ? "," : "", locked[i].c_str());
      std::printf("\n\n");
    }
    std::printf("%s (board %s, pot %d): ", n.path.empty() ? "Root" : ("Node \"" + n.path + "\"").c_str(),
                board_text.c_str(), n.info.pot);
    if (n.info.kind == ODDSMITH_NODE_ACTION) {
      std::printf("%s to act%s\n", kPlayers[n.info.player],
                  n.info.locked_hands == 0 ? ""
                  : n.info.locked_hands == n.info.hand_count[n.info.player]
                      ? " (locked)"
                      : (" (" + std::to_string(n.info.locked_hands) + " hands locked)").c_str());
      for (std::size_t a = 0; a < n.kinds.size(); ++a)
        std::printf("  %-12s %6.1f%%\n", action_label(n.kinds[a], n.amounts[a]).c_str(), 100 * n.frequencies[a]);
    } else if (n.info.kind == ODDSMITH_NODE_CHANCE) {
      std::printf("the next card comes (%zu can)\n", n.next_cards.size());
    } else {
      std::printf("%s\n", n.info.kind == ODDSMITH_NODE_FOLD ? (std::string(kPlayers[n.info.player]) + " folded").c_str()
                          : n.info.kind == ODDSMITH_NODE_SHOWDOWN ? "showdown"
                                                                  : "all-in: the board runs out");
    }
    for (int p = 0; p < 2; ++p)
      std::printf("  %-3s reaching weight %.2f, EV %.2f chips, equity %.1f%%\n", kPlayers[p], n.info.total_weight[p],
                  n.info.ev[p], 100 * n.info.equity[p]);
    if (hands && n.info.kind == ODDSMITH_NODE_ACTION) {
      // The acting range class by class.
      const std::size_t A = n.kinds.size();
      std::map<std::pair<int, int>, std::vector<double>> classes;  // cell -> weight, ev*weight, action shares
      for (std::size_t h = 0; h < n.weight[actor].size(); ++h) {
        const double w = n.weight[actor][h];
        if (w <= 0) continue;
        auto& c = classes[hand_class(n, actor, h)];
        c.resize(2 + A);
        c[0] += w;
        if (!std::isnan(n.ev[actor][h])) c[1] += w * n.ev[actor][h];
        for (std::size_t a = 0; a < A; ++a) c[2 + a] += w * n.strategy[h * A + a];
      }
      std::printf("\n  %-5s %7s %8s", "class", "weight", "EV");
      for (std::size_t a = 0; a < A; ++a) std::printf(" %10s", action_label(n.kinds[a], n.amounts[a]).c_str());
      std::printf("\n");
      for (const auto& [cell, c] : classes) {
        std::printf("  %-5s %7.2f %8.2f", class_name(n, cell).c_str(), c[0], c[1] / c[0]);
        for (std::size_t a = 0; a < A; ++a) std::printf(" %9.1f%%", 100 * c[2 + a] / c[0]);
        std::printf("\n");
      }
    }
  }

  if (!svg.empty()) {
    if (n.info.kind != ODDSMITH_NODE_ACTION) return fail("--svg draws the strategy of a node where a player acts");
    if (n.hand_cards != 2) return fail("--svg draws a chart of two-card classes (Hold'em and short deck)");
    const int grid = q.game == ODDSMITH_GAME_SHORTDECK ? 9 : 13;
    pictures::StrategyPicture pic;
    pic.grid = grid;
    const std::size_t A = n.kinds.size();
    for (std::size_t a = 0; a < A; ++a) pic.actions.push_back(action_label(n.kinds[a], n.amounts[a]));
    pic.kinds = n.kinds;
    pic.frequencies = n.frequencies;
    const auto cells = static_cast<std::size_t>(grid) * static_cast<std::size_t>(grid);
    pic.weight.assign(cells, 0.0);
    pic.cells.assign(cells * A, 0.0);
    for (std::size_t h = 0; h < n.weight[actor].size(); ++h) {
      const double w = n.weight[actor][h];
      if (w <= 0) continue;
      int row = 0, col = 0;
      cell_of(n.cards[actor][2 * h], n.cards[actor][2 * h + 1], row, col);
      if (row >= grid || col >= grid) continue;
      const std::size_t c = static_cast<std::size_t>(row) * static_cast<std::size_t>(grid) + static_cast<std::size_t>(col);
      pic.weight[c] += w;
      for (std::size_t a = 0; a < A; ++a) pic.cells[c * A + a] += w * n.strategy[h * A + a];
    }
    for (std::size_t c = 0; c < pic.weight.size(); ++c)
      if (pic.weight[c] > 0)
        for (std::size_t a = 0; a < A; ++a) pic.cells[c * A + a] /= pic.weight[c];
    pic.title = std::string(kPlayers[actor]) + " at " + (n.path.empty() ? "the root" : "\"" + n.path + "\"") + " on " +
                board_text;
    char subtitle[256];
    std::snprintf(subtitle, sizeof subtitle, "Pot %d, stacks %d/%d; exploitability %.2f%% of the pot after %d iterations",
                  n.info.pot, n.info.stacks[0], n.info.stacks[1], result.exploitability_pct, result.iterations);
    pic.subtitle = subtitle;
    if (std::string e = write_file_atomically(svg, pictures::strategy_svg(pic)); !e.empty()) return fail(e);
  }
  return status == ODDSMITH_STATUS_OK ? 0 : kTargetNotMetExit;
}

}  // namespace cli
