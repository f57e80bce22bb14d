// The solver's exports (oddsmith_solver_*): the C query read into a spot,
// then a call into solver/. Nothing throws across the interface: allocation
// failures come back as errors.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "oddsmith.h"
#include "export_text.h"
#include "cards/card_text.h"
#include "range/range_notation.h"
#include "solver/solver.h"

struct oddsmith_solver {
  std::unique_ptr<oddsmith::solver::Solver> solver;
};

struct oddsmith_solver_node {
  oddsmith::solver::NodeReport report;
};

namespace {

namespace sv = oddsmith::solver;

void write_error(const std::string& message, char* error, int error_size) {
  if (error && error_size > 0) {
    const std::size_t n = std::min(message.size(), static_cast<std::size_t>(error_size) - 1);
    std::memcpy(error, message.data(), n);
    error[n] = '\0';
  }
}

using oddsmith::exports::write_text;

std::string join(std::initializer_list<std::string_view> pieces) {
  std::string s;
  for (std::string_view p : pieces) s.append(p);
  return s;
}

constexpr int kFirstQuerySize = static_cast<int>(sizeof(oddsmith_solver_query));

oddsmith_solver_query defaults() {
  oddsmith_solver_query q{};
  q.size = static_cast<int>(sizeof q);
  q.game = ODDSMITH_GAME_HOLDEM;
  q.add_allin = 1.5;
  q.force_allin = 0.15;
  q.merge = 0.1;
  q.max_raises = 3;
  return q;
}

// The spot and build options of a C query; empty, or what is wrong.
std::string read_query(const oddsmith_solver_query* query, sv::Spot& spot, sv::BuildOptions& build) {
  using namespace oddsmith;
  if (!query) return "no query (a null pointer)";
  if (query->size < kFirstQuerySize) return "the query's size field is not set to its sizeof";
  oddsmith_solver_query q = defaults();
  std::memcpy(&q, query, std::min<std::size_t>(sizeof q, static_cast<std::size_t>(query->size)));
  if (q.game != ODDSMITH_GAME_HOLDEM && q.game != ODDSMITH_GAME_SHORTDECK && q.game != ODDSMITH_GAME_OMAHA &&
      q.game != ODDSMITH_GAME_OMAHA5)
    return "the solver plays Hold'em, short deck, Omaha and five-card Omaha (high only)";
  spot.game = game_numbered(q.game)->game;
  const RangeGame range_game = rules(spot.game).hands;
  static const char* const kNames[2] = {"OOP", "IP"};
  for (int p = 0; p < 2; ++p) {
    if (!q.ranges[p]) return join({kNames[p], "'s range is missing"});
    RangeParse parse = parse_range(q.ranges[p], range_game);
    if (!parse.range)
      return join({kNames[p], "'s range: ", parse.error.message, " (at column ", std::to_string(parse.error.column), ")"});
    spot.ranges[static_cast<std::size_t>(p)] = *parse.range;
  }
  std::string card_error;
  if (!q.board) return "the board is missing";
  if (!parse_card_list(q.board, spot.board, card_error)) return join({"the board: ", card_error});
  if (q.dead && !parse_card_list(q.dead, spot.dead, card_error)) return join({"the dead cards: ", card_error});
  spot.tree.pot = q.pot;
  spot.tree.stack = q.stack;
  static const char* const kStreets[3] = {"flop", "turn", "river"};
  for (int street = 0; street < 3; ++street)
    for (int p = 0; p < 2; ++p) {
      auto& sizes = spot.tree.sizes[static_cast<std::size_t>(street)][static_cast<std::size_t>(p)];
      std::string error;
      for (int raise = 0; raise < 2; ++raise) {
        const char* text = raise ? q.raises[street][p] : q.bets[street][p];
        auto parsed = sv::parse_sizes(text ? text : "", raise != 0, error);
        if (!parsed)
          return join({kNames[p], "'s ", kStreets[street], raise ? " raises: " : " bets: ", error});
        (raise ? sizes.raises : sizes.bets) = std::move(*parsed);
      }
    }
  spot.tree.donk = q.donk != 0;
  spot.tree.add_allin = q.add_allin;
  spot.tree.force_allin = q.force_allin;
  spot.tree.merge = q.merge;
  spot.tree.max_raises = q.max_raises < 0 ? -1 : q.max_raises;
  if (q.max_raises < ODDSMITH_SOLVER_NO_RAISE_CAP) return "the raise cap must be 0 or more, or none";
  spot.rake_rate = q.rake_rate;
  if (std::isnan(q.rake_cap) || q.rake_cap < 0) return "the rake cap cannot be negative";
  spot.rake_cap = q.rake_cap > 0 ? q.rake_cap : std::numeric_limits<double>::infinity();
  if (q.threads < 0) return "the thread count cannot be negative";
  build.threads = q.threads;
  if (q.max_memory < 0) return "the memory bound cannot be negative";
  build.max_memory = q.max_memory > 0 ? static_cast<std::size_t>(q.max_memory) : sv::kDefaultMaxMemory;
  build.compress = q.compress != 0;
  if (q.locks) {
    std::string lock_error;
    if (!sv::parse_locks(q.locks, build.locks, lock_error)) return lock_error;
  }
  return {};
}

int node_kind(sv::NodeReport::Kind k) {
  switch (k) {
    case sv::NodeReport::Kind::action: return ODDSMITH_NODE_ACTION;
    case sv::NodeReport::Kind::chance: return ODDSMITH_NODE_CHANCE;
    case sv::NodeReport::Kind::fold: return ODDSMITH_NODE_FOLD;
    case sv::NodeReport::Kind::showdown: return ODDSMITH_NODE_SHOWDOWN;
    case sv::NodeReport::Kind::runout: return ODDSMITH_NODE_RUNOUT;
  }
  return -1;
}

int action_kind(sv::ActionKind k) {
  switch (k) {
    case sv::ActionKind::check: return ODDSMITH_ACTION_CHECK;
    case sv::ActionKind::bet: return ODDSMITH_ACTION_BET;
    case sv::ActionKind::raise: return ODDSMITH_ACTION_RAISE;
    case sv::ActionKind::call: return ODDSMITH_ACTION_CALL;
    case sv::ActionKind::fold: return ODDSMITH_ACTION_FOLD;
    case sv::ActionKind::allin: return ODDSMITH_ACTION_ALLIN;
  }
  return -1;
}

void fill_result(const sv::Solver& solver, const sv::SolveReport& r, oddsmith_solver_result& result) {
  result.iterations = r.iterations;
  result.seconds = r.seconds;
  result.exploitability = r.exploitability;
  result.exploitability_pct = r.exploitability_pct;
  result.converged = r.converged ? 1 : 0;
  result.stop = r.stop == sv::StopReason::target       ? ODDSMITH_SOLVER_STOP_TARGET
                : r.stop == sv::StopReason::iterations ? ODDSMITH_SOLVER_STOP_ITERATIONS
                : r.stop == sv::StopReason::seconds    ? ODDSMITH_SOLVER_STOP_SECONDS
                                                       : ODDSMITH_SOLVER_STOP_CANCELLED;
  for (int p = 0; p < 2; ++p) {
    result.ev[p] = r.ev[static_cast<std::size_t>(p)];
    result.equity[p] = r.equity[static_cast<std::size_t>(p)];
  }
  result.memory_bytes = static_cast<long long>(solver.size().memory_bytes);
}

}  // namespace

extern "C" {

ODDSMITH_API void oddsmith_solver_query_init(oddsmith_solver_query* query) {
  if (query) *query = defaults();
}

ODDSMITH_API int oddsmith_solver_measure(const oddsmith_solver_query* query, oddsmith_solver_tree_info* info,
                                         char* text, int text_size, int max_depth, char* error, int error_size) {
  try {
    if (!info || info->size < static_cast<int>(sizeof(oddsmith_solver_tree_info))) {
      write_error("the tree info's size field is not set to its sizeof", error, error_size);
      return ODDSMITH_STATUS_BAD_QUERY;
    }
    sv::Spot spot;
    sv::BuildOptions build;
    std::string message = read_query(query, spot, build);
    sv::TreeSize size;
    if (!message.empty() || !sv::Solver::measure(spot, build, size, message)) {
      write_error(message, error, error_size);
      return ODDSMITH_STATUS_BAD_QUERY;
    }
    info->street_trees = static_cast<long long>(size.street_trees);
    info->action_nodes = static_cast<long long>(size.action_nodes);
    info->terminal_nodes = static_cast<long long>(size.terminal_nodes);
    info->chance_nodes = static_cast<long long>(size.chance_nodes);
    info->stored_values = static_cast<long long>(size.values);
    info->memory_bytes = static_cast<long long>(size.memory_bytes);
    info->hands[0] = size.hands[0];
    info->hands[1] = size.hands[1];
    if (text) {
      std::string tree_error;
      const sv::GameTree tree = sv::build_game_tree(spot.tree, sv::first_street(spot), tree_error);
      write_text(sv::tree_text(tree, size, max_depth), text, text_size);
    }
    if (!message.empty()) {
      write_error(message, error, error_size);
      return ODDSMITH_STATUS_NO_MEMORY;
    }
    return ODDSMITH_STATUS_OK;
  } catch (const std::bad_alloc&) {
    write_error("out of memory", error, error_size);
    return ODDSMITH_STATUS_NO_MEMORY;
  } catch (...) {
    write_error("the tree could not be measured", error, error_size);
    return ODDSMITH_STATUS_BAD_QUERY;
  }
}

ODDSMITH_API oddsmith_solver* oddsmith_solver_create(const oddsmith_solver_query* query, char* error, int error_size) {
  try {
    sv::Spot spot;
    sv::BuildOptions build;
    std::string message = read_query(query, spot, build);
    if (!message.empty()) {
      write_error(message, error, error_size);
      return nullptr;
    }
    auto solver = sv::Solver::create(spot, build, message);
    if (!solver) {
      write_error(message, error, error_size);
      return nullptr;
    }
    return new oddsmith_solver{std::move(solver)};
  } catch (const std::bad_alloc&) {
    write_error("out of memory building the solver", error, error_size);
  } catch (...) {
    write_error("the solver could not be built", error, error_size);
  }
  return nullptr;
}

ODDSMITH_API void oddsmith_solver_free(oddsmith_solver* solver) { delete solver; }

ODDSMITH_API int oddsmith_solver_solve(oddsmith_solver* solver, const oddsmith_solve_options* options,
                                       oddsmith_solver_result* result, char* error, int error_size) {
  try {
    if (!solver || !result || result->size < static_cast<int>(sizeof(oddsmith_solver_result))) {
      write_error(!solver ? "no solver (a null pointer)" : "the result's size field is not set to its sizeof", error,
                  error_size);
      return ODDSMITH_STATUS_BAD_QUERY;
    }
    oddsmith_solve_options o{};
    if (options) {
      if (options->size < static_cast<int>(sizeof(oddsmith_solve_options))) {
        write_error("the options' size field is not set to its sizeof", error, error_size);
        return ODDSMITH_STATUS_BAD_QUERY;
      }
      std::memcpy(&o, options, sizeof o);
    }
    if (std::isnan(o.target_pct) || std::isnan(o.max_seconds) || o.max_seconds < 0 || o.max_iterations < 0) {
      write_error("a bad target, iteration cap or time bound", error, error_size);
      return ODDSMITH_STATUS_BAD_QUERY;
    }
    sv::SolveOptions so;
    so.target_pct = o.target_pct == 0 ? 0.5 : o.target_pct < 0 ? 0 : o.target_pct;
    so.max_iterations = o.max_iterations == 0 ? 1000 : o.max_iterations;
    so.max_seconds = o.max_seconds;
    if (o.progress) {
      const oddsmith_solver_progress_fn fn = o.progress;
      void* user = o.progress_user;
      so.progress = [fn, user](const sv::Progress& p) {
        return fn(p.iteration, p.exploitability_pct, p.seconds, user) != 0;
      };
    }
    const sv::SolveReport r = solver->solver->solve(so);
    fill_result(*solver->solver, r, *result);
    if (r.stop == sv::StopReason::cancelled) return ODDSMITH_STATUS_CANCELLED;
    return r.converged ? ODDSMITH_STATUS_OK : ODDSMITH_STATUS_TARGET_NOT_MET;
  } catch (const std::bad_alloc&) {
    write_error("out of memory solving", error, error_size);
    return ODDSMITH_STATUS_NO_MEMORY;
  } catch (...) {
    write_error("the solve failed", error, error_size);
    return ODDSMITH_STATUS_BAD_QUERY;
  }
}

ODDSMITH_API oddsmith_solver_node* oddsmith_solver_node_at(const oddsmith_solver* solver, const char* path,
                                                           char* error, int error_size) {
  try {
    if (!solver) {
      write_error("no solver (a null pointer)", error, error_size);
      return nullptr;
    }
    std::string message;
    auto report = solver->solver->node(path ? path : "", message);
    if (!report) {
      write_error(message, error, error_size);
      return nullptr;
    }
    return new oddsmith_solver_node{std::move(*report)};
  } catch (const std::bad_alloc&) {
    write_error("out of memory", error, error_size);
  } catch (...) {
    write_error("the node could not be read", error, error_size);
  }
  return nullptr;
}

ODDSMITH_API void oddsmith_solver_node_free(oddsmith_solver_node* node) { delete node; }

ODDSMITH_API int oddsmith_solver_node_summary(const oddsmith_solver_node* node, oddsmith_solver_node_info* info) {
  // Callers built before locked_hands pass the size without it.
  if (!node || !info || info->size < static_cast<int>(offsetof(oddsmith_solver_node_info, locked_hands))) return -1;
  if (info->size >= static_cast<int>(sizeof(oddsmith_solver_node_info))) info->locked_hands = node->report.locked_hands;
  const sv::NodeReport& n = node->report;
  info->kind = node_kind(n.kind);
  info->player = n.player;
  info->pot = n.pot;
  info->board_count = static_cast<int>(n.board.size());
  for (std::size_t i = 0; i < 5; ++i) info->board[i] = i < n.board.size() ? n.board[i] : -1;
  info->action_count = static_cast<int>(n.actions.size());
  info->card_count = static_cast<int>(n.cards.size());
  for (std::size_t p = 0; p < 2; ++p) {
    info->street_bets[p] = n.street_bets[p];
    info->stacks[p] = n.stacks[p];
    info->hand_count[p] = static_cast<int>(n.sides[p].hands.size());
    info->total_weight[p] = n.sides[p].total_weight;
    info->ev[p] = n.sides[p].ev_total;
    info->equity[p] = n.sides[p].equity_total;
  }
  return 0;
}

ODDSMITH_API int oddsmith_solver_node_path(const oddsmith_solver_node* node, char* out, int size) {
  if (!node) return -1;
  return write_text(node->report.path, out, size);
}

ODDSMITH_API int oddsmith_solver_node_action(const oddsmith_solver_node* node, int index, int* kind, int* amount,
                                             double* frequency, char* sizes, int sizes_size) {
  if (!node || index < 0 || index >= static_cast<int>(node->report.actions.size())) return -1;
  const auto i = static_cast<std::size_t>(index);
  const sv::TreeAction& a = node->report.actions[i];
  if (kind) *kind = action_kind(a.kind);
  if (amount) *amount = a.amount;
  if (frequency) *frequency = node->report.frequencies[i];
  if (sizes) write_text(a.labels, sizes, sizes_size);
  return 0;
}

ODDSMITH_API int oddsmith_solver_node_hands(const oddsmith_solver_node* node, int player, int* cards, double* weight,
                                            double* ev, double* equity, int capacity) {
  if (!node || player < 0 || player > 1 || capacity < 0) return -1;
  const sv::NodeReport::Side& side = node->report.sides[static_cast<std::size_t>(player)];
  const std::size_t n = std::min(side.hands.size(), static_cast<std::size_t>(capacity));
  const auto per_hand = static_cast<std::size_t>(node->report.hand_cards);
  for (std::size_t h = 0; h < n; ++h) {
    if (cards)
      for (std::size_t i = 0; i < per_hand; ++i) cards[per_hand * h + i] = side.hands[h][i];
    if (weight) weight[h] = side.weight[h];
    if (ev) ev[h] = side.ev[h];
    if (equity) equity[h] = side.equity[h];
  }
  return static_cast<int>(side.hands.size());
}

ODDSMITH_API int oddsmith_solver_node_strategy(const oddsmith_solver_node* node, double* out, int capacity) {
  if (!node || capacity < 0) return -1;
  const auto& s = node->report.strategy;
  if (out) std::copy_n(s.begin(), std::min(s.size(), static_cast<std::size_t>(capacity)), out);
  return static_cast<int>(s.size());
}

ODDSMITH_API int oddsmith_solver_node_cards(const oddsmith_solver_node* node, int* out, int capacity) {
  if (!node || capacity < 0) return -1;
  const auto& c = node->report.cards;
  if (out) std::copy_n(c.begin(), std::min(c.size(), static_cast<std::size_t>(capacity)), out);
  return static_cast<int>(c.size());
}

ODDSMITH_API int oddsmith_solver_locks(const oddsmith_solver* solver, char* out, int size) {
  try {
    if (!solver) return -1;
    std::string text;
    for (const std::string& path : solver->solver->locked_nodes()) text += path + "\n";
    return write_text(text, out, size);
  } catch (...) {
    return -1;
  }
}

ODDSMITH_API int oddsmith_solver_last_result(const oddsmith_solver* solver, oddsmith_solver_result* result, int* game) {
  if (!solver || !result || result->size < static_cast<int>(sizeof(oddsmith_solver_result))) return -1;
  fill_result(*solver->solver, solver->solver->report(), *result);
  if (game) *game = static_cast<int>(solver->solver->spot().game);  // Game is numbered as ODDSMITH_GAME_*
  return 0;
}

ODDSMITH_API int oddsmith_solver_save(const oddsmith_solver* solver, const char* path, int bits, char* error,
                                      int error_size) {
  try {
    if (!solver || !path) {
      write_error(!solver ? "no solver (a null pointer)" : "no path (a null pointer)", error, error_size);
      return ODDSMITH_STATUS_BAD_QUERY;
    }
    if (bits != 0 && bits != 16 && bits != 32) {
      write_error("the strategies are saved in 16 or 32 bits", error, error_size);
      return ODDSMITH_STATUS_BAD_QUERY;
    }
    sv::SaveOptions options;
    options.half = bits != 32;
    std::string message;
    if (!solver->solver->save(path, options, message)) {
      write_error(message, error, error_size);
      return ODDSMITH_STATUS_BAD_QUERY;
    }
    return ODDSMITH_STATUS_OK;
  } catch (const std::bad_alloc&) {
    write_error("out of memory saving", error, error_size);
    return ODDSMITH_STATUS_NO_MEMORY;
  } catch (...) {
    write_error("the solution could not be saved", error, error_size);
    return ODDSMITH_STATUS_BAD_QUERY;
  }
}

ODDSMITH_API oddsmith_solver* oddsmith_solver_load(const char* path, int threads, long long max_memory, char* error,
                                                   int error_size) {
  try {
    if (!path || threads < 0 || max_memory < 0) {
      write_error(!path ? "no path (a null pointer)" : "a negative thread count or memory bound", error, error_size);
      return nullptr;
    }
    sv::LoadOptions options;
    options.threads = threads;
    options.max_memory = max_memory > 0 ? static_cast<std::size_t>(max_memory) : sv::kDefaultMaxMemory;
    std::string message;
    auto solver = sv::Solver::load(path, options, message);
    if (!solver) {
      write_error(message, error, error_size);
      return nullptr;
    }
    return new oddsmith_solver{std::move(solver)};
  } catch (const std::bad_alloc&) {
    write_error("out of memory loading the solution", error, error_size);
  } catch (...) {
    write_error("the solution could not be loaded", error, error_size);
  }
  return nullptr;
}

}  // extern "C"
