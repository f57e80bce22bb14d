// icm: prize equity of each stack under the independent chip model, exact for
// small fields, else (or with --monte-carlo) a seeded estimate with standard errors.
#include <charconv>
#include <cstdio>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"
#include "tournament_args.h"

namespace cli {

// cppcheck-suppress passedByValue
int run_icm(Args args) {  // NOLINT(performance-unnecessary-value-param)
  const std::vector<KnownOption> known = {{"--payouts", Takes::value}, {"--monte-carlo"}, {"--exact"},
                                          {"--samples", Takes::value}, {"--seed", Takes::value},
                                          {"--stderr", Takes::value},  {"--max-seconds", Takes::value},
                                          {"--json"}};
  ReadArgs read;
  if (std::string e = read_options(args, known, "icm", read); !e.empty()) return fail(e);
  std::vector<double> stacks;
  for (std::string_view p : read.positionals)
    if (std::string e = parse_number_list("stacks", p, stacks); !e.empty()) return fail(e);
  std::vector<double> payouts;
  oddsmith_icm_query query{};
  query.size = sizeof query;
  bool json = false;
  for (const auto& o : read.options) {
    if (o.name == "--payouts") {
      if (std::string e = parse_number_list("--payouts", o.value, payouts); !e.empty()) return fail(e);
    } else if (o.name == "--monte-carlo") {
      query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (o.name == "--exact") {
      query.mode = ODDSMITH_MODE_EXACT;
    } else if (o.name == "--samples") {
      if (std::string e = parse_count("--samples", o.value, 1, 1LL << 40, query.samples); !e.empty()) return fail(e);
      if (query.mode == ODDSMITH_MODE_AUTO) query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (o.name == "--seed") {
      if (std::string e = parse_seed("--seed", o.value, query.seed); !e.empty()) return fail(e);
      if (query.mode == ODDSMITH_MODE_AUTO) query.mode = ODDSMITH_MODE_MONTE_CARLO;
    } else if (o.name == "--stderr") {
      if (std::string e = parse_positive("--stderr", o.value, query.target_stderr); !e.empty()) return fail(e);
    } else if (o.name == "--max-seconds") {
      if (std::string e = parse_positive("--max-seconds", o.value, query.max_seconds); !e.empty()) return fail(e);
    } else if (o.name == "--json") {
      json = true;
    }
  }
  if (read.has("--exact") && read.has("--monte-carlo")) return fail("--exact and --monte-carlo exclude each other");
  if (stacks.empty()) return fail("no stacks; usage: oddsmith icm STACK,STACK,... --payouts P1,P2,...");
  if (payouts.empty()) return fail("no --payouts given");
  query.player_count = static_cast<int>(std::min<std::size_t>(stacks.size(), ODDSMITH_ICM_MAX_PLAYERS + 1));
  query.stacks = stacks.data();
  query.payout_count = static_cast<int>(std::min<std::size_t>(payouts.size(), ODDSMITH_ICM_MAX_PLAYERS + 1));
  query.payouts = payouts.data();
  std::vector<double> equity(stacks.size());
  std::vector<double> std_error(stacks.size());
  oddsmith_icm_result result{};
  result.size = sizeof result;
  result.equity = equity.data();
  result.std_error = std_error.data();
  char error[512] = "";
  const int status = oddsmith_icm(&query, &result, error, static_cast<int>(sizeof error));
  if (status != ODDSMITH_STATUS_OK && status != ODDSMITH_STATUS_TARGET_NOT_MET) return fail(in_option_words(error));
  if (status == ODDSMITH_STATUS_TARGET_NOT_MET) warn(in_option_words(error));
  const double pool = std::accumulate(payouts.begin(), payouts.end(), 0.0);
  if (json) {
    std::printf("{\"exact\": %s, \"samples\": %lld, \"seed\": %llu, \"seconds\": %s, \"prize_pool\": %s, \"players\": [",
                result.exact ? "true" : "false", result.samples, result.seed, json_number(result.seconds, 4).c_str(),
                json_number(pool).c_str());
    for (std::size_t i = 0; i < stacks.size(); ++i)
      std::printf("%s{\"stack\": %s, \"equity\": %s, \"stderr\": %s}", i ? ", " : "", json_number(stacks[i]).c_str(),
                  json_number(equity[i]).c_str(), json_number(std_error[i], 4).c_str());
    std::printf("]}\n");
  } else {
    std::printf("%-7s %14s %14s %9s%s\n", "player", "stack", "equity", "share", result.exact ? "" : "      stderr");
    for (std::size_t i = 0; i < stacks.size(); ++i) {
      std::printf("%-7zu %14.6g %14.6g %8.3f%%", i + 1, stacks[i], equity[i], pool > 0 ? 100 * equity[i] / pool : 0);
      if (!result.exact) std::printf(" %11.3g", std_error[i]);
      std::printf("\n");
    }
    if (result.exact)
      std::printf("\nexact (Malmuth-Harville), %zu players, %zu places paid, in %.3f s\n", stacks.size(),
                  payouts.size(), result.seconds);
    else
      std::printf("\nMonte Carlo (Malmuth-Harville), %lld finishing orders, seed %llu, in %.3f s\n", result.samples,
                  result.seed, result.seconds);
  }
  return status == ODDSMITH_STATUS_OK ? 0 : kTargetNotMetExit;
}

}  // namespace cli
