// The chooser's time estimates against measured single-core times, for every
// exact method that applies to a spread of queries (hands, ranges, multiway,
// every game and street), and for the exact hand-by-hand equities of a range (a
// breakdown's first part). Prints estimate, measured time and their ratio, and
// exits 1 when a ratio is outside 1/2 .. 2. A Release build, on a quiet machine:
//   build/release/bin/check_estimates
#include <chrono>
#include <optional>
#include <cstdio>
#include <string>
#include <vector>

#include "calculator/chooser.h"
#include "calculator/part_runs.h"
#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/query_text.h"

namespace {

using namespace oddsmith::calc;

struct Case {
  Game game;
  std::vector<std::string_view> players;
  const char* board;
};

const Case kCases[] = {
    {Game::holdem, {"AhKh", "QsQd"}, ""},
    {Game::holdem, {"AhKh", "QsQd", "7c6c"}, ""},
    {Game::holdem, {"AhKh", "QsQd", "JJ"}, ""},
    {Game::holdem, {"AhKh", "random"}, ""},
    {Game::holdem, {"AsKd", "random"}, "9s8s2h3c"},
    {Game::holdem, {"AsKd", "random"}, "9s8s2h"},
    {Game::holdem, {"QQ+, AKs", "JJ-88, AQo"}, ""},
    {Game::holdem, {"22+, A2s+, KTo+", "random"}, "Qh7c2d"},
    {Game::holdem, {"random", "random"}, "Qh7c2d5s"},
    {Game::holdem, {"AhKh", "QQ+, AKs", "random"}, "Qh7c2d"},
    {Game::holdem, {"AhKh", "random", "random"}, "Qh7c2d5s"},
    {Game::holdem, {"AA, KK", "QQ, JJ", "TT, 99"}, "2c"},
    {Game::omaha, {"AhAsKhKs", "JcTc9d8d"}, ""},
    {Game::omaha, {"AhAsKhKs", "AAxx"}, "Qh7c2d"},
    {Game::omaha, {"AhAsKhKs", "random"}, "Qh7c2d5s"},
    {Game::omaha, {"AhAsKhKs", "JcTc9d8d", "7s6s5h4h"}, "2c"},
    {Game::omaha_hilo, {"AhAsKhKs", "JcTc9d8d"}, ""},
    {Game::omaha_hilo, {"Ad2d3sKs", "AAxx"}, "Qh7c2c"},
    {Game::omaha_hilo, {"Ah2h5c9d", "random"}, "3c4d8h9s"},
    {Game::shortdeck, {"AhKh", "QsQd"}, ""},
    {Game::shortdeck, {"AsKd", "random"}, "9s8s7h6c"},
    {Game::shortdeck, {"QQ+, AKs", "random", "random"}, "Th7c8d9s"},
    {Game::shortdeck, {"TT+, AKs", "JJ-88, AQo"}, "Jh7c6d"},
    {Game::omaha5, {"AhAsKhKsQd", "JcTc9d8d7h"}, "Qc2h3s"},
    {Game::omaha5, {"AhAsKhKsQd", "random"}, "Qc7h2d5s"},
    {Game::omaha5_hilo, {"Ah2h5c9dTs", "As3s6cTdJc"}, "3c4d8h"},
};

// Hand-by-hand equities (a breakdown's hands): the first player's range, each
// hand a run of its own, estimated from the first hand's run.
const Case kHandCases[] = {
    {Game::holdem, {"AA, KK, QQ, JJ", "random", "random"}, "Th7c8d9s2c"},
    {Game::holdem, {"QQ+, AKs", "JJ", "random"}, "Th7c8d9s"},
    {Game::shortdeck, {"QQ+, AKs", "random", "random"}, "Th7c8d9s"},
    {Game::omaha, {"AAKKds", "random"}, "Qh7c2d5s"},
    {Game::omaha5, {"AhAsKhKsQd, JcTc9d8d7h", "random"}, "Qc7h2d5s"},
};

const char* name(Method m) {
  switch (m) {
    case Method::board_sweep: return "board sweep";
    case Method::rank_counting: return "rank counting";
    case Method::two_range_sweep: return "two-range sweep";
    case Method::monte_carlo: return "Monte Carlo";
  }
  return "?";
}

// A case's query on one thread with no bound, and its prepared form; nothing
// (with the message printed) for a case that does not parse.
std::optional<PreparedQuery> set_up(const Case& c, EquityQuery& q) {
  std::string error;
  if (query_from_text(c.game, c.players, c.board, "", q, error)) {
    q.threads = 1;
    q.max_seconds = 1e9;
    if (auto prepared = prepare_query(q, error)) return prepared;
  }
  std::printf("bad case: %s\n", error.c_str());
  return std::nullopt;
}

std::string label_of(const Case& c) {
  std::string label;
  for (std::string_view p : c.players) label += std::string(label.empty() ? "" : " v ") + std::string(p);
  if (*c.board) label += std::string(" / ") + c.board;
  return label;
}

// Prints a row; true when the ratio is within 1/2 .. 2.
bool report(const std::string& label, const char* method, double estimate, double measured) {
  const double ratio = estimate / measured;
  const bool ok = ratio >= 0.5 && ratio <= 2;
  std::printf("%-42.42s %-16s %9.4fs %9.4fs %7.2f%s\n", label.c_str(), method, estimate, measured, ratio,
              ok ? "" : "  <- outside 1/2..2");
  return ok;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  int outside = 0;
  std::printf("%-42s %-16s %10s %10s %7s\n", "query", "method", "estimate", "measured", "ratio");
  for (const Case& c : kCases) {
    EquityQuery q;
    const auto prepared = set_up(c, q);
    if (!prepared) return 2;
    const MethodCosts costs = estimate_costs(*prepared, SuitSymmetry(*prepared));
    for (Method m : {Method::board_sweep, Method::rank_counting, Method::two_range_sweep}) {
      if (!method_applies(m, *prepared) || costs.of(m) > 20) continue;  // too slow to measure here
      q.force_method = m;
      const auto start = std::chrono::steady_clock::now();
      const EquityOutcome out = compute_equity(q);
      const double measured = seconds_since(start);
      if (out.status != Status::ok) {
        std::printf("%s: %s\n", label_of(c).c_str(), out.error.c_str());
        return 2;
      }
      outside += !report(label_of(c), name(m), costs.of(m), measured);
    }
  }
  for (const Case& c : kHandCases) {
    EquityQuery q;
    const auto prepared = set_up(c, q);
    if (!prepared) return 2;
    q.mode = Mode::exact;
    const double estimate = exact_hands_seconds(*prepared, q);
    if (estimate > 20) continue;
    const auto start = std::chrono::steady_clock::now();
    const HandsOutcome out = compute_hand_equities(q);
    const double measured = seconds_since(start);
    if (out.status != Status::ok) {
      std::printf("%s: %s\n", label_of(c).c_str(), out.error.c_str());
      return 2;
    }
    outside += !report(label_of(c), "hand by hand", estimate, measured);
  }
  return outside ? 1 : 0;
}
