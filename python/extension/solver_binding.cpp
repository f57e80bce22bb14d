// The solver's part of oddsmith._core: the query from the package's
// arguments, a handle that frees the solver with it, solving without the GIL
// (progress and Ctrl-C through the library's progress callback), node reports
// as plain lists, and the strategy chart (cli/pictures).
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/tuple.h>
#include <nanobind/stl/vector.h>

#include <algorithm>
#include <array>
#include <memory>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "oddsmith.h"
#include "strategy_svg.h"

namespace nb = nanobind;

namespace {

struct SolverHandle {
  oddsmith_solver* solver = nullptr;
  SolverHandle() = default;
  SolverHandle(const SolverHandle&) = delete;
  SolverHandle& operator=(const SolverHandle&) = delete;
  ~SolverHandle() { oddsmith_solver_free(solver); }
};

// The texts a query points into, and the query.
struct Query {
  std::string ranges[2], board, dead;
  std::string bets[6], raises[6];
  oddsmith_solver_query q{};

  Query(int game, const std::string& oop, const std::string& ip, const std::string& board_text,
        const std::string& dead_text, int pot, int stack, const std::vector<std::string>& bet_sizes,
        const std::vector<std::string>& raise_sizes, bool donk, double add_allin, double force_allin, double merge,
        int max_raises, double rake_rate, double rake_cap, int threads, long long max_memory, bool compress)
      : ranges{oop, ip}, board(board_text), dead(dead_text) {
    if (bet_sizes.size() != 6 || raise_sizes.size() != 6)
      throw nb::value_error("sizes come as six texts: per street (flop, turn, river), OOP's then IP's");
    oddsmith_solver_query_init(&q);
    q.game = game;
    q.ranges[0] = ranges[0].c_str();
    q.ranges[1] = ranges[1].c_str();
    q.board = board.c_str();
    q.dead = dead.c_str();
    q.pot = pot;
    q.stack = stack;
    for (std::size_t i = 0; i < 6; ++i) {
      bets[i] = bet_sizes[i];
      raises[i] = raise_sizes[i];
      q.bets[i / 2][i % 2] = bets[i].c_str();
      q.raises[i / 2][i % 2] = raises[i].c_str();
    }
    q.donk = donk ? 1 : 0;
    q.add_allin = add_allin;
    q.force_allin = force_allin;
    q.merge = merge;
    q.max_raises = max_raises;
    q.rake_rate = rake_rate;
    q.rake_cap = rake_cap;
    q.threads = threads;
    q.max_memory = max_memory;
    q.compress = compress ? 1 : 0;
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;
};

using QueryArgs = std::tuple<int, std::string, std::string, std::string, std::string, int, int, std::vector<std::string>,
                             std::vector<std::string>, bool, double, double, double, int, double, double, int,
                             long long, bool>;

std::unique_ptr<Query> make_query(const QueryArgs& a) {
  return std::make_unique<Query>(std::get<0>(a), std::get<1>(a), std::get<2>(a), std::get<3>(a), std::get<4>(a),
                                 std::get<5>(a), std::get<6>(a), std::get<7>(a), std::get<8>(a), std::get<9>(a),
                                 std::get<10>(a), std::get<11>(a), std::get<12>(a), std::get<13>(a), std::get<14>(a),
                                 std::get<15>(a), std::get<16>(a), std::get<17>(a), std::get<18>(a));
}

// Returns (status, message, (street trees, action nodes, terminal nodes,
// chance nodes, stored values, memory bytes, OOP hands, IP hands), tree text).
nb::tuple measure(const QueryArgs& args, int depth) {
  const auto query = make_query(args);
  oddsmith_solver_tree_info info{};
  info.size = sizeof info;
  char error[1024] = "";
  std::string text(1 << 22, '\0');
  int status = 0;
  {
    nb::gil_scoped_release unlocked;
    status = oddsmith_solver_measure(&query->q, &info, text.data(), static_cast<int>(text.size()), depth, error,
                                     sizeof error);
  }
  text.resize(std::strlen(text.c_str()));
  return nb::make_tuple(status, std::string(error),
                        nb::make_tuple(info.street_trees, info.action_nodes, info.terminal_nodes, info.chance_nodes,
                                       info.stored_values, info.memory_bytes, info.hands[0], info.hands[1]),
                        text);
}

// Returns (handle, "") or (None, message); `locks`: lock lines, "" for none.
nb::tuple create(const QueryArgs& args, const std::string& locks) {
  const auto query = make_query(args);
  query->q.locks = locks.empty() ? nullptr : locks.c_str();
  char error[1024] = "";
  oddsmith_solver* made = nullptr;
  {
    nb::gil_scoped_release unlocked;
    made = oddsmith_solver_create(&query->q, error, sizeof error);
  }
  if (!made) return nb::make_tuple(nb::none(), std::string(error));
  auto handle = std::make_unique<SolverHandle>();
  handle->solver = made;
  return nb::make_tuple(nb::cast(handle.release(), nb::rv_policy::take_ownership), std::string());
}

// The progress callable and what stopped the solve (Ctrl-C's
// KeyboardInterrupt, or what the callable raised).
struct Watch {
  PyObject* callable;
  PyObject* raised = nullptr;
};

int on_progress(int iteration, double exploitability_pct, double seconds, void* user) {
  auto* w = static_cast<Watch*>(user);
  nb::gil_scoped_acquire locked;
  if (PyErr_CheckSignals() == 0 && w->callable) {
    PyObject* answer = PyObject_CallFunction(w->callable, "idd", iteration, exploitability_pct, seconds);
    Py_XDECREF(answer);
  }
  if (!PyErr_Occurred()) return 0;
#if PY_VERSION_HEX >= 0x030C0000
  w->raised = PyErr_GetRaisedException();
#else
  PyObject *type = nullptr, *traceback = nullptr;
  PyErr_Fetch(&type, &w->raised, &traceback);
  PyErr_NormalizeException(&type, &w->raised, &traceback);
  if (w->raised && traceback) PyException_SetTraceback(w->raised, traceback);
  Py_XDECREF(type);
  Py_XDECREF(traceback);
#endif
  return 1;  // the solve stops within half a second
}

// Returns (status, message, iterations, seconds, exploitability,
// exploitability_pct, converged, stop, (EV OOP, EV IP), (equity OOP, equity
// IP), memory bytes); raises what stopped it (Ctrl-C, the callable).
nb::tuple solve(SolverHandle& handle, double target, int max_iterations, double max_seconds,
                const nb::object& progress) {
  Watch watch{progress.is_none() ? nullptr : progress.ptr()};
  oddsmith_solve_options options{};
  options.size = sizeof options;
  options.target_pct = target;
  options.max_iterations = max_iterations;
  options.max_seconds = max_seconds;
  options.progress = on_progress;
  options.progress_user = &watch;
  oddsmith_solver_result r{};
  r.size = sizeof r;
  char error[1024] = "";
  int status = 0;
  {
    nb::gil_scoped_release unlocked;
    status = oddsmith_solver_solve(handle.solver, &options, &r, error, sizeof error);
  }
  if (watch.raised) {
#if PY_VERSION_HEX >= 0x030C0000
    PyErr_SetRaisedException(watch.raised);
#else
    PyErr_Restore(Py_NewRef(reinterpret_cast<PyObject*>(Py_TYPE(watch.raised))), watch.raised,
                  PyException_GetTraceback(watch.raised));
#endif
    throw nb::python_error();
  }
  return nb::make_tuple(status, std::string(error), r.iterations, r.seconds, r.exploitability, r.exploitability_pct,
                        r.converged != 0, r.stop, nb::make_tuple(r.ev[0], r.ev[1]),
                        nb::make_tuple(r.equity[0], r.equity[1]), r.memory_bytes);
}

// Returns (None, message) for a path that leads nowhere, else (path, kind,
// player, pot, (street bets), (stacks), [board cards], [(kind, amount,
// frequency, sizes) per action], [cards that can come], [per player:
// ([cards, the game's hole cards per hand], [weight], [ev], [equity], total weight, ev,
// equity)], [strategy, hand by hand]).
nb::tuple node(const SolverHandle& handle, const std::string& path) {
  char error[1024] = "";
  oddsmith_solver_node* n = nullptr;
  {
    nb::gil_scoped_release unlocked;
    n = oddsmith_solver_node_at(handle.solver, path.c_str(), error, sizeof error);
  }
  if (!n) return nb::make_tuple(nb::none(), std::string(error));
  oddsmith_solver_node_info info{};
  info.size = sizeof info;
  oddsmith_solver_node_summary(n, &info);
  std::string canonical(static_cast<std::size_t>(oddsmith_solver_node_path(n, nullptr, 0)), '\0');
  oddsmith_solver_node_path(n, canonical.data(), static_cast<int>(canonical.size()) + 1);
  std::vector<nb::tuple> actions;
  for (int a = 0; a < info.action_count; ++a) {
    int kind = 0, amount = 0;
    double f = 0;
    char sizes[256] = "";
    oddsmith_solver_node_action(n, a, &kind, &amount, &f, sizes, sizeof sizes);
    actions.push_back(nb::make_tuple(kind, amount, f, std::string(sizes)));
  }
  std::vector<int> cards(static_cast<std::size_t>(info.card_count));
  oddsmith_solver_node_cards(n, cards.data(), info.card_count);
  // The game's hole cards: each hand's cards come that many in a row.
  int game = ODDSMITH_GAME_HOLDEM;
  oddsmith_solver_result last{};
  last.size = sizeof last;
  oddsmith_solver_last_result(handle.solver, &last, &game);
  oddsmith_game_facts facts{};
  facts.size = sizeof facts;
  const int per_hand = oddsmith_game_info(game, nullptr, &facts) >= 0 ? facts.hole_cards : 2;
  std::vector<nb::tuple> sides;
  for (int p = 0; p < 2; ++p) {
    const auto h = static_cast<std::size_t>(info.hand_count[p]);
    std::vector<int> hand_cards(static_cast<std::size_t>(per_hand) * h);
    std::vector<double> weight(h), ev(h), equity(h);
    oddsmith_solver_node_hands(n, p, hand_cards.data(), weight.data(), ev.data(), equity.data(), static_cast<int>(h));
    sides.push_back(nb::make_tuple(hand_cards, weight, ev, equity, info.total_weight[p], info.ev[p], info.equity[p]));
  }
  std::vector<double> strategy(static_cast<std::size_t>(std::max(0, oddsmith_solver_node_strategy(n, nullptr, 0))));
  oddsmith_solver_node_strategy(n, strategy.data(), static_cast<int>(strategy.size()));
  oddsmith_solver_node_free(n);
  return nb::make_tuple(canonical, info.kind, info.player, info.pot,
                        nb::make_tuple(info.street_bets[0], info.street_bets[1]),
                        nb::make_tuple(info.stacks[0], info.stacks[1]),
                        std::vector<int>(info.board, info.board + info.board_count), actions, cards, sides, strategy,
                        info.locked_hands);
}

// Returns (status, message).
nb::tuple save(const SolverHandle& handle, const std::string& path, int bits) {
  char error[1024] = "";
  int status = 0;
  {
    nb::gil_scoped_release unlocked;
    status = oddsmith_solver_save(handle.solver, path.c_str(), bits, error, sizeof error);
  }
  return nb::make_tuple(status, std::string(error));
}

// Returns (handle, "") or (None, message).
nb::tuple load(const std::string& path, int threads, long long max_memory) {
  char error[1024] = "";
  oddsmith_solver* made = nullptr;
  {
    nb::gil_scoped_release unlocked;
    made = oddsmith_solver_load(path.c_str(), threads, max_memory, error, sizeof error);
  }
  if (!made) return nb::make_tuple(nb::none(), std::string(error));
  auto handle = std::make_unique<SolverHandle>();
  handle->solver = made;
  return nb::make_tuple(nb::cast(handle.release(), nb::rv_policy::take_ownership), std::string());
}

// The last solve's (iterations, seconds, exploitability, exploitability_pct,
// converged, stop, (EVs), (equities), memory bytes), as `solve` gives them,
// the game, and the locked nodes' paths.
nb::tuple result(const SolverHandle& handle) {
  oddsmith_solver_result r{};
  r.size = sizeof r;
  int game = 0;
  oddsmith_solver_last_result(handle.solver, &r, &game);
  std::string locks(static_cast<std::size_t>(std::max(0, oddsmith_solver_locks(handle.solver, nullptr, 0))), '\0');
  oddsmith_solver_locks(handle.solver, locks.data(), static_cast<int>(locks.size()) + 1);
  return nb::make_tuple(nb::make_tuple(r.iterations, r.seconds, r.exploitability, r.exploitability_pct,
                                       r.converged != 0, r.stop, nb::make_tuple(r.ev[0], r.ev[1]),
                                       nb::make_tuple(r.equity[0], r.equity[1]), r.memory_bytes),
                        game, locks);
}

std::string strategy_svg(int grid, const std::vector<std::string>& actions, const std::vector<int>& kinds,
                         const std::vector<double>& weight, const std::vector<double>& cells,
                         const std::vector<double>& frequencies, const std::string& title,
                         const std::string& subtitle) {
  const auto g = static_cast<std::size_t>(grid);
  if ((grid != 13 && grid != 9) || kinds.size() != actions.size() || weight.size() != g * g ||
      cells.size() != g * g * actions.size())
    throw nb::value_error("a strategy chart takes a 13 x 13 (or 9 x 9) grid of weights and shares per action");
  pictures::StrategyPicture p;
  p.grid = grid;
  p.actions = actions;
  p.kinds = kinds;
  p.weight = weight;
  p.cells = cells;
  p.frequencies = frequencies;
  p.title = title;
  p.subtitle = subtitle;
  return pictures::strategy_svg(p);
}

}  // namespace

void bind_solver(nb::module_& m) {
  const nb::class_<SolverHandle> handle_type(m, "_Solver");
  (void)handle_type;
  m.def("_solver_measure", &measure, nb::arg("query"), nb::arg("depth"));
  m.def("_solver_create", &create, nb::arg("query"), nb::arg("locks"));
  m.def("_solver_save", &save, nb::arg("solver"), nb::arg("path"), nb::arg("bits"));
  m.def("_solver_load", &load, nb::arg("path"), nb::arg("threads"), nb::arg("max_memory"));
  m.def("_solver_result", &result, nb::arg("solver"));
  m.def("_solver_solve", &solve, nb::arg("solver"), nb::arg("target"), nb::arg("max_iterations"),
        nb::arg("max_seconds"), nb::arg("progress").none());
  m.def("_solver_node", &node, nb::arg("solver"), nb::arg("path"));
  m.def("_strategy_svg", &strategy_svg, nb::arg("grid"), nb::arg("actions"), nb::arg("kinds"), nb::arg("weight"),
        nb::arg("cells"), nb::arg("frequencies"), nb::arg("title"), nb::arg("subtitle"));
}
