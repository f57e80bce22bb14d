// Command-line front end of the oddsmith library; uses only the public API.
// The commands live in their own files (commands.h); this file dispatches,
// answers help and --version, and turns lost output into a failure.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "card_text.h"
#include "commands.h"
#include "oddsmith.h"

#ifndef ODDSMITH_VERSION
#define ODDSMITH_VERSION "unknown"
#endif

namespace {

constexpr int kOutputLost = 1;

constexpr const char* kUsage =
    "usage: oddsmith [command] [arguments] [--json]\n"
    "\n"
    "  (no command), demo                     a demonstration of every evaluator and game\n"
    "  eval CARDS [--game G]                  value and category of a hand (As Ks Qs Js Ts)\n"
    "  omaha --hole CARDS --board CARDS       Omaha high and eight-or-better low (4 + 5 cards)\n"
    "  equity [options] PLAYER PLAYER...      equity of hands or ranges, exact or simulated\n"
    "  chart OPPONENT [--board CARDS] [--svg FILE]\n"
    "                                         every starting hand against a hand or range\n"
    "  breakdown RANGE OPPONENT... [--board CARDS] [--svg FILE]\n"
    "                                         a range on a board hand by hand: equity, category, draws\n"
    "  range TEXT [--game {games}]\n"
    "                                         the hands of a range; two-card games: a chart of classes\n"
    "  icm STACK,STACK,... --payouts P1,P2,...\n"
    "                                         tournament prize equity of each stack (ICM)\n"
    "  pushfold --stacks S,S,... [--blinds SB,BB] [--ante A] [--payouts ...] [--svg FILE]\n"
    "                                         push/fold equilibrium ranges and EVs, 2 to 10 players\n"
    "  solve OOP_RANGE IP_RANGE --board CARDS --pot N --stack N [--flop-bets 33%,75% ...]\n"
    "                                         postflop solver: each range's strategy, EVs, exploitability\n"
    "  host holdem|omaha|hilo CARDS --opponents N [--board CARDS] [--range K]\n"
    "                                         the host application's equity exports (per mille,\n"
    "                                         ties count as wins in Hold'em; see oddsmith help host)\n"
    "  bench [COUNT]                          evaluations per second: one fixed hand and random hands\n"
    "  help [COMMAND], --help, -h             this text, or a command's\n"
    "  --version                              the version\n"
    "\n"
    "Every command takes --json for one JSON object on standard output. Options may\n"
    "stand before or after the other arguments; after a lone -- none is read as one.\n"
    "Counts may be written 1000000, 1_000_000 or 1e6. NO_COLOR turns colours off.\n"
    "Cards are a rank (" ODDSMITH_RANK_LETTERS ") and a suit (" ODDSMITH_SUIT_LETTERS "): As, Td, 2c; they may be run\n"
    "together (AhKh). Ranges: QQ+, TT-77, AKs, AKo, AK, AJo+, KTs-K7s, 76s-54s, AhKh,\n"
    "10% (strongest tenth), 5-15%, random; Omaha AhAsKhKs, AA (= AAxx), AAKKds, AKxxss,\n"
    "JT98rb, KK-TT, AA!AAA (not three aces); a weight from 0 to 1 on any item as AKs:0.5.\n"
    "--board and --dead (-b, -d) take cards together or apart: --board Qh 7c 2d.\n";

constexpr const char* kHostUsage =
    "usage: oddsmith host holdem|omaha|hilo CARDS --opponents N [--board CARDS] [--range K] [--json]\n"
    "\n"
    "The host application's equity exports, one call each: the hole CARDS against N\n"
    "opponents (Hold'em 0.." CLI_NUMBER(ODDSMITH_HOLDEM_MAX_OPPONENTS) ", Omaha 0.." CLI_NUMBER(ODDSMITH_OMAHA_MAX_OPPONENTS) ") over a fixed number of random deals\n"
    "(Hold'em " CLI_NUMBER(ODDSMITH_HOLDEM_DEALS) ", Omaha " CLI_NUMBER(ODDSMITH_OMAHA_DEALS) "), in per mille. Unlike equity, they keep the\n"
    "host's contract: a Hold'em tie counts as a win, the deals are not seeded, and\n"
    "opponents hold random hands or hands from the ranges the C setters stored.\n"
    "  --board CARDS   0 to 5 known board cards\n"
    "  --range K       the opponents' hands: 0 random (the default); 1, 2, 3 or 4 the\n"
    "                  first, second, third or fourth stored range\n"
    "  --json          one JSON object; the Omaha exports' own output is its library_output\n";

struct Command {
  const char* name;
  int (*run)(cli::Args);
  const char* usage;
};

const Command kCommands[] = {
    {"eval", cli::run_eval,
     "usage: oddsmith eval CARDS [--game {eval games}] [--json]\n\nThe value (" CLI_NUMBER(ODDSMITH_BEST_HAND) " best .. " CLI_NUMBER(ODDSMITH_WORST_HAND) " worst) and category of 5, 6 or 7 cards:\n"
     "  oddsmith eval As Ks Qs Js Ts      oddsmith eval AsKsQsJsTs2c3d\n"
     "Short deck (--game shortdeck: 36 cards, sixes to aces; 1 .. " CLI_NUMBER(ODDSMITH_SHORTDECK_WORST_HAND) ", a flush above a\n"
     "full house, A-6-7-8-9 the lowest straight):\n"
     "  oddsmith eval --game shortdeck As Ks Qs Js 9s 6c 6d\n"
     "Omaha high (--game omaha: 4 hole cards, then 5 board cards) and five-card Omaha\n"
     "(--game omaha5: 5 hole cards, then 5 board cards): two hole cards with three board cards:\n"
     "  oddsmith eval --game omaha5 AhKh7h5h3c QhJh9s8d2c\n"},
    {"omaha", cli::run_omaha,
     "usage: oddsmith omaha --hole CARDS --board CARDS [--json]\n\nOmaha high value (two of the four hole cards with "
     "three of the five board cards)\nand the eight-or-better low (31 best .. 248 worst; " CLI_NUMBER(ODDSMITH_NO_LOW) ": no low).\n"},
    {"equity", cli::run_equity_command,
     "usage: oddsmith equity [options] PLAYER PLAYER...\n"
     "\n"
     "Each PLAYER is a hand (AhKh; AhAsKhKs in Omaha) or a range (\"QQ+, AKs\", random).\n"
     "  --game {games}   the game (holdem)\n"
     "  --board CARDS                    0 to 5 known board cards\n"
     "  --dead CARDS                     cards out of play\n"
     "  --exact | --monte-carlo          enumerate every deal, or simulate (default: exact\n"
     "                                   when that is quick, else simulate to 0.0005)\n"
     "  --trials N                       simulated deals\n"
     "  --stderr X                       simulate until every standard error is at most X\n"
     "                                   (exact when that is quick, unless --monte-carlo)\n"
     "  --max-seconds S                  the whole run's time bound (default 60): an exact\n"
     "                                   run estimated longer on one core is refused (or\n"
     "                                   simulated, without --exact); a simulation stops\n"
     "                                   there short of its --stderr or --trials (a\n"
     "                                   warning, exit status 3)\n"
     "  --seed N                         seed of the simulation (same seed, same result)\n"
     "  --threads N                      threads (0: every core, the default)\n"
     "  --json                           one JSON object instead of the table\n"},
    {"chart", cli::run_chart,
     "usage: oddsmith chart OPPONENT [--board CARDS] [--game holdem|shortdeck] [--svg FILE] [--threads N] [--json]\n\n"
     "The equity of each starting-hand class against a hand or range: Hold'em's 169\n"
     "as a 13x13 heat map, short deck's 81 as 9x9 (coloured on a terminal, unless\n"
     "NO_COLOR is set) and, with --svg, as an SVG picture. Against random with no\n"
     "board the equities are exact and instant (computed once, compiled in).\n"
     "--svg FILE replaces a regular file only once the picture is wholly written; a\n"
     "FIFO or device (a pipe, /dev/stdout) is written straight into; a folder or\n"
     "anything else is refused.\n"},
    {"breakdown", cli::run_breakdown,
     "usage: oddsmith breakdown RANGE OPPONENT... [options]\n"
     "\n"
     "The first range on the board, hand by hand, against the other players: each\n"
     "hand's weight, equity (card removal applied), category and draws (flop, turn);\n"
     "the range summed by category (Hold'em pairs as overpair, top, second, weaker)\n"
     "and by draw; every player's equity after each card that can come next.\n"
     "Exact when that is quick, else seeded Monte Carlo. Options as for equity\n"
     "(--game, --board/-b, --dead/-d, --exact, --monte-carlo, --trials, --seed,\n"
     "--threads, --max-seconds, --json), and --svg FILE for the equity distribution,\n"
     "the categories and the next cards as one picture (written as chart's --svg is).\n"},
    {"range", cli::run_range,
     "usage: oddsmith range TEXT [--game {games}] [--board CARDS] [--all] [--svg FILE] [--json]\n\n"
     "The hands of a range, their share of all hands and, for Hold'em and short deck,\n"
     "a chart of its classes (13x13; short deck 9x9; --svg FILE draws it as a picture);\n"
     "then the hands themselves (the first 50; --all\n"
     "lists every one, as --json does). Hold'em also takes Axs, Kxo, xx (x: any rank),\n"
     "AhXh (the ace of hearts with any other heart) and 22+!AA (less the hands after '!').\n"
     "\n"
     "With --board (3 to 5 cards, -b), hands holding a board card are left out and the\n"
     "hands are summed by what they make there and, on a flop or turn, by draw. The\n"
     "range may end in board filters, here and wherever a range meets a board\n"
     "(equity, breakdown, chart): RANGE where FILTER, FILTER, ...\n"
     "  oddsmith range \"QQ+, AKs, 98s where toppair+, flushdraw\" --board Qh7c2d\n"
     "A hand passing any filter is kept; !FILTER drops the hands passing it (only\n"
     "'!' filters: every other hand is kept). Made hands, weakest first: nothing,\n"
     "weakerpair (a lower pair or an underpair), secondpair, toppair, overpair,\n"
     "twopair, trips (one hole card with a board pair), set (a pocket pair with a\n"
     "board card), straight, flush, fullhouse, quads, straightflush (short deck: flush\n"
     "above fullhouse); NAME+ keeps it and everything stronger; pair: any pair using a\n"
     "hole card. A made hand counts only where a hole card takes part (a pair on the\n"
     "board alone is nothing); Omaha plays two hole cards with three of the board.\n"
     "Draws, on a flop or turn only and without '+': flushdraw, oesd, gutshot.\n"},
    {"icm", cli::run_icm,
     "usage: oddsmith icm STACK,STACK,... --payouts P1,P2,... [--exact | --monte-carlo] [--samples N]\n"
     "                    [--seed N] [--stderr X] [--max-seconds S] [--json]\n\n"
     "Each player's share of the prize money under the independent chip model\n"
     "(Malmuth-Harville): a player finishes first with probability in proportion to\n"
     "their stack, each next place likewise among the players left. Payouts are the\n"
     "prizes of 1st, 2nd, ... place, at most one per player. Players without chips\n"
     "finish last and share those places' prizes; equal stacks get equal equity.\n"
     "  --exact | --monte-carlo  count every finishing order over the paid places\n"
     "                           (the default when quick: 25 players all paid), or\n"
     "                           sample finishing orders (the default for larger fields)\n"
     "  --samples N              finishing orders to sample (implies --monte-carlo)\n"
     "  --seed N                 seed of the sampling (implies --monte-carlo)\n"
     "  --stderr X               sample until every standard error is at most this\n"
     "                           share of the prize pool (default 0.001)\n"
     "  --max-seconds S          the time bound (default 60)\n"
     "  --json                   {\"exact\": ..., \"players\": [{\"stack\", \"equity\", \"stderr\"}, ...]}\n"},
    {"pushfold", cli::run_pushfold,
     "usage: oddsmith pushfold --stacks S,S,... [--blinds SB,BB] [--ante A] [--bb-ante] [--payouts P1,P2]\n"
     "                         [--no-card-removal] [--target X] [--max-seconds S] [--threads N]\n"
     "                         [--seed N] [--svg FILE] [--chart-max B] [--chart-step B] [--json]\n\n"
     "The push/fold equilibrium of 2 to 10 players: each in turn goes all-in or\n"
     "folds; once one has, the players behind call or fold (side pots where the\n"
     "stacks differ). Prints each spot's range in range notation (to paste into\n"
     "oddsmith equity), its share of hands, the EVs, and the exploitability (what\n"
     "best responses would gain). Solved over the 169 starting-hand classes with\n"
     "the exact class-against-class all-in equities; pots of three or more on\n"
     "seeded Monte-Carlo values (their standard error is printed).\n"
     "  --stacks S,S,...   big blinds, from the button: heads-up button, big blind;\n"
     "                     else button, small blind, big blind, then the others (the\n"
     "                     player after the big blind acts first)\n"
     "  --blinds SB,BB     in big blinds (default 0.5,1)\n"
     "  --ante A           per player; --bb-ante: the big blind posts them all\n"
     "  --payouts P1,P2    value the stacks after the hand by ICM with these prizes\n"
     "                     (default: chips)\n"
     "  --no-card-removal  deal each player's hand as if the others held no cards\n"
     "                     (by default the hands miss each other's cards, the\n"
     "                     folded ones' too)\n"
     "  --target X         stop once the exploitability is at most X (default\n"
     "                     0.00001 bb, or 1e-7 of the prize pool; the chart's ten\n"
     "                     times that; three or more players 0.001 bb, or 1e-5 of\n"
     "                     the pool)\n"
     "  --threads N        threads sampling the multiway pots (default 1)\n"
     "  --seed N           the multiway pots' seed (default 1)\n"
     "  --svg FILE         the heads-up chart of equal stacks from 1 to --chart-max (30) bb in\n"
     "                     --chart-step (0.5) steps: each hand coloured by the largest\n"
     "                     stack at which it is pushed, and called\n"},
    {"solve", cli::run_solve,
     "usage: oddsmith solve OOP_RANGE IP_RANGE --board CARDS --pot N --stack N [options] [--json]\n"
     "       oddsmith solve --load FILE [--path PATH] [--hands] [--json]\n\n"
     "Solves a heads-up postflop spot: OOP (first to act on each street) and IP,\n"
     "each a weighted range, from the flop, turn or river, every later card dealt.\n"
     "Discounted CFR to a target exploitability (what best responses would gain,\n"
     "the two players' mean, in percent of the pot), then the root or --path's node:\n"
     "the actions and how often the range takes each, both ranges' EV and equity.\n"
     "  --game holdem|shortdeck|omaha|omaha5  (default holdem; Omaha and five-card\n"
     "                                    Omaha ranges in Omaha notation: AAKKds, 15%)\n"
     "  --board CARDS, --dead CARDS       3 to 5 board cards; cards out of play\n"
     "  --pot N, --stack N                chips in the middle; effective stack behind\n"
     "  --flop-bets S, --flop-raises S    sizes on the flop (also --turn-*, --river-*;\n"
     "                                    one player's: --oop-flop-bets, --ip-river-raises..):\n"
     "                                    bets N% of the pot, e (geometric), a (all-in);\n"
     "                                    raises Nx (times the bet), N% (of the pot after\n"
     "                                    calling), a; \"none\" for none (default 33%,75%\n"
     "                                    and 2.5x on every street). Whole chips, halves\n"
     "                                    rounded away from zero.\n"
     "  --donk                            OOP may lead into the last street's aggressor\n"
     "  --add-allin X                     offer the all-in when the stack is at most X pots\n"
     "                                    (default 1.5)\n"
     "  --force-allin X                   a bet is the all-in when the stack behind after\n"
     "                                    a call would be at most X pots (default 0.15)\n"
     "  --merge X                         merge sizes whose ratios to the pot differ by\n"
     "                                    less than X (default 0.1); 0 turns each off\n"
     "  --max-raises N|none               raises per street (default 3)\n"
     "  --rake RATE[,CAP]                 rake: a share (0.05 or 5%) capped at CAP chips\n"
     "  --target PCT                      exploitability target, % of the pot (default 0.5)\n"
     "  --max-iterations N, --max-seconds S   (default 1000 iterations, no time bound)\n"
     "  --max-memory SIZE                 refuse a larger tree (MiB, or 560M, 4G; default 4G)\n"
     "  --threads N                       (default: every core; results are the same)\n"
     "  --compress                        16-bit storage: about half the memory\n"
     "  --lock PATH=ACTION:FREQ,...       fix the strategy at a node for the acting range\n"
     "                                    (\"check=bet 75%:1\"; repeatable): the listed actions\n"
     "                                    at these frequencies (0 to 1), the unlisted ones\n"
     "                                    sharing what is left equally; a card in PATH may\n"
     "                                    be * (every card)\n"
     "  --lock-file FILE                  lock lines: PATH|HAND|ACTION:FREQ,... for one hand\n"
     "                                    (HAND empty or *: the range), or PATH=...; # comments\n"
     "  --save FILE [--save-bits 16|32]   save the solution (zstd; 16-bit strategies, or the\n"
     "                                    exact 32-bit sums)\n"
     "  --load FILE                       tell a saved solution (no ranges, board or sizes)\n"
     "  --path PATH                       the node to tell: \"check, bet 50%, call, 7h\"\n"
     "  --hands                           the acting range class by class\n"
     "  --tree [--depth N]                print the tree, its size and memory; no solving\n"
     "  --svg FILE                        the node's strategy as a 13x13 chart\n"
     "  --json                            {\"exploitability\", \"exploitability_pct\", \"iterations\",\n"
     "                                    \"seconds\", \"memory_bytes\", \"players\", \"node\": {\"path\",\n"
     "                                    \"player\", \"actions\", \"hands\": [{\"hand\", \"weight\",\n"
     "                                    \"strategy\", \"ev\", \"equity\"}, ...]}}\n"},
    {"host", cli::run_host, kHostUsage},
    // The names before the host group; they keep working, out of the main help.
    {"holdem", cli::run_holdem, kHostUsage},
    {"omaha-equity", cli::run_omaha_equity, kHostUsage},
    {"hilo-equity", cli::run_hilo_equity, kHostUsage},
    {"demo", cli::run_demo, "usage: oddsmith demo [--json]\n\nEvery evaluator, the host's equity exports and the calculator on fixed examples.\n"},
    {"bench", cli::run_bench,
     "usage: oddsmith bench [COUNT] [--json]\n\n"
     "Evaluations per second of each evaluator two ways: the timing exports, which\n"
     "evaluate one fixed hand COUNT times, and the checked exports on an array of\n"
     "different random hands.\n"},
};

// Prints a usage text with {games} and {eval games} replaced by the names of
// the library's games ("holdem|omaha|...") and of those eval values.
void print_usage(std::string usage) {
  for (const auto& [token, choices] : {std::pair{std::string_view("{games}"), cli::games()},
                                       std::pair{std::string_view("{eval games}"), cli::eval_games()}}) {
    std::string names;
    for (const oddsmith_game_facts& g : choices) {
      if (!names.empty()) names += '|';
      names += g.name;
    }
    for (std::size_t at; (at = usage.find(token)) != std::string::npos;) usage.replace(at, token.size(), names);
  }
  std::fputs(usage.c_str(), stdout);
}

int run_command(cli::Args args) {
  if (args.empty()) return cli::run_demo({});
  const std::string_view command = args.front();
  args.erase(args.begin());
  if (command == "--version") {
    if (cli::take_flag(args, "--json")) std::printf("{\"version\": \"%s\"}\n", ODDSMITH_VERSION);
    else std::printf("oddsmith %s\n", ODDSMITH_VERSION);
    return 0;
  }
  if (command == "help" || command == "--help" || command == "-h") {
    const char* usage = args.empty() ? kUsage : cli::command_usage(args[0]);
    if (!usage) return cli::fail("no command '" + std::string(args[0]) + "'; try: oddsmith help");
    print_usage(usage);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (command != c.name) continue;
    for (std::string_view a : args) {
      if (a == "--") break;  // what follows is no option
      if (a == "--help" || a == "-h") {
        print_usage(c.usage);
        return 0;
      }
    }
    return c.run(std::move(args));
  }
  // Reports over many flops write Parquet and can run on a Dask cluster, so
  // they live in the Python package, whose `oddsmith` command runs them.
  if (command == "report")
    return cli::fail("report is run by the Python package's oddsmith command (pip install .; "
                     "pip install '.[cluster]' for Parquet and Dask); this program has no report of its own");
  return cli::fail("unknown command '" + std::string(command) +
                   "'; try: eval, omaha, equity, breakdown, chart, range, icm, pushfold, solve, host, bench, demo, help");
}

}  // namespace

const char* cli::command_usage(std::string_view command) {
  for (const Command& c : kCommands)
    if (command == c.name) return c.usage;
  return nullptr;
}

int main(int argc, char** argv) {
#if !defined(_WIN32)
  // Past a file-size limit, writes fail with EFBIG instead of the signal
  // killing the program halfway: files are then cleaned up and reported.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
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
