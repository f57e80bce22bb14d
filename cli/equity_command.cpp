// equity: the calculator on the command line, every player a hand or a range;
// a table, or one JSON object. Exit status 0, 2 for a refused query, 3 when a
// standard-error target was given up (the answer reached is still printed).
#include <cstdio>
#include <string>

#include "calculator_args.h"
#include "card_text.h"
#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

// Every command takes its arguments by value (the command table's signature).
// cppcheck-suppress passedByValue
int run_equity_command(Args args) {  // NOLINT(performance-unnecessary-value-param)
  CalculatorArgs parsed;
  if (std::string error = parse_calculator_args(args, "equity", parsed, false); !error.empty()) return fail(error);
  oddsmith_equity_query& query = parsed.query;
  const char* game_name = parsed.game.name;
  const std::vector<std::string>& players = parsed.players;
  const bool json = parsed.json;
  if (players.size() < 2) return fail("equity needs at least two players, e.g. oddsmith equity AhKh QsQd");
  std::vector<const char*> texts(players.size());
  for (std::size_t p = 0; p < players.size(); ++p) texts[p] = players[p].c_str();
  query.player_count = static_cast<int>(texts.size());
  query.players = texts.data();
  query.board = parsed.board.c_str();
  query.dead = parsed.dead.c_str();
  ProgressBar bar;
  bar.attach(query);
  oddsmith_equity_result result{};
  result.size = sizeof result;
  char error[512] = "";
  const int status = oddsmith_equity(&query, &result, error, sizeof error);
  bar.clear();
  if (status != ODDSMITH_STATUS_OK && status != ODDSMITH_STATUS_TARGET_NOT_MET) return fail(error);
  const bool target_met = status == ODDSMITH_STATUS_OK;
  if (!target_met)
    warn(std::string(error) + "; these are the estimates reached (see +/-)");

  // Hi/Lo: the scoops and each half's part of the equity instead of win and tie.
  const bool hilo = parsed.game.hilo != 0;
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
    return target_met ? 0 : kTargetNotMetExit;
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
  return target_met ? 0 : kTargetNotMetExit;
}

}  // namespace cli
