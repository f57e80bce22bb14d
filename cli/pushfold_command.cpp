// pushfold: the push/fold equilibrium of 2 to 10 players at given stacks,
// blinds and antes (chips, or ICM prize equity with --payouts): each
// position's pushing and calling ranges in range notation, the EVs, how far
// from equilibrium; with --svg the heads-up chart over a span of stacks.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"
#include "pushfold_svg.h"
#include "tournament_args.h"

namespace cli {

namespace {

std::string range_text(const double* strategy) {
  std::string text(static_cast<std::size_t>(std::max(0, oddsmith_class_range_text(strategy, nullptr, 0))), '\0');
  oddsmith_class_range_text(strategy, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

// Heads-up: button, big blind; else button, small blind, big blind, UTG, UTG+1, ...
std::string position_name(int player, int players) {
  if (players == 2) return player == 0 ? "button" : "big blind";
  if (player < 3) return player == 0 ? "button" : (player == 1 ? "small blind" : "big blind");
  return player == 3 ? "UTG" : "UTG+" + std::to_string(player - 3);
}

// The players who called before: "the small blind and UTG".
std::string callers_text(int callers, int players) {
  std::string text;
  for (int p = 0; p < players; ++p) {
    if (!((callers >> p) & 1)) continue;
    text += (text.empty() ? "the " : " and the ") + position_name(p, players);
  }
  return text;
}

}  // namespace

// cppcheck-suppress passedByValue
int run_pushfold(Args args) {  // NOLINT(performance-unnecessary-value-param)
  const std::vector<KnownOption> known = {
      {"--stacks", Takes::value},      {"--blinds", Takes::value},      {"--ante", Takes::value},
      {"--bb-ante"},                   {"--payouts", Takes::value},     {"--no-card-removal"},
      {"--target", Takes::value},      {"--max-seconds", Takes::value}, {"--svg", Takes::value},
      {"--chart-max", Takes::value},   {"--chart-step", Takes::value},  {"--json"},
      {"--threads", Takes::value},     {"--seed", Takes::value}};
  ReadArgs read;
  if (std::string e = read_options(args, known, "pushfold", read); !e.empty()) return fail(e);
  if (!read.positionals.empty())
    return fail("pushfold takes no positional argument ('" + std::string(read.positionals[0]) + "'); stacks go in --stacks");
  std::vector<double> stacks, blinds, payouts;
  oddsmith_pushfold_query query{};
  query.size = sizeof query;
  std::string svg;
  double chart_max = 30, chart_step = 0.5;
  bool json = false;
  for (const auto& o : read.options) {
    std::string e;
    if (o.name == "--stacks") e = parse_number_list("--stacks", o.value, stacks);
    else if (o.name == "--blinds") e = parse_number_list("--blinds", o.value, blinds);
    else if (o.name == "--ante") e = parse_positive("--ante", o.value, query.ante);
    else if (o.name == "--bb-ante") query.big_blind_ante = 1;
    else if (o.name == "--payouts") e = parse_number_list("--payouts", o.value, payouts);
    else if (o.name == "--no-card-removal") query.without_card_removal = 1;
    else if (o.name == "--target") e = parse_positive("--target", o.value, query.target_exploitability);
    else if (o.name == "--max-seconds") e = parse_positive("--max-seconds", o.value, query.max_seconds);
    else if (o.name == "--svg") svg = o.value;
    else if (o.name == "--chart-max") e = parse_positive("--chart-max", o.value, chart_max);
    else if (o.name == "--chart-step") e = parse_positive("--chart-step", o.value, chart_step);
    else if (o.name == "--json") json = true;
    else if (o.name == "--threads") {
      double threads = 0;
      e = parse_positive("--threads", o.value, threads);
      query.threads = static_cast<int>(std::min(threads, 64.0));
    } else if (o.name == "--seed") {
      double seed = 0;
      e = parse_positive("--seed", o.value, seed);
      query.seed = static_cast<unsigned long long>(std::min(seed, 9e18));
    }
    if (!e.empty()) return fail(e);
  }
  if (stacks.empty()) stacks = {chart_max, chart_max};
  if (!read.has("--stacks") && svg.empty()) return fail("no --stacks given (big blinds, from the button: 10,10)");
  if (stacks.size() < 2 || stacks.size() > ODDSMITH_PUSHFOLD_MAX_PLAYERS)
    return fail("push/fold tables seat 2 to " + std::to_string(ODDSMITH_PUSHFOLD_MAX_PLAYERS) +
                " players: give 2 to 10 stacks from the button, not " + std::to_string(stacks.size()));
  if (!svg.empty() && stacks.size() != 2) return fail("--svg draws the heads-up chart: give two stacks");
  const int players = static_cast<int>(stacks.size());
  auto name = [players](int p) { return position_name(p, players); };
  if (!blinds.empty()) {
    if (blinds.size() != 2) return fail("--blinds takes the small and big blind: 0.5,1");
    query.small_blind = blinds[0];
    query.big_blind = blinds[1];
    if (query.big_blind <= 0) return fail("--blinds: the big blind must be above zero");
  }
  query.player_count = players;
  query.stacks = stacks.data();
  query.payout_count = static_cast<int>(std::min<std::size_t>(payouts.size(), stacks.size() + 1));
  query.payouts = payouts.data();
  const auto held = std::make_unique<oddsmith_pushfold_result>();  // about 1.4 MB
  oddsmith_pushfold_result& result = *held;
  result.size = sizeof result;
  char error[512] = "";
  const int status = oddsmith_pushfold(&query, &result, error, static_cast<int>(sizeof error));
  if (status != ODDSMITH_STATUS_OK && status != ODDSMITH_STATUS_TARGET_NOT_MET) return fail(in_option_words(error));
  if (status == ODDSMITH_STATUS_TARGET_NOT_MET) warn(error);
  const char* unit = result.icm ? "prize" : "bb";
  if (json) {
    std::printf("{\"icm\": %s, \"exploitability\": %s, \"iterations\": %d, \"seconds\": %s, "
                "\"multiway_deals\": %lld, \"multiway_std_error\": %s, \"players\": [",
                result.icm ? "true" : "false", json_number(result.exploitability, 6).c_str(), result.iterations,
                json_number(result.seconds, 4).c_str(), result.multiway_deals,
                json_number(result.multiway_std_error, 6).c_str());
    for (int p = 0; p < result.player_count; ++p)
      std::printf("%s{\"position\": %s, \"stack\": %s, \"ev_chips\": %s, \"ev_prize\": %s, \"best_response_gain\": %s}",
                  p ? ", " : "", json_string(name(p)).c_str(), json_number(stacks[static_cast<std::size_t>(p)]).c_str(),
                  json_number(result.ev_chips[p], 8).c_str(),
                  result.icm ? json_number(result.ev_prize[p], 8).c_str() : "null",
                  json_number(result.best_response_gain[p], 6).c_str());
    std::printf("], \"spots\": [");
    for (int s = 0; s < result.spot_count; ++s) {
      const oddsmith_pushfold_spot& spot = result.spots[s];
      std::string callers = "[";
      for (int p = 0; p < players; ++p) {
        if ((spot.callers >> p) & 1) callers += (callers.size() > 1 ? ", " : "") + std::to_string(p);
      }
      callers += "]";
      std::printf("%s{\"player\": %d, \"position\": %s, \"action\": %s, \"facing\": %s, \"callers\": %s, "
                  "\"share\": %s, \"range\": %s}",
                  s ? ", " : "", spot.player, json_string(name(spot.player)).c_str(),
                  spot.pusher < 0 ? "\"push\"" : "\"call\"",
                  spot.pusher < 0 ? "null" : std::to_string(spot.pusher).c_str(), callers.c_str(),
                  json_number(spot.share, 6).c_str(), json_string(range_text(spot.strategy)).c_str());
    }
    std::printf("]}\n");
  } else {
    if (players == 2) {
      std::printf("Heads-up push/fold: button (small blind) %g bb, big blind %g bb", stacks[0], stacks[1]);
    } else {
      std::printf("%d-handed push/fold:", players);
      for (int p = 0; p < players; ++p)
        std::printf("%s %s %g bb", p ? "," : "", name(p).c_str(), stacks[static_cast<std::size_t>(p)]);
    }
    std::printf("; blinds %g/%g", query.big_blind > 0 ? query.small_blind : 0.5,
                query.big_blind > 0 ? query.big_blind : 1.0);
    if (query.ante > 0) std::printf(", ante %g%s", query.ante, query.big_blind_ante ? " (big blind ante)" : "");
    std::printf("; payoff: %s\n\n", result.icm ? "ICM prize equity" : "chips");
    for (int s = 0; s < result.spot_count; ++s) {
      const oddsmith_pushfold_spot& spot = result.spots[s];
      const std::string text = range_text(spot.strategy);
      if (spot.pusher < 0)
        std::printf("%s pushes %.1f%% of hands:\n  %s\n", name(spot.player).c_str(), 100 * spot.share,
                    text.empty() ? "(none)" : text.c_str());
      else
        std::printf("%s calls the %s's push%s%s with %.1f%% of hands:\n  %s\n", name(spot.player).c_str(),
                    name(spot.pusher).c_str(), spot.callers ? " after " : "",
                    callers_text(spot.callers, players).c_str(), 100 * spot.share,
                    text.empty() ? "(none)" : text.c_str());
    }
    auto per_player = [&](const char* label, const double* values, bool sign, int decimals) {
      std::printf("%s", label);
      for (int p = 0; p < players; ++p) {
        std::printf("%s%s ", p ? ", " : "", name(p).c_str());
        std::printf(sign ? "%+.*f" : "%.*f", decimals, values[p]);
      }
      std::printf("\n");
    };
    std::printf("\n");
    per_player("EV (chips, bb): ", result.ev_chips, true, 4);
    if (result.icm) per_player("EV (prize equity): ", result.ev_prize, false, 4);
    per_player("best-response gains: ", result.best_response_gain, false, 6);
    std::printf("exploitability %.6f %s; %d iterations, %.3f s\n", result.exploitability, unit, result.iterations,
                result.seconds);
    if (players > 2)
      std::printf("multiway pots: %lld deals at the last refresh, equity standard error up to %.4f\n",
                  result.multiway_deals, result.multiway_std_error);
  }
  if (!svg.empty()) {
    double push_up_to[ODDSMITH_CLASS_COUNT] = {};
    double call_up_to[ODDSMITH_CLASS_COUNT] = {};
    double worst = 0;
    const int chart = oddsmith_pushfold_chart(&query, 1, chart_max, chart_step, push_up_to, call_up_to, &worst, error,
                                              static_cast<int>(sizeof error));
    if (chart != ODDSMITH_STATUS_OK && chart != ODDSMITH_STATUS_TARGET_NOT_MET) return fail(in_option_words(error));
    char subtitle[256];
    std::snprintf(subtitle, sizeof subtitle, "Equal stacks 1-%g bb in steps of %g; blinds %g/%g, ante %g%s; %s; worst exploitability %.2g %s",
                  chart_max, chart_step, query.big_blind > 0 ? query.small_blind : 0.5,
                  query.big_blind > 0 ? query.big_blind : 1.0, query.ante, query.big_blind_ante ? " (big blind)" : "",
                  result.icm ? "ICM" : "chips", worst, unit);
    if (std::string e = write_file_atomically(svg, pictures::pushfold_svg(push_up_to, call_up_to, chart_max, subtitle));
        !e.empty())
      return fail(e);
  }
  return status == ODDSMITH_STATUS_OK ? 0 : kTargetNotMetExit;
}

}  // namespace cli
