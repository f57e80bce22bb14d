// demo: every evaluator, the host's equity exports and the calculator on fixed
// examples, as text, or with --json as one object holding each step's JSON.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

struct Step {
  const char* heading;  // a line before the step in the text, or nullptr
  const char* label;    // shown before the step's own output in the text
  int (*run)(Args);
  std::vector<std::string_view> args;
  const char* opponent_game = nullptr;  // host matchups: the game whose first stored range
  const char* opponent = nullptr;       // is filled with this one hand first
};

const std::vector<Step>& steps() {
  static const std::vector<Step> kSteps = {
      {"Hand values: 1 best .. " CLI_NUMBER(ODDSMITH_WORST_HAND) " worst", "  five cards  AsKsQsJsTs      ", run_eval, {"AsKsQsJsTs"}},
      {nullptr, "  five cards  AcAdAhAsKd      ", run_eval, {"AcAdAhAsKd"}},
      {nullptr, "  five cards  7c5d4h3s2c      ", run_eval, {"7c5d4h3s2c"}},
      {nullptr, "  seven cards 2d2h2s3c3d3h3s  ", run_eval, {"2d2h2s3c3d3h3s"}},
      {nullptr, "  seven cards AhKhQh2c3d9h8h  ", run_eval, {"AhKhQh2c3d9h8h"}},
      {"Omaha: hole AcAdAhAs, board KcKdQhQsJc (two hole cards must play)", "", run_omaha,
       {"--hole", "AcAdAhAs", "--board", "KcKdQhQsJc"}},
      {"Omaha: hole 4s5s9c9d, board Ac2d3hKcKd", "", run_omaha, {"--hole", "4s5s9c9d", "--board", "Ac2d3hKcKd"}},
      {"The host's equity against one stored hand (ties split in Omaha, count as wins in Hold'em)",
       "  host holdem  AhAs vs KdKc: ", run_holdem, {"AhAs", "--opponents", "1", "--range", "1"}, "holdem", "KdKc"},
      {nullptr, "  host holdem  AhKs vs QdQc: ", run_holdem, {"AhKs", "--opponents", "1", "--range", "1"}, "holdem", "QdQc"},
      {nullptr, "  host holdem  7s6s vs AcAd: ", run_holdem, {"7s6s", "--opponents", "1", "--range", "1"}, "holdem", "AcAd"},
      {nullptr, "  host omaha   AhAsKhKs vs JcTc9d8d: ", run_omaha_equity, {"AhAsKhKs", "--opponents", "1", "--range", "1"},
       "omaha", "JcTc9d8d"},
      {nullptr, "  host hilo    Ad2d3sKs vs AhAcKdQc: ", run_hilo_equity, {"Ad2d3sKs", "--opponents", "1", "--range", "1"},
       "omaha-hilo", "AhAcKdQc"},
      {nullptr, "  host holdem  AhKh vs 3 random hands: ", run_holdem, {"AhKh", "--opponents", "3"}},
      {"The calculator, exact: AhKh against QsQd, and against the range QQ+, AKs on Qh7c2d", "", run_equity_command,
       {"AhKh", "QsQd"}},
      {nullptr, "", run_equity_command, {"AhKh", "QQ+, AKs", "--board", "Qh7c2d"}},
  };
  return kSteps;
}

// The step as the command line that gives the same output.
std::string command_text(const Step& step) {
  std::string text = step.run == run_eval ? "eval" : step.run == run_omaha ? "omaha" : step.run == run_holdem ? "host holdem"
                     : step.run == run_omaha_equity ? "host omaha" : step.run == run_hilo_equity ? "host hilo" : "equity";
  for (std::string_view a : step.args) {
    const bool quote = a.find(' ') != std::string_view::npos;
    text.append(quote ? " \"" : " ").append(a).append(quote ? "\"" : "");
  }
  return text;
}

}  // namespace

// cppcheck-suppress passedByValue
int run_demo(Args args) {  // NOLINT(performance-unnecessary-value-param)
  ReadArgs read;
  if (std::string error = read_options(args, {{"--json"}}, "demo", read); !error.empty()) return fail(error);
  const bool json = read.has("--json");
  if (!read.positionals.empty())
    return fail("demo takes no arguments but --json; unexpected '" + std::string(read.positionals[0]) + "'");
  if (json) std::printf("{\"demo\": [");
  else std::printf("oddsmith demonstration\n");
  bool first = true;
  for (const Step& step : steps()) {
    if (step.opponent) {
      std::vector<int> hand;
      collect_cards({step.opponent}, hand);
      load_single_hand(step.opponent_game, hand);
    }
    if (json) {
      Args with_json = step.args;
      with_json.emplace_back("--json");
      std::string output = capture_stdout([&] { step.run(with_json); });
      while (!output.empty() && output.back() == '\n') output.pop_back();
      std::printf("%s\n  {\"command\": %s, \"result\": %s}", first ? "" : ",", json_string(command_text(step)).c_str(),
                  output.c_str());
      first = false;
      continue;
    }
    if (step.heading) std::printf("\n%s\n", step.heading);
    std::printf("%s", step.label);
    std::fflush(stdout);
    step.run(step.args);
  }
  if (json) std::printf("\n]}\n");
  else std::printf("\nMore: oddsmith help\n");
  return 0;
}

}  // namespace cli
