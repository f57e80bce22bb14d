// The equity calculator against a plain brute force written here (every board,
// every assignment, the pot rules spelled out), Monte Carlo against exact, joint
// card removal, seeds across thread counts, and the refused queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "calculator/chooser.h"
#include "calculator/equity_query.h"
#include "calculator/prepared_query.h"
#include "calculator/query_text.h"
#include "calculator/suit_symmetry.h"
#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"
#include "oddsmith.h"
#include "support/brute_force_deals.h"

namespace {

using namespace oddsmith;
using namespace oddsmith::calc;

EquityQuery query_of(Game game, const std::vector<std::string_view>& players, std::string_view board = "",
                     std::string_view dead = "") {
  EquityQuery q;
  std::string error;
  EXPECT_TRUE(query_from_text(game, players, board, dead, q, error)) << error;
  return q;
}

// Brute force: equity, win, tie and the low part of the equity of every player by enumeration.
struct Brute {
  std::vector<double> equity, win, tie, low_equity;
  double total = 0;
  std::int64_t deals = 0;

  explicit Brute(const EquityQuery& q) {
    const std::size_t n = q.players.size();
    equity.assign(n, 0), win.assign(n, 0), tie.assign(n, 0), low_equity.assign(n, 0);
    reference::for_each_deal(q, [&](const reference::Deal& d) {
      for (std::size_t p = 0; p < n; ++p) {
        equity[p] += d.weight * d.share[p];
        low_equity[p] += d.weight * d.low_share[p];
        win[p] += d.share[p] == 1 ? d.weight : 0;
        tie[p] += d.split[p] ? d.weight : 0;
      }
      total += d.weight;
      ++deals;
    });
    for (std::size_t p = 0; p < n; ++p) equity[p] /= total, win[p] /= total, tie[p] /= total, low_equity[p] /= total;
  }
};

// A query of the two tables below: game, players, known board, dead cards.
struct TableQuery {
  Game game;
  std::vector<std::string_view> players;
  const char* board;
  const char* dead;
};

TEST(Calculator, ExactEqualsBruteForce) {
  const TableQuery cases[] = {
      {Game::holdem, {"AhKh", "QsQd"}, "Qh2c3d4s5h", ""},              // river
      {Game::holdem, {"AhKh", "QsQd"}, "Qh2c3d4s", "7c"},              // turn, a dead card
      {Game::holdem, {"QQ+, AKs:0.5", "JJ-99, AQo"}, "Jh7c2d", ""},    // flop, weighted ranges
      {Game::holdem, {"AhAs", "KK", "76s-54s"}, "Kd8h4c", "2h"},        // three-way
      {Game::holdem, {"2c3d", "2h3s"}, "AhKdQcJs", ""},                 // split pots
      // Few assignments: boards counted by their ranks, then flush boards
      // corrected. Two suited hands and a pair with four cards to come; a board
      // flush (five spades) beside hands holding none or one of the suit; a hand
      // against pairs, one assignment standing for each renaming of clubs,
      // diamonds and spades; three-way with a range.
      {Game::holdem, {"AhKh", "QhJh", "9c9d"}, "2h", ""},
      {Game::holdem, {"AcKd", "7s2c", "QdQh"}, "Ts9s", "8s"},
      {Game::holdem, {"AhKh", "QQ, JJ:0.5"}, "2h7h9h", ""},
      {Game::holdem, {"AsKs", "TT", "9c8c"}, "Ts2s", ""},
      {Game::omaha, {"AhAsKhKs", "JcTc9d8d"}, "QcJh2d", ""},
      {Game::omaha_hilo, {"Ah2h5c9d", "As2s6cTd", "KcKdQhQs"}, "3c4d8h", ""},  // quartered lows
      {Game::omaha_hilo, {"Ah2h5c9d", "AAxx:0.2"}, "KcQdJh", "9s"},     // no low possible
      // Unchanged by renaming clubs, diamonds and spades: only one board of each
      // orbit is valued (checked below), counted for the whole orbit.
      {Game::holdem, {"QQ+, AKs", "JJ-99, AQo:0.5"}, "2h3h4h", ""},
      {Game::omaha, {"AAKK", "QQJJ"}, "2h3h4h5h", ""},
      // One range against known hands: compared with the known hands' best.
      {Game::omaha, {"AhAsKhKs", "QQxx:0.5, JJxx"}, "Qc7h2d5s", ""},
      {Game::holdem, {"AhKh", "QsQd", "random"}, "Qh2c3d4s", ""},
      // Short deck: a flush over a full house (AhKh makes the flush on the
      // river, QsQd the full house), A-6-7-8-9 (Ac against a pair of eights),
      // ranges with ranks below the six passed over, three-way.
      {Game::shortdeck, {"AhKh", "QsQd"}, "Qh7h9h7c", ""},
      {Game::shortdeck, {"AcJd", "8s8d"}, "6h7d9c", ""},
      {Game::shortdeck, {"TT+, AKs:0.5", "22-88, AQo"}, "Jh7c6d", ""},
      {Game::shortdeck, {"AhAs", "KK", "T9s"}, "Kd8h6c", ""},
      {Game::shortdeck, {"AhKh", "random"}, "Qh7h9h7c", "Tc"},
      // Five-card Omaha and its Hi/Lo: two of five hole cards exactly.
      {Game::omaha5, {"AhAsKhKsQd", "JcTc9d8d7h"}, "QcJh2d", ""},
      {Game::omaha5, {"AhKhQhJhTh", "9c9d8s8c2d", "AAKK"}, "3h4h5s6c", ""},
      {Game::omaha5_hilo, {"Ah2h5c9dTs", "As2s6cTdJc", "KcKdQhQs3d"}, "3c4d8h", ""},
      // A range the board leaves one hand (8s8c, KcKd9s8s): that hand is held in
      // every deal, so its cards are out of the deck and block the others'.
      {Game::holdem, {"AhKh, QQ", "8s8c, 7c6c"}, "Qh7h2d8s", ""},
      {Game::omaha, {"AhAsKhKs, QcQdJhTh", "KcKd9s8s, 7c7d6s5s"}, "Qh7h2d8s", ""},
  };
  // Every exact method that applies to a case, forced, against the same brute force.
  int runs = 0;
  for (const TableQuery& c : cases) {
    EquityQuery q = query_of(c.game, c.players, c.board, c.dead);
    q.threads = 2;
    std::string error;
    const auto prepared = prepare_query(q, error);
    ASSERT_TRUE(prepared) << error;
    const Brute brute(q);
    for (Method method : {Method::board_sweep, Method::rank_counting, Method::two_range_sweep}) {
      if (!method_applies(method, *prepared)) continue;
      q.force_method = method;
      const EquityOutcome out = compute_equity(q);
      ASSERT_EQ(out.status, Status::ok) << out.error;
      const std::string where = std::string(c.players[0]) + " on " + c.board + ", method " + std::to_string(static_cast<int>(method));
      EXPECT_TRUE(out.exact) << where;
      EXPECT_EQ(out.method, method) << where;
      EXPECT_EQ(out.deals, brute.deals) << where;
      double sum = 0;
      for (std::size_t p = 0; p < c.players.size(); ++p) {
        EXPECT_NEAR(out.players[p].equity, brute.equity[p], 1e-9) << c.players[p] << ", " << where;
        EXPECT_NEAR(out.players[p].win, brute.win[p], 1e-9) << c.players[p] << ", " << where;
        EXPECT_NEAR(out.players[p].tie, brute.tie[p], 1e-9) << c.players[p] << ", " << where;
        EXPECT_NEAR(out.players[p].low_equity, brute.low_equity[p], 1e-9) << c.players[p] << ", " << where;
        EXPECT_EQ(out.players[p].std_error, 0);
        sum += out.players[p].equity;
      }
      EXPECT_NEAR(sum, 1.0, 1e-9) << where;
      ++runs;
    }
  }
  // Every case by the board sweep; Hold'em and short deck by rank counting,
  // heads-up by the sorted sweep.
  EXPECT_EQ(runs, 26 + (12 + 5) + (7 + 4));
  std::string error;
  const auto symmetric = prepare_query(query_of(Game::holdem, {"QQ+, AKs", "JJ-99, AQo:0.5"}, "2h3h4h"), error);
  ASSERT_TRUE(symmetric) << error;
  EXPECT_EQ(SuitSymmetry(*symmetric).order(), 6);
}

// Monte Carlo agrees with exact enumeration; and the case is one where drawing
// player 1 first and redrawing only player 2 on a clash is far off: jointly,
// AhAd meets only 2c2d (1 of 3 deals); redrawn, it would be dealt half the time.
//
// Random players are dealt from the cards the others leave, not drawn with the
// rest and redrawn on a clash: the same joint distribution, checked here
// against exact enumeration (which weighs every assignment), with narrow
// ranges beside them or only known hands, on a full deck (each card drawn from
// all 52 and drawn again while taken) and on one thinned by dead cards (the
// deck's front shuffled), in every deal loop.
TEST(Calculator, MonteCarloAgreesWithExactUnderJointCardRemoval) {
  constexpr const char* kThinned = "3c3d3h3s4c4d4h4s5c5d5h5s6c6d6h6s8c8d8h8s9c9d9h9sTcTdThTs";
  const TableQuery cases[] = {
      {Game::holdem, {"AhAd, KhKd", "AhKc, 2c2d"}, "Jc7d2h", ""},
      {Game::holdem, {"QQ+, AKs", "JJ-88, AQo", "22-55, 87s"}, "Jc7d2h", ""},
      {Game::holdem, {"AhAd, KhKd", "random", "AhKc, 2c2d"}, "Jc7d8s9h", ""},
      {Game::holdem, {"AhKh", "random", "random"}, "Jc7d8s9h", ""},  // known hands and random ones only
      {Game::holdem, {"AhAd, KhKd", "random", "AhKc, 2c2d", "random"}, "Jc7d", kThinned},
      {Game::holdem, {"QsJs", "random", "random"}, "2c7h", kThinned},
      {Game::omaha_hilo, {"AhAd2c7d, KhKdQsJs", "random", "random"}, "Jc7cKs2h", kThinned},
      // Short deck deals from its 36 cards; five-card Omaha hands of five.
      {Game::shortdeck, {"AhKh", "random", "random"}, "Jc7d8s9h", ""},
      {Game::shortdeck, {"AhAd, KhKd", "random", "AhKc, 9c9d"}, "Jc7d8s", ""},
      // Ranges and known hands only, weighted or not, dealt by their own loop.
      {Game::shortdeck, {"AhAd, KhKd", "AhKc, 9c9d, TT:0.3"}, "Jc7d8s", ""},
      {Game::holdem, {"AA:0.2, KK, AKs:0.5", "7h6h", "QQ-TT"}, "2d", ""},
      {Game::omaha5_hilo, {"AhAd2c7dQh, KhKdQsJsJd", "random", "random"}, "Jc7cKs2h", kThinned},
  };
  for (const TableQuery& c : cases) {
    const auto& players = c.players;
    EquityQuery q = query_of(c.game, players, c.board, c.dead);
    q.mode = Mode::exact;
    const EquityOutcome exact = compute_equity(q);
    q.mode = Mode::monte_carlo;
    q.trials = 400000;
    q.seed = 99;
    const EquityOutcome mc = compute_equity(q);
    ASSERT_TRUE(exact.status == Status::ok && mc.status == Status::ok) << exact.error << mc.error;
    EXPECT_EQ(mc.deals, 400000);
    for (std::size_t p = 0; p < players.size(); ++p) {
      EXPECT_GT(mc.players[p].std_error, 0);
      EXPECT_LT(std::abs(mc.players[p].equity - exact.players[p].equity), 4.5 * mc.players[p].std_error)
          << players[p] << ": " << mc.players[p].equity << " vs " << exact.players[p].equity;
    }
  }
  // The sequential redraw's answer for player 1, from the two possible matchups.
  EquityQuery aces = query_of(Game::holdem, {"AhAd", "2c2d"}, "Jc7d2h"), kings = query_of(Game::holdem, {"KhKd", "AhKc, 2c2d"}, "Jc7d2h");
  aces.mode = kings.mode = Mode::exact;
  const double naive = 0.5 * compute_equity(aces).players[0].equity + 0.5 * compute_equity(kings).players[0].equity;
  EquityQuery joint = query_of(Game::holdem, {"AhAd, KhKd", "AhKc, 2c2d"}, "Jc7d2h");
  joint.mode = Mode::exact;
  EXPECT_GT(std::abs(compute_equity(joint).players[0].equity - naive), 0.05);
}

// Many random players, where whole-assignment redrawing used to give up: the
// first player's equity against a plain simulation written here (a shuffled
// deck, hands and board dealt off its top), within 4.5 combined standard errors.
TEST(Calculator, ManyRandomPlayersAgreeWithAPlainSimulation) {
  struct Case {
    Game game;
    std::string_view hand;
    int random;
  };
  for (const Case& c : {Case{Game::holdem, "AhKh", 22}, Case{Game::omaha, "AhAsKhKs", 10}}) {
    std::vector<std::string_view> players{c.hand};
    players.insert(players.end(), static_cast<std::size_t>(c.random), "random");
    EquityQuery q = query_of(c.game, players);
    q.mode = Mode::monte_carlo;
    q.trials = 200000;
    q.seed = 5;
    q.threads = 2;
    const EquityOutcome out = compute_equity(q);
    ASSERT_EQ(out.status, Status::ok) << out.error;

    const int per_hand = cards_per_hand(c.game), n = c.random + 1;
    const std::vector<int> mine(q.players[0][0].cards.begin(), q.players[0][0].cards.begin() + per_hand);
    std::vector<int> deck;
    for (int card = 0; card < kDeckSize; ++card)
      if (std::find(mine.begin(), mine.end(), card) == mine.end()) deck.push_back(card);
    std::mt19937 rng(17);
    double sum = 0, sum_squares = 0;
    const int deals = 100000;
    for (int d = 0; d < deals; ++d) {
      std::shuffle(deck.begin(), deck.end(), rng);
      const int* b = deck.data();
      const int* h = deck.data() + 5;
      std::vector<int> value(static_cast<std::size_t>(n));
      for (int p = 0; p < n; ++p) {
        const int* cards = p == 0 ? mine.data() : h + (p - 1) * per_hand;
        value[static_cast<std::size_t>(p)] = c.game == Game::holdem
            ? eval7(b[0], b[1], b[2], b[3], b[4], cards[0], cards[1])
            : eval_omaha_high(b[0], b[1], b[2], b[3], b[4], cards[0], cards[1], cards[2], cards[3]);
      }
      const int best = *std::min_element(value.begin(), value.end());
      const double share = value[0] == best ? 1.0 / static_cast<double>(std::count(value.begin(), value.end(), best)) : 0;
      sum += share;
      sum_squares += share * share;
    }
    const double mean = sum / deals, se = std::sqrt((sum_squares / deals - mean * mean) / deals);
    const double combined = std::hypot(se, out.players[0].std_error);
    EXPECT_LT(std::abs(out.players[0].equity - mean), 4.5 * combined) << c.hand << ": " << out.players[0].equity << " vs " << mean;
  }
}

TEST(Calculator, SeededResultsDoNotDependOnThreads) {
  EquityQuery q = query_of(Game::omaha_hilo, {"Ad2d3sKs", "random", "AAxx"});
  q.mode = Mode::monte_carlo;
  q.seed = 12345;
  q.trials = 50000;
  std::vector<EquityOutcome> runs;
  for (int threads : {1, 2, 3}) {
    q.threads = threads;
    runs.push_back(compute_equity(q));
    ASSERT_EQ(runs.back().status, Status::ok) << runs.back().error;
  }
  for (const EquityOutcome& r : runs)
    for (std::size_t p = 0; p < 3; ++p) {
      EXPECT_EQ(r.players[p].equity, runs[0].players[p].equity);
      EXPECT_EQ(r.players[p].win, runs[0].players[p].win);
    }
  // A target standard error stops at the same deal count too.
  q.trials = 0;
  q.target_stderr = 0.004;
  q.threads = 1;
  const EquityOutcome one = compute_equity(q);
  q.threads = 2;
  const EquityOutcome two = compute_equity(q);
  EXPECT_EQ(one.deals, two.deals);
  EXPECT_EQ(one.players[0].equity, two.players[0].equity);
  EXPECT_LE(one.players[0].std_error, 0.004);
  q.seed = 12346;
  EXPECT_NE(compute_equity(q).players[0].equity, one.players[0].equity);
}

// Refused queries through the export: a message, status 1, the result untouched.
TEST(Calculator, ImpossibleQueriesAreErrors) {
  struct Case {
    int game;
    std::vector<const char*> players;
    const char* board;
    const char* dead;
    const char* words;
  };
  const Case cases[] = {
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "AhQd"}, "", "", "player 1 and player 2 both hold Ah"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "QsQd"}, "Ah2c3d", "", "holds Ah, which is on the board"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "QsQd"}, "2c3d", "2c", "both on the board and dead"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "QsQd"}, "2c3d4h5s6c7d", "", "at most 5 cards"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "AA"}, "AsAd", "", "player 2's range has no hand left"},
      {ODDSMITH_GAME_HOLDEM, {"AA", "AA", "AA"}, "", "", "no deal is possible"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "QQ+, AZs"}, "", "", "player 2 ('QQ+, AZs'), column 7: expected a second rank"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "QsQd"}, "Qx", "", "board: bad card 'Qx'"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh", "QsQd"}, "", "2c2c", "dead twice"},
      {ODDSMITH_GAME_HOLDEM, {"AhKh"}, "", "", "2 to 23 players, got 1"},
      {ODDSMITH_GAME_OMAHA, {"AhKh", "QsQd"}, "", "", "another card"},
      {ODDSMITH_GAME_OMAHA, {"random", "random", "random", "random", "random", "random", "random", "random", "random",
                             "random", "random", "random"}, "", "", "2 to 11 players, got 12"},
      {ODDSMITH_GAME_OMAHA, {"random", "random", "random", "random", "random", "random", "random", "random", "random",
                             "random", "random"}, "2c3c4c", "5c6c7c8c9cTcJcQcKcAc2d3d", "the deck cannot deal"},
      {7, {"AhKh", "QsQd"}, "", "", "unknown game 7"},
  };
  for (const Case& c : cases) {
    oddsmith_equity_query q{};
    q.size = sizeof q;
    q.game = c.game;
    q.player_count = static_cast<int>(c.players.size());
    q.players = c.players.data();
    q.board = c.board;
    q.dead = c.dead;
    oddsmith_equity_result r{};
    r.size = sizeof r;
    r.deals = -7;
    char error[200] = "";
    EXPECT_EQ(oddsmith_equity(&q, &r, error, sizeof error), 1) << c.words;
    EXPECT_NE(std::string(error).find(c.words), std::string::npos) << "wanted '" << c.words << "', got '" << error << "'";
    EXPECT_EQ(r.deals, -7);
  }
  // A progress callback that cancels, and size fields left unset.
  const char* players[] = {"AhKh", "random"};
  oddsmith_equity_query q{};
  q.size = sizeof q;
  q.player_count = 2;
  q.players = players;
  q.mode = ODDSMITH_MODE_MONTE_CARLO;
  q.trials = 10'000'000;
  q.progress = [](double, void*) { return 1; };
  oddsmith_equity_result r{};
  r.size = sizeof r;
  char error[64] = "";
  EXPECT_EQ(oddsmith_equity(&q, &r, error, sizeof error), 2);
  EXPECT_STREQ(error, "cancelled");
  q.progress = nullptr;
  r.size = 0;
  EXPECT_EQ(oddsmith_equity(&q, &r, error, sizeof error), 1);
  EXPECT_EQ(oddsmith_equity(nullptr, &r, nullptr, 0), 1);
}

// The export's answer for a query of players, mode and trials, through a
// callback that records the shares and cancels at its `cancel_at`-th call.
struct ExportRun {
  int status = -1;
  oddsmith_equity_result result{};
  std::string error;
  std::vector<double> shares;
  int cancel_at = 0;  // 0: never
  static int progress(double done, void* self) {
    auto* run = static_cast<ExportRun*>(self);
    run->shares.push_back(done);
    return run->cancel_at > 0 && static_cast<int>(run->shares.size()) >= run->cancel_at;
  }
};

ExportRun run_export(int game, std::vector<const char*> players, int mode, long long trials = 0, double target = 0,
                     const char* board = "", double max_seconds = 0, int cancel_at = 0, int result_size = 0) {
  ExportRun run;
  run.cancel_at = cancel_at;
  oddsmith_equity_query q{};
  q.size = sizeof q;
  q.game = game;
  q.player_count = static_cast<int>(players.size());
  q.players = players.data();
  q.board = board;
  q.mode = mode;
  q.trials = trials;
  q.target_stderr = target;
  q.seed = 7;
  q.threads = 2;
  q.max_seconds = max_seconds;
  q.progress = ExportRun::progress;
  q.progress_user = &run;
  run.result.size = result_size ? result_size : static_cast<int>(sizeof run.result);
  run.result.target_met = -1;
  char error[256] = "";
  run.status = oddsmith_equity(&q, &run.result, error, sizeof error);
  run.error = error;
  return run;
}

// Every run is bounded: exact runs estimated over the bound are refused (and
// never picked by the automatic mode), trial counts past 2^48 are refused
// without overflowing, and long runs report progress often enough to be
// cancelled from their callback, with a share that never goes down.
TEST(Calculator, RunsAreBoundedAndStoppable) {
  const ExportRun refused = run_export(ODDSMITH_GAME_HOLDEM, {"AhKh", "random", "random"}, ODDSMITH_MODE_EXACT);
  EXPECT_EQ(refused.status, ODDSMITH_STATUS_BAD_QUERY);
  EXPECT_NE(refused.error.find("on one core, over the bound of 60 s: use Monte Carlo"), std::string::npos) << refused.error;
  const ExportRun automatic = run_export(ODDSMITH_GAME_HOLDEM, {"AhKh", "random", "random"}, ODDSMITH_MODE_AUTO, 0, 0.01);
  EXPECT_EQ(automatic.status, ODDSMITH_STATUS_OK) << automatic.error;
  EXPECT_EQ(automatic.result.exact, 0);
  // Automatic mode never refuses for time, however small the bound: what does
  // not fit as an enumeration is simulated (at least its first chunk of deals).
  // A trial count the bound cannot hold stops there, with the deals done.
  for (double bound : {1e-6, 1e-3}) {
    EquityQuery tiny = query_of(Game::shortdeck, {"AsKs", "random", "random"}, "Th7c8d9s");
    tiny.max_seconds = bound;
    const EquityOutcome out = compute_equity(tiny);
    EXPECT_TRUE(out.has_result()) << bound << ": " << out.error;
    EXPECT_FALSE(out.exact);
    EXPECT_GT(out.deals, 0);
    EquityQuery endless = query_of(Game::holdem, {"AhKh", "QsQd"});
    endless.mode = Mode::monte_carlo;
    endless.trials = ODDSMITH_MAX_TRIALS;
    endless.max_seconds = bound;
    endless.threads = 2;
    const EquityOutcome cut = compute_equity(endless);
    EXPECT_EQ(cut.status, Status::target_not_met) << cut.error;
    EXPECT_FALSE(cut.target_met);
    EXPECT_GT(cut.deals, 0);
    EXPECT_LT(cut.deals, ODDSMITH_MAX_TRIALS);
    EXPECT_NE(cut.error.find("trials"), std::string::npos) << cut.error;
    EXPECT_NEAR(cut.players[0].equity, 0.46214, 0.1);
  }
  for (long long trials : {ODDSMITH_MAX_TRIALS + 1, std::numeric_limits<long long>::max()}) {
    const ExportRun run = run_export(ODDSMITH_GAME_HOLDEM, {"AhKh", "QsQd"}, ODDSMITH_MODE_MONTE_CARLO, trials);
    EXPECT_EQ(run.status, ODDSMITH_STATUS_BAD_QUERY);
    EXPECT_NE(run.error.find("at most 2^48"), std::string::npos) << run.error;
  }
  // Each method on a run of minutes or more, cancelled at the fifth report.
  struct Long {
    Method method;
    Game game;
    std::vector<std::string_view> players;
  };
  const Long runs[] = {
      {Method::board_sweep, Game::omaha, {"AhAsKhKs", "random"}},
      {Method::rank_counting, Game::holdem, {"AhKh", "random", "random"}},
      {Method::two_range_sweep, Game::holdem, {"random", "random"}},
      {Method::monte_carlo, Game::omaha_hilo, {"AhAsKhKs", "random", "random", "random"}},
  };
  for (const Long& l : runs) {
    EquityQuery q = query_of(l.game, l.players);
    q.force_method = l.method;
    q.trials = ODDSMITH_MAX_TRIALS;
    q.threads = 2;
    ExportRun seen;
    seen.cancel_at = 5;
    q.progress = [](double done, void* self) { return ExportRun::progress(done, self) != 0; };
    q.progress_user = &seen;
    const EquityOutcome out = compute_equity(q);
    EXPECT_EQ(out.status, Status::cancelled) << out.error;
    ASSERT_EQ(seen.shares.size(), 5u);
    EXPECT_TRUE(std::is_sorted(seen.shares.begin(), seen.shares.end()));
    EXPECT_LT(seen.shares.back(), 0.5);
  }
}

// A standard-error target that cannot be reached within the bound is given up
// early: status 4, the result holds what was reached, target_met says so (and
// is left alone for a caller whose result struct ends before it). Callers of
// the earlier, smaller query struct keep working.
TEST(Calculator, TargetsThatCannotBeMetAreSaidSo) {
  const ExportRun run = run_export(ODDSMITH_GAME_HOLDEM, {"AA,22", "KK,33"}, ODDSMITH_MODE_MONTE_CARLO, 0, 1e-9,
                                   "2c3d4h8s9c");
  EXPECT_EQ(run.status, ODDSMITH_STATUS_TARGET_NOT_MET) << run.error;
  EXPECT_EQ(run.result.target_met, 0);
  EXPECT_EQ(run.result.player_count, 2);
  EXPECT_GT(run.result.deals, 0);
  EXPECT_LT(run.result.deals, 1LL << 30);
  EXPECT_NEAR(run.result.players[0].equity + run.result.players[1].equity, 1.0, 1e-12);
  EXPECT_GT(run.result.players[0].std_error, 1e-9);
  const ExportRun old_result = run_export(ODDSMITH_GAME_HOLDEM, {"AA,22", "KK,33"}, ODDSMITH_MODE_MONTE_CARLO, 0, 1e-9,
                                          "2c3d4h8s9c", 0, 0, offsetof(oddsmith_equity_result, target_met));
  EXPECT_EQ(old_result.status, ODDSMITH_STATUS_TARGET_NOT_MET);
  EXPECT_EQ(old_result.result.target_met, -1);
  const ExportRun met = run_export(ODDSMITH_GAME_HOLDEM, {"AA,22", "KK,33"}, ODDSMITH_MODE_MONTE_CARLO, 0, 0.01, "2c3d4h8s9c");
  EXPECT_EQ(met.status, ODDSMITH_STATUS_OK);
  EXPECT_EQ(met.result.target_met, 1);

  const char* players[] = {"AhKh", "QsQd"};
  oddsmith_equity_query old_query{};
  old_query.size = static_cast<int>(offsetof(oddsmith_equity_query, max_seconds));
  old_query.player_count = 2;
  old_query.players = players;
  old_query.max_seconds = -1;  // beyond the caller's size: not read
  oddsmith_equity_result r{};
  r.size = sizeof r;
  EXPECT_EQ(oddsmith_equity(&old_query, &r, nullptr, 0), ODDSMITH_STATUS_OK);
  EXPECT_NEAR(r.players[0].equity, 0.46214, 1e-5);
}

// A range's weights count only relative to each other: scaled by any constant,
// however small, the equities stay the same.
TEST(Calculator, WeightsScaledTogetherGiveTheSameEquities) {
  const std::string tiny = "0." + std::string(199, '0') + "1";  // 1e-200, whose square underflows
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"AA:" + tiny, "KK:" + tiny}, {"AA", "KK"}},
      {{"AA:0.5, KK:0.25", "QQ:0.01, JJ:0.01"}, {"AA, KK:0.5", "QQ, JJ"}},
  };
  for (const auto& [scaled, plain] : cases) {
    for (Mode mode : {Mode::exact, Mode::monte_carlo}) {
      std::vector<EquityOutcome> outs;
      for (const auto* texts : {&scaled, &plain}) {
        EquityQuery q = query_of(Game::holdem, {(*texts)[0], (*texts)[1]});
        q.mode = mode;
        q.trials = 20000;
        q.seed = 3;
        outs.push_back(compute_equity(q));
        ASSERT_EQ(outs.back().status, Status::ok) << outs.back().error;
      }
      EXPECT_NEAR(outs[0].players[0].equity, outs[1].players[0].equity, 1e-12) << plain[0];
      EXPECT_NEAR(outs[0].players[1].win, outs[1].players[1].win, 1e-12) << plain[0];
    }
  }
}

}  // namespace
