// The equity calculator through its export with arbitrary texts: players split
// from the input at '|', then the board and the dead cards; a short seeded
// simulation on one thread, or (second byte's top bit set) the automatic mode,
// which enumerates exactly where that is quick and otherwise simulates to a
// loose target. A success gives equities in [0, 1] that add up to one; a
// refusal gives status 1 and a message. Then the same query's breakdown.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "oddsmith.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int game = data[0] % 6;
  const bool automatic = (data[1] & 0x80) != 0;
  const long long trials = automatic ? 0 : 1 + data[1] % 100;
  std::vector<std::string> fields(1);
  for (std::size_t i = 2; i < size; ++i) {
    if (data[i] == '|') fields.emplace_back();
    else fields.back() += static_cast<char>(data[i]);
  }
  if (fields.size() < 3) return 0;
  const std::string dead = fields.back();
  fields.pop_back();
  const std::string board = fields.back();
  fields.pop_back();
  std::vector<const char*> players;
  for (const std::string& f : fields) players.push_back(f.c_str());
  oddsmith_equity_query q{};
  q.size = sizeof q;
  q.game = game;
  q.player_count = static_cast<int>(players.size());
  q.players = players.data();
  q.board = board.c_str();
  q.dead = dead.c_str();
  q.mode = automatic ? ODDSMITH_MODE_AUTO : ODDSMITH_MODE_MONTE_CARLO;
  q.trials = trials;
  q.target_stderr = 0.05;
  q.seed = 1;
  q.threads = 1;
  oddsmith_equity_result r{};
  r.size = sizeof r;
  char error[128] = "";
  const int status = oddsmith_equity(&q, &r, error, sizeof error);
  if (status != 0) {
    fuzz::require(status == 1 && error[0] != '\0');
    return 0;
  }
  double sum = 0;
  for (int p = 0; p < r.player_count; ++p) {
    fuzz::require(r.players[p].equity >= 0 && r.players[p].equity <= 1 && r.players[p].win <= r.players[p].equity + 1e-12);
    sum += r.players[p].equity;
  }
  fuzz::require(r.player_count == q.player_count && std::fabs(sum - 1) < 1e-9);
  fuzz::require(automatic ? r.deals > 0 : r.deals == trials);

  // The breakdown of the same query, under a short bound: a handle whose hands
  // have equities in [0, 1] and real cards, or a refusal with a message.
  q.max_seconds = 0.2;
  int breakdown_status = -1;
  oddsmith_breakdown* b = oddsmith_breakdown_run(&q, &breakdown_status, error, sizeof error);
  if (!b) {
    fuzz::require(breakdown_status > 0 && error[0] != '\0');
    return 0;
  }
  // A handle comes complete, or short of its target at the bound with a
  // message saying so.
  fuzz::require(breakdown_status == ODDSMITH_STATUS_OK ||
                (breakdown_status == ODDSMITH_STATUS_TARGET_NOT_MET && error[0] != '\0'));
  fuzz::require(oddsmith_breakdown_summary(b, nullptr, nullptr, nullptr) == q.player_count);
  for (int i = 0; i < oddsmith_breakdown_hand_count(b); ++i) {
    int cards[5] = {-1, -1, -1, -1, -1}, value = -1, draws = -1;
    double weight = -1, equity = -1;
    const int n = oddsmith_breakdown_hand(b, i, cards, &weight, &equity, &value, &draws);
    fuzz::require((n == 2 || n == 4 || n == 5) && weight > 0 && equity >= 0 && equity <= 1 + 1e-12 && value >= 0 && draws >= 0);
    for (int c = 0; c < n; ++c) fuzz::require(cards[c] >= 0 && cards[c] < 52);
  }
  fuzz::require(oddsmith_breakdown_hand(b, -1, nullptr, nullptr, nullptr, nullptr, nullptr) == 0);
  oddsmith_breakdown_free(b);
  return 0;
}
