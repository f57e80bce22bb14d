// The oddsmith commands. Each takes its arguments (the command name removed)
// and returns the exit status: 0, or 2 for a usage error. Each accepts --json
// and prints one JSON object on standard output instead of its text.
#pragma once

#include "command_line.h"

namespace cli {

// The exit status of a Monte-Carlo answer short of its target or trial count at
// the time bound (the answer is printed, with a warning on stderr).
inline constexpr int kTargetNotMetExit = 3;

int run_eval(Args args);          // eval CARDS
int run_omaha(Args args);         // omaha --hole CARDS --board CARDS
int run_holdem(Args args);        // holdem CARDS --opponents N [--board CARDS] [--range K]
int run_omaha_equity(Args args);  // omaha-equity ...
int run_hilo_equity(Args args);   // hilo-equity ...
int run_host(Args args);          // host holdem|omaha|hilo ...
int run_bench(Args args);         // bench [COUNT]
int run_range(Args args);         // range TEXT [--game G]
int run_equity_command(Args args);  // equity [options] PLAYER PLAYER...
int run_chart(Args args);
int run_breakdown(Args args);     // breakdown RANGE OPPONENT... [options]         // chart OPPONENT [--board CARDS] [--svg FILE] [--threads N]
int run_demo(Args args);          // demo
int run_icm(Args args);           // icm STACK,STACK,... --payouts P1,P2,...
int run_pushfold(Args args);      // pushfold --stacks S,S [--blinds SB,BB] [--ante A] [--payouts ...]
int run_solve(Args args);         // solve OOP_RANGE IP_RANGE --board CARDS --pot N --stack N [sizes, thresholds, ...]
// Fills every hand of the first stored range of `game` ("holdem", "omaha",
// "omaha-hilo") with copies of one hand.
void load_single_hand(const char* game, const std::vector<int>& hand);

// The library's games that eval values on their own (not the Hi/Lo games).
std::vector<oddsmith_game_facts> eval_games();

// The usage text of one command, or nullptr for an unknown one.
const char* command_usage(std::string_view command);

}  // namespace cli
