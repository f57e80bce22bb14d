// Exact enumeration. Chunks are board prefixes of up to two cards; each chunk
// completes the board in every way with later cards of the deck, values every
// player's hands on it once, and then goes through the assignments.
#include <array>
#include <climits>

#include "calculator/suit_symmetry.h"
#include "calculator/sweep.h"

namespace oddsmith::calc {

void SweepTally::add(const SweepTally& o) {
  if (players.size() < o.players.size()) players.resize(o.players.size());
  for (std::size_t p = 0; p < o.players.size(); ++p) players[p].add(o.players[p]);
  weight += o.weight;
  deals += o.deals;
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
    assign(0, board_mask, static_cast<double>(board_count_));
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
  SweepResult result;
  result.status = status;
  result.tally.players.assign(static_cast<std::size_t>(q.players), Tally{});
  for (const SweepTally& t : tallies) result.tally.add(t);
  return result;
}

}  // namespace

SweepResult run_exact(const PreparedQuery& q, int threads, ProgressFn progress, void* user) {
  switch (q.game) {
    case Game::holdem: return run_exact_game<Game::holdem>(q, threads, progress, user);
    case Game::omaha: return run_exact_game<Game::omaha>(q, threads, progress, user);
    case Game::omaha_hilo: return run_exact_game<Game::omaha_hilo>(q, threads, progress, user);
  }
  return {};
}

}  // namespace oddsmith::calc
