// oddsmith._core: the Python package's compiled part, and its only way into the
// library. It calls the library's C exports directly, so that one evaluation
// costs about as much as a Python call, batches, equity runs and breakdowns
// release the GIL, and a long run checks for signals (Ctrl-C) and reports
// progress from its progress callback. Card text, names and the game table are
// the library's (oddsmith_parse_cards, oddsmith_*_name, oddsmith_game_info).
#include <nanobind/nanobind.h>
#include <nanobind/ndarray.h>
#include <nanobind/stl/string.h>
#include <nanobind/stl/tuple.h>
#include <nanobind/stl/vector.h>

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include "breakdown_svg.h"
#include "chart_equities.h"
#include "chart_svg.h"
#include "hand_classes.h"
#include "oddsmith.h"
#include "pushfold_svg.h"

namespace nb = nanobind;

// The solver's functions (solver_binding.cpp).
void bind_solver(nb::module_& m);

namespace {

// The package's own evaluate, called when the quick path below cannot answer:
// it handles every other form and raises the errors that name the fault.
nb::object& slow_evaluate() {
  static nb::object* fallback = new nb::object();  // lives as long as the process, as the module does
  return *fallback;
}

// The cards of UTF-8 text through the library's reader: false for a bad piece
// or more than `most` cards.
bool read_cards(const char* text, Py_ssize_t size, int* cards, int most, int& n) {
  if (size > INT_MAX) return false;
  n = oddsmith_parse_cards(text, static_cast<int>(size), cards, most, nullptr, 0);
  return n >= 0 && n <= most;
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
    return read_cards(s, size, c, kMostCards, n);
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
      int one = 0;
      if (!read_cards(s, length, &c[n], 1, one) || one != 1) return false;
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

// A game of the library's table, with the card counts its evaluator takes
// (hole cards first, then the board); fewest 0 where it values no hand alone
// (the Hi/Lo games).
struct NamedGame {
  oddsmith_game_facts facts;
  int fewest, most;
};

const std::vector<NamedGame>& library_games() {
  static const std::vector<NamedGame> games = [] {
    std::vector<NamedGame> out;
    for (int game = 0;; ++game) {
      NamedGame g{};
      g.facts.size = sizeof g.facts;
      if (oddsmith_game_info(game, nullptr, &g.facts) < 0) return out;
      const int none[1] = {0};
      int value = 0;
      for (int n = 1; n <= kMostCards; ++n)  // no hands: refused only for a size the game does not take
        if (oddsmith_evaluate_game_many(none, 0, game, n, &value) == 0) {
          if (g.fewest == 0) g.fewest = n;
          g.most = n;
        }
      out.push_back(g);
    }
  }();
  return games;
}

// The game a name gives, as evaluate takes it (a game it values); nullptr else.
const NamedGame* game_named(nb::handle name) {
  if (!PyUnicode_Check(name.ptr())) return nullptr;
  for (const NamedGame& g : library_games())
    if (g.fewest > 0 && PyUnicode_CompareWithASCIIString(name.ptr(), g.facts.name) == 0) return &g;
  return nullptr;
}

nb::object evaluate(nb::handle hand, nb::handle game_name) {
  const NamedGame* named = game_named(game_name);
  int c[kMostCards], n = 0;
  if (named && quick_cards(hand.ptr(), c, n) && n >= named->fewest && n <= named->most) {
    const int value = value_of(c, n, named->facts.game);
    if (value > 0) return nb::int_(value);
  }
  return slow_evaluate()(hand, game_name);  // the message that names the fault, or the value of a form read only there
}

// ---- Card text, names, games and ranges, as the library gives them ----------

// A text export's whole text: asked for its length, then written.
template <class Write>
std::string text_of(Write write) {
  const int length = write(nullptr, 0);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length) + 1, '\0');
  write(out.data(), length + 1);
  out.resize(static_cast<std::size_t>(length));
  return out;
}

int checked_length(const nb::bytes& text) {
  if (text.size() > static_cast<std::size_t>(INT_MAX)) throw nb::value_error("a text is at most 2**31 - 1 bytes");
  return static_cast<int>(text.size());
}

// The cards of UTF-8 text; ValueError with the library's message for bad text.
std::vector<int> parse_cards(const nb::bytes& text) {
  const int length = checked_length(text);
  char error[512] = "";
  const int n = oddsmith_parse_cards(text.c_str(), length, nullptr, 0, error, sizeof error);
  if (n < 0) throw nb::value_error(error);
  std::vector<int> cards(static_cast<std::size_t>(n));
  oddsmith_parse_cards(text.c_str(), length, cards.data(), n, nullptr, 0);
  return cards;
}

std::string card_name(int card) {
  char name[3] = "";
  if (oddsmith_card_name(card, name) < 0) throw nb::value_error(("no card " + std::to_string(card)).c_str());
  return name;
}

// The hand's text, highest card first ("AhKh").
std::string hand_text(const std::vector<int>& cards) {
  if (cards.size() > 52 || oddsmith_hand_text(cards.data(), static_cast<int>(cards.size()), nullptr, 0) < 0)
    throw nb::value_error("a hand is at most 52 cards of 0 to 51");
  return text_of([&](char* out, int size) { return oddsmith_hand_text(cards.data(), static_cast<int>(cards.size()), out, size); });
}

// The category name of a value of a game, or None where the game has no such value.
nb::object category_name(int game, int value) {
  if (oddsmith_category_name(game, value, nullptr, 0) < 0) return nb::none();
  return nb::str(text_of([&](char* out, int size) { return oddsmith_category_name(game, value, out, size); }).c_str());
}

// The library's games: (number, name, alias, title, hole cards, board cards,
// deck size, lowest card, most players, hi/lo, starting hands, the card counts
// its evaluator takes: () for a game it does not value alone).
std::vector<nb::tuple> games() {
  std::vector<nb::tuple> out;
  for (const NamedGame& g : library_games()) {
    std::vector<int> sizes;
    for (int n = g.fewest; g.fewest > 0 && n <= g.most; ++n) sizes.push_back(n);
    const oddsmith_game_facts& f = g.facts;
    out.push_back(nb::make_tuple(f.game, std::string(f.name), std::string(f.alias), std::string(f.title), f.hole_cards,
                                 f.board_cards, f.deck_size, f.lowest_card, f.max_players, f.hilo != 0,
                                 f.starting_hands, nb::tuple(nb::cast(sizes))));
  }
  return out;
}

// Range notation for a game on a board (card text, "" for none: its board
// filters applied, hands holding a board card left out): (True, [(cards
// ascending, weight) per hand], 0, ""), or (False, [], the 1-based byte column
// of the fault (0: outside the text), what was expected).
nb::tuple parse_range(const nb::bytes& text, int game, const nb::bytes& board) {
  const int length = checked_length(text);
  checked_length(board);
  int column = 0;
  char error[512] = "";
  std::vector<nb::tuple> hands;
  const std::unique_ptr<oddsmith_range, void (*)(oddsmith_range*)> range(
      oddsmith_range_parse_board(text.c_str(), length, game, board.c_str(), &column, error, sizeof error),
      oddsmith_range_free);
  if (!range) return nb::make_tuple(false, hands, column, std::string(error));
  const int size = oddsmith_range_size(range.get());
  hands.reserve(static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i) {
    int cards[5] = {};
    double weight = 0;
    const int n = oddsmith_range_hand(range.get(), i, cards, &weight);
    hands.push_back(nb::make_tuple(nb::tuple(nb::cast(std::vector<int>(cards, cards + n))), weight));
  }
  return nb::make_tuple(true, hands, 0, std::string());
}

// ---- The host application's exports -----------------------------------------

// The value of one hand of a game (0 for a bad or repeated card), as evaluate's
// quick path computes it.
int value_of_hand(const std::vector<int>& cards, int game) {
  if (cards.size() > static_cast<std::size_t>(kMostCards)) return 0;
  return value_of(cards.data(), static_cast<int>(cards.size()), game);
}

// Omaha high (poker_evomaha) or eight-or-better low (poker_evomahalow) of four
// hole cards, then five board cards.
int omaha_value(const std::vector<int>& c, bool low) {
  if (c.size() != 9) throw nb::value_error("Omaha takes 4 hole cards, then 5 board cards");
  return low ? poker_evomahalow(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8])
             : poker_evomaha(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
}

// One call of a host equity export: kind 0 Hold'em, 1 Omaha, 2 Omaha Hi/Lo;
// the hole cards, the known board count, opponents and range slot, five board
// cards (the unknown ones ignored). What the export answers, -1 when it refuses.
int host_equity(int kind, const std::vector<int>& h, int known, int opponents, int range, const std::vector<int>& b) {
  if (b.size() != 5 || h.size() != (kind == 0 ? 2u : 4u) || kind < 0 || kind > 2)
    throw nb::value_error("the host's equity takes 2 (Hold'em) or 4 hole cards and 5 board cards");
  nb::gil_scoped_release unlocked;
  if (kind == 0) return poker_holdem_equity(h[0], h[1], known, opponents, range, b[0], b[1], b[2], b[3], b[4]);
  if (kind == 1) return poker_omaha_equity(h[0], h[1], h[2], h[3], known, opponents, range, b[0], b[1], b[2], b[3], b[4]);
  return poker_omahahl_equity(h[0], h[1], h[2], h[3], known, opponents, range, b[0], b[1], b[2], b[3], b[4]);
}

// Replaces a game's four range slots (kind as host_equity's) with 4 x 500 hands
// of its card count, slot by slot; the setter's answer (1).
int set_range_slots(int kind, const std::vector<int>& cards) {
  const std::size_t want = static_cast<std::size_t>(ODDSMITH_RANGE_SLOTS) * ODDSMITH_RANGE_HANDS * (kind == 0 ? 2 : 4);
  if (kind < 0 || kind > 2 || cards.size() != want)
    throw nb::value_error(("the range slots take " + std::to_string(want) + " cards").c_str());
  return kind == 0 ? poker_set_holdem_range_simul(cards.data())
         : kind == 1 ? poker_load_omaha_range(cards.data())
                     : poker_load_omahahl_range(cards.data());
}

// The path of the library this module is linked to, as the loader found it.
std::string library_path() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&oddsmith_equity), &info) || !info.dli_fname) return {};
  return info.dli_fname;
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
// [(hand text, weight, equity, made hand or None, draw names joined by ", ", low or None)
// per hand], category rows, draw rows [(name, combos, share, equity)], [(card
// name, [equity per player], flush, straight, low completed) per next card],
// low rows (Hi/Lo)), or (False,
// status, message) when it was refused. The texts are the library's.
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
    char made_name[64] = "", draw_text[128] = "", low[32] = "";
    oddsmith_breakdown_hand_labels(made, i, made_name, sizeof made_name, draw_text, sizeof draw_text, low, sizeof low);
    hands.push_back(nb::make_tuple(hand_text(std::vector<int>(cards, cards + n)), weight, hand_equity,
                                   value ? nb::object(nb::str(made_name)) : nb::none(), std::string(draw_text),
                                   *low ? nb::object(nb::str(low)) : nb::none()));
  }
  std::vector<nb::tuple> tables[3];
  for (int table : {ODDSMITH_BREAKDOWN_CATEGORIES, ODDSMITH_BREAKDOWN_DRAWS, ODDSMITH_BREAKDOWN_LOWS}) {
    char name[128] = "";
    double combos = 0, share = 0, row_equity = 0;
    for (int i = 0; oddsmith_breakdown_row(made, table, i, name, sizeof name, &combos, &share, &row_equity); ++i)
      tables[table].push_back(nb::make_tuple(std::string(name), combos, share, row_equity));
  }
  std::vector<nb::tuple> next_cards;
  std::vector<double> equities(static_cast<std::size_t>(player_count > 0 ? player_count : 1));
  for (int i = 0, n = oddsmith_breakdown_next_card_count(made); i < n; ++i) {
    int card = 0;
    double flush = 0, straight = 0, low = 0;
    oddsmith_breakdown_next_card(made, i, &card, equities.data());
    oddsmith_breakdown_next_card_completes(made, i, &flush, &straight, &low);
    next_cards.push_back(nb::make_tuple(card_name(card),
                                        std::vector<double>(equities.begin(), equities.begin() + player_count), flush,
                                        straight, low));
  }
  return nb::make_tuple(true, status, std::string(error), exact != 0, deals, used_seed, hands, tables[0], tables[1],
                        next_cards, tables[2]);
}


// ---- Pictures: the command line's (cli/pictures), drawn from plain data -------

// A two-card game's facts by number; ValueError for a game without a chart.
oddsmith_game_facts chart_game(int game) {
  oddsmith_game_facts facts{};
  facts.size = sizeof facts;
  if (oddsmith_game_info(game, nullptr, &facts) < 0 || facts.hole_cards != 2)
    throw nb::value_error("a chart is for the two-card games: holdem or shortdeck");
  return facts;
}

// Each starting-hand class's equity against `opponent`, as `oddsmith chart`
// computes it (the same code). Returns (True, "", [(class, equity or None) row
// by row, ace first]), or (False, why, []) when no class can play.
nb::tuple chart(const std::string& opponent, const std::string& board, const std::string& dead, int game, int threads,
                const nb::object& progress) {
  pictures::ChartQuery query;
  query.game = chart_game(game);
  query.opponent = opponent;
  query.board = board;
  query.dead = dead;
  query.threads = threads;
  // A run's progress state: its callback checks for Ctrl-C and calls `progress`.
  const std::vector<std::string> players{opponent};
  Run run(players, board, dead, game, ODDSMITH_MODE_AUTO, 0, 0, 0, threads, 0, progress);
  query.progress = run.query.progress;
  query.progress_user = run.query.progress_user;
  pictures::ClassEquities equities;
  {
    nb::gil_scoped_release unlocked;
    equities = pictures::chart_equities(query);
  }
  run.raise_if_stopped();
  std::vector<nb::tuple> classes;
  if (!equities.any())
    return nb::make_tuple(false, "no hand class can play against '" + opponent + "': " + equities.first_error, classes);
  for (int row = 0; row < equities.grid; ++row)
    for (int col = 0; col < equities.grid; ++col) {
      const double e = equities.equity[row][col];
      classes.push_back(nb::make_tuple(pictures::class_label(row, col), std::isnan(e) ? nb::none() : nb::object(nb::float_(e))));
    }
  return nb::make_tuple(true, std::string(), classes);
}

// The cards of a board's text, as the picture draws them; ValueError for bad text.
std::vector<int> board_cards(const std::string& board) {
  int cards[52] = {};
  char error[256] = "";
  const int n = oddsmith_parse_cards(board.c_str(), static_cast<int>(board.size()), cards, 52, error, sizeof error);
  if (n < 0) throw nb::value_error(error);
  return {cards, cards + n};
}

// The chart picture of `classes` (class -> equity or None; a class missing has
// no number) against `opponent` on `board`.
std::string chart_svg(int game, const std::string& opponent, const std::string& board, const nb::dict& classes) {
  const int grid = pictures::class_grid_size(chart_game(game));
  double equity[13][13];
  for (int row = 0; row < grid; ++row)
    for (int col = 0; col < grid; ++col) {
      const std::string label = pictures::class_label(row, col);
      const nb::object value = classes.contains(label.c_str()) ? nb::borrow(classes[label.c_str()]) : nb::none();
      equity[row][col] = value.is_none() ? std::nan("") : nb::cast<double>(value);
    }
  return pictures::chart_svg(equity, grid, opponent, board_cards(board));
}

using PictureRow = std::tuple<std::string, double, double>;  // name, share, equity

// The breakdown picture: a Breakdown's fields as plain values, the next cards
// as card numbers. The game is written with its library name.
std::string breakdown_svg(const std::string& game, const std::string& board, const std::vector<std::string>& players,
                          bool exact, long long deals, const std::vector<std::tuple<double, double>>& hands,
                          const std::vector<PictureRow>& categories, const std::vector<PictureRow>& lows,
                          const std::vector<PictureRow>& draws,
                          const std::vector<std::tuple<int, std::vector<double>>>& next_cards) {
  pictures::BreakdownPicture p;
  oddsmith_game_facts facts{};
  facts.size = sizeof facts;
  p.game = oddsmith_game_info(0, game.c_str(), &facts) < 0 ? game : std::string(facts.name);
  p.board = board;
  p.players = players;
  p.exact = exact;
  p.deals = deals;
  for (const auto& [weight, hand_equity] : hands) p.hands.push_back({weight, hand_equity});
  for (const auto& [rows, into] : {std::pair{&categories, &p.categories}, {&lows, &p.lows}, {&draws, &p.draws}})
    for (const auto& [name, share, row_equity] : *rows) into->push_back({name, share, row_equity});
  for (const auto& [card, equities] : next_cards) {
    if (card < 0 || card > 51) throw nb::value_error(("no card " + std::to_string(card)).c_str());
    p.next_cards.push_back({card, equities});
  }
  return pictures::breakdown_svg(p);
}

// ICM, read whole. Returns (status, message, exact, samples, seconds, seed,
// [equity per player], [standard error per player]); the lists are empty when
// the run was refused.
nb::tuple icm(const std::vector<double>& stacks, const std::vector<double>& payouts, int mode, long long samples,
              double target_stderr, unsigned long long seed, double max_seconds, const nb::object& progress) {
  Progress watch{progress.is_none() ? nullptr : progress.ptr()};
  oddsmith_icm_query query{};
  query.size = sizeof query;
  query.player_count = static_cast<int>(std::min<std::size_t>(stacks.size(), INT_MAX));
  query.stacks = stacks.data();
  query.payout_count = static_cast<int>(std::min<std::size_t>(payouts.size(), INT_MAX));
  query.payouts = payouts.data();
  query.mode = mode;
  query.samples = samples;
  query.target_stderr = target_stderr;
  query.seed = seed;
  query.max_seconds = max_seconds;
  query.progress = on_progress;
  query.progress_user = &watch;
  std::vector<double> equity(stacks.size()), std_error(stacks.size());
  oddsmith_icm_result r{};
  r.size = sizeof r;
  r.equity = equity.data();
  r.std_error = std_error.data();
  char error[512] = "";
  int status = 0;
  {
    nb::gil_scoped_release unlocked;
    status = oddsmith_icm(&query, &r, error, sizeof error);
  }
  if (watch.raised) {
    PyObject* raised = std::exchange(watch.raised, nullptr);
#if PY_VERSION_HEX >= 0x030C0000
    PyErr_SetRaisedException(raised);
#else
    PyErr_Restore(Py_NewRef(reinterpret_cast<PyObject*>(Py_TYPE(raised))), raised, PyException_GetTraceback(raised));
#endif
    throw nb::python_error();
  }
  const bool filled = status == ODDSMITH_STATUS_OK || status == ODDSMITH_STATUS_TARGET_NOT_MET;
  if (!filled) equity.clear(), std_error.clear();
  return nb::make_tuple(status, std::string(error), r.exact != 0, r.samples, r.seconds, r.seed, equity, std_error);
}

// The push/fold query both calls take.
oddsmith_pushfold_query pushfold_query(const std::vector<double>& stacks, double small_blind, double big_blind,
                                       double ante, bool big_blind_ante, const std::vector<double>& payouts,
                                       bool card_removal, double target, double max_seconds, int threads = 1,
                                       unsigned long long seed = 1) {
  oddsmith_pushfold_query query{};
  query.size = sizeof query;
  query.player_count = static_cast<int>(std::min<std::size_t>(stacks.size(), INT_MAX));
  query.stacks = stacks.data();
  query.small_blind = small_blind;
  query.big_blind = big_blind;
  query.ante = ante;
  query.big_blind_ante = big_blind_ante ? 1 : 0;
  query.payout_count = static_cast<int>(std::min<std::size_t>(payouts.size(), INT_MAX));
  query.payouts = payouts.data();
  query.without_card_removal = card_removal ? 0 : 1;
  query.target_exploitability = target;
  query.max_seconds = max_seconds;
  query.threads = threads;
  query.seed = seed;
  return query;
}

std::string class_range_text(const double* strategy) {
  std::string text(static_cast<std::size_t>(std::max(0, oddsmith_class_range_text(strategy, nullptr, 0))), '\0');
  oddsmith_class_range_text(strategy, text.data(), static_cast<int>(text.size()) + 1);
  return text;
}

// A push/fold equilibrium. Returns (status, message, icm, iterations, seconds,
// exploitability, [(best-response gain, EV in chips, EV in prize) per player],
// [(player, pusher, callers bits, share, range text, [share per class]) per
// spot], multiway deals, multiway standard error).
nb::tuple pushfold(const std::vector<double>& stacks, double small_blind, double big_blind, double ante,
                   bool big_blind_ante, const std::vector<double>& payouts, bool card_removal, double target,
                   double max_seconds, int threads, unsigned long long seed) {
  const oddsmith_pushfold_query query = pushfold_query(stacks, small_blind, big_blind, ante, big_blind_ante, payouts,
                                                       card_removal, target, max_seconds, threads, seed);
  auto r = std::make_unique<oddsmith_pushfold_result>();
  r->size = sizeof *r;
  char error[512] = "";
  int status = 0;
  {
    nb::gil_scoped_release unlocked;
    status = oddsmith_pushfold(&query, r.get(), error, sizeof error);
  }
  std::vector<nb::tuple> players, spots;
  if (status == ODDSMITH_STATUS_OK || status == ODDSMITH_STATUS_TARGET_NOT_MET) {
    for (int p = 0; p < r->player_count; ++p)
      players.push_back(nb::make_tuple(r->best_response_gain[p], r->ev_chips[p], r->ev_prize[p]));
    for (int s = 0; s < r->spot_count; ++s) {
      const oddsmith_pushfold_spot& spot = r->spots[s];
      spots.push_back(nb::make_tuple(spot.player, spot.pusher, spot.callers, spot.share,
                                     class_range_text(spot.strategy),
                                     std::vector<double>(spot.strategy, spot.strategy + ODDSMITH_CLASS_COUNT)));
    }
  }
  return nb::make_tuple(status, std::string(error), r->icm != 0, r->iterations, r->seconds, r->exploitability, players,
                        spots, r->multiway_deals, r->multiway_std_error);
}

// The heads-up chart. Returns (status, message, [push up to per class], [call
// up to per class], worst exploitability).
nb::tuple pushfold_chart(double smallest, double largest, double step, double small_blind, double big_blind,
                         double ante, bool big_blind_ante, const std::vector<double>& payouts, bool card_removal,
                         double target, double max_seconds) {
  const std::vector<double> stacks;
  const oddsmith_pushfold_query query =
      pushfold_query(stacks, small_blind, big_blind, ante, big_blind_ante, payouts, card_removal, target, max_seconds);
  std::vector<double> push(ODDSMITH_CLASS_COUNT), call(ODDSMITH_CLASS_COUNT);
  double worst = 0;
  char error[512] = "";
  int status = 0;
  {
    nb::gil_scoped_release unlocked;
    status = oddsmith_pushfold_chart(&query, smallest, largest, step, push.data(), call.data(), &worst, error,
                                     sizeof error);
  }
  return nb::make_tuple(status, std::string(error), push, call, worst);
}

std::string pushfold_svg(const std::vector<double>& push, const std::vector<double>& call, double largest,
                         const std::string& subtitle) {
  if (push.size() != ODDSMITH_CLASS_COUNT || call.size() != ODDSMITH_CLASS_COUNT)
    throw nb::value_error("the chart takes a stack per class (169) for pushes and for calls");
  double p[ODDSMITH_CLASS_COUNT], c[ODDSMITH_CLASS_COUNT];
  std::copy(push.begin(), push.end(), p);
  std::copy(call.begin(), call.end(), c);
  return pictures::pushfold_svg(p, c, largest, subtitle);
}

std::string class_label_of(int cls) {
  char label[8] = "";
  if (oddsmith_class_label(cls, label, sizeof label) < 0) throw nb::value_error("a class is 0..168");
  return label;
}

}  // namespace

NB_MODULE(_core, m) {
  m.doc() = "The compiled part of the oddsmith package (use the package's functions).";
  bind_solver(m);
  m.def("evaluate", &evaluate, nb::arg("hand"), nb::arg("game") = "holdem",
        nb::sig("def evaluate(hand: str | Sequence[int | str], game: str = 'holdem') -> int"),
        "The value (1 best .. 7462 worst; short deck 1 .. 1404) of the best five cards among 5 to 7\n"
        "different cards, given as text (\"As Ks Qs Js Ts\", \"AsKs...\"), as a list of card texts or as\n"
        "card numbers (rank * 4 + suit, 2c = 0 .. As = 51). game: \"holdem\" or \"shortdeck\" (36 cards,\n"
        "sixes to aces: a flush above a full house, A-6-7-8-9 the lowest straight); \"omaha\" (4 hole\n"
        "cards, then 5 board cards) or \"omaha5\" (5 hole cards, then 5 board cards): two hole cards with\n"
        "three board cards.");
  m.def("_parse_cards", &parse_cards, nb::arg("text"));
  m.def("_card_name", &card_name, nb::arg("card"));
  m.def("_hand_text", &hand_text, nb::arg("cards"));
  m.def("_category_name", &category_name, nb::arg("game"), nb::arg("value"));
  m.def("_games", &games);
  m.def("_parse_range", &parse_range, nb::arg("text"), nb::arg("game"), nb::arg("board"));
  m.def("_value", &value_of_hand, nb::arg("cards"), nb::arg("game"));
  m.def("_omaha", &omaha_value, nb::arg("cards"), nb::arg("low"));
  m.def("_host_equity", &host_equity, nb::arg("kind"), nb::arg("hole"), nb::arg("known"), nb::arg("opponents"),
        nb::arg("range"), nb::arg("board"));
  m.def("_set_range_slots", &set_range_slots, nb::arg("kind"), nb::arg("cards"));
  m.def("_flush_stdio", [] { std::fflush(nullptr); });
  m.def("_library_path", &library_path);
  m.def("_set_slow_evaluate", [](nb::object fallback) { slow_evaluate() = std::move(fallback); });
  m.def("_evaluate_many", &evaluate_many, nb::arg("cards"), nb::arg("per_hand"), nb::arg("values"),
        nb::arg("game") = ODDSMITH_GAME_HOLDEM);
  m.def("_equity", &equity, nb::arg("players"), nb::arg("board"), nb::arg("dead"), nb::arg("game"), nb::arg("mode"),
        nb::arg("trials"), nb::arg("target_stderr"), nb::arg("seed"), nb::arg("threads"), nb::arg("max_seconds"),
        nb::arg("progress").none());
  m.def("_breakdown", &breakdown, nb::arg("players"), nb::arg("board"), nb::arg("dead"), nb::arg("game"),
        nb::arg("mode"), nb::arg("trials"), nb::arg("target_stderr"), nb::arg("seed"), nb::arg("threads"),
        nb::arg("max_seconds"), nb::arg("progress").none());
  m.def("_chart", &chart, nb::arg("opponent"), nb::arg("board"), nb::arg("dead"), nb::arg("game"), nb::arg("threads"),
        nb::arg("progress").none());
  m.def("_chart_svg", &chart_svg, nb::arg("game"), nb::arg("opponent"), nb::arg("board"), nb::arg("classes"));
  m.def("_icm", &icm, nb::arg("stacks"), nb::arg("payouts"), nb::arg("mode"), nb::arg("samples"),
        nb::arg("target_stderr"), nb::arg("seed"), nb::arg("max_seconds"), nb::arg("progress").none());
  m.def("_pushfold", &pushfold, nb::arg("stacks"), nb::arg("small_blind"), nb::arg("big_blind"), nb::arg("ante"),
        nb::arg("big_blind_ante"), nb::arg("payouts"), nb::arg("card_removal"), nb::arg("target"),
        nb::arg("max_seconds"), nb::arg("threads"), nb::arg("seed"));
  m.def("_pushfold_chart", &pushfold_chart, nb::arg("smallest"), nb::arg("largest"), nb::arg("step"),
        nb::arg("small_blind"), nb::arg("big_blind"), nb::arg("ante"), nb::arg("big_blind_ante"), nb::arg("payouts"),
        nb::arg("card_removal"), nb::arg("target"), nb::arg("max_seconds"));
  m.def("_pushfold_svg", &pushfold_svg, nb::arg("push"), nb::arg("call"), nb::arg("largest"), nb::arg("subtitle"));
  m.def("_class_label", &class_label_of, nb::arg("cls"));
  m.def("_breakdown_svg", &breakdown_svg, nb::arg("game"), nb::arg("board"), nb::arg("players"), nb::arg("exact"),
        nb::arg("deals"), nb::arg("hands"), nb::arg("categories"), nb::arg("lows"), nb::arg("draws"),
        nb::arg("next_cards"));
}
