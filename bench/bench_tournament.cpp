// The tournament layer's benchmark: a six-handed push/fold equilibrium under
// ICM (stacks 10, 12, 15, 20, 25, 30 big blinds from the button, blinds
// 0.5/1, ante 0.1, payouts 50/30/20), solved `--runs` times at each thread
// count asked; prints iterations, seconds, exploitability and the multiway
// pots' sampling, then the median time. Other tables with --stacks, --payouts
// (none: chips) and --ante; --no-card-removal deals the classes
// independently; --ranges prints the first actions' ranges.
//
//   bench_tournament [--threads 1,2] [--runs 3] [--stacks 10,12,...] [--payouts 50,30,20|none] [--ante 0.1]
//                    [--deals N] [--no-card-removal] [--ranges]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tournament/class_range_text.h"
#include "tournament/push_fold.h"

namespace {

using namespace oddsmith::tournament;

std::vector<double> numbers(const char* text) {
  std::vector<double> out;
  for (const char* p = text; *p;) {
    out.push_back(std::atof(p));
    while (*p && *p != ',') ++p;
    if (*p) ++p;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  PushFoldQuery query;
  query.stacks = {10, 12, 15, 20, 25, 30};
  query.ante = 0.1;
  query.payouts = {50, 30, 20};
  std::vector<double> threads = {2};
  int runs = 3;
  bool ranges = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--threads" && more) {
      threads = numbers(argv[++i]);
    } else if (a == "--runs" && more) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--stacks" && more) {
      query.stacks = numbers(argv[++i]);
    } else if (a == "--payouts" && more) {
      const std::string p = argv[++i];
      query.payouts = p == "none" ? std::vector<double>{} : numbers(p.c_str());
    } else if (a == "--ante" && more) {
      query.ante = std::atof(argv[++i]);
    } else if (a == "--deals" && more) {
      query.multiway_deals = std::atoi(argv[++i]);
    } else if (a == "--no-card-removal") {
      query.card_removal = false;
    } else if (a == "--ranges") {
      ranges = true;
    } else {
      std::fprintf(stderr, "unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  std::printf("%zu players, %s\n", query.stacks.size(), query.payouts.empty() ? "chips" : "ICM");
  std::printf("%7s %6s %9s %14s %12s %12s\n", "threads", "iters", "seconds", "exploitability", "deals", "equity s.e.");
  for (const double t : threads) {
    query.threads = static_cast<int>(t);
    std::vector<double> seconds;
    for (int r = 0; r < runs; ++r) {
      const PushFoldOutcome out = solve_push_fold(query);
      if (out.status != IcmStatus::ok && out.status != IcmStatus::target_not_met) {
        std::fprintf(stderr, "%s\n", out.error.c_str());
        return 1;
      }
      seconds.push_back(out.seconds);
      std::printf("%7d %6d %9.3f %14.3g %12lld %12.4f%s\n", query.threads, out.iterations, out.seconds,
                  out.exploitability, static_cast<long long>(out.multiway_deals), out.multiway_std_error,
                  out.status == IcmStatus::ok ? "" : " (target not met)");
      if (ranges && r == 0) {
        std::printf("  best-response gains:");
        for (const double g : out.best_response_gain) std::printf(" %.3g", g);
        std::printf("\n");
        for (const PushFoldSpot& spot : out.spots) {
          if (spot.pusher < 0 || spot.callers == 0) {
            std::printf("  player %d %s %d: %5.1f%% %s\n", spot.player, spot.pusher < 0 ? "opens" : "calls",
                        spot.pusher, 100 * spot.share, class_range_text(spot.strategy).c_str());
          }
        }
      }
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("median of %d at %d threads: %.3f s\n", runs, query.threads, seconds[seconds.size() / 2]);
  }
  return 0;
}
