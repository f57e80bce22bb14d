// Command-line front end of the oddsmith library; uses only the public API.
//
//   oddsmith                               built-in demonstration
//   oddsmith eval As Ks Qs Js Ts [.. 7]    value and category of 5 or 7 cards
//   oddsmith omaha --hole AcAdAhAs --board KcKdQhQsJc
//   oddsmith bench [count]                 evaluations per second of the timing exports
//   oddsmith holdem AhKh --opponents 3 [--board QhJh2c] [--range 1..4]
//   oddsmith omaha-equity AhAsKhKs --opponents 2 [--board ...] [--range 1..4]
//   oddsmith hilo-equity Ad2d3sKs --opponents 2 [--board ...] [--range 1..4]

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "card_text.h"
#include "oddsmith.h"
#include "equity_command.h"
#include "range_command.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kOutputLost = 1;

constexpr const char* kUsage =
    "usage: oddsmith [command] [arguments]\n"
    "\n"
    "  (no command), demo                     a demonstration of every evaluator and game\n"
    "  eval CARDS                             value and category of 5 or 7 cards (As Ks Qs Js Ts)\n"
    "  omaha --hole CARDS --board CARDS       Omaha high and eight-or-better low (4 + 5 cards)\n"
    "  holdem CARDS --opponents N [--board CARDS] [--range K]\n"
    "                                         Hold'em equity, 120,000 deals; N 0..22\n"
    "  omaha-equity CARDS --opponents N [--board CARDS] [--range K]\n"
    "                                         Omaha high equity, 50,000 deals; N 0..10\n"
    "  hilo-equity CARDS --opponents N [--board CARDS] [--range K]\n"
    "                                         Omaha Hi/Lo equity, 50,000 deals; N 0..10\n"
    "  equity [options] PLAYER PLAYER...      equity of hands or ranges, exact or simulated;\n"
    "                                         see oddsmith equity --help\n"
    "  range TEXT [--game holdem|omaha|omaha-hilo] [--json]\n"
    "                                         the hands of a range; for Hold'em a 13x13 chart\n"
    "  bench [COUNT]                          evaluations per second of the timing exports\n"
    "  help, --help, -h                       this text\n"
    "\n"
    "Cards are a rank (23456789TJQKA) and a suit (cdhs): As, Td, 2c; they may be run\n"
    "together (AhKh). --board takes 0 to 5 known cards. --range K: 0 deals random\n"
    "opponents; K = 1..4 deals them from range slot K-1 (slot 0..3, range argument 1..4).\n"
    "Ranges: QQ+, TT-77, AKs, AKo, AK, AJo+, KTs-K7s, 76s-54s, AhKh, random; Omaha\n"
    "AhAsKhKs, AAxx; a weight from 0 to 1 on any item as AKs:0.5.\n";

// Reports a command-line error on one line and yields the exit status for it.
int fail(const std::string& message) {
  std::fprintf(stderr, "oddsmith: %s\n", message.c_str());
  return kUsageError;
}

// Cards from arguments that may each hold one or several cards. Returns an
// error message, empty on success.
std::string collect_cards(const std::vector<std::string_view>& args, std::vector<int>& cards) {
  for (std::string_view arg : args) {
    std::string bad;
    const auto parsed = cli::parse_cards(arg, bad);
    if (!parsed) return "bad card '" + bad + "' (cards look like As, Td, 2c)";
    for (int card : *parsed) {
      for (int seen : cards)
        if (seen == card) return "card " + cli::card_name(card) + " is given twice";
      cards.push_back(card);
    }
  }
  return {};
}

void print_high(const char* label, int value) {
  std::printf("%s%d (%s)\n", label, value, cli::category_name(value));
}

int run_eval(const std::vector<std::string_view>& args) {
  std::vector<int> c;
  if (std::string error = collect_cards(args, c); !error.empty()) return fail(error);
  if (c.size() == 5) {
    print_high("", poker_ev5(c[0], c[1], c[2], c[3], c[4]));
  } else if (c.size() == 7) {
    print_high("", poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]));
  } else {
    return fail("eval takes 5 or 7 cards, got " + std::to_string(c.size()));
  }
  return 0;
}

int run_omaha(const std::vector<std::string_view>& args) {
  std::string_view hole_text, board_text;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if (args[i] == "--hole" && has_value) {
      hole_text = args[++i];
    } else if (args[i] == "--board" && has_value) {
      board_text = args[++i];
    } else {
      return fail("omaha takes --hole <4 cards> --board <5 cards>; unexpected '" + std::string(args[i]) + "'");
    }
  }
  std::vector<int> c;
  if (std::string error = collect_cards({hole_text}, c); !error.empty()) return fail(error);
  if (c.size() != 4) return fail("--hole needs 4 cards, got " + std::to_string(c.size()));
  if (std::string error = collect_cards({board_text}, c); !error.empty()) return fail(error);
  if (c.size() != 9) return fail("--board needs 5 cards, got " + std::to_string(c.size() - 4));
  print_high("high ", poker_evomaha(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]));
  const int low = poker_evomahalow(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
  std::printf("low  %d (%s)\n", low, cli::low_name(low).c_str());
  return 0;
}

// Whole-number option value within [low, high], or an error message.
std::string parse_count(std::string_view name, std::string_view text, int low, int high, int& out) {
  const std::string copy(text);
  char* end = nullptr;
  const long value = std::strtol(copy.c_str(), &end, 10);
  if (copy.empty() || *end != '\0' || value < low || value > high)
    return std::string(name) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  out = static_cast<int>(value);
  return {};
}

// Prints an equity result with the standard error of its trial count. A deal's
// share of 0 or 1 gives the error exactly; shares between (split pots) make it
// smaller, so there the figure is an upper bound.
void print_equity(int per_mille, int trials, bool split_pots = false) {
  const double p = per_mille / 1000.0;
  const double se = std::sqrt(p * (1 - p) / trials) * 1000.0;
  std::printf("%d per mille (%.1f%%), standard error %s%.1f per mille\n", per_mille, per_mille / 10.0,
              split_pots ? "at most " : "", se);
}

// One equity game as the command line drives it.
struct Game {
  const char* command;
  int hole_cards;
  int max_opponents;
  int trials;  // deals per call, for the standard error
  int (*equity)(const std::vector<int>& cards, int known, int opponents, int range);
};

int holdem_call(const std::vector<int>& c, int known, int opponents, int range) {
  return poker_holdem_equity(c[0], c[1], known, opponents, range, c[2], c[3], c[4], c[5], c[6]);
}

int omaha_call(const std::vector<int>& c, int known, int opponents, int range) {
  // The library writes "<score sum>,<deals> " to standard output; frame it.
  std::printf("(library: ");
  std::fflush(stdout);
  const int result =
      poker_omaha_equity(c[0], c[1], c[2], c[3], known, opponents, range, c[4], c[5], c[6], c[7], c[8]);
  std::printf(")\n");
  return result;
}

int hilo_call(const std::vector<int>& c, int known, int opponents, int range) {
  return poker_omahahl_equity(c[0], c[1], c[2], c[3], known, opponents, range, c[4], c[5], c[6], c[7], c[8]);
}

constexpr Game kHoldem{"holdem", 2, 22, 120000, holdem_call};
constexpr Game kOmaha{"omaha-equity", 4, 10, 50000, omaha_call};
constexpr Game kHiLo{"hilo-equity", 4, 10, 50000, hilo_call};

int run_equity(const Game& game, const std::vector<std::string_view>& args) {
  const std::string name = game.command;
  if (args.empty()) return fail(name + " takes <hole cards> --opponents N [--board <0-5 cards>] [--range 1..4]");
  std::vector<int> cards;
  if (std::string error = collect_cards({args[0]}, cards); !error.empty()) return fail(error);
  if (static_cast<int>(cards.size()) != game.hole_cards)
    return fail(name + " needs " + std::to_string(game.hole_cards) + " hole cards, got " + std::to_string(cards.size()));
  int opponents = -1, range = 0;
  std::string_view board_text;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    std::string error;
    if (args[i] == "--opponents" && has_value) error = parse_count("--opponents", args[++i], 0, game.max_opponents, opponents);
    else if (args[i] == "--range" && has_value) error = parse_count("--range", args[++i], 0, 4, range);
    else if (args[i] == "--board" && has_value) board_text = args[++i];
    else error = "unexpected '" + std::string(args[i]) + "'";
    if (!error.empty()) return fail(error);
  }
  if (opponents < 0) return fail(name + " needs --opponents N (0 to " + std::to_string(game.max_opponents) + ")");
  if (std::string error = collect_cards({board_text}, cards); !error.empty()) return fail(error);
  const int known = static_cast<int>(cards.size()) - game.hole_cards;
  if (known > 5) return fail("--board takes at most 5 cards, got " + std::to_string(known));
  cards.resize(static_cast<std::size_t>(game.hole_cards) + 5, 0);
  const int result = game.equity(cards, known, opponents, range);
  if (result < 0) return fail("the library refused these arguments");
  print_equity(result, game.trials, game.hole_cards == 4);
  return 0;
}

// Fills every hand of range slot 0 of a game with copies of one hand.
void load_single_hand(const std::vector<int>& hand, int (*load)(const int*)) {
  std::vector<int> buffer(hand.size() * 2000);
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = hand[i % hand.size()];
  load(buffer.data());
}

int run_bench(const std::vector<std::string_view>& args) {
  int count = 20'000'000;
  if (!args.empty()) {
    if (std::string error = parse_count("bench count", args[0], 1, 2'000'000'000, count); !error.empty())
      return fail(error);
  }
  struct Loop {
    const char* name;
    int (*run)(int);
  };
  for (const Loop& loop : {Loop{"seven-card (holdem_test)", holdem_test}, Loop{"Omaha high (omaha_test)", omaha_test},
                           Loop{"Omaha low (omahalow_test)", omahalow_test}}) {
    const int ticks = loop.run(count);
    const double seconds = static_cast<double>(ticks) / CLOCKS_PER_SEC;
    if (seconds > 0)
      std::printf("%-28s %12.1f million evaluations/s\n", loop.name, count / seconds / 1e6);
    else
      std::printf("%-28s too fast to time; use a larger count\n", loop.name);
  }
  return 0;
}

int run_demo() {
  std::printf("oddsmith demonstration (hand values: 1 best .. 7462 worst)\n\n");
  for (const char* text : {"AsKsQsJsTs", "AcAdAhAsKd", "7c5d4h3s2c"}) {
    std::string bad;
    const auto c = *cli::parse_cards(text, bad);
    std::printf("  five cards  %-16s ", text);
    print_high("", poker_ev5(c[0], c[1], c[2], c[3], c[4]));
  }
  for (const char* text : {"2d2h2s3c3d3h3s", "AhKhQh2c3d9h8h"}) {
    std::string bad;
    const auto c = *cli::parse_cards(text, bad);
    std::printf("  seven cards %-16s ", text);
    print_high("", poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]));
  }
  std::printf("\n  Omaha: hole AcAdAhAs, board KcKdQhQsJc (two hole cards must play)\n");
  run_omaha({"--hole", "AcAdAhAs", "--board", "KcKdQhQsJc"});
  std::printf("\n  Omaha: hole 4s5s9c9d, board Ac2d3hKcKd\n");
  run_omaha({"--hole", "4s5s9c9d", "--board", "Ac2d3hKcKd"});
  // Matchups against one known hand: range slot 0 is filled with copies of it.
  struct Matchup {
    const Game& game;
    const char *player, *opponent;
  };
  std::printf("\n  Preflop matchups against one known hand (ties split in Omaha, count as wins in Hold'em):\n");
  for (const Matchup& m : {Matchup{kHoldem, "AhAs", "KdKc"}, Matchup{kHoldem, "AhKs", "QdQc"},
                           Matchup{kHoldem, "7s6s", "AcAd"}, Matchup{kOmaha, "AhAsKhKs", "JcTc9d8d"},
                           Matchup{kHiLo, "Ad2d3sKs", "AhAcKdQc"}}) {
    std::string bad;
    const auto p = *cli::parse_cards(m.player, bad), o = *cli::parse_cards(m.opponent, bad);
    load_single_hand(o, &m.game == &kHoldem ? poker_set_holdem_range_simul
                        : &m.game == &kOmaha ? poker_load_omaha_range
                                             : poker_load_omahahl_range);
    std::vector<int> cards = p;
    cards.resize(static_cast<std::size_t>(m.game.hole_cards) + 5, 0);
    std::printf("  %-12s %s vs %s: ", m.game.command, m.player, m.opponent);
    std::fflush(stdout);
    print_equity(m.game.equity(cards, 0, 1, 1), m.game.trials, m.game.hole_cards == 4);
  }
  std::printf("  holdem       AhKh vs 3 random hands: ");
  print_equity(poker_holdem_equity(50, 46, 0, 3, 0, 0, 0, 0, 0, 0), kHoldem.trials);
  std::printf("\nMore: oddsmith eval <cards> | omaha --hole <4> --board <5> | holdem <2> --opponents N\n"
              "      | omaha-equity <4> --opponents N | hilo-equity <4> --opponents N | bench\n");
  return 0;
}

int run_command(std::vector<std::string_view> args) {
  if (args.empty()) return run_demo();
  const std::string_view command = args.front();
  args.erase(args.begin());
  if (command == "eval") return run_eval(args);
  if (command == "omaha") return run_omaha(args);
  if (command == "bench") return run_bench(args);
  if (command == "holdem") return run_equity(kHoldem, args);
  if (command == "omaha-equity") return run_equity(kOmaha, args);
  if (command == "hilo-equity") return run_equity(kHiLo, args);
  if (command == "range") return cli::run_range(args);
  if (command == "equity") {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
      std::fputs(cli::kEquityUsage, stdout);
      return 0;
    }
    return cli::run_equity_command(args);
  }
  if (command == "demo") return run_demo();
  if (command == "help" || command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return fail("unknown command '" + std::string(command) + "'; try: eval, omaha, holdem, omaha-equity, hilo-equity, equity, range, bench, demo, help");
}

}  // namespace

int main(int argc, char** argv) {
  const int status = run_command({argv + 1, argv + argc});
  // Output that never reached its destination (a full disk, a closed pipe) is a
  // failure, whatever the command computed.
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "oddsmith: cannot write the output%s%s\n", errno ? ": " : "", errno ? std::strerror(errno) : "");
    return kOutputLost;
  }
  return status;
}
