// The solver's three benchmark spots (issue 37): river, turn and flop on
// Qs Jh 2h with the ranges below, no donk bets, the three thresholds off, no
// raise cap. Prints iterations, seconds, memory and exploitability for each
// thread count asked.
//
//   bench_solver [river|turn|flop|all] [--threads 1,2] [--compress] [--target PCT] [--iterations N]
//                [--no-isomorphism]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cards/card_text.h"
#include "range/range_notation.h"
#include "solver/solver.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::solver;

constexpr const char* kOop = "QQ-22,AQs-A2s,ATo+,K9s+,KTo+,QTs+,JTs";
constexpr const char* kIp = "AA-22,AKs-A2s,AKo-A9o,K8s+,KTo+,Q9s+,QTo+,J9s+,T9s";

struct Bench {
  const char* name;
  const char* board;
  int pot, stack;
  const char* bets[3];  // flop, turn, river
  double target;
};

constexpr Bench kBenches[] = {
    {"river", "Qs Jh 2h 8d 3c", 100, 200, {"", "", "50%,100%"}, 0.3},
    {"turn", "Qs Jh 2h 8d", 100, 200, {"", "50%,100%", "50%,100%"}, 0.5},
    {"flop", "Qs Jh 2h", 60, 170, {"33%,75%", "75%", "100%"}, 0.5},
};

Spot spot_of(const Bench& b) {
  Spot s;
  std::string error;
  parse_card_list(b.board, s.board, error);
  s.ranges[0] = *parse_range(kOop, RangeGame::holdem).range;
  s.ranges[1] = *parse_range(kIp, RangeGame::holdem).range;
  s.tree.pot = b.pot;
  s.tree.stack = b.stack;
  s.tree.add_allin = s.tree.force_allin = s.tree.merge = 0;
  s.tree.max_raises = -1;
  for (int street = 0; street < 3; ++street)
    for (int p = 0; p < 2; ++p) {
      auto& sizes = s.tree.sizes[static_cast<std::size_t>(street)][static_cast<std::size_t>(p)];
      sizes.bets = *parse_sizes(b.bets[street], false, error);
      sizes.raises = *parse_sizes(b.bets[street][0] ? "2.5x" : "", true, error);
    }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  std::string which = "all";
  std::vector<int> threads = {1, 2};
  bool compress = false;
  double target = -1;
  int iterations = 0;
  int check = 10;
  bool iso = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--threads" && i + 1 < argc) {
      threads.clear();
      for (const char* p = argv[++i]; *p;) {
        threads.push_back(std::atoi(p));
        while (*p && *p != ',') ++p;
        if (*p) ++p;
      }
    } else if (a == "--compress") {
      compress = true;
    } else if (a == "--no-isomorphism") {
      iso = false;
    } else if (a == "--check" && i + 1 < argc) {
      check = std::atoi(argv[++i]);
    } else if (a == "--iterations" && i + 1 < argc) {
      iterations = std::atoi(argv[++i]);
    } else if (a == "--target" && i + 1 < argc) {
      target = std::atof(argv[++i]);
    } else {
      which = a;
    }
  }
  std::printf("%-6s %7s %6s %10s %9s %12s %10s\n", "spot", "threads", "iters", "seconds", "MiB", "exploit %", "build s");
  for (const Bench& b : kBenches) {
    if (which != "all" && which != b.name) continue;
    for (int t : threads) {
      const auto t0 = std::chrono::steady_clock::now();
      std::string error;
      BuildOptions bo;
      bo.threads = t;
      bo.compress = compress;
      bo.isomorphism = iso;
      auto solver = Solver::create(spot_of(b), bo, error);
      if (!solver) {
        std::fprintf(stderr, "%s: %s\n", b.name, error.c_str());
        return 1;
      }
      const double build = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      SolveOptions so;
      so.target_pct = target > 0 ? target : b.target;
      so.max_iterations = iterations > 0 ? iterations : 10000;
      so.check_every = check;
      if (iterations > 0) so.target_pct = 0;
      const SolveReport r = solver->solve(so);
      std::printf("%-6s %7d %6d %10.3f %9.1f %12.4f %10.3f\n", b.name, t, r.iterations, r.seconds + build,
                  static_cast<double>(solver->size().memory_bytes) / (1 << 20), r.exploitability_pct, build);
      std::fflush(stdout);
    }
  }
  return 0;
}
