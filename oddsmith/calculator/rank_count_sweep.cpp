// Exact Hold'em equity when every player holds one known hand, without visiting
// every board. Without a flush a hand's value depends only on the ranks on the
// board, so the boards are first counted by the ranks they add: each multiset
// of ranks is valued once and counts for every way of dealing it (the product
// of C(cards left of a rank, times it is dealt)). A flush needs three board
// cards of one suit (five minus the most that any hand holds of it), and no
// board holds three cards of two suits; those boards alone are then visited
// one by one, each taking back its rank-only outcome and adding its true one.
// Preflop heads-up that is 6,188 rank multisets and about 160,000 boards instead
// of 1,712,304.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "calculator/sweep.h"

namespace oddsmith::calc {

namespace {

// Deals won alone (k = 1) or shared among k players, per player, counted as
// whole numbers so that taking an outcome back is exact.
class OutcomeCounts {
 public:
  explicit OutcomeCounts(int players) : players_(players), shares_(static_cast<std::size_t>(players)) {}

  // Adds `count` deals (negative: takes them back) on which the players' hands
  // have values `v` (lower is stronger).
  void add(const int* v, std::int64_t count) {
    int best = v[0];
    for (int p = 1; p < players_; ++p) best = std::min(best, v[p]);
    int winners = 0;
    for (int p = 0; p < players_; ++p) winners += v[p] == best;
    for (int p = 0; p < players_; ++p)
      if (v[p] == best) shares_[static_cast<std::size_t>(p)][static_cast<std::size_t>(winners)] += count;
  }

  // The tally of `deals` deals, each of weight `weight`.
  SweepTally tally(std::int64_t deals, double weight) const {
    SweepTally out;
    out.players.resize(static_cast<std::size_t>(players_));
    for (std::size_t p = 0; p < out.players.size(); ++p) {
      Tally& t = out.players[p];
      for (std::size_t k = 1; k < shares_[p].size(); ++k) {
        const double n = static_cast<double>(shares_[p][k]);
        t.equity += weight * n * kInverse[k];
        t.equity_squared += weight * n * kInverse[k] * kInverse[k];
        (k == 1 ? t.win : t.tie) += weight * n;
      }
    }
    out.weight = weight * static_cast<double>(deals);
    out.deals = deals;
    return out;
  }

 private:
  int players_;
  std::vector<std::array<std::int64_t, kMaxPlayers + 1>> shares_;
};

constexpr std::uint64_t kRankDigits = 0xffffffffu;  // the rank-count part of a card key

std::int64_t choose(int n, int k) {
  if (k < 0 || k > n) return 0;
  std::int64_t c = 1;
  for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
  return c;
}

int rank_only_value(std::uint64_t key_sum) {
  return osm_unsuited7_value[detail::count_hash(key_sum, osm_count_hash_low7)];
}

class RankCountSweep {
 public:
  explicit RankCountSweep(const PreparedQuery& q) : q_(q), counts_(q.players), left_(5 - q.known) {
    BoardKeys known{0, 0};
    for (int i = 0; i < q.known; ++i) known = add_card(known, q.board[i]);
    for (const std::vector<RangeHand>& hands : q.hands) {
      const RangeHand& h = hands[0];
      hands_.push_back(add_card(add_card(known, h.cards[0]), h.cards[1]));
    }
    for (int card : q.deck) ++rank_left_[static_cast<std::size_t>(card_rank(card))];
  }

  SweepTally run() {
    count_rank_multisets(0, left_, 1, 0);
    for (int suit = 0; suit < kSuitCount; ++suit) correct_flushes(suit);
    double weight = 1;
    for (const std::vector<RangeHand>& hands : q_.hands) weight *= hands[0].weight;
    return counts_.tally(choose(static_cast<int>(q_.deck.size()), left_), weight);
  }

 private:
  // Every multiset of `left` more ranks from `rank` up, `ways` the deals of the
  // ranks chosen so far and `keys` their rank counts.
  void count_rank_multisets(int rank, int left, std::int64_t ways, std::uint64_t keys) {
    if (left == 0) {
      for (std::size_t p = 0; p < hands_.size(); ++p) values_[p] = rank_only_value(hands_[p].key_sum + keys);
      counts_.add(values_.data(), ways);
      return;
    }
    if (rank == kRankCount) return;
    const int cards = rank_left_[static_cast<std::size_t>(rank)];
    const std::uint64_t key = osm_card_key[make_card(rank, 0)] & kRankDigits;
    for (int n = 0; n <= std::min(cards, left); ++n)
      count_rank_multisets(rank + 1, left - n, ways * choose(cards, n), keys + key * static_cast<std::uint64_t>(n));
  }

  // The boards on which someone may hold a flush in `suit`: at least `need`
  // suited cards among the board, where need is 5 less the most suited cards of
  // one hand, and never below 3.
  void correct_flushes(int suit) {
    int most = 0, on_board = 0;
    for (const std::vector<RangeHand>& hands : q_.hands)
      most = std::max(most, int{card_suit(hands[0].cards[0]) == suit} + int{card_suit(hands[0].cards[1]) == suit});
    for (int i = 0; i < q_.known; ++i) on_board += card_suit(q_.board[i]) == suit;
    const int need = std::max(3, 5 - most);
    suited_.clear();
    others_.clear();
    for (int card : q_.deck) (card_suit(card) == suit ? suited_ : others_).push_back(card);
    for (int k = std::max(0, need - on_board); k <= std::min(left_, static_cast<int>(suited_.size())); ++k)
      pick(suited_, 0, k, {0, 0}, [&](const BoardKeys& with_suited) {
        pick(others_, 0, left_ - k, with_suited, [&](const BoardKeys& board) { correct_board(board); });
      });
  }

  // Calls `then` with `keys` plus those of each choice of `count` cards of
  // `cards` from index `from` on.
  template <class Then>
  static void pick(const std::vector<int>& cards, std::size_t from, int count, const BoardKeys& keys, Then&& then) {
    if (count == 0) return then(keys);
    for (std::size_t i = from; i + static_cast<std::size_t>(count) <= cards.size(); ++i)
      pick(cards, i + 1, count - 1, add_card(keys, cards[i]), then);
  }

  // One board of the flush boards (`board` holds the added cards' keys):
  // its rank-only outcome, counted by the first pass, is replaced by its own.
  void correct_board(const BoardKeys& board) {
    bool differs = false;
    for (std::size_t p = 0; p < hands_.size(); ++p) {
      const std::uint64_t sum = hands_[p].key_sum + board.key_sum;
      values_[p] = rank_only_value(sum);
      true_values_[p] = eval7_of_keys(board, hands_[p]);
      differs = differs || true_values_[p] != values_[p];
    }
    if (!differs) return;
    counts_.add(values_.data(), -1);
    counts_.add(true_values_.data(), 1);
  }

  const PreparedQuery& q_;
  OutcomeCounts counts_;
  int left_;  // board cards to come
  std::vector<BoardKeys> hands_;  // each hand's keys with the known board's
  std::array<int, kRankCount> rank_left_{};  // deck cards of each rank
  std::vector<int> suited_, others_;
  std::array<int, kMaxPlayers> values_{}, true_values_{};
};

}  // namespace

bool every_player_one_holdem_hand(const PreparedQuery& q) {
  if (q.game != Game::holdem) return false;
  return std::all_of(q.hands.begin(), q.hands.end(), [](const std::vector<RangeHand>& h) { return h.size() == 1; });
}

SweepTally run_exact_known_holdem_hands(const PreparedQuery& q) { return RankCountSweep(q).run(); }

}  // namespace oddsmith::calc
