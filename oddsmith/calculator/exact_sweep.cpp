// Exact enumeration. Chunks are board prefixes of up to two cards; each chunk
// completes the board in every way with later cards of the deck, values every
// player's hands on it once, and then goes through the assignments.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "calculator/suit_symmetry.h"
#include "calculator/sweep.h"

namespace oddsmith::calc {

void SweepTally::add(const SweepTally& o) {
  if (players.size() < o.players.size()) players.resize(o.players.size());
  for (std::size_t p = 0; p < o.players.size(); ++p) players[p].add(o.players[p]);
  weight += o.weight;
  deals += o.deals;
}

SweepResult in_chunk_order(RunStatus status, int players, const std::vector<SweepTally>& tallies) {
  SweepResult result;
  result.status = status;
  result.tally.players.assign(static_cast<std::size_t>(players), Tally{});
  for (const SweepTally& t : tallies) result.tally.add(t);
  return result;
}

namespace {

constexpr int kNoValue = INT_MAX;  // a hand that shares a card with the board

template <Game G>
class ExactChunk {
  using E = Evaluator<G>;

 public:
  ExactChunk(const PreparedQuery& q, const SuitSymmetry& symmetry, SweepTally& out)
      : q_(q), symmetry_(symmetry), out_(out) {
    values_.resize(q.hands.size());
    keys_.resize(q.hands.size());
    all_fixed_ = true;
    for (std::size_t p = 0; p < q.hands.size(); ++p) {
      values_[p].resize(q.hands[p].size());
      for (const RangeHand& h : q.hands[p]) keys_[p].push_back(E::hand_key(h));
      all_fixed_ = all_fixed_ && q.hands[p].size() == 1;
      fixed_weight_ *= q.hands[p][0].weight;
    }
    heads_up_ = all_fixed_ && q.players == 2 && G != Game::omaha_hilo;
    // Two Hold'em ranges: a sorted sweep per board instead of every pair of hands,
    // where the pairs outnumber the hands enough to pay for the sort.
    if constexpr (G == Game::holdem) {
      if (q.players == 2) {
        const double n1 = static_cast<double>(q.hands[0].size()), n2 = static_cast<double>(q.hands[1].size());
        sweep_ = n1 * n2 > 8 * (n1 + n2);
      }
    }
    if (sweep_) {
      // The second player's hand with the same two cards as each first-player hand.
      twin_.assign(q.hands[0].size(), -1);
      for (std::size_t i = 0; i < q.hands[0].size(); ++i)
        for (std::size_t j = 0; j < q.hands[1].size(); ++j)
          if (q.hands[1][j].mask == q.hands[0][i].mask) twin_[i] = static_cast<int>(j);
    }
    out_.players.assign(q.hands.size(), Tally{});
    partial_ = E::start();
    for (int i = 0; i < q.known; ++i) add(i, q.board[i]);
  }

  // Places `card` as board card `at`.
  void add(int at, int card) {
    board_[at] = card;
    partial_ = E::extend(partial_, card);
  }

  // Completes the board from deck index `from` on, `left` cards to go.
  void complete(int filled, std::size_t from, int left, CardMask board_mask) {
    if (left == 0) return showdown(board_mask);
    const std::size_t last = q_.deck.size() - static_cast<std::size_t>(left);
    const auto saved = partial_;
    for (std::size_t i = from; i <= last; ++i) {
      const int card = q_.deck[i];
      board_[filled] = card;
      partial_ = E::extend(saved, card);
      if (left == 1) {
        showdown(board_mask | card_bit(card));  // the last card: no call per board
      } else {
        complete(filled + 1, i + 1, left - 1, board_mask | card_bit(card));
      }
    }
    partial_ = saved;
  }

  // Adds what the heads-up counters hold to the tally; call once at the end.
  void flush_counts() {
    const double w = fixed_weight_;
    const auto [first, second, split] = outcomes_;
    Tally* t = out_.players.data();
    t[0].equity += w * (static_cast<double>(first) + 0.5 * static_cast<double>(split));
    t[0].equity_squared += w * (static_cast<double>(first) + 0.25 * static_cast<double>(split));
    t[1].equity += w * (static_cast<double>(second) + 0.5 * static_cast<double>(split));
    t[1].equity_squared += w * (static_cast<double>(second) + 0.25 * static_cast<double>(split));
    t[0].win += w * static_cast<double>(first);
    t[1].win += w * static_cast<double>(second);
    t[0].tie += w * static_cast<double>(split);
    t[1].tie += w * static_cast<double>(split);
    const std::int64_t deals = first + second + split;
    out_.weight += w * static_cast<double>(deals);
    out_.deals += deals;
    outcomes_ = {};
  }

 private:
  [[gnu::always_inline]] void showdown(CardMask board_mask) {
    // (One known hand each: the suit symmetry is never used, see SuitSymmetry.)
    if (heads_up_) {
      // Two known hands: count the three outcomes; flush_counts() weighs them.
      const auto prepared = E::finish(partial_, board_);
      const int a = E::value(prepared, keys_[0][0]).high, b = E::value(prepared, keys_[1][0]).high;
      ++outcomes_[a < b ? 0 : a > b ? 1 : 2];
      return;
    }
    if (all_fixed_) {
      // The deck holds none of their cards, so no check is needed.
      const auto prepared = E::finish(partial_, board_);
      for (int p = 0; p < q_.players; ++p)
        chosen_[static_cast<std::size_t>(p)] = E::value(prepared, keys_[static_cast<std::size_t>(p)][0]);
      settle<G>(chosen_.data(), q_.players, fixed_weight_, out_.players.data());
      out_.weight += fixed_weight_;
      ++out_.deals;
      return;
    }
    // Only the smallest board of each suit-renaming orbit is valued, for all of it.
    board_count_ = symmetry_.weight_of(board_mask);
    if (board_count_ == 0) return;
    const auto prepared = E::finish(partial_, board_);
    for (std::size_t p = 0; p < q_.hands.size(); ++p) {
      const std::vector<RangeHand>& hands = q_.hands[p];
      for (std::size_t i = 0; i < hands.size(); ++i)
        values_[p][i] = hands[i].mask & board_mask ? HandValue{kNoValue, kNoLow} : E::value(prepared, keys_[p][i]);
    }
    if constexpr (G == Game::holdem) {
      if (sweep_) return sweep_two_ranges(static_cast<double>(board_count_));
    }
    assign(0, board_mask, static_cast<double>(board_count_));
  }

  // Two players' ranges on one board, without visiting every pair. With the
  // hands sorted from weakest to strongest, the weight of second-player hands
  // weaker than (or equal to) a first-player hand and sharing no card with it is
  // the total so far, less what holds either of its cards, plus what holds both
  // (the hand with the same two cards), by inclusion and exclusion.
  void sweep_two_ranges(double board_weight) {
    order_.clear();
    for (int p = 0; p < 2; ++p) {
      const std::vector<HandValue>& values = values_[static_cast<std::size_t>(p)];
      for (std::size_t i = 0; i < values.size(); ++i)
        if (values[i].high != kNoValue) order_.push_back({values[i].high, p, static_cast<int>(i)});
    }
    std::sort(order_.begin(), order_.end(), [](const Entry& a, const Entry& b) { return a.value > b.value; });
    const std::vector<RangeHand>& first = q_.hands[0];
    const std::vector<RangeHand>& second = q_.hands[1];
    const std::vector<HandValue>& second_values = values_[1];
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
        const RangeHand& h = second[static_cast<std::size_t>(order_[g].index)];
        equal += h.weight;
        equal_count += 1;
        for (int c = 0; c < 2; ++c) equal_by_card[h.cards[static_cast<std::size_t>(c)]] += h.weight;
      }
      for (std::size_t g = k; g < end; ++g) {
        if (order_[g].player != 0) continue;
        const std::size_t i = static_cast<std::size_t>(order_[g].index);
        const RangeHand& h = first[i];
        const int a = h.cards[0], b = h.cards[1];
        double beaten = weaker - weaker_by_card[static_cast<std::size_t>(a)] - weaker_by_card[static_cast<std::size_t>(b)];
        double tied = equal - equal_by_card[static_cast<std::size_t>(a)] - equal_by_card[static_cast<std::size_t>(b)];
        if (const int t = twin_[i]; t >= 0 && second_values[static_cast<std::size_t>(t)].high != kNoValue) {
          // The same two cards were taken off twice: add them back once.
          const int v = second_values[static_cast<std::size_t>(t)].high;
          if (v > order_[g].value) beaten += second[static_cast<std::size_t>(t)].weight;
          if (v == order_[g].value) tied += second[static_cast<std::size_t>(t)].weight;
        }
        wins += h.weight * beaten;
        ties += h.weight * tied;
      }
      // The group joins the weaker hands of the groups after it.
      weaker += equal;
      weaker_count += equal_count;
      for (std::size_t g = k; g < end; ++g) {
        if (order_[g].player != 1) continue;
        const RangeHand& h = second[static_cast<std::size_t>(order_[g].index)];
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
    for (std::size_t g = 0; g < order_.size(); ++g) {
      if (order_[g].player != 1) continue;
      const RangeHand& h = second[static_cast<std::size_t>(order_[g].index)];
      for (int c = 0; c < 2; ++c) weaker_count_by_card[h.cards[static_cast<std::size_t>(c)]] += 1;
    }
    double total = 0, pairs = 0;
    for (std::size_t g = 0; g < order_.size(); ++g) {
      if (order_[g].player != 0) continue;
      const std::size_t i = static_cast<std::size_t>(order_[g].index);
      const RangeHand& h = first[i];
      const std::size_t a = h.cards[0], b = h.cards[1];
      double w = weaker - weaker_by_card[a] - weaker_by_card[b];
      double n = weaker_count - weaker_count_by_card[a] - weaker_count_by_card[b];
      if (const int t = twin_[i]; t >= 0 && second_values[static_cast<std::size_t>(t)].high != kNoValue) {
        w += second[static_cast<std::size_t>(t)].weight;
        n += 1;
      }
      total += h.weight * w;
      pairs += n;
    }
    const double losses = total - wins - ties;
    Tally* t = out_.players.data();
    t[0].equity += board_weight * (wins + 0.5 * ties);
    t[1].equity += board_weight * (losses + 0.5 * ties);
    t[0].win += board_weight * wins;
    t[1].win += board_weight * losses;
    t[0].tie += board_weight * ties;
    t[1].tie += board_weight * ties;
    out_.weight += board_weight * total;
    out_.deals += std::llround(pairs) * board_count_;
  }

  void assign(int p, CardMask used, double weight) {
    if (p == q_.players) {
      settle<G>(chosen_.data(), p, weight, out_.players.data());
      out_.weight += weight;
      out_.deals += board_count_;
      return;
    }
    const std::vector<RangeHand>& hands = q_.hands[static_cast<std::size_t>(p)];
    const std::vector<HandValue>& values = values_[static_cast<std::size_t>(p)];
    for (std::size_t i = 0; i < hands.size(); ++i) {
      if (values[i].high == kNoValue || (hands[i].mask & used)) continue;
      chosen_[static_cast<std::size_t>(p)] = values[i];
      assign(p + 1, used | hands[i].mask, weight * hands[i].weight);
    }
  }

  const PreparedQuery& q_;
  const SuitSymmetry& symmetry_;
  SweepTally& out_;
  int board_count_ = 1;  // boards the board being valued stands for
  int board_[5] = {};
  typename E::Partial partial_{};
  std::vector<std::vector<typename E::HandKey>> keys_;
  std::vector<std::vector<HandValue>> values_;
  std::array<HandValue, kMaxPlayers> chosen_{};
  bool all_fixed_ = false;
  bool heads_up_ = false;
  bool sweep_ = false;
  struct Entry {
    int value;
    int player;
    int index;
  };
  std::vector<Entry> order_;   // sweep_two_ranges' scratch
  std::vector<int> twin_;      // per first-player hand: the second player's same hand, or -1
  double fixed_weight_ = 1.0;
  std::array<std::int64_t, 3> outcomes_{};  // heads-up: first wins, second wins, split
};

template <Game G>
SweepResult run_exact_game(const PreparedQuery& q, int threads, ProgressFn progress, void* user) {
  // Chunks: the first one or two completion cards (deck indexes a < b).
  const int left = 5 - q.known;
  const int prefix = left < 2 ? left : 2;
  const std::size_t n = q.deck.size();
  std::vector<std::array<std::size_t, 2>> prefixes;
  if (prefix == 0) prefixes.push_back({0, 0});
  for (std::size_t a = 0; prefix >= 1 && a + static_cast<std::size_t>(left) <= n; ++a) {
    if (prefix == 1) prefixes.push_back({a, 0});
    for (std::size_t b = a + 1; prefix == 2 && b + static_cast<std::size_t>(left) - 1 <= n; ++b) prefixes.push_back({a, b});
  }
  const SuitSymmetry symmetry(q);
  std::vector<SweepTally> tallies(prefixes.size());
  const RunStatus status = run_chunks(
      prefixes.size(), thread_count(threads, prefixes.size()),
      [&](std::size_t c) {
        ExactChunk<G> chunk(q, symmetry, tallies[c]);
        CardMask mask = q.known_mask;
        std::size_t from = 0;
        for (int i = 0; i < prefix; ++i) {
          const int card = q.deck[prefixes[c][static_cast<std::size_t>(i)]];
          chunk.add(q.known + i, card);
          mask |= card_bit(card);
          from = prefixes[c][static_cast<std::size_t>(i)] + 1;
        }
        chunk.complete(q.known + prefix, from, left - prefix, mask);
        chunk.flush_counts();
      },
      progress, user);
  return in_chunk_order(status, q.players, tallies);
}

}  // namespace

SweepResult run_exact(const PreparedQuery& q, int threads, ProgressFn progress, void* user) {
  if (counting_boards_is_cheaper(q)) return run_exact_by_counting(q, threads, progress, user);
  switch (q.game) {
    case Game::holdem: return run_exact_game<Game::holdem>(q, threads, progress, user);
    case Game::omaha: return run_exact_game<Game::omaha>(q, threads, progress, user);
    case Game::omaha_hilo: return run_exact_game<Game::omaha_hilo>(q, threads, progress, user);
  }
  return {};
}

}  // namespace oddsmith::calc
