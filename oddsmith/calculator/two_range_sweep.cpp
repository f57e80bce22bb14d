// The two-range sweep: two Hold'em (or short-deck) ranges on every board (board_walk.h; the
// smallest board of each suit orbit, counted for all of it) without visiting
// every pair of hands. With both ranges' hands sorted from weakest to strongest,
// the weight of second-player hands weaker than (or equal to) a first-player
// hand and sharing no card with it is the total so far, less what holds either
// of its cards, plus what holds both (the hand with the same two cards), by
// inclusion and exclusion.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <vector>

#include "calculator/internal/board_walk.h"
#include "calculator/internal/sweeps.h"

namespace oddsmith::calc {

namespace {

constexpr int kNoValue = INT_MAX;  // a hand that shares a card with the board

template <Game G>
class TwoRangeBoards {
 public:
  TwoRangeBoards(const PreparedQuery& q, const SuitSymmetry& symmetry, const std::vector<int>& twin, SweepTally& out,
                 bool per_hand)
      : first_(q.hands[0]), second_(q.hands[1]), symmetry_(symmetry), twin_(twin), out_(out),
        first_values_(first_.size()), second_values_(second_.size()) {
    if (per_hand) out_.first_hands.assign(first_.size(), HandTally{});
    for (const RangeHand& h : first_) first_keys_.push_back(Evaluator<G>::hand_key(h));
    for (const RangeHand& h : second_) second_keys_.push_back(Evaluator<G>::hand_key(h));
    order_.reserve(first_.size() + second_.size());
  }

  void value_board(const BoardKeys& board, CardMask board_mask) {
    const int orbit = symmetry_.orbit_size(&board_mask, 1);
    if (orbit == 0) return;
    order_.clear();
    value_range(first_, first_keys_, board, board_mask, 0, first_values_);
    value_range(second_, second_keys_, board, board_mask, 1, second_values_);
    std::sort(order_.begin(), order_.end(), [](const Entry& a, const Entry& b) { return a.value > b.value; });
    sweep(orbit);
  }

 private:
  struct Entry {
    int value;
    int player;
    int index;
  };

  void value_range(std::span<const RangeHand> hands, const std::vector<BoardKeys>& keys, const BoardKeys& board,
                   CardMask board_mask, int player, std::vector<int>& values) {
    for (std::size_t i = 0; i < hands.size(); ++i) {
      values[i] = hands[i].mask & board_mask ? kNoValue : Evaluator<G>::value(board, keys[i]).high;
      if (values[i] != kNoValue) order_.push_back({values[i], player, static_cast<int>(i)});
    }
  }

  // The sorted sweep on one board standing for `orbit` boards.
  void sweep(int orbit) {
    // Weakest-first totals of second-player hands: all of them, and per card.
    double weaker = 0, equal = 0, weaker_count = 0, equal_count = 0;
    std::array<double, kDeckSize> weaker_by_card{}, equal_by_card{}, weaker_count_by_card{};
    double wins = 0, ties = 0;
    for (std::size_t k = 0; k < order_.size();) {
      std::size_t end = k;
      while (end < order_.size() && order_[end].value == order_[k].value) ++end;
      // The group's second-player hands count as equal to its first-player hands.
      for (std::size_t g = k; g < end; ++g) {
        if (order_[g].player != 1) continue;
        const RangeHand& h = second_[static_cast<std::size_t>(order_[g].index)];
        equal += h.weight;
        equal_count += 1;
        for (int c = 0; c < 2; ++c) equal_by_card[h.cards[static_cast<std::size_t>(c)]] += h.weight;
      }
      for (std::size_t g = k; g < end; ++g) {
        if (order_[g].player != 0) continue;
        const std::size_t i = static_cast<std::size_t>(order_[g].index);
        const RangeHand& h = first_[i];
        const std::size_t a = h.cards[0], b = h.cards[1];
        double beaten = weaker - weaker_by_card[a] - weaker_by_card[b];
        double tied = equal - equal_by_card[a] - equal_by_card[b];
        if (const int t = twin_[i]; t >= 0 && second_values_[static_cast<std::size_t>(t)] != kNoValue) {
          // The same two cards were taken off twice: add them back once.
          const int v = second_values_[static_cast<std::size_t>(t)];
          if (v > order_[g].value) beaten += second_[static_cast<std::size_t>(t)].weight;
          if (v == order_[g].value) tied += second_[static_cast<std::size_t>(t)].weight;
        }
        wins += h.weight * beaten;
        ties += h.weight * tied;
        if (!out_.first_hands.empty()) {
          out_.first_hands[i].win += static_cast<double>(orbit) * beaten;
          out_.first_hands[i].tie += static_cast<double>(orbit) * tied;
        }
      }
      // The group joins the weaker hands of the groups after it.
      weaker += equal;
      weaker_count += equal_count;
      for (std::size_t g = k; g < end; ++g) {
        if (order_[g].player != 1) continue;
        const RangeHand& h = second_[static_cast<std::size_t>(order_[g].index)];
        for (int c = 0; c < 2; ++c) {
          const std::size_t card = h.cards[static_cast<std::size_t>(c)];
          weaker_by_card[card] += equal_by_card[card];
          equal_by_card[card] = 0;
        }
      }
      equal = equal_count = 0;
      k = end;
    }
    // Every disjoint pair, by weight and by number, for the losses and the deal count.
    for (const Entry& e : order_) {
      if (e.player != 1) continue;
      const RangeHand& h = second_[static_cast<std::size_t>(e.index)];
      for (int c = 0; c < 2; ++c) weaker_count_by_card[h.cards[static_cast<std::size_t>(c)]] += 1;
    }
    double total = 0, pairs = 0;
    for (const Entry& e : order_) {
      if (e.player != 0) continue;
      const std::size_t i = static_cast<std::size_t>(e.index);
      const RangeHand& h = first_[i];
      const std::size_t a = h.cards[0], b = h.cards[1];
      double w = weaker - weaker_by_card[a] - weaker_by_card[b];
      double n = weaker_count - weaker_count_by_card[a] - weaker_count_by_card[b];
      if (const int t = twin_[i]; t >= 0 && second_values_[static_cast<std::size_t>(t)] != kNoValue) {
        w += second_[static_cast<std::size_t>(t)].weight;
        n += 1;
      }
      total += h.weight * w;
      pairs += n;
      if (!out_.first_hands.empty()) out_.first_hands[i].weight += static_cast<double>(orbit) * w;
    }
    const double boards = orbit, losses = total - wins - ties;
    Tally* t = out_.players.data();
    t[0].equity += boards * (wins + 0.5 * ties);
    t[1].equity += boards * (losses + 0.5 * ties);
    t[0].win += boards * wins;
    t[1].win += boards * losses;
    t[0].tie += boards * ties;
    t[1].tie += boards * ties;
    out_.weight += boards * total;
    out_.deals += std::llround(pairs) * orbit;
  }

  const std::span<const RangeHand> first_;
  const std::span<const RangeHand> second_;
  const SuitSymmetry& symmetry_;
  const std::vector<int>& twin_;
  SweepTally& out_;
  std::vector<BoardKeys> first_keys_, second_keys_;
  std::vector<int> first_values_, second_values_;  // on the board being valued
  std::vector<Entry> order_;  // both ranges' hands on the board, strongest last once sorted
};

}  // namespace

SweepResult run_two_range_sweep(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressFn progress, void* user,
                                bool per_hand) {
  // Per first-player hand: the second player's hand with the same two cards, or -1.
  std::vector<int> twin(q.hands[0].size(), -1);
  {
    std::array<std::vector<int>, kDeckSize> second_by_low_card;
    for (std::size_t j = 0; j < q.hands[1].size(); ++j) second_by_low_card[q.hands[1][j].cards[0]].push_back(static_cast<int>(j));
    for (std::size_t i = 0; i < q.hands[0].size(); ++i)
      for (int j : second_by_low_card[q.hands[0][i].cards[0]])
        if (q.hands[1][static_cast<std::size_t>(j)].mask == q.hands[0][i].mask) twin[i] = j;
  }
  const std::int64_t boards = boards_to_walk(q);
  auto run = [&](auto game) {
    constexpr Game G = game();
    return run_in_chunk_order(
        q.players, static_cast<std::size_t>(plan.chunks), budget.threads, budget.deadline,
        [&](std::size_t chunk, SweepTally& out, const ChunkPoll& poll) {
          TwoRangeBoards<G> sweep(q, plan.symmetry, twin, out, per_hand);
          const std::int64_t first = static_cast<std::int64_t>(chunk) * plan.boards_per_chunk;
          walk_boards<G>(q, first, std::min(boards, first + plan.boards_per_chunk), poll,
                         [&](const int*, const BoardKeys& keys, CardMask mask) INLINE_VISIT { sweep.value_board(keys, mask); });
          return true;
        },
        progress, user);
  };
  return with_seven_card_game(q.game, run);
}

}  // namespace oddsmith::calc
