#include "chart_equities.h"

#include <cmath>

#include "hand_classes.h"
#include "preflop_against_random.h"

namespace pictures {

bool ClassEquities::any() const {
  for (int row = 0; row < grid; ++row)
    for (int col = 0; col < grid; ++col)
      if (!std::isnan(equity[row][col])) return true;
  return false;
}

namespace {

// The calculator's progress within one class, as a share of the whole chart.
struct ClassProgress {
  const ChartQuery* query;
  double before, width;
};

int within_class(double done, void* user) {
  const auto* p = static_cast<const ClassProgress*>(user);
  return p->query->progress(p->before + p->width * done, p->query->progress_user);
}

}  // namespace

ClassEquities chart_equities(const ChartQuery& query) {
  ClassEquities out;
  const int n = out.grid = class_grid_size(query.game);
  for (auto& row : out.equity)
    for (double& e : row) e = std::nan("");
  if (query.opponent == "random" && query.board.empty() && query.dead.empty() &&
      preflop_against_random(query.game.game, out.equity))
    return out;
  const double cells = n * n;
  for (int row = 0; row < n; ++row) {
    for (int col = 0; col < n; ++col) {
      const std::string label = class_label(row, col);
      const char* players[] = {label.c_str(), query.opponent.c_str()};
      oddsmith_equity_query q{};
      q.size = sizeof q;
      q.game = query.game.game;
      q.player_count = 2;
      q.players = players;
      q.board = query.board.c_str();
      q.dead = query.dead.c_str();
      q.mode = ODDSMITH_MODE_AUTO;
      q.target_stderr = 0.0025;
      q.seed = 1;
      q.threads = query.threads;
      ClassProgress share{&query, (row * n + col) / cells, 1 / cells};
      if (query.progress) q.progress = within_class, q.progress_user = &share;
      oddsmith_equity_result r{};
      r.size = sizeof r;
      char error[256] = "";
      const int status = oddsmith_equity(&q, &r, error, sizeof error);
      if (status == ODDSMITH_STATUS_CANCELLED) {
        out.cancelled = true;
        return out;
      }
      if (status == ODDSMITH_STATUS_OK) out.equity[row][col] = r.players[0].equity;
      else if (out.first_error.empty()) out.first_error = error;
      if (query.progress && query.progress((row * n + col + 1) / cells, query.progress_user) != 0) {
        out.cancelled = true;
        return out;
      }
    }
  }
  return out;
}

}  // namespace pictures
