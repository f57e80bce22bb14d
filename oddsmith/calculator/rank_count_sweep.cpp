// Exact Hold'em equity by counting boards instead of visiting them, for
// queries with few assignments of hands (a hand against a hand, a hand against
// a range, two small ranges).
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

#include "calculator/suit_symmetry.h"
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

constexpr std::uint64_t kRankDigits = 0xffffffffu;  // the rank-count part of a card key

int rank_only_value(std::uint64_t key_sum) {
  return osm_unsuited7_value[detail::count_hash(key_sum, osm_count_hash_low7)];
}

std::uint64_t rank_key(int rank) { return osm_card_key[make_card(rank, 0)] & kRankDigits; }

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
    for_each_rank_multiset(cards, rank + 1, left - k, ways * combinations(n, k), keys + rank_key(rank) * static_cast<std::uint64_t>(k),
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
  std::int64_t boards() const { return combinations(deck_size_, left_); }

  const OutcomeCounts& run() {
    std::array<int, kRankCount> by_rank{};
    for (int i = 0; i < deck_size_; ++i) ++by_rank[static_cast<std::size_t>(card_rank(deck_[i]))];
    for_each_rank_multiset(by_rank, 0, left_, 1, 0, [&](std::uint64_t keys, std::int64_t ways) {
      for (int p = 0; p < players_; ++p)
        values_[static_cast<std::size_t>(p)] = rank_only_value(keys_[static_cast<std::size_t>(p)].key_sum + keys);
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
        // Each player's value when the flush counts: known from the suited cards.
        for (int p = 0; p < players_; ++p) {
          const std::size_t i = static_cast<std::size_t>(p);
          const BoardKeys& hand = keys_[i];
          const unsigned flush = osm_flush_suit[detail::suit_signature(hand.key_sum + with_suited.key_sum)];
          flush_values_[i] = flush ? osm_flush_value[detail::suit_rank_mask(hand.suit_ranks | with_suited.suit_ranks, flush - 1)] : 0;
        }
        for_each_rank_multiset(others, 0, left_ - k, 1, 0, [&](std::uint64_t keys, std::int64_t ways) {
          bool differs = false;
          for (int p = 0; p < players_; ++p) {
            const std::size_t i = static_cast<std::size_t>(p);
            values_[i] = rank_only_value(keys_[i].key_sum + with_suited.key_sum + keys);
            true_values_[i] = flush_values_[i] ? flush_values_[i] : values_[i];
            differs = differs || flush_values_[i] != 0;
          }
          if (!differs) return;
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

// An assignment: one hand index per player.
using Assignment = std::array<int, kMaxPlayers>;

// The assignments (no card twice) that are the smallest of their orbit under
// the query's suit renamings, each with the size of its orbit.
void canonical_assignments(const PreparedQuery& q, const SuitSymmetry& symmetry, std::vector<Assignment>& out,
                           std::vector<int>& orbit) {
  Assignment a{};
  std::array<CardMask, kMaxPlayers> masks{};
  auto visit = [&](auto&& self, int p, CardMask used) -> void {
    if (p == q.players) {
      int fixed_by = 0;
      for (const auto& perm : symmetry.renamings()) {
        int order = 0;  // the image against the assignment, player by player
        for (int i = 0; i < q.players && order == 0; ++i) {
          const CardMask image = SuitSymmetry::rename(masks[static_cast<std::size_t>(i)], perm);
          order = image < masks[static_cast<std::size_t>(i)] ? -1 : image > masks[static_cast<std::size_t>(i)] ? 1 : 0;
        }
        if (order < 0) return;
        fixed_by += order == 0;
      }
      out.push_back(a);
      orbit.push_back(symmetry.order() / fixed_by);
      return;
    }
    const std::vector<RangeHand>& hands = q.hands[static_cast<std::size_t>(p)];
    for (std::size_t i = 0; i < hands.size(); ++i) {
      if (hands[i].mask & used) continue;
      a[static_cast<std::size_t>(p)] = static_cast<int>(i);
      masks[static_cast<std::size_t>(p)] = hands[i].mask;
      self(self, p + 1, used | hands[i].mask);
    }
  };
  visit(visit, 0, 0);
}

// The work per assignment with m cards to come, in units of a board visited by
// the board-by-board sweep: the rank multisets plus a rough allowance for the
// flush groups, which cost less each and vary with the hands' suits.
double counting_cost(int m) {
  static constexpr double kPerAssignment[6] = {1, 13, 91, 455 + 1500, 1820 + 6000, 6188 + 20000};
  return kPerAssignment[m];
}

}  // namespace

double counting_work(const PreparedQuery& q) {
  if (q.game != Game::holdem) return 1e18;
  double assignments = 1;
  for (const std::vector<RangeHand>& h : q.hands) assignments = std::min(assignments * static_cast<double>(h.size()), 1e18);
  return std::min(assignments * q.players * counting_cost(5 - q.known), 1e18);
}

bool counting_boards_is_cheaper(const PreparedQuery& q) {
  double hands = 0;
  for (const std::vector<RangeHand>& h : q.hands) hands += static_cast<double>(h.size());
  const double boards = static_cast<double>(combinations(static_cast<int>(q.deck.size()), 5 - q.known));
  return counting_work(q) < boards * hands;
}

SweepResult run_exact_by_counting(const PreparedQuery& q, int threads, ProgressFn progress, void* user) {
  const SuitSymmetry symmetry(q);
  std::vector<Assignment> assignments;
  std::vector<int> orbit;
  canonical_assignments(q, symmetry, assignments, orbit);
  // Chunks of consecutive assignments, summed in chunk order whatever the threads.
  constexpr std::size_t kPerChunk = 8;
  const std::size_t chunks = (assignments.size() + kPerChunk - 1) / kPerChunk;
  std::vector<SweepTally> tallies(chunks);
  const RunStatus status = run_chunks(
      chunks, thread_count(threads, chunks),
      [&](std::size_t c) {
        SweepTally& t = tallies[c];
        t.players.assign(static_cast<std::size_t>(q.players), Tally{});
        for (std::size_t i = c * kPerChunk; i < std::min(assignments.size(), (c + 1) * kPerChunk); ++i) {
          std::array<const RangeHand*, kMaxPlayers> hands{};
          double weight = orbit[i];
          for (int p = 0; p < q.players; ++p) {
            const std::size_t pi = static_cast<std::size_t>(p);
            hands[pi] = &q.hands[pi][static_cast<std::size_t>(assignments[i][pi])];
            weight *= hands[pi]->weight;
          }
          KnownHands known(q, hands.data());
          known.run().tally_into(t, weight);
          t.weight += weight * static_cast<double>(known.boards());
          t.deals += orbit[i] * known.boards();
        }
      },
      progress, user);
  return in_chunk_order(status, q.players, tallies);
}

}  // namespace oddsmith::calc
