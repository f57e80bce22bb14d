// The board sweep: every completion of the board (board_walk.h), every player's
// hands valued on it once, then every assignment of hands with no card twice,
// weighted by the product of their weights. Chunks are ranges of boards; where
// one board's assignments alone outlast a chunk, each chunk takes a slice of
// the first player's hands on its boards.
#include <array>
#include <climits>
#include <vector>

#include "calculator/internal/board_walk.h"
#include "calculator/internal/sweeps.h"

namespace oddsmith::calc {

namespace {

constexpr int kNoValue = INT_MAX;  // a hand that shares a card with the board

// Two known hands: a board adds one to one of three counters (first wins,
// second wins, split), weighed into the tally once at the end of the chunk.
template <Game G>
class TwoKnownHands {
 public:
  TwoKnownHands(const HandKeys<G>& keys, double weight) : first_(keys.of[0][0]), second_(keys.of[1][0]), weight_(weight) {}

  [[gnu::always_inline]] void value_board(const int* board, const typename Evaluator<G>::Partial& partial) {
    const auto prepared = Evaluator<G>::finish(partial, board);
    const int a = Evaluator<G>::value(prepared, first_).high, b = Evaluator<G>::value(prepared, second_).high;
    ++outcomes_[a < b ? 0 : a > b ? 1 : 2];
  }

  void add_counts_to(SweepTally& out) const {
    const auto [first, second, split] = outcomes_;
    const double w = weight_, half = 0.5 * static_cast<double>(split), quarter = 0.25 * static_cast<double>(split);
    Tally* t = out.players.data();
    t[0].equity += w * (static_cast<double>(first) + half);
    t[0].equity_squared += w * (static_cast<double>(first) + quarter);
    t[1].equity += w * (static_cast<double>(second) + half);
    t[1].equity_squared += w * (static_cast<double>(second) + quarter);
    t[0].win += w * static_cast<double>(first);
    t[1].win += w * static_cast<double>(second);
    t[0].tie += w * static_cast<double>(split);
    t[1].tie += w * static_cast<double>(split);
    const std::int64_t deals = first + second + split;
    out.weight += w * static_cast<double>(deals);
    out.deals += deals;
  }

 private:
  const typename Evaluator<G>::HandKey& first_;
  const typename Evaluator<G>::HandKey& second_;
  double weight_;
  std::array<std::int64_t, 3> outcomes_{};
};

// One known hand per player (more than two, or Hi/Lo): each board settled as it comes.
template <Game G>
class KnownHands {
 public:
  KnownHands(const PreparedQuery& q, const HandKeys<G>& keys, double weight, SweepTally& out)
      : q_(q), keys_(keys), weight_(weight), out_(out) {}

  [[gnu::always_inline]] void value_board(const int* board, const typename Evaluator<G>::Partial& partial) {
    const auto prepared = Evaluator<G>::finish(partial, board);
    for (int p = 0; p < q_.players; ++p)
      values_[static_cast<std::size_t>(p)] = Evaluator<G>::value(prepared, keys_.of[static_cast<std::size_t>(p)][0]);
    settle<G>(values_.data(), q_.players, weight_, out_.players.data());
    out_.weight += weight_;
    ++out_.deals;
  }

 private:
  const PreparedQuery& q_;
  const HandKeys<G>& keys_;
  double weight_;
  SweepTally& out_;
  std::array<HandValue, kMaxPlayers> values_{};  // set anew for every board
};

// One range against known hands (not Hi/Lo): on each board (the smallest of
// its suit orbit, counted for all of it) the known hands' best value is found
// once, and each hand of the range is only compared with it, its weight added
// to what beats, ties or loses to it; the pot is shared out once per board.
template <Game G>
class OneRange {
 public:
  OneRange(const PreparedQuery& q, const HandKeys<G>& keys, const SuitSymmetry& symmetry, SweepTally& out)
      : q_(q), keys_(keys), symmetry_(symmetry), out_(out) {
    for (std::size_t p = 0; p < q.hands.size(); ++p) {
      if (q.hands[p].size() > 1) range_ = p;
      else known_weight_ *= q.hands[p][0].weight;
    }
  }

  void value_board(const int* board, const typename Evaluator<G>::Partial& partial, CardMask board_mask) {
    const int orbit = symmetry_.orbit_size(&board_mask, 1);
    if (orbit == 0) return;
    const auto prepared = Evaluator<G>::finish(partial, board);
    int best = kWorstHandValue + 1;
    for (std::size_t p = 0; p < q_.hands.size(); ++p) {
      if (p == range_) continue;
      known_value_[p] = Evaluator<G>::value(prepared, keys_.of[p][0]).high;
      best = std::min(best, known_value_[p]);
    }
    const std::span<const RangeHand> hands = q_.hands[range_];
    const auto& keys = keys_.of[range_];
    double beats = 0, ties = 0, loses = 0;
    std::int64_t count = 0;
    for (std::size_t i = 0; i < hands.size(); ++i) {
      if (hands[i].mask & board_mask) continue;
      const int v = Evaluator<G>::value(prepared, keys[i]).high;
      const double w = hands[i].weight;
      beats += v < best ? w : 0.0;  // selects, not branches: the outcome is random
      ties += v == best ? w : 0.0;
      loses += v > best ? w : 0.0;
      ++count;
    }
    std::size_t holders = 0;  // known hands holding the best value
    for (std::size_t p = 0; p < q_.hands.size(); ++p) holders += p != range_ && known_value_[p] == best;
    const double boards = orbit * known_weight_;
    Tally* t = out_.players.data();
    t[range_].equity += boards * (beats + ties * kInverse[holders + 1]);
    t[range_].win += boards * beats;
    t[range_].tie += boards * ties;
    for (std::size_t p = 0; p < q_.hands.size(); ++p) {
      if (p == range_ || known_value_[p] != best) continue;
      t[p].equity += boards * (loses * kInverse[holders] + ties * kInverse[holders + 1]);
      (holders == 1 ? t[p].win : t[p].tie) += boards * loses;
      t[p].tie += boards * ties;
    }
    out_.weight += boards * (beats + ties + loses);
    out_.deals += count * orbit;
  }

 private:
  const PreparedQuery& q_;
  const HandKeys<G>& keys_;
  const SuitSymmetry& symmetry_;
  SweepTally& out_;
  std::size_t range_ = 0;     // the player with a range
  double known_weight_ = 1;   // the known hands' weights' product
  std::array<int, kMaxPlayers> known_value_{};  // on the board being valued
};

// Ranges: on each board (the smallest of its suit orbit, counted for all of
// it), every hand valued, then the assignments of player 1's hands in
// [first_hand, end_hand) with every hand of the others.
template <Game G>
class RangeAssignments {
 public:
  RangeAssignments(const PreparedQuery& q, const HandKeys<G>& keys, const SuitSymmetry& symmetry, std::size_t first_hand,
                   std::size_t end_hand, SweepTally& out)
      : q_(q), keys_(keys), symmetry_(symmetry), first_hand_(first_hand), end_hand_(end_hand), out_(out),
        values_(q.hands.size()) {
    for (std::size_t p = 0; p < q.hands.size(); ++p) values_[p].resize(q.hands[p].size());
  }

  void value_board(const int* board, const typename Evaluator<G>::Partial& partial, CardMask board_mask) {
    orbit_ = symmetry_.orbit_size(&board_mask, 1);
    if (orbit_ == 0) return;
    const auto prepared = Evaluator<G>::finish(partial, board);
    for (std::size_t p = 0; p < q_.hands.size(); ++p) {
      const std::span<const RangeHand> hands = q_.hands[p];
      const std::size_t from = p == 0 ? first_hand_ : 0, to = p == 0 ? end_hand_ : hands.size();
      for (std::size_t i = from; i < to; ++i)
        values_[p][i] = hands[i].mask & board_mask ? HandValue{kNoValue, kNoLow} : Evaluator<G>::value(prepared, keys_.of[p][i]);
    }
    assign(0, board_mask, static_cast<double>(orbit_));
  }

 private:
  void assign(int p, CardMask used, double weight) {
    if (p == q_.players) {
      settle<G>(chosen_.data(), p, weight, out_.players.data());
      out_.weight += weight;
      out_.deals += orbit_;
      return;
    }
    const std::span<const RangeHand> hands = q_.hands[static_cast<std::size_t>(p)];
    const std::vector<HandValue>& values = values_[static_cast<std::size_t>(p)];
    const std::size_t from = p == 0 ? first_hand_ : 0, to = p == 0 ? end_hand_ : hands.size();
    for (std::size_t i = from; i < to; ++i) {
      if (values[i].high == kNoValue || (hands[i].mask & used)) continue;
      chosen_[static_cast<std::size_t>(p)] = values[i];
      assign(p + 1, used | hands[i].mask, weight * hands[i].weight);
    }
  }

  const PreparedQuery& q_;
  const HandKeys<G>& keys_;
  const SuitSymmetry& symmetry_;
  std::size_t first_hand_, end_hand_;
  SweepTally& out_;
  int orbit_ = 1;  // boards the board being valued stands for
  std::vector<std::vector<HandValue>> values_;  // [player][hand] on the board being valued
  std::array<HandValue, kMaxPlayers> chosen_{};
};

template <Game G>
SweepResult run_board_sweep_game(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressFn progress, void* user) {
  const HandKeys<G> keys(q.hands);
  bool all_known = true;
  double known_weight = 1;
  for (const auto& h : q.hands) {
    all_known = all_known && h.size() == 1;
    known_weight *= h[0].weight;
  }
  const bool count_outcomes = all_known && q.players == 2 && !is_hilo(G);
  const bool one_range = one_range_against_known_hands(q);
  const std::int64_t boards = boards_to_walk(q);
  const std::size_t slices = static_cast<std::size_t>(plan.hand_slices);
  const std::size_t first_hands = q.hands[0].size();
  return run_in_chunk_order(
      q.players, static_cast<std::size_t>(plan.chunks), budget.threads, budget.deadline,
      [&](std::size_t chunk, SweepTally& out, const ChunkPoll& poll) {
        const std::int64_t board_chunk = static_cast<std::int64_t>(chunk / slices);
        const std::size_t slice = chunk % slices;
        const std::int64_t first = board_chunk * plan.boards_per_chunk;
        const std::int64_t last = std::min(boards, first + plan.boards_per_chunk);
        if (count_outcomes) {
          TwoKnownHands<G> heads_up(keys, known_weight);
          walk_boards<G>(q, first, last, poll, [&](const int* board, const auto& partial, CardMask) INLINE_VISIT { heads_up.value_board(board, partial); });
          heads_up.add_counts_to(out);
        } else if (all_known) {
          KnownHands<G> known(q, keys, known_weight, out);
          walk_boards<G>(q, first, last, poll, [&](const int* board, const auto& partial, CardMask) INLINE_VISIT {
            known.value_board(board, partial);
          });
        } else if (one_range) {
          OneRange<G> range(q, keys, plan.symmetry, out);
          walk_boards<G>(q, first, last, poll, [&](const int* board, const auto& partial, CardMask mask) INLINE_VISIT {
            range.value_board(board, partial, mask);
          });
        } else {
          RangeAssignments<G> ranges(q, keys, plan.symmetry, first_hands * slice / slices, first_hands * (slice + 1) / slices, out);
          walk_boards<G>(q, first, last, poll, [&](const int* board, const auto& partial, CardMask mask) INLINE_VISIT { ranges.value_board(board, partial, mask); });
        }
        return true;
      },
      progress, user);
}

}  // namespace

SweepResult run_board_sweep(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressFn progress, void* user) {
  return with_game(q.game, [&](auto g) { return run_board_sweep_game<g()>(q, plan, budget, progress, user); });
}

}  // namespace oddsmith::calc
