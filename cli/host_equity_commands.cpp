// host holdem|omaha|hilo: the host's equity exports, one call each. What the
// Omaha export writes to standard output is kept out of the text and given in
// JSON as library_output.
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

constexpr Game kHoldem{"host holdem", "holdem", 2, ODDSMITH_HOLDEM_MAX_OPPONENTS, ODDSMITH_HOLDEM_DEALS, holdem_call};
constexpr Game kOmaha{"host omaha", "omaha", 4, ODDSMITH_OMAHA_MAX_OPPONENTS, ODDSMITH_OMAHA_DEALS, omaha_call};
constexpr Game kHiLo{"host hilo", "omaha-hilo", 4, ODDSMITH_OMAHA_MAX_OPPONENTS, ODDSMITH_OMAHA_DEALS, hilo_call};

// The standard error of a per-mille result over `deals` deals. A deal's share of
// 0 or 1 gives it exactly; shares between (split pots) make it smaller, so with
// split pots the figure is an upper bound.
double standard_error(int per_mille, int deals) {
  const double p = per_mille / 1000.0;
  return std::sqrt(p * (1 - p) / deals) * 1000.0;
}

std::vector<KnownOption> host_options() {
  return {{"--json"}, {"--opponents", Takes::value}, {"--range", Takes::value}, {"--board", Takes::cards, "-b"}};
}

// The host call of `game` with the hole cards as the one positional of `read`.
int run_game(const Game& game, const ReadArgs& read) {
  const std::string name = game.command;
  if (read.positionals.empty()) return fail(name + " takes <hole cards> --opponents N [--board <0-5 cards>] [--range K]");
  if (read.positionals.size() > 1) return fail(name + ": unexpected '" + std::string(read.positionals[1]) + "'");
  std::vector<int> cards;
  if (std::string error = collect_cards({read.positionals[0]}, cards); !error.empty()) return fail(error);
  if (static_cast<int>(cards.size()) != game.hole_cards)
    return fail(name + " needs " + std::to_string(game.hole_cards) + " hole cards, got " + std::to_string(cards.size()));
  const bool json = read.has("--json");
  long long opponents = -1, range = 0;
  std::string board_text;
  for (const ReadArgs::Option& option : read.options) {
    std::string error;
    if (option.name == "--opponents") {
      error = parse_count("--opponents", option.value, 0, game.max_opponents, opponents);
    } else if (option.name == "--range") {
      error = parse_count("--range", option.value, 0, ODDSMITH_RANGE_SLOTS, range);
      if (!error.empty()) error += " (0: random opponents; 1 to 4: the first to fourth stored range)";
    } else if (option.name == "--board") {
      board_text = option.value;
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
  // The Omaha export writes "<score sum>,<deals> " to standard output: a
  // field of its own in JSON, never part of the text a person reads.
  const std::string library_output = capture_stdout(call);
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

int run_game(const Game& game, const Args& args) {
  ReadArgs read;
  if (std::string error = read_options(args, host_options(), game.command, read); !error.empty()) return fail(error);
  return run_game(game, read);
}

}  // namespace

// The command table's signature takes the arguments by value.
int run_holdem(Args args) { return run_game(kHoldem, args); }        // NOLINT(performance-unnecessary-value-param)
int run_omaha_equity(Args args) { return run_game(kOmaha, args); }   // NOLINT(performance-unnecessary-value-param)
int run_hilo_equity(Args args) { return run_game(kHiLo, args); }     // NOLINT(performance-unnecessary-value-param)

// cppcheck-suppress passedByValue
int run_host(Args args) {  // NOLINT(performance-unnecessary-value-param)
  ReadArgs read;
  if (std::string error = read_options(args, host_options(), "host", read); !error.empty()) return fail(error);
  const std::string_view game = read.positionals.empty() ? "" : read.positionals.front();
  if (!read.positionals.empty()) read.positionals.erase(read.positionals.begin());
  for (const Game* g : {&kHoldem, &kOmaha, &kHiLo})
    if (game == std::string_view(g->command).substr(5)) return run_game(*g, read);
  return fail("host takes holdem, omaha or hilo, got '" + std::string(game) + "'; see oddsmith help host");
}

void load_single_hand(const char* game, const std::vector<int>& hand) {
  std::vector<int> buffer(hand.size() * ODDSMITH_RANGE_SLOTS * ODDSMITH_RANGE_HANDS);
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = hand[i % hand.size()];
  if (std::string_view(game) == "holdem")
    poker_set_holdem_range_simul(buffer.data());
  else if (std::string_view(game) == "omaha")
    poker_load_omaha_range(buffer.data());
  else
    poker_load_omahahl_range(buffer.data());
}

}  // namespace cli
