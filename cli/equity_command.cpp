// equity: the calculator on the command line, every player a hand or a range;
// a table, or one JSON object. Exit status 0, 2 for a refused query, 3 when a
// standard-error target was given up (the answer reached is still printed).
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

constexpr int kTargetNotMet = 3;

// A bar on standard error once a run has taken a second, when it is a terminal:
// the share done, the time taken and, once a few percent are done, the time
// left at the pace so far.
struct ProgressBar {
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  bool shown = false;

  static int update(double done, void* self) {
    auto* bar = static_cast<ProgressBar*>(self);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - bar->start).count();
    if (elapsed < 1.0) return 0;
    const int width = 30, filled = static_cast<int>(done * width);
    char left[48] = "";
    if (done >= 0.02 && done < 1) std::snprintf(left, sizeof left, ", about %.0f s left", elapsed * (1 - done) / done);
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%  %.0f s%-24s", filled, "##############################", width - filled, "",
                 static_cast<int>(done * 100), elapsed, left);
    std::fflush(stderr);
    bar->shown = true;
    return 0;
  }

  void clear() const {
    if (shown) std::fprintf(stderr, "\r%80s\r", "");
  }
};

}  // namespace

int run_equity_command(Args args) {
  oddsmith_equity_query query{};
  query.size = sizeof query;
  const char* game_name = "holdem";
  std::string board, dead;
  std::vector<std::string> players;
  bool json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool has_value = i + 1 < args.size();
    long long n = 0;
    if (arg == "--json") {
      json = true;
    } else if (arg == "--exact") {
      query.mode = ODDSMITH_MODE_EXACT;
    } else if (arg == "--monte-carlo") {
      query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (arg == "--game" && has_value) {
      const std::string_view name = args[++i];
      const GameName* game = find_game(name);
      if (!game) return fail("--game must be " + std::string(kGameChoices) + ", got '" + std::string(name) + "'");
      game_name = game->name;
      query.game = game->game;
    } else if ((arg == "--board" || arg == "-b") && has_value) {
      take_cards_value(args, i, board);
    } else if ((arg == "--dead" || arg == "-d") && has_value) {
      take_cards_value(args, i, dead);
    } else if (arg == "--trials" && has_value) {
      if (std::string e = parse_count("--trials", args[++i], 1, ODDSMITH_MAX_TRIALS, n); !e.empty()) return fail(e);
      query.trials = n;
      if (query.mode == ODDSMITH_MODE_AUTO) query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (arg == "--seed" && has_value) {
      if (std::string e = parse_seed("--seed", args[++i], query.seed); !e.empty()) return fail(e);
    } else if (arg == "--threads" && has_value) {
      if (std::string e = parse_count("--threads", args[++i], 0, 256, n); !e.empty()) return fail(e);
      query.threads = static_cast<int>(n);
    } else if (arg == "--stderr" && has_value) {
      const std::string text(args[++i]);
      char* end = nullptr;
      const double x = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(x > 0 && x < 1)) return fail("--stderr must be a number between 0 and 1");
      query.target_stderr = x;
      if (query.mode == ODDSMITH_MODE_AUTO) query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (arg == "--max-seconds" && has_value) {
      const std::string text(args[++i]);
      char* end = nullptr;
      const double x = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(x > 0 && x <= 1e9)) return fail("--max-seconds must be a number of seconds above 0");
      query.max_seconds = x;
    } else if (arg.starts_with("-") && arg.size() > 1) {
      return fail("equity: unknown option or missing value '" + std::string(arg) + "'; see oddsmith equity --help");
    } else {
      players.emplace_back(arg);
    }
  }
  if (players.size() < 2) return fail("equity needs at least two players, e.g. oddsmith equity AhKh QsQd");
  std::vector<const char*> texts(players.size());
  for (std::size_t p = 0; p < players.size(); ++p) texts[p] = players[p].c_str();
  query.player_count = static_cast<int>(texts.size());
  query.players = texts.data();
  query.board = board.c_str();
  query.dead = dead.c_str();
  ProgressBar bar;
  if (isatty(2)) {
    query.progress = ProgressBar::update;
    query.progress_user = &bar;
  }
  oddsmith_equity_result result{};
  result.size = sizeof result;
  char error[512] = "";
  const int status = oddsmith_equity(&query, &result, error, sizeof error);
  bar.clear();
  if (status != ODDSMITH_STATUS_OK && status != ODDSMITH_STATUS_TARGET_NOT_MET) return fail(error);
  const bool target_met = status == ODDSMITH_STATUS_OK;
  if (!target_met)
    std::fprintf(stderr, "oddsmith: warning: %s; these are the estimates reached (see +/-)\n", error);

  // Hi/Lo: the scoops and each half's part of the equity instead of win and tie.
  const bool hilo = query.game == ODDSMITH_GAME_OMAHA_HILO;
  if (json) {
    std::printf("{\"game\": \"%s\", \"exact\": %s, \"deals\": %lld, \"seconds\": %s", game_name,
                result.exact ? "true" : "false", result.deals, json_number(result.seconds, 4).c_str());
    if (!result.exact) std::printf(", \"seed\": %llu, \"target_met\": %s", result.seed, target_met ? "true" : "false");
    std::printf(", \"players\": [");
    for (int p = 0; p < result.player_count; ++p) {
      const oddsmith_player_equity& e = result.players[p];
      std::printf("%s{\"range\": %s, \"equity\": %s, \"win\": %s, \"tie\": %s, \"stderr\": %s", p ? ", " : "",
                  json_string(players[static_cast<std::size_t>(p)]).c_str(), json_number(e.equity).c_str(),
                  json_number(e.win).c_str(), json_number(e.tie).c_str(), json_number(e.std_error).c_str());
      if (hilo)
        std::printf(", \"scoop\": %s, \"high_equity\": %s, \"low_equity\": %s", json_number(e.win).c_str(),
                    json_number(e.equity - result.low_equity[p]).c_str(), json_number(result.low_equity[p]).c_str());
      std::printf("}");
    }
    std::printf("]}\n");
    return target_met ? 0 : kTargetNotMet;
  }
  if (hilo)
    std::printf("%-6s %-24s %9s %9s %9s %9s %9s\n", "player", "range", "equity", "scoop", "high", "low", "+/-");
  else
    std::printf("%-6s %-24s %9s %9s %9s %9s\n", "player", "range", "equity", "win", "tie", "+/-");
  for (int p = 0; p < result.player_count; ++p) {
    const oddsmith_player_equity& e = result.players[p];
    std::string shown = players[static_cast<std::size_t>(p)];
    if (shown.size() > 24) shown.replace(21, std::string::npos, "...");
    char margin[32] = "exact";
    if (!result.exact) std::snprintf(margin, sizeof margin, "%.3f%%", e.std_error * 100);
    std::printf("%-6d %-24s %8.3f%%", p + 1, shown.c_str(), e.equity * 100);
    if (hilo)
      std::printf(" %8.3f%% %8.3f%% %8.3f%%", e.win * 100, (e.equity - result.low_equity[p]) * 100, result.low_equity[p] * 100);
    else
      std::printf(" %8.3f%% %8.3f%%", e.win * 100, e.tie * 100);
    std::printf(" %9s\n", margin);
  }
  if (hilo) std::printf("\nscoop: deals won whole; high, low: the equity won with each half of the pot\n");
  if (result.exact)
    std::printf("\n%s, exact: %lld deals in %.3f s\n", game_name, result.deals, result.seconds);
  else
    std::printf("\n%s, Monte Carlo: %lld deals in %.3f s (seed %llu)%s\n", game_name, result.deals, result.seconds,
                result.seed, target_met ? "" : ", target not met");
  return target_met ? 0 : kTargetNotMet;
}

}  // namespace cli
