// A fixed workload for the instruction-count report (bench/cost_report.py):
// one figure per run, measured between callgrind's start and stop requests, so
// only the loop itself counts. Hands are pre-dealt from a fixed seed before the
// measurement starts.
//   valgrind --tool=callgrind --instr-atstart=no cost_workload FIGURE COUNT
#include <valgrind/callgrind.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "calculator/equity_query.h"
#include "calculator/query_text.h"
#include "host/internal/holdem.h"
#include "host/internal/omaha.h"
#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha5.h"
#include "eval/omaha_low.h"
#include "oddsmith.h"
#include "random_hands.h"

namespace {

template <int Width, class Eval>
long evaluations(long count, Eval eval) {
  const std::vector<int> cards = bench::random_hands(Width, count);
  long sum = 0;
  CALLGRIND_START_INSTRUMENTATION;
  for (long i = 0; i < count; ++i) sum += eval(&cards[static_cast<std::size_t>(i) * Width]);
  CALLGRIND_STOP_INSTRUMENTATION;
  return sum;
}

// A batch export over `count` pre-dealt hands in one call: the figure is per
// hand. Short-deck hands are drawn from its 36 cards.
long batch(int game, int width, long count) {
  const std::vector<int> cards = bench::random_hands(width, count, game == ODDSMITH_GAME_SHORTDECK ? 16 : 0);
  std::vector<int> values(static_cast<std::size_t>(count));
  CALLGRIND_START_INSTRUMENTATION;
  const int status = game < 0 ? oddsmith_evaluate_many(cards.data(), count, width, values.data())
                              : oddsmith_evaluate_game_many(cards.data(), count, game, width, values.data());
  CALLGRIND_STOP_INSTRUMENTATION;
  long sum = status;
  for (const int v : values) sum += v;
  return sum;
}

long equity(int game, int opponents, long deals) {
  using namespace oddsmith::host;
  const EquityRequest holdem{{50, 46, 0, 0}, 2, 0, {}, opponents, 0};
  const EquityRequest omaha{{50, 51, 46, 47}, 4, 0, {}, opponents, 0};
  CALLGRIND_START_INSTRUMENTATION;
  const long result = game == 0   ? holdem_equity(holdem, 7, static_cast<int>(deals))
                      : game == 1 ? omaha_high_equity(omaha, 7, static_cast<int>(deals)).per_mille
                                  : omaha_hilo_equity(omaha, 7, static_cast<int>(deals)).per_mille;
  CALLGRIND_STOP_INSTRUMENTATION;
  return result;
}

// The calculator's Monte Carlo, one thread, seeded: the query is read before
// the measurement; what is counted is the run (its setup is a few hundred deals'
// worth over the counts the report uses).
long calculator(oddsmith::calc::Game game, const std::vector<std::string_view>& players, long deals) {
  using namespace oddsmith::calc;
  EquityQuery q;
  std::string error;
  if (!query_from_text(game, players, "", "", q, error)) return -1;
  q.mode = Mode::monte_carlo;
  q.trials = deals;
  q.seed = 11;
  q.threads = 1;
  CALLGRIND_START_INSTRUMENTATION;
  const EquityOutcome out = compute_equity(q);
  CALLGRIND_STOP_INSTRUMENTATION;
  return out.status == Status::ok ? static_cast<long>(out.players[0].equity * 1000) : -1;
}

// The calculator's exact enumeration of one query, `runs` times: the figure
// is per run, the query read before the measurement.
long exact_runs(const std::vector<std::string_view>& players, std::string_view board, long runs) {
  using namespace oddsmith::calc;
  EquityQuery q;
  std::string error;
  if (!query_from_text(Game::holdem, players, board, "", q, error)) return -1;
  q.mode = Mode::exact;
  q.threads = 1;
  long sum = 0;
  CALLGRIND_START_INSTRUMENTATION;
  for (long i = 0; i < runs; ++i) sum += static_cast<long>(compute_equity(q).players[0].equity * 1000);
  CALLGRIND_STOP_INSTRUMENTATION;
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace oddsmith;
  if (argc != 3) return 2;
  const std::string_view figure = argv[1];
  const long n = std::atol(argv[2]);
  long r = 0;
  if (figure == "export_ev5") r = evaluations<5>(n, [](const int* c) { return poker_ev5(c[0], c[1], c[2], c[3], c[4]); });
  else if (figure == "export_ev7") r = evaluations<7>(n, [](const int* c) { return poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]); });
  else if (figure == "export_evomaha") r = evaluations<9>(n, [](const int* c) { return poker_evomaha(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
  else if (figure == "export_evomahalow") r = evaluations<9>(n, [](const int* c) { return poker_evomahalow(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
  else if (figure == "eval5") r = evaluations<5>(n, [](const int* c) { return eval5(c[0], c[1], c[2], c[3], c[4]); });
  else if (figure == "eval7") r = evaluations<7>(n, [](const int* c) { return eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]); });
  else if (figure == "eval_omaha_high") r = evaluations<9>(n, [](const int* c) { return eval_omaha_high(c[4], c[5], c[6], c[7], c[8], c[0], c[1], c[2], c[3]); });
  else if (figure == "eval_omaha_low") r = evaluations<9>(n, [](const int* c) { return eval_omaha_low(c[4], c[5], c[6], c[7], c[8], c[0], c[1], c[2], c[3]); });
  else if (figure == "eval_omaha_high_checked") r = evaluations<9>(n, [](const int* c) { return eval_omaha_high_checked(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
  else if (figure == "eval_omaha5_high") r = evaluations<10>(n, [](const int* c) { return eval_omaha5_high_checked(c, c + 5); });
  else if (figure == "batch_ev7") r = batch(-1, 7, n);
  else if (figure == "batch_holdem7") r = batch(ODDSMITH_GAME_HOLDEM, 7, n);
  else if (figure == "batch_shortdeck7") r = batch(ODDSMITH_GAME_SHORTDECK, 7, n);
  else if (figure == "batch_omaha") r = batch(ODDSMITH_GAME_OMAHA, 9, n);
  else if (figure == "batch_omaha5") r = batch(ODDSMITH_GAME_OMAHA5, 10, n);
  else if (figure == "holdem_deal_1") r = equity(0, 1, n);
  else if (figure == "holdem_deal_9") r = equity(0, 9, n);
  else if (figure == "omaha_deal_1") r = equity(1, 1, n);
  else if (figure == "omaha_deal_5") r = equity(1, 5, n);
  else if (figure == "hilo_deal_1") r = equity(2, 1, n);
  else if (figure == "hilo_deal_5") r = equity(2, 5, n);
  else if (figure == "calc_holdem_1_random") r = calculator(calc::Game::holdem, {"AhKh", "random"}, n);
  else if (figure == "calc_holdem_3_random") r = calculator(calc::Game::holdem, {"AhKh", "random", "random", "random"}, n);
  else if (figure == "calc_holdem_5_random")
    r = calculator(calc::Game::holdem, {"AhKh", "random", "random", "random", "random", "random"}, n);
  else if (figure == "calc_holdem_ranges") r = calculator(calc::Game::holdem, {"QQ+,AKs", "JJ,TT,99,88,AQo"}, n);
  else if (figure == "calc_omaha_1_random") r = calculator(calc::Game::omaha, {"AhAsKhKs", "random"}, n);
  else if (figure == "calc_omaha_random_random") r = calculator(calc::Game::omaha, {"random", "random"}, n);
  else if (figure == "calc_exact_AsKd_random_turn") r = exact_runs({"AsKd", "random"}, "9s8s2h3c", n);
  else return 2;
  std::printf("%s %ld\n", argv[1], r);
  return 0;
}
