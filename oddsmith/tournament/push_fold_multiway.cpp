// Push/fold with three to ten players by CFR+ over the 169 classes.
//
// The game tree holds every first action (push or fold, all before folded)
// and every answer to a push given who called it before: 2^n - 2 decisions.
// Each player acts at most once, so a decision's average strategy needs no
// weighting by the player's own reach. Each class is dealt with its share of
// the 1,326 hands; with card removal the values at each end are scaled by how
// likely the other players' hands miss the player's and each other
// (terminal_values). One walk of the tree per iteration
// carries every player's reach down and every player's counterfactual values
// up (simultaneous updates; regrets floored at zero, averages weighted by
// iteration). A pot two players contest is valued with the exact heads-up
// table (two 169 x 169 products per player); a pot of three or more with
// sampled values: for each player in it and each of their classes, the mean
// payoff over seeded deals against the others' class weights at that pot.
// Those estimates are refreshed on a schedule from the average strategies
// (more deals each time, up to the cap), and each refresh's deals join those
// of the refreshes before, refresh r weighted by r as CFR+ weights its
// iterations. Refreshed alone, the estimates would carry fresh sampling noise
// every time and the iteration would chase it (the exploitability stalls at
// the noise); pooled, their noise shrinks with the deals while the weighting
// forgets the early ranges, so as the average ranges settle the estimates
// settle too and the iteration converges on the game they define. The run
// stops only when the target is met right after a refresh from the current
// ranges, and the exploitability reported is measured against it.
#include "tournament/internal/push_fold_multiway.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <climits>
#include <cmath>
#include <functional>
#include <new>
#include <numeric>
#include <thread>

#include "tournament/heads_up_equities.h"
#include "tournament/internal/multiway_showdowns.h"
#include "tournament/internal/push_fold_table.h"

namespace oddsmith::tournament {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kN = kClasses;
constexpr int kMaxSeats = kPushFoldMaxPlayers;
// A pot whose other players all get there together less often than this is
// not sampled for a player: its value moves their regrets by less than this
// share of the pot.
constexpr double kUnlikely = 1e-7;
using Vec = std::array<double, kN>;
enum Payoff { kChips = 0, kPrize = 1 };
enum class Pot { walk, heads_up, multiway };

struct Terminal {
  Pot kind = Pot::walk;
  std::vector<int> members;  // players in the hand, in seat order
  Pots pots;
  // walk: value[payoff][player]; heads-up: value[payoff][outcome * n + player],
  // the outcomes the first member winning, a tie, the second winning.
  std::vector<double> value[2];
  // Multiway: per member and class the mean payoff, the pot share's standard
  // error; per player the mean payoff over every member's weights.
  std::vector<Vec> member_value[2];
  std::vector<Vec> member_error;
  std::vector<double> bystander[2];
  std::vector<Vec> weight;  // the members' reach at the last refresh
  std::vector<double> mass;  // every player's reach mass at the last refresh
  // The deals of every refresh so far, refresh r's weighted by r: per member
  // and class the payoffs, the chips' squares, the weights and their squares.
  std::vector<Vec> sum_value[2], sum_square, sum_weight, sum_weight2;
  std::vector<double> sum_bystander[2];
  double bystander_weight = 0;
};

struct Node {
  int player = 0;
  int pusher = -1;
  std::uint32_t callers = 0;
  bool forced = false;
  int act = 0, fold = 0;  // >= 0: a node; < 0: ~terminal
  Vec strategy{}, regret_act{}, regret_fold{}, sum{}, average{};
  Vec reach_act{}, reach_fold{};  // the walk's scratch
  Vec miss_act{}, miss_fold{};    // and with card removal their miss shares
};

struct Reach {
  std::array<const double*, kMaxSeats> vec{};
  std::array<double, kMaxSeats> mass{};
  std::array<const double*, kMaxSeats> miss{};  // with card removal: class_miss_shares of vec
};

enum class Walk { update, evaluate };

double mass_of(const double* v) { return std::accumulate(v, v + kN, 0.0); }

// A sum of products in four running sums, so that the additions need not
// wait on each other (the walk spends most of its time here).
double dot(const double* a, const double* b) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  std::size_t i = 0;
  for (; i + 4 <= kN; i += 4) {
    s0 += a[i] * b[i];
    s1 += a[i + 1] * b[i + 1];
    s2 += a[i + 2] * b[i + 2];
    s3 += a[i + 3] * b[i + 3];
  }
  for (; i < kN; ++i) s0 += a[i] * b[i];
  return (s0 + s1) + (s2 + s3);
}

void product(const std::vector<double>& m, const double* v, double* out) {
  for (std::size_t a = 0; a < kN; ++a) out[a] = dot(&m[a * kN], v);
}

// Payoffs of the stacks after a multiway pot, cached for the pot being
// sampled: many rankings of the hands leave the same stacks, and valuing
// stacks by ICM is the dear part.
class OutcomeCache {
 public:
  explicit OutcomeCache(std::size_t players) : players_(players), keys_(kSlots, 0), values_(kSlots * 3 * players) {}
  void clear() { std::fill(keys_.begin(), keys_.end(), 0); }
  // The slot of these stacks: their payoffs (chips then prize, a value per
  // player) and the stacks; null when full.
  double* find(const double* after, bool& fresh) {
    std::uint64_t key = 0x9e3779b97f4a7c15ULL;
    for (std::size_t p = 0; p < players_; ++p)
      key = (key ^ std::bit_cast<std::uint64_t>(after[p] + 0.0)) * 0xbf58476d1ce4e5b9ULL;
    key |= 1;
    std::size_t slot = key >> 50;
    for (std::size_t probe = 0; probe < kSlots; ++probe, slot = (slot + 1) & (kSlots - 1)) {
      double* values = &values_[slot * 3 * players_];
      if (keys_[slot] == key && std::equal(after, after + players_, values + 2 * players_)) {
        fresh = false;
        return values;
      }
      if (keys_[slot] == 0) {
        keys_[slot] = key;
        std::copy(after, after + players_, values + 2 * players_);
        fresh = true;
        return values;
      }
    }
    return nullptr;
  }

 private:
  static constexpr std::size_t kSlots = 16384;
  std::size_t players_;
  std::vector<std::uint64_t> keys_;
  std::vector<double> values_;
};

class Solver {
 public:
  explicit Solver(const PushFoldQuery& query) : query_(query), seats_(seat_players(query)) {
    n_ = seats_.players;
    for (std::size_t c = 0; c < kN; ++c) prior_[c] = class_combos(static_cast<int>(c)) / static_cast<double>(kHands);
    removal_ = query.card_removal;
    class_miss_shares(prior_.data(), prior_miss_.data());
    win_.resize(kN * kN);
    tie_.resize(kN * kN);
    meet_.resize(kN * kN);
    const ClassPairCounts pairs = class_pair_counts();
    for (std::size_t a = 0; a < kN; ++a) {
      for (std::size_t b = 0; b < kN; ++b) {
        const ClassShowdown s = heads_up_showdown(static_cast<int>(a), static_cast<int>(b));
        // With card removal a class meets another as often as their hands
        // can: the pairs sharing no card, over the hands of the second
        // class a hand of the first leaves (1 on average over all classes).
        const double combos = class_combos(static_cast<int>(a)) * class_combos(static_cast<int>(b));
        meet_[a * kN + b] = removal_ ? pairs[a][b] / combos * kHands / kHandsLeftByOne : 1.0;
        win_[a * kN + b] = s.win() * meet_[a * kN + b];
        tie_[a * kN + b] = s.tie * meet_[a * kN + b];
      }
    }
    std::vector<double> live(seats_.blind);
    build_open(0, live);
    buffers_.assign(static_cast<std::size_t>(n_ + 2) * 2, std::vector<double>(2 * static_cast<std::size_t>(n_) * kN));
    for (Node& node : nodes_) node.strategy.fill(node.forced ? 1.0 : 0.5), node.average = node.strategy;
  }

  PushFoldOutcome run();

 private:
  int build_open(int k, std::vector<double>& live);
  int build_answer(int pusher, int k, std::uint32_t callers, std::uint32_t in_hand, std::vector<double>& live);
  int add_terminal(std::uint32_t in_hand, const std::vector<double>& live);
  void values_of(const double* after, double* chips, double* prize) const;

  void walk(int ref, int depth, const Reach& reach, Walk mode, int payoff, double* out);
  void terminal_values(const Terminal& t, const Reach& reach, Walk mode, int payoff, double* out);
  void independent_values(const Terminal& t, const Reach& reach, Walk mode, int payoff, double* out);
  struct Evaluation {
    std::vector<double> ev, gain;
  };
  Evaluation evaluate(int payoff);
  void iterate(int t);
  void refresh(int deals);
  Clock::time_point deadline_{};
  std::int64_t sample_pot(std::size_t index, int deals, int round, OutcomeCache& cache);

  const PushFoldQuery& query_;
  Seats seats_;
  int n_ = 0;
  Vec prior_{};
  Vec prior_miss_{};  // the miss shares of a hand about which nothing is known
  std::vector<double> win_, tie_;  // 169 x 169: the first class wins; a tie (times meet_)
  std::vector<double> meet_;       // 169 x 169: how often the classes meet, relative to no card removal
  bool removal_ = false;           // card removal between all players
  std::array<std::array<Vec, kMaxSeats + 1>, 2> products_{};  // terminal_values' scratch
  std::vector<Node> nodes_;
  std::vector<Terminal> terminals_;
  std::vector<std::vector<double>> buffers_;  // two per depth: the children's values
  Vec scratch_[6]{};
  bool collect_ = false;                      // an evaluating walk notes the multiway pots' reach
  std::int64_t deals_done_ = 0;
  int rounds_ = 0;  // refreshes so far
};

int Solver::build_open(int k, std::vector<double>& live) {
  const int big_blind = seats_.order[static_cast<std::size_t>(n_ - 1)];
  if (k == n_ - 1) return add_terminal(1u << big_blind, live);
  const int p = seats_.order[static_cast<std::size_t>(k)];
  const auto index = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  nodes_.back().player = p;
  nodes_.back().forced = seats_.capacity(p) - seats_.blind[static_cast<std::size_t>(p)] <= 1e-12;
  const double posted = live[static_cast<std::size_t>(p)];
  live[static_cast<std::size_t>(p)] = seats_.capacity(p);
  const int act = build_answer(p, k + 1, 0, 1u << p, live);
  live[static_cast<std::size_t>(p)] = posted;
  const int fold = build_open(k + 1, live);
  nodes_[static_cast<std::size_t>(index)].act = act;
  nodes_[static_cast<std::size_t>(index)].fold = fold;
  return index;
}

// A caller matches the largest live money in (a short push still faces the
// big blind); one who needs to add nothing is in without a choice.
int Solver::build_answer(int pusher, int k, std::uint32_t callers, std::uint32_t in_hand, std::vector<double>& live) {
  if (k == n_) return add_terminal(in_hand, live);
  const int p = seats_.order[static_cast<std::size_t>(k)];
  const auto pi = static_cast<std::size_t>(p);
  const double bet = *std::max_element(live.begin(), live.end());
  const double commit = std::max(live[pi], std::min(seats_.capacity(p), bet));
  const auto index = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  nodes_.back().player = p;
  nodes_.back().pusher = pusher;
  nodes_.back().callers = callers;
  nodes_.back().forced = commit - seats_.blind[pi] <= 1e-12;
  const double posted = live[pi];
  live[pi] = commit;
  const int act = build_answer(pusher, k + 1, callers | (1u << p), in_hand | (1u << p), live);
  live[pi] = posted;
  const int fold = build_answer(pusher, k + 1, callers, in_hand, live);
  nodes_[static_cast<std::size_t>(index)].act = act;
  nodes_[static_cast<std::size_t>(index)].fold = fold;
  return index;
}

void Solver::values_of(const double* after, double* chips, double* prize) const {
  const auto n = static_cast<std::size_t>(n_);
  for (std::size_t p = 0; p < n; ++p) chips[p] = after[p] - seats_.stack[p];
  if (query_.payouts.empty()) {
    std::copy(chips, chips + n, prize);
    return;
  }
  IcmQuery q;
  q.stacks.assign(after, after + n);
  q.payouts = query_.payouts;
  q.mode = IcmMode::exact;
  const IcmOutcome o = compute_icm(q);
  for (std::size_t p = 0; p < n; ++p) prize[p] = o.equity.empty() ? 0.0 : o.equity[p];
}

int Solver::add_terminal(std::uint32_t in_hand, const std::vector<double>& live) {
  const auto n = static_cast<std::size_t>(n_);
  Terminal t;
  for (int p = 0; p < n_; ++p) {
    if ((in_hand >> p) & 1u) t.members.push_back(p);
  }
  t.pots = make_pots(seats_, live, in_hand);
  t.kind = t.members.size() == 1 ? Pot::walk : (t.members.size() == 2 ? Pot::heads_up : Pot::multiway);
  std::vector<double> after(n), chips(n), prize(n);
  std::vector<int> strength(n, INT_MAX);
  if (t.kind == Pot::walk) {
    strength[static_cast<std::size_t>(t.members[0])] = 0;
    stacks_after(seats_, t.pots, strength.data(), after.data());
    values_of(after.data(), chips.data(), prize.data());
    t.value[kChips] = chips;
    t.value[kPrize] = prize;
  } else if (t.kind == Pot::heads_up) {
    const auto first = static_cast<std::size_t>(t.members[0]);
    const auto second = static_cast<std::size_t>(t.members[1]);
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{0, 0}, std::pair{1, 0}}) {
      strength[first] = a;
      strength[second] = b;
      stacks_after(seats_, t.pots, strength.data(), after.data());
      values_of(after.data(), chips.data(), prize.data());
      t.value[kChips].insert(t.value[kChips].end(), chips.begin(), chips.end());
      t.value[kPrize].insert(t.value[kPrize].end(), prize.begin(), prize.end());
    }
  } else {
    const std::size_t k = t.members.size();
    for (auto& v : t.member_value) v.assign(k, Vec{});
    t.member_error.assign(k, Vec{});
    for (auto* v : {&t.sum_value[0], &t.sum_value[1], &t.sum_square, &t.sum_weight, &t.sum_weight2}) v->assign(k, Vec{});
    for (auto& v : t.sum_bystander) v.assign(n, 0.0);
    t.weight.assign(k, Vec{});
    t.mass.assign(n, 0.0);
    // Until sampled (a pot too unlikely never is): every hand ties, the pot split alike.
    std::fill(strength.begin(), strength.end(), 0);
    stacks_after(seats_, t.pots, strength.data(), after.data());
    values_of(after.data(), chips.data(), prize.data());
    t.bystander[kChips] = chips;
    t.bystander[kPrize] = prize;
    for (std::size_t i = 0; i < k; ++i) {
      t.member_value[kChips][i].fill(chips[static_cast<std::size_t>(t.members[i])]);
      t.member_value[kPrize][i].fill(prize[static_cast<std::size_t>(t.members[i])]);
    }
  }
  terminals_.push_back(std::move(t));
  return ~static_cast<int>(terminals_.size() - 1);
}

// Every player's counterfactual values at a terminal. With card removal
// (pairwise: each pair of players' hands must miss each other) a player's
// values for a class are scaled by how likely each other player's hand
// misses a hand of it (their reach's miss shares) and by how likely the
// others' hands miss each other (each such pair's mean miss share, the same
// for all of the player's classes). The two hands of a pot of two already
// meet by the table's pairs, so that pair is left out; the sampled pots of
// three or more condition the other members' hands on the player's class
// (which of them), so only how likely they are is scaled.
void Solver::terminal_values(const Terminal& t, const Reach& reach, Walk mode, int payoff, double* out) {
  independent_values(t, reach, mode, payoff, out);
  if (!removal_) return;
  const auto n = static_cast<std::size_t>(n_);
  // The pot of two whose pair the table covers (none elsewhere).
  const std::size_t p = t.kind == Pot::heads_up ? static_cast<std::size_t>(t.members[0]) : n;
  const std::size_t q = t.kind == Pot::heads_up ? static_cast<std::size_t>(t.members[1]) : n;
  const auto covered = [&](std::size_t i, std::size_t j) { return (i == p && j == q) || (i == q && j == p); };
  std::array<std::array<double, kMaxSeats>, kMaxSeats> meet{};
  for (std::size_t i = 0; i < n; ++i) {
    const double mass = reach.mass[i];
    for (std::size_t j = i + 1; j < n; ++j) {
      meet[i][j] = mass > 0 ? dot(reach.vec[i], reach.miss[j]) / mass : 1.0;
      meet[j][i] = meet[i][j];
    }
  }
  // Products of the miss shares of the players before each one (prefix) and
  // after it (suffix): a player's factor leaves itself out.
  std::array<Vec, kMaxSeats + 1>& before = products_[0];
  std::array<Vec, kMaxSeats + 1>& after = products_[1];
  before[0].fill(1.0);
  after[n].fill(1.0);
  for (std::size_t j = 0; j < n; ++j) {
    for (std::size_t c = 0; c < kN; ++c) before[j + 1][c] = before[j][c] * reach.miss[j][c];
  }
  for (std::size_t j = n; j-- > 0;) {
    for (std::size_t c = 0; c < kN; ++c) after[j][c] = after[j + 1][c] * reach.miss[j][c];
  }
  for (std::size_t u = 0; u < n; ++u) {
    double others_meet = 1;
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) {
        if (i != u && j != u && !covered(i, j)) others_meet *= meet[i][j];
      }
    }
    Vec& factor = scratch_[0];
    if (u == p || u == q) {
      factor.fill(others_meet);
      for (std::size_t j = 0; j < n; ++j) {
        if (j == u || covered(u, j)) continue;
        for (std::size_t c = 0; c < kN; ++c) factor[c] *= reach.miss[j][c];
      }
    } else {
      for (std::size_t c = 0; c < kN; ++c) factor[c] = others_meet * before[u][c] * after[u + 1][c];
    }
    for (std::size_t c = 0; c < kN; ++c) out[u * kN + c] *= factor[c];
    if (mode == Walk::evaluate) {
      for (std::size_t c = 0; c < kN; ++c) out[(n + u) * kN + c] *= factor[c];
    }
  }
}

// Every player's counterfactual values at a terminal with no card removal
// but between the two hands of a pot of two: its payoff times the others'
// reach (a pot's value to a player in it depends on their class).
void Solver::independent_values(const Terminal& t, const Reach& reach, Walk mode, int payoff, double* out) {
  const auto n = static_cast<std::size_t>(n_);
  auto others = [&](std::size_t u, std::size_t v) {
    double m = 1;
    for (std::size_t j = 0; j < n; ++j) {
      if (j != u && j != v) m *= reach.mass[j];
    }
    return m;
  };
  auto fill = [&](std::size_t u, double value) {
    std::fill(out + u * kN, out + (u + 1) * kN, value);
    if (mode == Walk::evaluate) std::fill(out + (n + u) * kN, out + (n + u + 1) * kN, value);
  };
  auto copy = [&](std::size_t u) {
    if (mode == Walk::evaluate) std::copy(out + u * kN, out + (u + 1) * kN, out + (n + u) * kN);
  };
  const std::vector<double>& value = t.value[payoff];
  if (t.kind == Pot::walk) {
    for (std::size_t u = 0; u < n; ++u) fill(u, others(u, u) * value[u]);
    return;
  }
  if (t.kind == Pot::multiway) {
    for (std::size_t u = 0; u < n; ++u) fill(u, others(u, u) * t.bystander[payoff][u]);
    for (std::size_t i = 0; i < t.members.size(); ++i) {
      const auto u = static_cast<std::size_t>(t.members[i]);
      const double m = others(u, u);
      const Vec& v = t.member_value[payoff][i];
      for (std::size_t c = 0; c < kN; ++c) out[u * kN + c] = m * v[c];
      copy(u);
    }
    if (collect_) {
      auto& mutable_t = terminals_[static_cast<std::size_t>(&t - terminals_.data())];
      for (std::size_t i = 0; i < t.members.size(); ++i)
        std::copy(reach.vec[static_cast<std::size_t>(t.members[i])],
                  reach.vec[static_cast<std::size_t>(t.members[i])] + kN, mutable_t.weight[i].begin());
      std::copy(reach.mass.begin(), reach.mass.begin() + n_, mutable_t.mass.begin());
    }
    return;
  }
  const auto p = static_cast<std::size_t>(t.members[0]);
  const auto q = static_cast<std::size_t>(t.members[1]);
  double* wq = scratch_[0].data();
  double* tq = scratch_[1].data();
  double* wp = scratch_[2].data();
  double* tp = scratch_[3].data();
  double* mq = scratch_[4].data();
  double* mp = scratch_[5].data();
  product(win_, reach.vec[q], wq);
  product(tie_, reach.vec[q], tq);
  product(win_, reach.vec[p], wp);
  product(tie_, reach.vec[p], tp);
  if (removal_) {
    product(meet_, reach.vec[q], mq);
    product(meet_, reach.vec[p], mp);
  } else {
    std::fill(mq, mq + kN, reach.mass[q]);
    std::fill(mp, mp + kN, reach.mass[p]);
  }
  auto v = [&](std::size_t outcome, std::size_t u) { return value[outcome * n + u]; };
  const double rest = others(p, q);
  for (std::size_t c = 0; c < kN; ++c) {
    out[p * kN + c] = rest * (v(2, p) * mq[c] + (v(0, p) - v(2, p)) * wq[c] + (v(1, p) - v(2, p)) * tq[c]);
    out[q * kN + c] = rest * (v(0, q) * mp[c] + (v(2, q) - v(0, q)) * wp[c] + (v(1, q) - v(0, q)) * tp[c]);
  }
  copy(p);
  copy(q);
  const double first = dot(reach.vec[p], wq);
  const double tied = dot(reach.vec[p], tq);
  const double second = dot(reach.vec[p], mq) - first - tied;
  for (std::size_t u = 0; u < n; ++u) {
    if (u == p || u == q) continue;
    double m = 1;
    for (std::size_t j = 0; j < n; ++j) {
      if (j != u && j != p && j != q) m *= reach.mass[j];
    }
    fill(u, m * (v(0, u) * first + v(1, u) * tied + v(2, u) * second));
  }
}

// Writes each player's counterfactual values under the strategies (an update
// walk: current, regrets updated on the way up; an evaluating walk: average,
// with each player's best-response values after the n policy ones).
void Solver::walk(int ref, int depth, const Reach& reach, Walk mode, int payoff, double* out) {
  if (ref < 0) {
    const int terminal = ~ref;
    terminal_values(terminals_[static_cast<std::size_t>(terminal)], reach, mode, payoff, out);
    return;
  }
  const auto n = static_cast<std::size_t>(n_);
  Node& node = nodes_[static_cast<std::size_t>(ref)];
  const auto j = static_cast<std::size_t>(node.player);
  const Vec& s = mode == Walk::update ? node.strategy : node.average;
  const double* own = reach.vec[j];
  for (std::size_t c = 0; c < kN; ++c) {
    node.reach_act[c] = own[c] * s[c];
    node.reach_fold[c] = own[c] - node.reach_act[c];
  }
  const auto level = 2 * static_cast<std::size_t>(depth);
  double* a = buffers_[level].data();
  double* b = buffers_[level + 1].data();
  Reach child = reach;
  if (removal_) {
    class_miss_shares(node.reach_act.data(), node.miss_act.data());
    class_miss_shares(node.reach_fold.data(), node.miss_fold.data());
  }
  child.vec[j] = node.reach_act.data();
  child.mass[j] = mass_of(node.reach_act.data());
  child.miss[j] = node.miss_act.data();
  walk(node.act, depth + 1, child, mode, payoff, a);
  child.vec[j] = node.reach_fold.data();
  child.mass[j] = mass_of(node.reach_fold.data());
  child.miss[j] = node.miss_fold.data();
  walk(node.fold, depth + 1, child, mode, payoff, b);
  const std::size_t blocks = mode == Walk::evaluate ? 2 * n : n;
  for (std::size_t u = 0; u < blocks; ++u) {
    if (u % n == j) continue;
    for (std::size_t c = 0; c < kN; ++c) out[u * kN + c] = a[u * kN + c] + b[u * kN + c];
  }
  double* mine = out + j * kN;
  const double* act = a + j * kN;
  const double* fold = b + j * kN;
  for (std::size_t c = 0; c < kN; ++c) mine[c] = s[c] * act[c] + (1 - s[c]) * fold[c];
  if (mode == Walk::evaluate) {
    double* best = out + (n + j) * kN;
    for (std::size_t c = 0; c < kN; ++c)
      best[c] = node.forced ? a[(n + j) * kN + c] : std::max(a[(n + j) * kN + c], b[(n + j) * kN + c]);
    return;
  }
  if (node.forced) return;
  for (std::size_t c = 0; c < kN; ++c) {
    const double advantage = act[c] - fold[c];
    node.regret_act[c] = std::max(0.0, node.regret_act[c] + (1 - s[c]) * advantage);
    node.regret_fold[c] = std::max(0.0, node.regret_fold[c] - s[c] * advantage);
  }
}

Solver::Evaluation Solver::evaluate(int payoff) {
  const auto n = static_cast<std::size_t>(n_);
  Reach reach;
  for (std::size_t p = 0; p < n; ++p) {
    reach.vec[p] = prior_.data();
    reach.mass[p] = 1.0;
    reach.miss[p] = prior_miss_.data();
  }
  std::vector<double> out(2 * n * kN);
  walk(0, 0, reach, Walk::evaluate, payoff, out.data());
  Evaluation e;
  for (std::size_t u = 0; u < n; ++u) {
    const double ev = dot(prior_.data(), out.data() + u * kN);
    const double best = dot(prior_.data(), out.data() + (n + u) * kN);
    e.ev.push_back(ev);
    e.gain.push_back(std::max(0.0, best - ev));
  }
  return e;
}

void Solver::iterate(int t) {
  const auto n = static_cast<std::size_t>(n_);
  Reach reach;
  for (std::size_t p = 0; p < n; ++p) {
    reach.vec[p] = prior_.data();
    reach.mass[p] = 1.0;
    reach.miss[p] = prior_miss_.data();
  }
  std::vector<double>& out = buffers_.back();
  walk(0, 0, reach, Walk::update, query_.payouts.empty() ? kChips : kPrize, out.data());
  for (Node& node : nodes_) {
    if (node.forced) continue;
    for (std::size_t c = 0; c < kN; ++c) {
      const double sum = node.regret_act[c] + node.regret_fold[c];
      node.strategy[c] = sum > 0 ? node.regret_act[c] / sum : 0.5;
      node.sum[c] += t * node.strategy[c];
    }
  }
}

// One multiway pot's values. For each member, `deals` deals (fewer for a pot
// seldom reached) of the other members' hands from their weights and the
// board; on each, every class of the member is valued through a hand of it
// the deal leaves free, weighted by the share of the class's hands left free
// (so each class sees the others conditioned on its cards), and the
// member's own hand is drawn from its weights for the players out of the pot.
// One deal serves all 169 classes: the others' cards, the board and the
// payoffs of the few places the member can finish among the others are
// shared, and only the member's hand is valued per class.
std::int64_t Solver::sample_pot(std::size_t index, int deals, int round, OutcomeCache& cache) {
  Terminal& t = terminals_[index];
  const auto n = static_cast<std::size_t>(n_);
  const std::size_t k = t.members.size();
  std::array<ClassCdf, kMaxSeats> cdf{};
  std::array<const ClassCdf*, kMaxSeats> cdfs{};
  std::array<bool, kMaxSeats> dealt{};
  int empty = 0;
  for (std::size_t i = 0; i < k; ++i) {
    dealt[i] = make_class_cdf(t.weight[i].data(), cdf[i]);
    cdfs[i] = &cdf[i];
    empty += dealt[i] ? 0 : 1;
  }
  const double pot = std::accumulate(t.pots.amount.begin(), t.pots.amount.end(), 0.0);
  const ShowdownDealer dealer;
  cache.clear();
  std::vector<double> after(n), scratch(2 * n);
  std::vector<int> strength(n, INT_MAX);
  // Every player's payoffs (chips, then prize) when the members finish so.
  auto payoffs = [&](const int* seat_strength) -> const double* {
    for (std::size_t s = 0; s < k; ++s) strength[static_cast<std::size_t>(t.members[s])] = seat_strength[s];
    stacks_after(seats_, t.pots, strength.data(), after.data());
    bool fresh = false;
    double* values = cache.find(after.data(), fresh);
    if (values == nullptr) values = scratch.data(), fresh = true;
    if (fresh) values_of(after.data(), values, values + n);
    return values;
  };
  std::int64_t dealt_count = 0;
  const bool icm = !query_.payouts.empty();
  const auto w = static_cast<double>(round);
  for (std::size_t i = 0; i < k; ++i) {
    // A member's values count only while every other member reaches the pot.
    if (empty > (dealt[i] ? 0 : 1)) continue;
    double others = 1;
    for (std::size_t j = 0; j < n; ++j) {
      if (static_cast<int>(j) != t.members[i]) others *= t.mass[j];
    }
    if (others < kUnlikely) continue;  // a pot this unlikely keeps its tie values
    const int count = std::max(8, others >= 1e-3 ? deals : (others >= 1e-5 ? deals / 4 : deals / 16));
    const auto u = static_cast<std::size_t>(t.members[i]);
    const std::uint64_t stream = (static_cast<std::uint64_t>(round) * 4096 + index) * 16 + i + 1;
    ShowdownRng rng(query_.seed ^ (0x9e3779b97f4a7c15ULL * stream));
    // Per class: the samples' weights, their squares, the weighted payoffs and chip squares.
    Vec weights{}, weight_squares{}, chips{}, prize{}, chip_squares{};
    std::vector<double> bystander(2 * n, 0.0);
    int bystander_deals = 0;
    int seat_strength[kMaxSeats];
    int board[5];
    CardMask used = 0;
    ShowdownDealer::ClassStrengths classes;
    for (int d = 0; d < count; ++d) {
      if (!dealer.deal_around(rng, static_cast<int>(k), static_cast<int>(i), cdfs.data(), seat_strength, board, used))
        break;  // the others' ranges cannot be dealt together: the values stay as they are
      ++dealt_count;
      // The member's place among the others decides its payoff: where its
      // strength falls in their sorted strengths, level with one or not.
      std::array<int, kMaxSeats> sorted{};
      std::size_t m = 0;
      for (std::size_t s = 0; s < k; ++s) {
        if (s == i) continue;
        std::size_t at = m++;  // insertion: at most nine
        for (; at > 0 && sorted[at - 1] > seat_strength[s]; --at) sorted[at] = sorted[at - 1];
        sorted[at] = seat_strength[s];
      }
      std::array<double, 2 * kMaxSeats + 1> place_chips{}, place_prize{};
      std::array<bool, 2 * kMaxSeats + 1> known{};
      dealer.value_classes(rng, used, board, classes);
      for (std::size_t c = 0; c < kN; ++c) {
        const int free = classes.free[c];
        if (free == 0) continue;
        const int mine = classes.strength[c];
        std::size_t below = 0, level = 0;
        for (std::size_t x = 0; x < m; ++x) {
          below += sorted[x] < mine ? 1 : 0;
          level |= sorted[x] == mine ? 1 : 0;
        }
        const std::size_t place = 2 * below + level;
        if (!known[place]) {
          seat_strength[i] = mine;
          const double* values = payoffs(seat_strength);
          place_chips[place] = values[u];
          place_prize[place] = values[n + u];
          known[place] = true;
        }
        const double weight = free / static_cast<double>(dealer.hands(static_cast<int>(c)));
        weights[c] += weight;
        weight_squares[c] += weight * weight;
        chips[c] += weight * place_chips[place];
        prize[c] += weight * place_prize[place];
        chip_squares[c] += weight * place_chips[place] * place_chips[place];
      }
      if (i == 0) {
        // The member's own hand from its weights, given the cards out.
        for (int attempt = 0; attempt < 64; ++attempt) {
          const auto cls = static_cast<int>(std::min<std::ptrdiff_t>(
              std::upper_bound(cdf[0].begin(), cdf[0].end(), rng.uniform()) - cdf[0].begin(), kClasses - 1));
          int a = 0, b = 0;
          const int free = dealer.free_hand(rng, cls, used, a, b);
          // Accept a free hand with the chance of its class's free share, so
          // every free hand is as likely as its weight makes it.
          if (free == 0 || rng.uniform() * dealer.hands(cls) >= free) continue;
          seat_strength[i] = strength_on_board(a, b, board, board_key_sum(board));
          const double* values = payoffs(seat_strength);
          for (std::size_t x = 0; x < 2 * n; ++x) bystander[x] += values[x];
          ++bystander_deals;
          break;
        }
      }
    }
    const double lose_chips = [&] {
      for (std::size_t s = 0; s < k; ++s) seat_strength[s] = s == i ? 1 : 0;
      return payoffs(seat_strength)[u];
    }();
    const double lose_prize = payoffs(seat_strength)[n + u];
    for (std::size_t c = 0; c < kN; ++c) {
      t.sum_value[kChips][i][c] += w * chips[c];
      t.sum_value[kPrize][i][c] += w * prize[c];
      t.sum_square[i][c] += w * chip_squares[c];
      t.sum_weight[i][c] += w * weights[c];
      t.sum_weight2[i][c] += w * w * weight_squares[c];
      const double weight = t.sum_weight[i][c];
      if (!(weight > 0)) {
        // The others' hands always hold this class's cards: it never gets here, valued as lost.
        t.member_value[kChips][i][c] = lose_chips;
        t.member_value[kPrize][i][c] = icm ? lose_prize : lose_chips;
        t.member_error[i][c] = 0;
        continue;
      }
      const double mean = t.sum_value[kChips][i][c] / weight;
      t.member_value[kChips][i][c] = mean;
      t.member_value[kPrize][i][c] = icm ? t.sum_value[kPrize][i][c] / weight : mean;
      const double variance = std::max(0.0, t.sum_square[i][c] / weight - mean * mean);
      t.member_error[i][c] = std::sqrt(variance * t.sum_weight2[i][c]) / weight / pot;
    }
    if (i == 0 && bystander_deals > 0) {
      t.bystander_weight += round;
      for (std::size_t p = 0; p < n; ++p) {
        t.sum_bystander[kChips][p] += round * bystander[p] / bystander_deals;
        t.sum_bystander[kPrize][p] += round * bystander[n + p] / bystander_deals;
        t.bystander[kChips][p] = t.sum_bystander[kChips][p] / t.bystander_weight;
        t.bystander[kPrize][p] = icm ? t.sum_bystander[kPrize][p] / t.bystander_weight : t.bystander[kChips][p];
      }
    }
  }
  return dealt_count;
}

// The multiway pots' values from the average strategies, the pots split
// between threads (each pot's seeds fixed, so the thread count changes nothing).
void Solver::refresh(int deals) {
  ++rounds_;
  collect_ = true;
  evaluate(kChips);
  collect_ = false;
  std::vector<std::size_t> pots;
  for (std::size_t i = 0; i < terminals_.size(); ++i) {
    if (terminals_[i].kind == Pot::multiway) pots.push_back(i);
  }
  const auto threads = static_cast<std::size_t>(std::clamp(query_.threads, 1, 64));
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::atomic<std::int64_t> dealt{0};
  auto work = [&] {
    try {
      OutcomeCache cache(static_cast<std::size_t>(n_));
      for (std::size_t i = next++; i < pots.size() && Clock::now() < deadline_; i = next++)
        dealt += sample_pot(pots[i], deals, rounds_, cache);
    } catch (...) {
      failed = true;
    }
  };
  if (threads == 1 || pots.size() < 2) {
    work();
  } else {
    std::vector<std::thread> pool;
    for (std::size_t w = 1; w < threads; ++w) pool.emplace_back(work);
    work();
    for (auto& th : pool) th.join();
  }
  deals_done_ = dealt;
  if (failed) throw std::bad_alloc();
}

PushFoldOutcome Solver::run() {
  const auto start = Clock::now();
  PushFoldOutcome out;
  const double bound = query_.max_seconds > 0 ? std::min(query_.max_seconds, 1e9) : kDefaultMaxSeconds;
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(bound));
  deadline_ = deadline;  // a refresh stops sampling there
  out.icm = !query_.payouts.empty();
  const double pool = std::accumulate(query_.payouts.begin(), query_.payouts.end(), 0.0);
  const double target =
      query_.target_exploitability > 0 ? query_.target_exploitability : (out.icm ? 1e-5 * pool : 1e-3);
  const int payoff = out.icm ? kPrize : kChips;
  const int most = query_.multiway_deals > 0 ? query_.multiway_deals : kMultiwayDeals;
  int deals = std::min(64, most);
  refresh(deals);
  bool fresh = true;
  int t = 0;
  int next_refresh = 32;
  double weight_sum = 0;
  Evaluation e;
  for (;;) {
    e = evaluate(payoff);
    const double gap = std::accumulate(e.gain.begin(), e.gain.end(), 0.0);
    if (gap <= target) {
      if (fresh && deals == most) break;
      deals = most;  // measured against estimates of older ranges: measure again on the current ones
      refresh(deals);
      fresh = true;
      continue;
    }
    if (t >= query_.max_iterations || Clock::now() > deadline) break;
    for (int step = 0; step < 16 && t < query_.max_iterations; ++step) {
      iterate(++t);
      weight_sum += t;
    }
    for (Node& node : nodes_) {
      if (!node.forced) {
        for (std::size_t c = 0; c < kN; ++c) node.average[c] = node.sum[c] / weight_sum;
      }
    }
    fresh = false;
    if (t >= next_refresh) {
      deals = std::min(2 * deals, most);
      refresh(deals);
      fresh = true;
      next_refresh = t + std::clamp(t / 2, 32, 256);
    }
    if (query_.progress != nullptr) {
      const double share = std::clamp(std::log(gap) / std::log(target), 0.0, 0.99);
      if (query_.progress(share, query_.progress_user)) {
        out.status = IcmStatus::cancelled;
        out.error = "cancelled";
        return out;
      }
    }
  }
  if (!fresh && Clock::now() < deadline) {
    deals = most;
    refresh(deals);
    e = evaluate(payoff);
  }
  out.iterations = t;
  out.best_response_gain = e.gain;
  out.exploitability = std::accumulate(e.gain.begin(), e.gain.end(), 0.0);
  out.ev_chips = out.icm ? evaluate(kChips).ev : e.ev;
  if (out.icm) out.ev_prize = e.ev;
  out.multiway_deals = deals_done_;
  for (const Terminal& term : terminals_) {
    if (term.kind != Pot::multiway) continue;
    const double reached = std::accumulate(term.mass.begin(), term.mass.end(), 1.0, std::multiplies<>());
    if (reached < 1e-4) continue;
    for (std::size_t i = 0; i < term.members.size(); ++i) {
      double weight = 0, squares = 0;
      for (std::size_t c = 0; c < kN; ++c) {
        weight += term.weight[i][c];
        squares += term.weight[i][c] * term.member_error[i][c] * term.member_error[i][c];
      }
      if (weight > 0) out.multiway_std_error = std::max(out.multiway_std_error, std::sqrt(squares / weight));
    }
  }
  // First actions in the order of play, then the answers to each push.
  for (int pass = 0; pass < 2; ++pass) {
    for (const Node& node : nodes_) {
      if ((node.pusher < 0) != (pass == 0)) continue;
      PushFoldSpot spot{node.player, node.pusher, node.callers, node.average, 0};
      double combos = 0;
      for (std::size_t c = 0; c < kN; ++c) combos += spot.strategy[c] * class_combos(static_cast<int>(c));
      spot.share = combos / kHands;
      out.spots.push_back(spot);
    }
  }
  out.status = out.exploitability <= target ? IcmStatus::ok : IcmStatus::target_not_met;
  out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return out;
}

}  // namespace

PushFoldOutcome solve_multiway_push_fold(const PushFoldQuery& query) {
  Solver solver(query);
  return solver.run();
}

}  // namespace oddsmith::tournament
