// holdem, omaha-equity and hilo-equity: the host's equity exports, one call each.
#include <cmath>
#include <cstdio>
#include <string>

#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

struct Game {
  const char* command;
  const char* name;  // in JSON
  int hole_cards;
  int max_opponents;
  int deals;
  int (*equity)(const std::vector<int>& cards, int known, int opponents, int range);
};

int holdem_call(const std::vector<int>& c, int known, int opponents, int range) {
  return poker_holdem_equity(c[0], c[1], known, opponents, range, c[2], c[3], c[4], c[5], c[6]);
}

int omaha_call(const std::vector<int>& c, int known, int opponents, int range) {
  return poker_omaha_equity(c[0], c[1], c[2], c[3], known, opponents, range, c[4], c[5], c[6], c[7], c[8]);
}

int hilo_call(const std::vector<int>& c, int known, int opponents, int range) {
  return poker_omahahl_equity(c[0], c[1], c[2], c[3], known, opponents, range, c[4], c[5], c[6], c[7], c[8]);
}

constexpr Game kHoldem{"holdem", "holdem", 2, ODDSMITH_HOLDEM_MAX_OPPONENTS, ODDSMITH_HOLDEM_DEALS, holdem_call};
constexpr Game kOmaha{"omaha-equity", "omaha", 4, ODDSMITH_OMAHA_MAX_OPPONENTS, ODDSMITH_OMAHA_DEALS, omaha_call};
constexpr Game kHiLo{"hilo-equity", "omaha-hilo", 4, ODDSMITH_OMAHA_MAX_OPPONENTS, ODDSMITH_OMAHA_DEALS, hilo_call};

// The standard error of a per-mille result over `deals` deals. A deal's share of
// 0 or 1 gives it exactly; shares between (split pots) make it smaller, so with
// split pots the figure is an upper bound.
double standard_error(int per_mille, int deals) {
  const double p = per_mille / 1000.0;
  return std::sqrt(p * (1 - p) / deals) * 1000.0;
}

int run_game(const Game& game, Args args) {
  const bool json = take_flag(args, "--json");
  const std::string name = game.command;
  if (args.empty()) return fail(name + " takes <hole cards> --opponents N [--board <0-5 cards>] [--range K]");
  std::vector<int> cards;
  if (std::string error = collect_cards({args[0]}, cards); !error.empty()) return fail(error);
  if (static_cast<int>(cards.size()) != game.hole_cards)
    return fail(name + " needs " + std::to_string(game.hole_cards) + " hole cards, got " + std::to_string(cards.size()));
  long long opponents = -1, range = 0;
  std::string_view board_text;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    std::string error;
    if (args[i] == "--opponents" && has_value) {
      error = parse_count("--opponents", args[++i], 0, game.max_opponents, opponents);
    } else if (args[i] == "--range" && has_value) {
      error = parse_count("--range", args[++i], 0, ODDSMITH_RANGE_SLOTS, range);
      if (!error.empty()) error += " (0: random opponents; 1..4: range slot 0..3)";
    } else if (args[i] == "--board" && has_value) {
      board_text = args[++i];
    } else {
      error = "unexpected '" + std::string(args[i]) + "'";
    }
    if (!error.empty()) return fail(error);
  }
  if (opponents < 0) return fail(name + " needs --opponents N (0 to " + std::to_string(game.max_opponents) + ")");
  if (std::string error = collect_cards({board_text}, cards); !error.empty()) return fail(error);
  const int known = static_cast<int>(cards.size()) - game.hole_cards;
  if (known > 5) return fail("--board takes at most 5 cards, got " + std::to_string(known));
  cards.resize(static_cast<std::size_t>(game.hole_cards) + 5, 0);
  int result = 0;
  const auto call = [&] { result = game.equity(cards, known, static_cast<int>(opponents), static_cast<int>(range)); };
  // The Omaha export writes "<score sum>,<deals> " to standard output: framed
  // in the text, a field of its own in JSON.
  std::string library_output;
  if (json) {
    library_output = capture_stdout(call);
  } else if (game.hole_cards == 4 && &game == &kOmaha) {
    std::printf("(library: ");
    std::fflush(stdout);
    call();
    std::printf(")\n");
  } else {
    call();
  }
  if (result < 0) return fail("the library refused these arguments");
  const double se = standard_error(result, game.deals);
  const bool split_pots = game.hole_cards == 4;
  if (json) {
    std::printf("{\"game\": \"%s\", \"per_mille\": %d, \"equity\": %s, \"standard_error\": %s, \"standard_error_is_bound\": %s, "
                "\"deals\": %d, \"opponents\": %lld, \"range\": %lld",
                game.name, result, json_number(result / 1000.0).c_str(), json_number(se / 1000.0, 4).c_str(),
                split_pots ? "true" : "false", game.deals, opponents, range);
    if (!library_output.empty()) std::printf(", \"library_output\": %s", json_string(library_output).c_str());
    std::printf("}\n");
    return 0;
  }
  std::printf("%d per mille (%.1f%%), standard error %s%.1f per mille\n", result, result / 10.0,
              split_pots ? "at most " : "", se);
  return 0;
}

// Fills every hand of range slot 0 of a game with copies of one hand.
void load_single_hand(const std::vector<int>& hand, int (*load)(const int*)) {
  std::vector<int> buffer(hand.size() * ODDSMITH_RANGE_SLOTS * ODDSMITH_RANGE_HANDS);
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = hand[i % hand.size()];
  load(buffer.data());
}

}  // namespace

int run_holdem(Args args) { return run_game(kHoldem, std::move(args)); }
int run_omaha_equity(Args args) { return run_game(kOmaha, std::move(args)); }
int run_hilo_equity(Args args) { return run_game(kHiLo, std::move(args)); }

int run_demo() {
  std::printf("oddsmith demonstration (hand values: 1 best .. %d worst)\n\n", ODDSMITH_WORST_HAND);
  for (const char* text : {"AsKsQsJsTs", "AcAdAhAsKd", "7c5d4h3s2c"}) {
    std::printf("  five cards  %-16s ", text);
    run_eval({text});
  }
  for (const char* text : {"2d2h2s3c3d3h3s", "AhKhQh2c3d9h8h"}) {
    std::printf("  seven cards %-16s ", text);
    run_eval({text});
  }
  std::printf("\n  Omaha: hole AcAdAhAs, board KcKdQhQsJc (two hole cards must play)\n");
  run_omaha({"--hole", "AcAdAhAs", "--board", "KcKdQhQsJc"});
  std::printf("\n  Omaha: hole 4s5s9c9d, board Ac2d3hKcKd\n");
  run_omaha({"--hole", "4s5s9c9d", "--board", "Ac2d3hKcKd"});
  // Matchups against one known hand: range slot 0 is filled with copies of it.
  struct Matchup {
    const Game& game;
    const char *player, *opponent;
    int (*load)(const int*);
  };
  std::printf("\n  Preflop matchups against one known hand (ties split in Omaha, count as wins in Hold'em):\n");
  for (const Matchup& m : {Matchup{kHoldem, "AhAs", "KdKc", poker_set_holdem_range_simul},
                           Matchup{kHoldem, "AhKs", "QdQc", poker_set_holdem_range_simul},
                           Matchup{kHoldem, "7s6s", "AcAd", poker_set_holdem_range_simul},
                           Matchup{kOmaha, "AhAsKhKs", "JcTc9d8d", poker_load_omaha_range},
                           Matchup{kHiLo, "Ad2d3sKs", "AhAcKdQc", poker_load_omahahl_range}}) {
    std::vector<int> opponent;
    collect_cards({m.opponent}, opponent);
    load_single_hand(opponent, m.load);
    std::printf("  %-12s %s vs %s: ", m.game.command, m.player, m.opponent);
    std::fflush(stdout);
    run_game(m.game, {m.player, "--opponents", "1", "--range", "1"});
  }
  std::printf("  holdem       AhKh vs 3 random hands: ");
  run_game(kHoldem, {"AhKh", "--opponents", "3"});
  std::printf("\n  The calculator, exact: AhKh against QsQd, and against the range QQ+, AKs on Qh7c2d\n");
  run_equity_command({"AhKh", "QsQd"});
  run_equity_command({"AhKh", "QQ+, AKs", "--board", "Qh7c2d"});
  std::printf("\nMore: oddsmith help\n");
  return 0;
}

}  // namespace cli
