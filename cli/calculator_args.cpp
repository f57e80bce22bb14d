#include "calculator_args.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace cli {

std::string parse_calculator_args(const Args& args, const char* command, CalculatorArgs& out) {
  oddsmith_equity_query& query = out.query;
  query.size = sizeof query;
  out.game.size = sizeof out.game;
  query.game = oddsmith_game_info(ODDSMITH_GAME_HOLDEM, nullptr, &out.game);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool has_value = i + 1 < args.size();
    long long n = 0;
    if (arg == "--json") {
      out.json = true;
    } else if (arg == "--exact") {
      query.mode = ODDSMITH_MODE_EXACT;
    } else if (arg == "--monte-carlo") {
      query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (arg == "--game" && has_value) {
      if (std::string e = read_game(args[++i], out.game); !e.empty()) return e;
      query.game = out.game.game;
    } else if ((arg == "--board" || arg == "-b") && has_value) {
      take_cards_value(args, i, out.board);
    } else if ((arg == "--dead" || arg == "-d") && has_value) {
      take_cards_value(args, i, out.dead);
    } else if (arg == "--svg" && has_value) {
      out.svg = args[++i];
    } else if (arg == "--trials" && has_value) {
      if (std::string e = parse_count("--trials", args[++i], 1, ODDSMITH_MAX_TRIALS, n); !e.empty()) return e;
      query.trials = n;
      if (query.mode == ODDSMITH_MODE_AUTO) query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (arg == "--seed" && has_value) {
      if (std::string e = parse_seed("--seed", args[++i], query.seed); !e.empty()) return e;
    } else if (arg == "--threads" && has_value) {
      if (std::string e = parse_count("--threads", args[++i], 0, 256, n); !e.empty()) return e;
      query.threads = static_cast<int>(n);
    } else if (arg == "--stderr" && has_value) {
      const std::string text(args[++i]);
      char* end = nullptr;
      const double x = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(x > 0 && x < 1)) return "--stderr must be a number between 0 and 1";
      // A target does not choose the method: automatic mode still enumerates
      // when that is quick (an exact answer meets every target), as Python does.
      query.target_stderr = x;
    } else if (arg == "--max-seconds" && has_value) {
      const std::string text(args[++i]);
      char* end = nullptr;
      const double x = std::strtod(text.c_str(), &end);
      // Any finite number above 0, as Python takes; the library counts a bound
      // past 1e9 s as 1e9 s.
      if (text.empty() || *end != '\0' || !(x > 0 && std::isfinite(x)))
        return "--max-seconds must be a finite number of seconds above 0";
      query.max_seconds = x;
    } else if (arg.starts_with("-") && arg.size() > 1) {
      return std::string(command) + ": unknown option or missing value '" + std::string(arg) + "'; see oddsmith " +
             command + " --help";
    } else {
      out.players.emplace_back(arg);
    }
  }
  return {};
}

int ProgressBar::update(double done, void* self) {
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

void ProgressBar::clear() const {
  if (shown) std::fprintf(stderr, "\r%80s\r", "");
}

}  // namespace cli
