// How promptly long runs report progress and stop when cancelled, through the
// public export: for each query a progress callback notes when it is called and
// cancels after one second (a run whose setup is the slow part: at its first
// call); printed are the first call's delay, the longest gap
// between calls, the time from cancelling to the return, the projected length
// of the whole run, and whether the reported share ever went down. Exits 1 when
// a first call comes after 0.25 s, a gap exceeds 0.25 s or a return 0.5 s.
//   build/release/bin/probe_progress [threads]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "oddsmith.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Probe {
  Clock::time_point start, cancelled_at;
  double first = -1, longest_gap = 0, last = 0, last_share = 0, share_at_cancel = 0;
  bool decreased = false, cancelled = false;
  double cancel_after = 1.0;
  static int call(double done, void* self) {
    auto* p = static_cast<Probe*>(self);
    const double now = std::chrono::duration<double>(Clock::now() - p->start).count();
    if (p->first < 0) p->first = now;
    p->longest_gap = std::max(p->longest_gap, now - p->last);
    p->last = now;
    p->decreased = p->decreased || done < p->last_share;
    p->last_share = done;
    if (now >= p->cancel_after && !p->cancelled) {
      p->cancelled = true;
      p->cancelled_at = Clock::now();
      p->share_at_cancel = done;
    }
    return p->cancelled ? 1 : 0;
  }
};

struct Case {
  const char* what;
  int game;
  std::vector<const char*> players;
  int mode;
  long long trials;
  double target;
  double cancel_after = 1.0;
};

}  // namespace

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::atoi(argv[1]) : 0;
  const Case cases[] = {
      {"Hold'em AhKh v random v random, exact", ODDSMITH_GAME_HOLDEM, {"AhKh", "random", "random"}, ODDSMITH_MODE_EXACT, 0, 0},
      {"Hold'em random v random v random, exact", ODDSMITH_GAME_HOLDEM, {"random", "random", "random"}, ODDSMITH_MODE_EXACT, 0, 0},
      {"Omaha AhAsKhKs v random, exact", ODDSMITH_GAME_OMAHA, {"AhAsKhKs", "random"}, ODDSMITH_MODE_EXACT, 0, 0},
      {"Hi/Lo AhAsKhKs v random, exact", ODDSMITH_GAME_OMAHA_HILO, {"AhAsKhKs", "random"}, ODDSMITH_MODE_EXACT, 0, 0},
      {"Hi/Lo AhAsKhKs v 5 random, Monte Carlo 10^9", ODDSMITH_GAME_OMAHA_HILO,
       {"AhAsKhKs", "random", "random", "random", "random", "random"}, ODDSMITH_MODE_MONTE_CARLO, 1'000'000'000, 0},
      {"Hold'em ranges, target 1e-5", ODDSMITH_GAME_HOLDEM, {"QQ+, AKs", "JJ-88, AQo"}, ODDSMITH_MODE_MONTE_CARLO, 0, 1e-5},
      {"Five-card Hi/Lo, 9 large ranges, setup", ODDSMITH_GAME_OMAHA5_HILO,
       {"xxxxx", "random", "100%", "random", "xxxxx", "100%", "random", "random", "random"}, ODDSMITH_MODE_MONTE_CARLO,
       1000, 0, 0.0},
      {"Five-card Hi/Lo, 9 large ranges, 10^9", ODDSMITH_GAME_OMAHA5_HILO,
       {"xxxxx", "random", "100%", "random", "xxxxx", "100%", "random", "random", "random"}, ODDSMITH_MODE_MONTE_CARLO,
       1'000'000'000, 0},
  };
  int failures = 0;
  std::printf("%-42s %8s %8s %8s %12s %s\n", "run (cancelled after 1 s)", "first", "gap", "return", "projected", "share");
  for (const Case& c : cases) {
    oddsmith_equity_query q{};
    q.size = sizeof q;
    q.game = c.game;
    q.player_count = static_cast<int>(c.players.size());
    q.players = c.players.data();
    q.mode = c.mode;
    q.trials = c.trials;
    q.target_stderr = c.target;
    q.seed = 1;
    q.threads = threads;
    q.max_seconds = 1e9;  // let it start: it is cancelled anyway
    Probe probe;
    probe.cancel_after = c.cancel_after;
    q.progress = Probe::call;
    q.progress_user = &probe;
    oddsmith_equity_result r{};
    r.size = sizeof r;
    char error[256] = "";
    probe.start = Clock::now();
    const int status = oddsmith_equity(&q, &r, error, sizeof error);
    const double back = probe.cancelled ? std::chrono::duration<double>(Clock::now() - probe.cancelled_at).count() : -1;
    const double projected = probe.share_at_cancel > 0 ? probe.last / probe.share_at_cancel : 0;
    const bool ok = status == ODDSMITH_STATUS_CANCELLED && probe.first <= 0.25 && probe.longest_gap <= 0.25 &&
                    back <= 0.5 && !probe.decreased;
    failures += !ok;
    std::printf("%-42s %7.3fs %7.3fs %7.3fs %11.0fs %s%s\n", c.what, probe.first, probe.longest_gap, back, projected,
                probe.decreased ? "went down" : "rising", ok ? "" : status == 0 ? "  <- finished" : "  <- too slow");
    if (status != ODDSMITH_STATUS_CANCELLED && status != 0) std::printf("  status %d: %s\n", status, error);
  }
  return failures ? 1 : 0;
}
