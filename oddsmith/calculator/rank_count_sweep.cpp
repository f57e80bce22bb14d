// Rank counting: exact Hold'em (and short-deck) equity by counting boards instead of visiting
// them, for queries with few assignments of hands (a hand against a hand, a
// hand against a range, two small ranges).
//
// For one assignment (a known hand per player): without a flush a hand's value
// depends only on the ranks on the board, so the boards are first counted by
// the ranks they add: each multiset of ranks is valued once and counts for
// every way of dealing it (the product of C(cards left of a rank, times it is
// dealt)). A flush needs three board cards of one suit (five minus the most
// that any hand holds of it), and no board holds three cards of two suits;
// those boards are then counted again by their suited cards and the ranks of
// the rest, each taking back its rank-only outcome and adding its true one.
// Preflop heads-up that is 6,188 rank multisets and about 35,000 flush groups
// instead of 1,712,304 boards.
//
// Assignments that a renaming of the suits turns into one another have the same
// outcome (see SuitSymmetry): only the smallest of each orbit is counted, as
// many times as its orbit has assignments.
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "calculator/internal/sweeps.h"
#include "cards/binomial.h"

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

  // Adds to `out` these counts as deals of weight `weight` each.
  void tally_into(SweepTally& out, double weight) const {
    for (std::size_t p = 0; p < shares_.size(); ++p) {
      Tally& t = out.players[p];
      for (std::size_t k = 1; k < shares_[p].size(); ++k) {
        const double n = static_cast<double>(shares_[p][k]);
        t.equity += weight * n * kInverse[k];
        t.equity_squared += weight * n * kInverse[k] * kInverse[k];
        (k == 1 ? t.win : t.tie) += weight * n;
      }
    }
  }

 private:
  int players_;
  std::vector<std::array<std::int64_t, kMaxPlayers + 1>> shares_;
};

// Calls `then(keys, ways)` for every multiset of `left` ranks from `rank` up,
// at most cards[r] of rank r: `keys` are their rank counts, `ways` the number
// of ways to deal them from those cards.
template <class Then>
void for_each_rank_multiset(const std::array<int, kRankCount>& cards, int rank, int left, std::int64_t ways,
                            std::uint64_t keys, Then&& then) {
  if (left == 0) return then(keys, ways);
  if (rank == kRankCount) return;
  const int n = cards[static_cast<std::size_t>(rank)];
  for (int k = 0; k <= std::min(n, left); ++k)
    for_each_rank_multiset(cards, rank + 1, left - k, ways * binomial(n, k), keys + rank_count_key(rank) * static_cast<std::uint64_t>(k),
                           then);
}

// Calls `then(keys)` with `keys` plus those of each choice of `count` of the
// `n` cards from index `from` on.
template <class Then>
void for_each_choice(const int* cards, int n, int from, int count, const BoardKeys& keys, Then&& then) {
  if (count == 0) return then(keys);
  for (int i = from; i + count <= n; ++i) for_each_choice(cards, n, i + 1, count - 1, add_card(keys, cards[i]), then);
}

// The outcome counts of one assignment: every player a known hand.
template <Game G>
class KnownHands {
 public:
  KnownHands(const PreparedQuery& q, const RangeHand* const* hands)
      : q_(q), players_(q.players), counts_(q.players), left_(5 - q.known) {
    BoardKeys known{0, 0};
    for (int i = 0; i < q.known; ++i) known = add_card(known, q.board[i]);
    CardMask held = 0;
    for (int p = 0; p < players_; ++p) {
      hands_[static_cast<std::size_t>(p)] = hands[p];
      keys_[static_cast<std::size_t>(p)] = add_card(add_card(known, hands[p]->cards[0]), hands[p]->cards[1]);
      held |= hands[p]->mask;
    }
    for (int card : q.deck)
      if (!(held & card_bit(card))) deck_[deck_size_++] = card;
  }

  // The boards the counts stand for.
  std::int64_t boards() const { return binomial(deck_size_, left_); }

  const OutcomeCounts& run() {
    std::array<int, kRankCount> by_rank{};
    for (int i = 0; i < deck_size_; ++i) ++by_rank[static_cast<std::size_t>(card_rank(deck_[i]))];
    for_each_rank_multiset(by_rank, 0, left_, 1, 0, [&](std::uint64_t keys, std::int64_t ways) {
      for (int p = 0; p < players_; ++p)
        values_[static_cast<std::size_t>(p)] = rank_only_value<G>(keys_[static_cast<std::size_t>(p)].key_sum + keys);
      counts_.add(values_.data(), ways);
    });
    for (int suit = 0; suit < kSuitCount; ++suit) correct_flushes(suit);
    return counts_;
  }

 private:
  // The boards on which someone may hold a flush in `suit`: at least `need`
  // suited cards on the board, need being 5 less the most suited cards of one
  // hand, and never below 3. They are grouped by their suited cards and the
  // ranks of the others (at most two cards, of other suits, which can make no
  // flush then): a flush's value depends on the suited cards alone.
  void correct_flushes(int suit) {
    int most = 0, on_board = 0;
    for (int p = 0; p < players_; ++p) {
      const RangeHand& h = *hands_[static_cast<std::size_t>(p)];
      most = std::max(most, int{card_suit(h.cards[0]) == suit} + int{card_suit(h.cards[1]) == suit});
    }
    for (int i = 0; i < q_.known; ++i) on_board += card_suit(q_.board[i]) == suit;
    const int need = std::max(3, 5 - most);
    std::array<int, kRankCount> suited{}, others{};
    int suited_count = 0;
    for (int i = 0; i < deck_size_; ++i) {
      const int card = deck_[i];
      if (card_suit(card) == suit) suited[static_cast<std::size_t>(suited_count++)] = card;
      else ++others[static_cast<std::size_t>(card_rank(card))];
    }
    for (int k = std::max(0, need - on_board); k <= std::min(left_, suited_count); ++k) {
      for_each_choice(suited.data(), suited_count, 0, k, {0, 0}, [&](const BoardKeys& with_suited) {
        // Each player's flush value given the suited cards (0 for none).
        for (int p = 0; p < players_; ++p) {
          const std::size_t i = static_cast<std::size_t>(p);
          flush_values_[i] = flush_value<G>(BoardKeys{keys_[i].key_sum + with_suited.key_sum, keys_[i].suit_ranks | with_suited.suit_ranks});
        }
        for_each_rank_multiset(others, 0, left_ - k, 1, 0, [&](std::uint64_t keys, std::int64_t ways) {
          // The rank-only count took these boards as if nobody had a flush.
          // A player's flush value is his true value (five suited cards of
          // seven leave no room for a full house or four of a kind), so where
          // someone holds one these boards' outcome is taken back and counted
          // again with it in place of his rank-only value.
          bool someone_has_a_flush = false;
          for (int p = 0; p < players_; ++p) {
            const std::size_t i = static_cast<std::size_t>(p);
            values_[i] = rank_only_value<G>(keys_[i].key_sum + with_suited.key_sum + keys);
            true_values_[i] = flush_values_[i] ? flush_values_[i] : values_[i];
            someone_has_a_flush = someone_has_a_flush || flush_values_[i] != 0;
          }
          if (!someone_has_a_flush) return;
          counts_.add(values_.data(), -ways);
          counts_.add(true_values_.data(), ways);
        });
      });
    }
  }

  const PreparedQuery& q_;
  int players_;
  OutcomeCounts counts_;
  int left_;  // board cards to come
  std::array<int, kDeckSize> deck_{};  // the cards a board may take: deck_[0..deck_size_)
  int deck_size_ = 0;
  std::array<const RangeHand*, kMaxPlayers> hands_{};
  std::array<BoardKeys, kMaxPlayers> keys_{};  // each hand's keys with the known board's
  std::array<int, kMaxPlayers> values_{}, true_values_{}, flush_values_{};
};

}  // namespace

// Assignments are numbered as mixed-radix numbers of the players' hand indexes
// (player 1's the most significant), clashing ones included, so that a chunk is
// a range of numbers and nothing is listed up front. Only assignments with no
// card twice that are the smallest of their suit orbit (SuitSymmetry) are
// counted, each for its whole orbit.
SweepResult run_rank_counting(const PreparedQuery& q, const Plan& plan, const RunBudget& budget, ProgressFn progress, void* user) {
  const std::size_t players = static_cast<std::size_t>(q.players);
  std::array<std::uint64_t, kMaxPlayers> stride{};  // numbers per step of player p's index
  std::uint64_t total = 1;
  for (std::size_t p = players; p-- > 0;) {
    stride[p] = total;
    total *= q.hands[p].size();  // below 2^62: rank counting does not apply beyond (method_applies)
  }
  const std::uint64_t per_chunk = static_cast<std::uint64_t>(plan.assignments_per_chunk);
  return run_in_chunk_order(
      q.players, static_cast<std::size_t>((total + per_chunk - 1) / per_chunk), budget.threads, budget.deadline,
      [&](std::size_t c, SweepTally& t, const ChunkPoll& poll) {
        const std::uint64_t first = c * per_chunk, last = std::min(total, first + per_chunk);
        std::array<const RangeHand*, kMaxPlayers> hands{};
        std::array<CardMask, kMaxPlayers> masks{};
        for (std::uint64_t number = first; number < last;) {
          if (poll(static_cast<double>(number - first) / static_cast<double>(last - first))) return true;
          // The assignment's hands; at the first clash, on to the next number
          // that changes that player's hand.
          CardMask used = 0;
          std::size_t clash = players;
          for (std::size_t p = 0; p < players && clash == players; ++p) {
            hands[p] = &q.hands[p][(number / stride[p]) % q.hands[p].size()];
            masks[p] = hands[p]->mask;
            if (masks[p] & used) clash = p;
            used |= masks[p];
          }
          if (clash < players) {
            number = (number / stride[clash] + 1) * stride[clash];
            continue;
          }
          ++number;
          const int orbit = plan.symmetry.orbit_size(masks.data(), q.players);
          if (orbit == 0) continue;
          double weight = orbit;
          for (std::size_t p = 0; p < players; ++p) weight *= hands[p]->weight;
          auto count = [&](auto game) {
            KnownHands<game()> known(q, hands.data());
            known.run().tally_into(t, weight);
            t.weight += weight * static_cast<double>(known.boards());
            t.deals += orbit * known.boards();
          };
          with_seven_card_game(q.game, count);
        }
        return true;
      },
      progress, user);
}

}  // namespace oddsmith::calc
