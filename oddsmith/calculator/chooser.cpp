#include "calculator/chooser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "cards/binomial.h"

namespace oddsmith::calc {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// Seconds of one core per step, measured on a Release build (bench/check_estimates
// compares the estimates with measured times); each game's board and hand
// costs are in its row of the game table.
constexpr double kRunSetup = 50e-6;         // every exact run, however small: its sweep and threads set up
constexpr double kSymmetryTest = 2.5e-9;    // a board or assignment against one renaming
constexpr double kAssignmentStep = 1.2e-9;  // a hand tested against the cards in use
constexpr double kSettle = 1.5e-9;          // per player and opponent, sharing one deal's pot
constexpr double kCompare = 1.0e-9;         // board sweep, one range against known hands: per hand
constexpr double kMaskTest = 0.5e-9;        // a hand tested against a board's cards
constexpr double kSortStep = 1.0e-9;        // two-range sweep: per hand and halving of the sort
constexpr double kSweepStep = 4.0e-9;       // two-range sweep: per hand, the sweep and the pair count
constexpr double kSweepBoard = 35e-9;       // two-range sweep: per board, clearing its per-card totals
constexpr double kCountingUnit = 4.5e-9;    // rank counting: a multiset or flush group valued for one player
constexpr double kCountingAssignment = 0.7e-6;  // rank counting: setting up one assignment


// The share of a player's hands (of `per_hand` cards) left once `removed` of the
// `deck` cards they are drawn from are taken, for cards taken at random.
double survival(int deck, int removed, int per_hand) {
  double s = 1;
  for (int j = 0; j < per_hand; ++j) s *= std::max(0.0, static_cast<double>(deck - removed - j) / (deck - j));
  return s;
}

// Assignments of hands with no card twice, estimated, after `board_cards` board
// cards: `visited` the leaves, `steps` the hands tested on the way.
struct AssignmentCount {
  double visited = 1, steps = 0;
};

AssignmentCount count_assignments(const PreparedQuery& q, int board_cards) {
  AssignmentCount a;
  const int per_hand = cards_per_hand(q.game);
  const int deck = static_cast<int>(q.deck.size());
  int removed = board_cards;
  for (const auto& hands : q.hands) {
    const double n = static_cast<double>(hands.size());
    a.steps = std::min(a.steps + a.visited * n, 1e30);
    if (hands.size() == 1) continue;  // its cards are out of the deck already
    a.visited = std::min(a.visited * n * survival(deck, removed, per_hand), 1e30);
    removed += per_hand;
  }
  return a;
}

bool all_fixed(const PreparedQuery& q) {
  return std::all_of(q.hands.begin(), q.hands.end(), [](const auto& h) { return h.size() == 1; });
}

double total_hands(const PreparedQuery& q) {
  double n = 0;
  for (const auto& h : q.hands) n += static_cast<double>(h.size());
  return n;
}

// The hands valued on a board: those sharing no card with it.
double valued_hands(const PreparedQuery& q) {
  const int deck = static_cast<int>(q.deck.size()), per_hand = cards_per_hand(q.game);
  double n = 0;
  for (const auto& h : q.hands)
    n += h.size() == 1 ? 1.0 : static_cast<double>(h.size()) * survival(deck, 5 - q.known, per_hand);
  return n;
}

double board_count(const PreparedQuery& q) {
  return static_cast<double>(binomial(static_cast<int>(q.deck.size()), 5 - q.known));
}

// Per board of the board sweep: testing it against the renamings, and, for the
// share of boards that is valued, valuing every hand and going through the
// assignments (`assignments`: that last part alone).
double board_sweep_per_board(const PreparedQuery& q, const SuitSymmetry& symmetry, double* assignments = nullptr) {
  const GameRules& g = rules(q.game);
  const double players = q.players;
  if (all_fixed(q)) {
    const bool counted = q.players == 2 && !is_hilo(q.game);  // three outcomes counted, weighed at the end
    return g.board_cost + players * g.hand_value_cost + (counted ? 0 : players * (players - 1) * kSettle);
  }
  const AssignmentCount a = count_assignments(q, 5);
  const bool one_range = one_range_against_known_hands(q);  // never split: a board's hands are few
  // Settling an assignment compares every player with the others.
  const double assign =
      one_range ? a.steps * kCompare : a.steps * kAssignmentStep + a.visited * players * (players - 1) * kSettle;
  if (assignments && !one_range) *assignments = assign;
  const double order = symmetry.order();
  const double test = order > 1 ? order * kSymmetryTest : 0;
  return test + (g.board_cost + valued_hands(q) * g.hand_value_cost + total_hands(q) * kMaskTest + assign) / order;
}

double two_range_per_board(const PreparedQuery& q, const SuitSymmetry& symmetry) {
  const GameRules& g = rules(q.game);
  const double hands = total_hands(q);
  const double order = symmetry.order();
  const double test = order > 1 ? order * kSymmetryTest : 0;
  return test + (g.board_cost + kSweepBoard + hands * (g.hand_value_cost + kSortStep * std::log2(hands + 1) + kSweepStep)) / order;
}

// Multisets of k ranks from r, any rank repeated: C(r + k - 1, k).
double rank_multisets(int r, int k) { return static_cast<double>(binomial(r + k - 1, k)); }

// Rank counting values, per player and assignment, every multiset of the ranks
// to come, and then, per suit, the groups of boards on which a flush may be
// made: at least `need` suited board cards (5 less the most suited cards a
// hand holds, never below 3), grouped by the suited cards and the ranks of the
// rest. Here `need` takes the most any hand of the query holds.
double rank_counting_per_assignment(const PreparedQuery& q) {
  const int left = 5 - q.known;
  const int ranks = q.game == Game::shortdeck ? kRankCount - 4 : kRankCount;  // short deck: sixes to aces
  double units = rank_multisets(ranks, left);
  std::array<int, kSuitCount> most{}, on_board{}, in_deck{};  // per suit
  for (const auto& hands : q.hands)
    for (const RangeHand& h : hands) {
      const int a = card_suit(h.cards[0]), b = card_suit(h.cards[1]);
      if (a == b) most[static_cast<std::size_t>(a)] = 2;
      else most[static_cast<std::size_t>(a)] = std::max(most[static_cast<std::size_t>(a)], 1), most[static_cast<std::size_t>(b)] = std::max(most[static_cast<std::size_t>(b)], 1);
    }
  for (int i = 0; i < q.known; ++i) ++on_board[static_cast<std::size_t>(card_suit(q.board[i]))];
  for (int c : q.deck) ++in_deck[static_cast<std::size_t>(card_suit(c))];
  for (std::size_t suit = 0; suit < kSuitCount; ++suit)
    for (int k = std::max(0, std::max(3, 5 - most[suit]) - on_board[suit]); k <= left; ++k)
      units += static_cast<double>(binomial(in_deck[suit], k)) * rank_multisets(ranks - 1, left - k);
  return kCountingAssignment + q.players * units * kCountingUnit;
}

double rank_counting_assignments(const PreparedQuery& q, const SuitSymmetry& symmetry) {
  return count_assignments(q, 0).visited / symmetry.order();
}

// Rank counting numbers every combination of the players' hand indexes, clashing
// or not (rank_count_sweep.cpp).
double assignment_numbers(const PreparedQuery& q) {
  double n = 1;
  for (const auto& hands : q.hands) n *= static_cast<double>(hands.size());
  return n;
}

const char* method_name(Method m) {
  switch (m) {
    case Method::board_sweep: return "the board sweep";
    case Method::rank_counting: return "rank counting";
    case Method::two_range_sweep: return "the two-range sweep";
    case Method::monte_carlo: return "Monte Carlo";
  }
  return "?";
}

// Chunks of consecutive items (boards, assignments) of `per_item` seconds each:
// about kChunkSeconds a chunk, and at least a few dozen chunks where there are
// that many items, so that every thread has work.
std::int64_t items_per_chunk(double items, double per_item) {
  const double by_time = std::floor(kChunkSeconds / std::max(per_item, 1e-12));
  const double for_threads = std::ceil(items / 64);
  return static_cast<std::int64_t>(std::max(1.0, std::min({by_time, for_threads, 1e15})));
}

std::int64_t chunks_for(double items, std::int64_t per_chunk) {
  return static_cast<std::int64_t>(std::ceil(items / static_cast<double>(per_chunk)));
}

}  // namespace

double MethodCosts::of(Method m) const {
  switch (m) {
    case Method::board_sweep: return board_sweep;
    case Method::rank_counting: return rank_counting;
    case Method::two_range_sweep: return two_range_sweep;
    case Method::monte_carlo: return kNever;
  }
  return kNever;
}

bool one_range_against_known_hands(const PreparedQuery& q) {
  if (is_hilo(q.game)) return false;
  return std::count_if(q.hands.begin(), q.hands.end(), [](const auto& h) { return h.size() > 1; }) == 1;
}

bool method_applies(Method m, const PreparedQuery& q) {
  switch (m) {
    case Method::board_sweep:
    case Method::monte_carlo: return true;
    case Method::rank_counting: return is_seven_card(q.game) && assignment_numbers(q) < 0x1p62;
    case Method::two_range_sweep: return is_seven_card(q.game) && q.players == 2;
  }
  return false;
}

MethodCosts estimate_costs(const PreparedQuery& q, const SuitSymmetry& symmetry) {
  MethodCosts c;
  const double boards = board_count(q);
  c.board_sweep = kRunSetup + boards * board_sweep_per_board(q, symmetry);
  c.rank_counting = method_applies(Method::rank_counting, q)
                        ? kRunSetup + rank_counting_assignments(q, symmetry) * rank_counting_per_assignment(q) +
                              assignment_numbers(q) * kAssignmentStep * (q.players + symmetry.order())
                        : kNever;
  c.two_range_sweep =
      method_applies(Method::two_range_sweep, q) ? kRunSetup + boards * two_range_per_board(q, symmetry) : kNever;
  return c;
}

std::string describe_seconds(double seconds) {
  char text[64];
  if (!std::isfinite(seconds)) return "forever";
  if (seconds < 10) std::snprintf(text, sizeof text, "%.2g s", seconds);
  else if (seconds < 120) std::snprintf(text, sizeof text, "%.0f s", seconds);
  else if (seconds < 7200) std::snprintf(text, sizeof text, "%.0f minutes", seconds / 60);
  else if (seconds < 172800) std::snprintf(text, sizeof text, "%.1f hours", seconds / 3600);
  else if (seconds < 3.15e9) std::snprintf(text, sizeof text, "%.3g days", seconds / 86400);
  else std::snprintf(text, sizeof text, "%.2g years", seconds / 3.15e7);
  return text;
}

bool enumerates(Mode mode, double seconds, double left) {
  switch (mode) {
    case Mode::exact: return true;
    case Mode::automatic: return seconds <= std::min(kAutomaticExactSeconds, left);
    case Mode::monte_carlo: return false;
  }
  return false;
}

std::string over_the_bound(const RunBudget& budget) {
  const double left = budget.seconds_left();
  if (left >= 0.9 * budget.bound) return "over the bound of " + describe_seconds(budget.bound);
  return "over the " + describe_seconds(std::max(0.0, left)) + " left of the bound of " + describe_seconds(budget.bound);
}

std::optional<Plan> choose_method(const PreparedQuery& q, const EquityQuery& query, const RunBudget& budget,
                                  std::string& error) {
  Plan plan;
  if (query.force_method) {
    if (!method_applies(*query.force_method, q)) {
      error = std::string(method_name(*query.force_method)) + " does not apply to this query";
      return std::nullopt;
    }
    plan.method = *query.force_method;
  } else if (budget.mode == Mode::monte_carlo) {
    plan.method = Method::monte_carlo;
  }
  if (plan.method == Method::monte_carlo && (query.force_method || budget.mode == Mode::monte_carlo)) return plan;

  plan.symmetry = query.without_symmetry ? SuitSymmetry() : SuitSymmetry(q);
  plan.costs = estimate_costs(q, plan.symmetry);
  if (!query.force_method) {
    plan.method = Method::board_sweep;
    for (Method m : {Method::rank_counting, Method::two_range_sweep})
      if (plan.costs.of(m) < plan.costs.of(plan.method)) plan.method = m;
    // Automatic mode never refuses for time: what is not quick, or does not
    // fit in the time left, is simulated.
    const double quickest = plan.costs.of(plan.method);
    if (!enumerates(budget.mode, quickest, budget.seconds_left())) {
      plan.method = Method::monte_carlo;
      return plan;
    }
    if (quickest > budget.seconds_left()) {
      error = "exact enumeration would take about " + describe_seconds(quickest) + " on one core, " +
              over_the_bound(budget) + ": use Monte Carlo, or raise the bound (max_seconds)";
      return std::nullopt;
    }
  }
  plan.seconds = plan.costs.of(plan.method);

  const double boards = board_count(q);
  switch (plan.method) {
    case Method::board_sweep: {
      double assignments = 0;
      const double per_board = board_sweep_per_board(q, plan.symmetry, &assignments);
      plan.boards_per_chunk = items_per_chunk(boards, per_board);
      // A single board over a chunk's time: its assignments are split by the
      // first player's hands (each slice values the board's hands again).
      if (assignments / plan.symmetry.order() > kChunkSeconds && q.hands[0].size() > 1)
        plan.hand_slices = static_cast<int>(std::min(static_cast<double>(q.hands[0].size()),
                                                     std::ceil(assignments / plan.symmetry.order() / kChunkSeconds)));
      plan.chunks = chunks_for(boards, plan.boards_per_chunk) * plan.hand_slices;
      break;
    }
    case Method::two_range_sweep:
      plan.boards_per_chunk = items_per_chunk(boards, two_range_per_board(q, plan.symmetry));
      plan.chunks = chunks_for(boards, plan.boards_per_chunk);
      break;
    case Method::rank_counting: {
      // Chunks are ranges of assignment numbers, of which only some are counted.
      const double numbers = assignment_numbers(q);
      const double counted = std::max(1.0, rank_counting_assignments(q, plan.symmetry));
      plan.assignments_per_chunk = items_per_chunk(numbers, rank_counting_per_assignment(q) * counted / numbers);
      plan.chunks = chunks_for(numbers, plan.assignments_per_chunk);
      break;
    }
    case Method::monte_carlo: break;
  }
  return plan;
}

}  // namespace oddsmith::calc
