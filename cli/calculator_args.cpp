#include "calculator_args.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cli {

std::string parse_calculator_args(const Args& args, const char* command, CalculatorArgs& out, bool takes_svg) {
  std::vector<KnownOption> known = {
      {"--json"},           {"--exact"},          {"--monte-carlo"},
      {"--game", Takes::value},   {"--board", Takes::cards, "-b"}, {"--dead", Takes::cards, "-d"},
      {"--trials", Takes::value}, {"--seed", Takes::value},        {"--threads", Takes::value},
      {"--stderr", Takes::value}, {"--max-seconds", Takes::value}};
  if (takes_svg) known.push_back({"--svg", Takes::value});
  ReadArgs read;
  if (std::string e = read_options(args, known, command, read); !e.empty()) return e;
  oddsmith_equity_query& query = out.query;
  query.size = sizeof query;
  out.game.size = sizeof out.game;
  query.game = oddsmith_game_info(ODDSMITH_GAME_HOLDEM, nullptr, &out.game);
  for (const ReadArgs::Option& option : read.options) {
    const std::string_view name = option.name;
    const std::string& value = option.value;
    long long n = 0;
    if (name == "--json") {
      out.json = true;
    } else if (name == "--exact") {
      query.mode = ODDSMITH_MODE_EXACT;
    } else if (name == "--monte-carlo") {
      query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (name == "--game") {
      if (std::string e = read_game(value, out.game); !e.empty()) return e;
      query.game = out.game.game;
    } else if (name == "--board") {
      out.board = value;
    } else if (name == "--dead") {
      out.dead = value;
    } else if (name == "--svg") {
      out.svg = value;
    } else if (name == "--trials") {
      if (std::string e = parse_count("--trials", value, 1, ODDSMITH_MAX_TRIALS, n); !e.empty()) return e;
      query.trials = n;
      if (query.mode == ODDSMITH_MODE_AUTO) query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (name == "--seed") {
      if (std::string e = parse_seed("--seed", value, query.seed); !e.empty()) return e;
    } else if (name == "--threads") {
      if (std::string e = parse_count("--threads", value, 0, 256, n); !e.empty()) return e;
      query.threads = static_cast<int>(n);
    } else if (name == "--stderr") {
      char* end = nullptr;
      const double x = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !(x > 0 && x < 1)) return "--stderr must be a number between 0 and 1";
      // A target does not choose the method: automatic mode still enumerates
      // when that is quick (an exact answer meets every target), as Python does.
      query.target_stderr = x;
    } else if (name == "--max-seconds") {
      char* end = nullptr;
      const double x = std::strtod(value.c_str(), &end);
      // Any finite number above 0, as Python takes; the library counts a bound
      // past 1e9 s as 1e9 s.
      if (value.empty() || *end != '\0' || !(x > 0 && std::isfinite(x)))
        return "--max-seconds must be a finite number of seconds above 0";
      query.max_seconds = x;
    }
  }
  for (std::string_view player : read.positionals) out.players.emplace_back(player);
  return {};
}

}  // namespace cli
