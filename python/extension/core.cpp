// oddsmith._core: the Python package's compiled part. It calls the library's C
// exports directly, so that one evaluation costs about as much as a Python call,
// batches, equity runs and breakdowns release the GIL, and a long run checks for
// signals (Ctrl-C) and reports progress from its progress callback.
#include <nanobind/nanobind.h>
#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/tuple.h>
#include <nanobind/stl/vector.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "oddsmith.h"

namespace nb = nanobind;

namespace {

// The package's own evaluate, called when the quick path below cannot answer:
// it handles every other form and raises the errors that name the fault.
nb::object& slow_evaluate() {
  static nb::object* fallback = new nb::object();  // lives as long as the process, as the module does
  return *fallback;
}

int card_of_text(const char* s) {
  static constexpr char kRanks[] = ODDSMITH_RANK_LETTERS;
  static constexpr char kSuits[] = ODDSMITH_SUIT_LETTERS;
  const char* rank = s[0] ? std::char_traits<char>::find(kRanks, 13, s[0]) : nullptr;
  const char lower = static_cast<char>(s[1] >= 'A' && s[1] <= 'Z' ? s[1] - 'A' + 'a' : s[1]);
  const char* suit = lower ? std::char_traits<char>::find(kSuits, 4, lower) : nullptr;
  return rank && suit ? static_cast<int>(rank - kRanks) * 4 + static_cast<int>(suit - kSuits) : -1;
}

// Cards of a list or tuple of ints or two-character texts, or of one text
// ("As Ks Qs Js Ts"): at most 10 (a five-card Omaha hole and board); false for
// anything else.
constexpr int kMostCards = 10;
bool quick_cards(PyObject* hand, int (&c)[kMostCards], int& n) {
  n = 0;
  if (PyUnicode_Check(hand)) {
    Py_ssize_t size = 0;
    const char* s = PyUnicode_AsUTF8AndSize(hand, &size);
    if (!s) return PyErr_Clear(), false;
    for (Py_ssize_t i = 0; i < size;) {
      if (s[i] == ' ' || s[i] == ',') {
        ++i;
        continue;
      }
      if (n == kMostCards || i + 1 >= size || (c[n] = card_of_text(s + i)) < 0) return false;
      ++n, i += 2;
    }
    return true;
  }
  if (!PyList_Check(hand) && !PyTuple_Check(hand)) return false;
  const Py_ssize_t size = PySequence_Fast_GET_SIZE(hand);
  if (size < 5 || size > kMostCards) return false;
  PyObject** items = PySequence_Fast_ITEMS(hand);
  for (Py_ssize_t i = 0; i < size; ++i) {
    PyObject* item = items[i];
    if (PyLong_CheckExact(item)) {
      int overflow = 0;
      const long v = PyLong_AsLongAndOverflow(item, &overflow);
      if (overflow || v < 0 || v > 51) return false;
      c[n++] = static_cast<int>(v);
    } else if (PyUnicode_Check(item)) {
      Py_ssize_t length = 0;
      const char* s = PyUnicode_AsUTF8AndSize(item, &length);
      if (!s) return PyErr_Clear(), false;
      if (length != 2 || (c[n] = card_of_text(s)) < 0) return false;
      ++n;
    } else {
      return false;
    }
  }
  return true;
}

// 0 for a repeated or unreal card, as the exports answer. Five and seven cards
// go to their own exports, the quickest calls; six to the by-game export.
int value_of(const int* c, int n, int game) {
  int value = 0;
  if (game == ODDSMITH_GAME_HOLDEM && n == 5) return poker_ev5(c[0], c[1], c[2], c[3], c[4]);
  if (game == ODDSMITH_GAME_HOLDEM && n == 7) return poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
  oddsmith_evaluate_game_many(c, 1, game, n, &value);
  return value;
}

// The game a name gives and the card counts its hands have; game -1 for
// anything else.
struct NamedGame {
  int game, fewest, most;
};
NamedGame game_named(nb::handle name) {
  static constexpr std::pair<const char*, NamedGame> kGames[] = {
      {"holdem", {ODDSMITH_GAME_HOLDEM, 5, 7}},
      {"shortdeck", {ODDSMITH_GAME_SHORTDECK, 5, 7}},
      {"omaha", {ODDSMITH_GAME_OMAHA, 9, 9}},
      {"omaha5", {ODDSMITH_GAME_OMAHA5, 10, 10}},
  };
  if (PyUnicode_Check(name.ptr()))
    for (const auto& [text, game] : kGames)
      if (PyUnicode_CompareWithASCIIString(name.ptr(), text) == 0) return game;
  return {-1, 0, 0};
}

nb::object evaluate(nb::handle hand, nb::handle game_name) {
  const NamedGame named = game_named(game_name);
  const int game = named.game;
  int c[kMostCards], n = 0;
  if (game >= 0 && quick_cards(hand.ptr(), c, n) && n >= named.fewest && n <= named.most) {
    const int value = value_of(c, n, game);
    if (value > 0) return nb::int_(value);
  }
  return slow_evaluate()(hand, game_name);  // the message that names the fault, or the value of a form read only there
}

using CardArray = nb::ndarray<const std::int32_t, nb::ndim<1>, nb::c_contig, nb::device::cpu>;
using ValueArray = nb::ndarray<std::int32_t, nb::ndim<1>, nb::c_contig, nb::device::cpu>;

// values[i] = the value of hand i of `cards` (per_hand cards each), without the GIL.
void evaluate_many(const CardArray& cards, int per_hand, const ValueArray& values, int game) {
  if (per_hand < 5 || per_hand > 10) throw nb::value_error("hands of 5 to 10 cards");  // the export checks the game's count
  const std::size_t count = values.shape(0);
  if (cards.shape(0) != count * static_cast<std::size_t>(per_hand))
    throw nb::value_error("the card buffer does not hold that many hands");
  const std::int32_t* in = cards.data();
  std::int32_t* out = values.data();
  int refused = 0;
  {
    nb::gil_scoped_release unlocked;
    refused = oddsmith_evaluate_game_many(in, static_cast<long long>(count), game, per_hand, out);
  }
  if (refused != 0)
    throw nb::value_error(("the library evaluates no hands of " + std::to_string(per_hand) + " cards in game " +
                           std::to_string(game) + ": Hold'em and short deck take 5 to 7 cards, the Omaha games 9, the "
                           "five-card Omaha games 10")
                              .c_str());
}

// What the progress callback needs: the Python callable (or none), and the
// exception that stopped the run (a KeyboardInterrupt from the signal check,
// or whatever the callable raised).
struct Progress {
  PyObject* callable;
  PyObject* raised = nullptr;
};

int on_progress(double done, void* user) {
  auto* p = static_cast<Progress*>(user);
  nb::gil_scoped_acquire locked;
  if (PyErr_CheckSignals() == 0 && p->callable) {
    PyObject* share = PyFloat_FromDouble(done);
    PyObject* answer = share ? PyObject_CallOneArg(p->callable, share) : nullptr;
    Py_XDECREF(share);
    Py_XDECREF(answer);
  }
  if (!PyErr_Occurred()) return 0;
#if PY_VERSION_HEX >= 0x030C0000
  p->raised = PyErr_GetRaisedException();
#else
  PyObject *type = nullptr, *traceback = nullptr;
  PyErr_Fetch(&type, &p->raised, &traceback);
  PyErr_NormalizeException(&type, &p->raised, &traceback);
  if (p->raised && traceback) PyException_SetTraceback(p->raised, traceback);
  Py_XDECREF(type);
  Py_XDECREF(traceback);
#endif
  return 1;  // cancel: the run stops within about half a second
}

// The query both runs take, with the texts it points into and its progress
// callback's state; made in place, since the query points into it.
struct Run {
  std::vector<const char*> texts;
  oddsmith_equity_query query{};
  Progress watch;

  Run(const std::vector<std::string>& players, const std::string& board, const std::string& dead, int game, int mode,
      long long trials, double target_stderr, unsigned long long seed, int threads, double max_seconds,
      const nb::object& progress)
      : watch{progress.is_none() ? nullptr : progress.ptr()} {
    texts.reserve(players.size());
    for (const std::string& p : players) texts.push_back(p.c_str());
    query.size = sizeof query;
    query.game = game;
    query.player_count = static_cast<int>(texts.size());
    query.players = texts.data();
    query.board = board.c_str();
    query.dead = dead.c_str();
    query.mode = mode;
    query.trials = trials;
    query.target_stderr = target_stderr;
    query.seed = seed;
    query.threads = threads;
    query.max_seconds = max_seconds;
    query.progress = on_progress;
    query.progress_user = &watch;
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // Raises what stopped the run (Ctrl-C's KeyboardInterrupt, or what the
  // progress callable raised) in the caller, with its traceback.
  void raise_if_stopped() {
    if (!watch.raised) return;
    PyObject* raised = std::exchange(watch.raised, nullptr);
#if PY_VERSION_HEX >= 0x030C0000
    PyErr_SetRaisedException(raised);
#else
    PyErr_Restore(Py_NewRef(reinterpret_cast<PyObject*>(Py_TYPE(raised))), raised, PyException_GetTraceback(raised));
#endif
    throw nb::python_error();
  }
  ~Run() { Py_XDECREF(watch.raised); }
};

// One run of the calculator. Returns (status, message, exact, deals, seconds,
// seed, target_met, [(equity, win, tie, std_error, low_equity) per player]).
nb::tuple equity(const std::vector<std::string>& players, const std::string& board, const std::string& dead, int game,
                 int mode, long long trials, double target_stderr, unsigned long long seed, int threads,
                 double max_seconds, const nb::object& progress) {
  Run run(players, board, dead, game, mode, trials, target_stderr, seed, threads, max_seconds, progress);
  oddsmith_equity_result r{};
  r.size = sizeof r;
  char error[512] = "";
  int status = 0;
  {
    nb::gil_scoped_release unlocked;
    status = oddsmith_equity(&run.query, &r, error, sizeof error);
  }
  run.raise_if_stopped();
  std::vector<nb::tuple> each;
  const bool filled = status == ODDSMITH_STATUS_OK || status == ODDSMITH_STATUS_TARGET_NOT_MET;
  for (int p = 0; filled && p < r.player_count; ++p)
    each.push_back(nb::make_tuple(r.players[p].equity, r.players[p].win, r.players[p].tie, r.players[p].std_error,
                                  r.low_equity[p]));
  return nb::make_tuple(status, std::string(error), r.exact != 0, r.deals, r.seconds, r.seed, r.target_met != 0, each);
}

// One breakdown, read whole. Returns (True, status, message, exact, deals, seed,
// [(cards ascending, weight, equity, value, draw bits) per hand], category rows,
// draw rows [(name, combos, share, equity)], [(card, [equity per player]) per
// next card]), or (False, status, message) when it was refused.
nb::tuple breakdown(const std::vector<std::string>& players, const std::string& board, const std::string& dead,
                    int game, int mode, long long trials, double target_stderr, unsigned long long seed, int threads,
                    double max_seconds, const nb::object& progress) {
  Run run(players, board, dead, game, mode, trials, target_stderr, seed, threads, max_seconds, progress);
  char error[512] = "";
  int status = 0;
  oddsmith_breakdown* made = nullptr;
  {
    nb::gil_scoped_release unlocked;
    made = oddsmith_breakdown_run(&run.query, &status, error, sizeof error);
  }
  const std::unique_ptr<oddsmith_breakdown, void (*)(oddsmith_breakdown*)> owned(made, oddsmith_breakdown_free);
  run.raise_if_stopped();
  if (!made) return nb::make_tuple(false, status, std::string(error));
  int exact = 0;
  long long deals = 0;
  unsigned long long used_seed = 0;
  const int player_count = oddsmith_breakdown_summary(made, &exact, &deals, &used_seed);
  std::vector<nb::tuple> hands;
  const int hand_count = oddsmith_breakdown_hand_count(made);
  hands.reserve(static_cast<std::size_t>(hand_count));
  for (int i = 0; i < hand_count; ++i) {
    int cards[5] = {}, value = 0, draws = 0;
    double weight = 0, hand_equity = 0;
    const int n = oddsmith_breakdown_hand(made, i, cards, &weight, &hand_equity, &value, &draws);
    hands.push_back(nb::make_tuple(std::vector<int>(cards, cards + n), weight, hand_equity, value, draws));
  }
  std::vector<nb::tuple> tables[2];
  for (int table : {ODDSMITH_BREAKDOWN_CATEGORIES, ODDSMITH_BREAKDOWN_DRAWS}) {
    char name[128] = "";
    double combos = 0, share = 0, row_equity = 0;
    for (int i = 0; oddsmith_breakdown_row(made, table, i, name, sizeof name, &combos, &share, &row_equity); ++i)
      tables[table].push_back(nb::make_tuple(std::string(name), combos, share, row_equity));
  }
  std::vector<nb::tuple> next_cards;
  std::vector<double> equities(static_cast<std::size_t>(player_count > 0 ? player_count : 1));
  for (int i = 0, n = oddsmith_breakdown_next_card_count(made); i < n; ++i) {
    int card = 0;
    oddsmith_breakdown_next_card(made, i, &card, equities.data());
    next_cards.push_back(nb::make_tuple(card, std::vector<double>(equities.begin(), equities.begin() + player_count)));
  }
  return nb::make_tuple(true, status, std::string(error), exact != 0, deals, used_seed, hands, tables[0], tables[1],
                        next_cards);
}

}  // namespace

NB_MODULE(_core, m) {
  m.doc() = "The compiled part of the oddsmith package (use the package's functions).";
  m.def("evaluate", &evaluate, nb::arg("hand"), nb::arg("game") = "holdem",
        nb::sig("def evaluate(hand: str | Sequence[int | str], game: str = 'holdem') -> int"),
        "The value (1 best .. 7462 worst; short deck 1 .. 1404) of the best five cards among 5 to 7\n"
        "different cards, given as text (\"As Ks Qs Js Ts\", \"AsKs...\"), as a list of card texts or as\n"
        "card numbers (rank * 4 + suit, 2c = 0 .. As = 51). game: \"holdem\" or \"shortdeck\" (36 cards,\n"
        "sixes to aces: a flush above a full house, A-6-7-8-9 the lowest straight); \"omaha\" (4 hole\n"
        "cards, then 5 board cards) or \"omaha5\" (5 hole cards, then 5 board cards): two hole cards with\n"
        "three board cards.");
  m.def("_set_slow_evaluate", [](nb::object fallback) { slow_evaluate() = std::move(fallback); });
  m.def("_evaluate_many", &evaluate_many, nb::arg("cards"), nb::arg("per_hand"), nb::arg("values"),
        nb::arg("game") = ODDSMITH_GAME_HOLDEM);
  m.def("_equity", &equity, nb::arg("players"), nb::arg("board"), nb::arg("dead"), nb::arg("game"), nb::arg("mode"),
        nb::arg("trials"), nb::arg("target_stderr"), nb::arg("seed"), nb::arg("threads"), nb::arg("max_seconds"),
        nb::arg("progress").none());
  m.def("_breakdown", &breakdown, nb::arg("players"), nb::arg("board"), nb::arg("dead"), nb::arg("game"),
        nb::arg("mode"), nb::arg("trials"), nb::arg("target_stderr"), nb::arg("seed"), nb::arg("threads"),
        nb::arg("max_seconds"), nb::arg("progress").none());
}
