// The solver's benchmark spots: Hold'em river, turn and flop on Qs Jh 2h with
// the ranges below; Omaha river and turn on Ks 8d 3c 2h with 15 % against
// 25 % (about 5,000 hands each), one bet size and one raise; no donk bets,
// the three thresholds off, no raise cap. Prints iterations, seconds, memory
// and exploitability for each thread count asked. --measure prints the
// memory estimates alone (spot and storage), for the Omaha flops too, which
// are solved only when named.
//
//   bench_solver [river|turn|flop|omaha-river|omaha-turn|all] [--threads 1,2] [--compress] [--target PCT]
//                [--iterations N] [--no-isomorphism] [--measure]
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
  Game game = Game::holdem;
  const char* oop = kOop;
  const char* ip = kIp;
  bool measure_only = false;  // run only with --measure
  int max_raises = -1;        // -1: no cap
};

constexpr Bench kBenches[] = {
    {"river", "Qs Jh 2h 8d 3c", 100, 200, {"", "", "50%,100%"}, 0.3},
    {"turn", "Qs Jh 2h 8d", 100, 200, {"", "50%,100%", "50%,100%"}, 0.5},
    {"flop", "Qs Jh 2h", 60, 170, {"33%,75%", "75%", "100%"}, 0.5},
    {"omaha-river", "Ks 8d 3c 2h 7s", 100, 200, {"", "", "75%"}, 0.3, Game::omaha, "2%", "2.5%"},
    {"omaha-turn", "Ks 8d 3c 2h", 100, 200, {"", "75%", "75%"}, 0.5, Game::omaha, "2%", "2.5%"},
    // Omaha flops, for their memory estimates: one size a street, raises
    // capped at one (and none), 15 % to 1 % of the hands.
    {"omaha-flop", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha, "2%", "2.5%", true},
    {"omaha-flop-cap1", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha, "2%", "2.5%", true, 1},
    {"omaha-flop-cap0", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha, "2%", "2.5%", true, 0},
    {"omaha-flop-1-1", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha, "1%", "1%", true, 1},
    {"omaha-flop-1-1-cap0", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha, "1%", "1%", true, 0},
    {"omaha5-flop-cap0", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha5, "0.2%", "0.2%", true, 0},
    {"omaha-flop-5-10", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha, "5%", "10%", true, 1},
    {"omaha-flop-15-25", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha, "15%", "25%", true, 0},
    {"omaha5-flop", "Ks 8d 3c", 60, 170, {"75%", "75%", "75%"}, 0.5, Game::omaha5, "0.2%", "0.2%", true, 1},
};

Spot spot_of(const Bench& b) {
  Spot s;
  std::string error;
  parse_card_list(b.board, s.board, error);
  s.game = b.game;
  s.ranges[0] = *parse_range(b.oop, rules(b.game).hands).range;
  s.ranges[1] = *parse_range(b.ip, rules(b.game).hands).range;
  s.tree.pot = b.pot;
  s.tree.stack = b.stack;
  s.tree.add_allin = s.tree.force_allin = s.tree.merge = 0;
  s.tree.max_raises = b.max_raises;
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
  bool measure = false;
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
    } else if (a == "--measure") {
      measure = true;
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
  if (measure) {
    std::printf("%-16s %7s %7s %14s %12s %12s\n", "spot", "OOP", "IP", "values", "MiB 32-bit", "MiB 16-bit");
    for (const Bench& b : kBenches) {
      if (which != "all" && which != b.name) continue;
      TreeSize size[2];
      std::string error;
      for (int c = 0; c < 2; ++c) {
        BuildOptions bo;
        bo.threads = 2;
        bo.compress = c == 1;
        if (!Solver::measure(spot_of(b), bo, size[c], error)) {
          std::fprintf(stderr, "%s: %s\n", b.name, error.c_str());
          return 1;
        }
      }
      std::printf("%-16s %7d %7d %14zu %12.1f %12.1f\n", b.name, size[0].hands[0], size[0].hands[1], size[0].values,
                  static_cast<double>(size[0].memory_bytes) / (1 << 20), static_cast<double>(size[1].memory_bytes) / (1 << 20));
    }
    return 0;
  }
  std::printf("%-11s %7s %6s %10s %9s %12s %10s\n", "spot", "threads", "iters", "seconds", "MiB", "exploit %", "build s");
  for (const Bench& b : kBenches) {
    if (which != b.name && (b.measure_only || which != "all")) continue;  // the flops only by name
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
      std::printf("%-11s %7d %6d %10.3f %9.1f %12.4f %10.3f\n", b.name, t, r.iterations, r.seconds + build,
                  static_cast<double>(solver->size().memory_bytes) / (1 << 20), r.exploitability_pct, build);
      std::fflush(stdout);
    }
  }
  return 0;
}
