// The walks over the instantiated tree (internal/engine.h): one player's CFR
// pass, best response and average-strategy values, all in vector form (every
// hand of a range at once), and the solving loop around them.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "solver/internal/engine.h"
#include "solver/internal/vector_loops.h"

namespace oddsmith::solver {

void Solver::Impl::terminal(const Ctx& c, const Block& b, const StreetTree& t, const TreeNode& n, const float* reach,
                            float* out, int thread) const {
  const int me = c.trav;
  const HandSet& mine = hands_[static_cast<std::size_t>(me)];
  const HandSet& theirs = hands_[static_cast<std::size_t>(1 - me)];
  const double pot = t.pot + n.bets[0] + n.bets[1];
  const double rake = std::min(pot * spot_.rake_rate, spot_.rake_cap);
  const double put_in = tree_.invested(t, n, me);
  switch (n.kind) {
    case NodeKind::fold: {
      Arena& arena = arenas_[static_cast<std::size_t>(thread)];
      const Arena::Mark mark = arena.mark();
      compatible_values(mine, theirs, reach, out, n.player == me ? -put_in : pot - rake - put_in,
                        arena.take(terminal_scratch(theirs)));
      arena.release(mark);
      return;
    }
    case NodeKind::showdown: {
      Arena& arena = arenas_[static_cast<std::size_t>(thread)];
      const Arena::Mark mark = arena.mark();
      float* scratch = arena.take(terminal_scratch(theirs));
      showdown_values(rivers_[static_cast<std::size_t>(b.table)], me, mine, theirs, reach, out, pot - rake - put_in,
                      -put_in, (pot - rake) / 2 - put_in, scratch);
      arena.release(mark);
      return;
    }
    case NodeKind::runout: {
      const std::vector<float>& share = runouts_[static_cast<std::size_t>(b.table)].share;
      const auto H0 = static_cast<std::size_t>(hands_[0].size()), H1 = static_cast<std::size_t>(hands_[1].size());
      {
        Arena& arena = arenas_[static_cast<std::size_t>(thread)];
        const Arena::Mark mark = arena.mark();
        compatible_values(mine, theirs, reach, out, 1.0, arena.take(terminal_scratch(theirs)));  // the compatible reach, for now
        arena.release(mark);
      }
      const auto won = static_cast<float>(pot - rake), paid = static_cast<float>(put_in);
      if (me == kOop) {
        for (std::size_t h = 0; h < H0; ++h) {
          const float* row = share.data() + h * H1;
          float v = 0;
          for (std::size_t o = 0; o < H1; ++o) v += row[o] * reach[o];
          out[h] = won * v - paid * out[h];
        }
      } else {
        Arena& arena = arenas_[static_cast<std::size_t>(thread)];
        const Arena::Mark mark = arena.mark();
        float* v = arena.take(H1);
        std::fill(v, v + H1, 0.0f);
        for (std::size_t h = 0; h < H0; ++h) {
          const float r = reach[h];
          if (r == 0) continue;
          const float* row = share.data() + h * H1;
          for (std::size_t o = 0; o < H1; ++o) v[o] += r * row[o];
        }
        for (std::size_t o = 0; o < H1; ++o) out[o] = won * (out[o] - v[o]) - paid * out[o];
        arena.release(mark);
      }
      return;
    }
    default:
      return;
  }
}

template <Mode M>
void Solver::Impl::walk(const Ctx& c, std::uint32_t block, std::uint32_t node, const float* reach, float* out,
                        int thread) const {
  const Block& b = blocks_[block];
  const StreetTree& t = tree_.streets[b.tree];
  const TreeNode& n = t.nodes[node];
  switch (n.kind) {
    case NodeKind::action: return action<M>(c, b, t, n, node, reach, out, thread);
    case NodeKind::chance: return chance<M>(c, b, t, n, reach, out, thread);
    default:
      terminal(c, b, t, n, reach, out, thread);
      if constexpr (kWidth<M> == 2) {
        const auto H = static_cast<std::size_t>(hands_[static_cast<std::size_t>(c.trav)].size());
        std::memcpy(out + H, out, H * sizeof(float));
      }
      return;
  }
}

template <Mode M>
void Solver::Impl::action(const Ctx& c, const Block& b, const StreetTree& t, const TreeNode& n, std::uint32_t ni,
                          const float* reach, float* out, int thread) const {
  const int A = n.action_count;
  const std::uint32_t block = static_cast<std::uint32_t>(&b - blocks_.data());
  if (A == 1) return walk<M>(c, block, t.children[n.first], reach, out, thread);
  constexpr std::size_t W = kWidth<M>;
  const int me = c.trav, p = n.player;
  const auto Hm = static_cast<std::size_t>(hands_[static_cast<std::size_t>(me)].size());
  const auto Hp = static_cast<std::size_t>(hands_[static_cast<std::size_t>(p)].size());
  const Stored at = stored(b, ni);
  Arena& arena = arenas_[static_cast<std::size_t>(thread)];
  const Arena::Mark mark = arena.mark();
  const auto Au = static_cast<std::size_t>(A);
  float* buffer = options_.compress ? arena.take(Au * Hp) : nullptr;
  if (p == me) {
    float* cfv = arena.take(Au * W * Hm);
    for (std::size_t a = 0; a < Au; ++a) walk<M>(c, block, t.children[n.first + a], reach, cfv + a * W * Hm, thread);
    if (stop_.load(std::memory_order_relaxed)) return arena.release(mark);
    float* sigma = arena.take(Au * Hm);
    float* stored_values = M == Mode::cfr ? regrets(at, Au * Hm, buffer) : sums(at, Au * Hm, buffer);
    if constexpr (M == Mode::cfr) current_strategy(stored_values, A, static_cast<int>(Hm), sigma);
    else average_strategy(stored_values, A, static_cast<int>(Hm), sigma);
    const LockedNode* lock = lock_for(at);
    if (lock) apply_lock(*lock, Hm, sigma);
    // The strategy's value (for a best response, in the second half).
    loops::expected(sigma, cfv + (W - 1) * Hm, W * Hm, Au, Hm, out + (W - 1) * Hm);
    if constexpr (M == Mode::best_response) {
      std::memcpy(out, cfv, Hm * sizeof(float));
      for (std::size_t a = 1; a < Au; ++a) loops::max_into(out, cfv + a * W * Hm, Hm);
      if (lock) lock_best_response(*lock, Hm, sigma, cfv, W * Hm, out);  // no deviation where locked
    }
    if constexpr (M == Mode::cfr) {
      loops::add_regrets(stored_values, cfv, out, Au, Hm, c.positive, c.negative);
      if (lock) clear_locked_regrets(*lock, Hm, stored_values);
      keep_regrets(at, Au * Hm, stored_values);
    }
  } else {
    float* sigma = arena.take(Au * Hp);
    const LockedNode* lock = lock_for(at);
    if constexpr (M == Mode::cfr) {
      current_strategy(regrets(at, Au * Hp, buffer), A, static_cast<int>(Hp), sigma);
      if (lock) apply_lock(*lock, Hp, sigma);
      float* s = sums(at, Au * Hp, buffer);
      loops::add_sums(s, reach, sigma, Au, Hp, c.average);
      keep_sums(at, Au * Hp, s);
    } else {
      average_strategy(sums(at, Au * Hp, buffer), A, static_cast<int>(Hp), sigma);
      if (lock) apply_lock(*lock, Hp, sigma);
    }
    float* next = arena.take(Hp);
    float* part = arena.take(W * Hm);
    std::fill(out, out + W * Hm, 0.0f);
    for (std::size_t a = 0; a < Au; ++a) {
      const float any = loops::times(reach, sigma + a * Hp, Hp, next);
      // No hand of the opponent's takes this action: every value below is 0,
      // and a CFR pass has only its discounts to apply there.
      if (any == 0) {
        if constexpr (M == Mode::cfr) fade(c, block, t.children[n.first + a], thread);
        continue;
      }
      walk<M>(c, block, t.children[n.first + a], next, part, thread);
      loops::add(out, part, W * Hm);
    }
  }
  arena.release(mark);
}

template <Mode M>
void Solver::Impl::chance(const Ctx& c, const Block& b, const StreetTree& t, const TreeNode& n, const float* reach,
                          float* out, int thread) const {
  (void)t;
  constexpr std::size_t W = kWidth<M>;
  const int me = c.trav;
  const HandSet& mine = hands_[static_cast<std::size_t>(me)];
  const HandSet& theirs = hands_[static_cast<std::size_t>(1 - me)];
  const auto Hm = static_cast<std::size_t>(mine.size()), Ho = static_cast<std::size_t>(theirs.size());
  const Deal& d = deals_[b.deal];
  const std::size_t K = d.cards.size();
  const std::size_t first = b.first_child + n.chance_index * K;
  Arena& arena = arenas_[static_cast<std::size_t>(thread)];
  const Arena::Mark mark = arena.mark();
  float* results = arena.take(K * W * Hm);
  pool_->run(K, [&](std::size_t k, int th) {
    float* res = results + k * W * Hm;
    if (stop_.load(std::memory_order_relaxed)) return;
    Arena& mine_arena = arenas_[static_cast<std::size_t>(th)];
    const Arena::Mark m = mine_arena.mark();
    float* r = mine_arena.take(Ho);
    std::memcpy(r, reach, Ho * sizeof(float));
    const int card = d.cards[k];
    for (std::uint16_t o : theirs.with_card[static_cast<std::size_t>(card)]) r[o] = 0;
    walk<M>(c, static_cast<std::uint32_t>(first + k), 0, r, res, th);
    for (std::size_t w = 0; w < W; ++w)
      for (std::uint16_t h : mine.with_card[static_cast<std::size_t>(card)]) res[w * Hm + h] = 0;
    mine_arena.release(m);
    if (th == 0) poll();
  });
  std::fill(out, out + W * Hm, 0.0f);
  for (std::size_t k = 0; k < K; ++k) {
    const float* res = results + k * W * Hm;
    for (std::size_t h = 0; h < W * Hm; ++h) out[h] += res[h];
  }
  for (const Deal::Twin& tw : d.twins) {
    const std::uint16_t* map = swaps_[tw.swap][static_cast<std::size_t>(me)].data();
    for (std::size_t w = 0; w < W; ++w) {
      const float* res = results + (std::size_t{tw.rep} * W + w) * Hm;
      float* o = out + w * Hm;
      for (std::size_t h = 0; h < Hm; ++h) o[h] += res[map[h]];
    }
  }
  const float scale = 1.0f / static_cast<float>(d.possible);
  for (std::size_t h = 0; h < W * Hm; ++h) out[h] *= scale;
  arena.release(mark);
}

void Solver::Impl::fade(const Ctx& c, std::uint32_t block, std::uint32_t node, int thread) const {
  const Block& b = blocks_[block];
  const StreetTree& t = tree_.streets[b.tree];
  const TreeNode& n = t.nodes[node];
  if (n.kind == NodeKind::chance) {
    const Deal& d = deals_[b.deal];
    const std::size_t K = d.cards.size();
    const std::size_t first = b.first_child + n.chance_index * K;
    pool_->run(K, [&](std::size_t k, int th) { fade(c, static_cast<std::uint32_t>(first + k), 0, th); });
    return;
  }
  if (n.kind != NodeKind::action) return;
  const std::size_t A = n.action_count;
  if (A >= 2) {
    // What the walk would do with no reach: the walker's regrets discounted
    // (each plus a zero regret), the opponent's strategy sums discounted
    // (each plus zero weight).
    const Stored at = stored(b, node);
    const std::size_t count = A * static_cast<std::size_t>(hands_[n.player].size());
    Arena& arena = arenas_[static_cast<std::size_t>(thread)];
    const Arena::Mark mark = arena.mark();
    float* buffer = options_.compress ? arena.take(count) : nullptr;
    if (n.player == c.trav) {
      float* r = regrets(at, count, buffer);
      const float pos = c.positive, neg = c.negative;
      for (std::size_t i = 0; i < count; ++i) r[i] = r[i] * (r[i] > 0 ? pos : neg) + 0.0f;
      keep_regrets(at, count, r);
    } else {
      float* s = sums(at, count, buffer);
      const float keep = c.average;
      for (std::size_t i = 0; i < count; ++i) s[i] = s[i] * keep + 0.0f;
      keep_sums(at, count, s);
    }
    arena.release(mark);
  }
  for (std::size_t a = 0; a < A; ++a) fade(c, block, t.children[n.first + a], thread);
}

void Solver::Impl::poll() const {
  const SolveOptions* o = solving_;
  if (!o) return;
  const auto now = std::chrono::steady_clock::now();
  const double elapsed = std::chrono::duration<double>(now - started_).count();
  if (o->cancel && o->cancel->load(std::memory_order_relaxed)) {
    cancelled_ = true;
    stop_ = true;
  }
  if (o->max_seconds > 0 && elapsed >= o->max_seconds) {
    timed_out_ = true;
    stop_ = true;
  }
  if (o->progress && std::chrono::duration<double>(now - last_progress_).count() >= 0.25) {
    last_progress_ = now;
    progress_.seconds = seconds_before_ + elapsed;
    if (o->progress(progress_)) {
      cancelled_ = true;
      stop_ = true;
    }
  }
}

void Solver::Impl::root_values(Mode mode, int player, float* out) const {
  const Ctx c{player, 1, 1, 1};
  const float* reach = hands_[static_cast<std::size_t>(1 - player)].weight.data();
  switch (mode) {
    case Mode::cfr: walk<Mode::cfr>(c, 0, 0, reach, out, 0); break;
    case Mode::best_response: walk<Mode::best_response>(c, 0, 0, reach, out, 0); break;
    case Mode::average: walk<Mode::average>(c, 0, 0, reach, out, 0); break;
  }
}

double Solver::Impl::root_value(int player, const float* values) const {
  const HandSet& hs = hands_[static_cast<std::size_t>(player)];
  double v = 0;
  for (int h = 0; h < hs.size(); ++h)
    v += static_cast<double>(hs.weight[static_cast<std::size_t>(h)]) * values[static_cast<std::size_t>(h)];
  return v / pairs_;
}

Solver::Measure Solver::Impl::measure() const {
  // Each player's best response and, from the same walk, its value under its
  // own average strategy.
  Measure m{};
  for (int p = 0; p < 2; ++p) {
    const auto H = static_cast<std::size_t>(hands_[static_cast<std::size_t>(p)].size());
    std::vector<float> v(2 * H);
    root_values(Mode::best_response, p, v.data());
    m.best_response[static_cast<std::size_t>(p)] = root_value(p, v.data());
    m.ev[static_cast<std::size_t>(p)] = root_value(p, v.data() + H);
  }
  m.exploitability = ((m.best_response[0] - m.ev[0]) + (m.best_response[1] - m.ev[1])) / 2;
  return m;
}

SolveReport Solver::Impl::solve(const SolveOptions& o) {
  solving_ = &o;
  started_ = std::chrono::steady_clock::now();
  last_progress_ = started_;
  stop_ = false;
  cancelled_ = timed_out_ = false;
  seconds_before_ = report_.seconds;
  const double pot = tree_.base_pot;
  const int check_every = std::max(1, o.check_every);
  // Measures: the first after check_every iterations; then, from the last two
  // measures, the fall is taken as a power of the iteration count and the
  // next measure comes two-thirds of the way to the iteration it predicts for
  // the target (at least 1 and at most 2 * check_every iterations on). The
  // schedule follows from the measures alone, so that results never depend
  // on timing.
  int next_check = report_.iterations + check_every;
  double last_e = -1;
  int last_t = 0;
  // DCFR: before iteration t adds its regrets, positive ones are discounted
  // by (t-1)^a / ((t-1)^a + 1) and negative ones by (t-1)^b / ((t-1)^b + 1);
  // the strategy sums are weighted by t^g (a factor ((t-1)/t)^g on the sum
  // before adding iteration t's strategy). Chosen by measurement on the
  // benchmark spots (solver/README.md): a = 1.5, b = 0, g = 3.
  constexpr double kAlpha = 1.5, kBeta = 0.0, kGamma = 3.0;
  std::array<std::vector<float>, 2> scratch;
  for (int p = 0; p < 2; ++p) scratch[static_cast<std::size_t>(p)].resize(static_cast<std::size_t>(size_.hands[static_cast<std::size_t>(p)]));
  bool measured = report_.iterations > 0 && report_.exploitability_pct >= 0 && progress_.iteration == report_.iterations;
  auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count(); };
  auto take_measure = [&] {
    const Measure m = measure();
    if (stop_) return false;
    report_.exploitability = m.exploitability;
    report_.exploitability_pct = 100.0 * m.exploitability / pot;
    report_.ev = m.ev;
    progress_.exploitability_pct = report_.exploitability_pct;
    measured = true;
    return true;
  };
  report_.converged = false;
  while (true) {
    if (o.max_iterations > 0 && report_.iterations >= o.max_iterations) {
      report_.stop = StopReason::iterations;
      break;
    }
    poll();
    if (stop_) break;
    const int it = report_.iterations + 1;
    const double tp = it - 1;
    const double pa = std::pow(tp, kAlpha), pb = std::pow(tp, kBeta);
    Ctx c{};
    c.positive = static_cast<float>(pa / (pa + 1));
    c.negative = static_cast<float>(tp > 0 ? pb / (pb + 1) : 0.0);
    c.average = static_cast<float>(std::pow(tp / it, kGamma));
    for (int p = 0; p < 2 && !stop_; ++p) {
      c.trav = p;
      walk<Mode::cfr>(c, 0, 0, hands_[static_cast<std::size_t>(1 - p)].weight.data(),
                      scratch[static_cast<std::size_t>(p)].data(), 0);
    }
    if (stop_) break;
    report_.iterations = it;
    progress_.iteration = it;
    measured = false;
    if (it >= next_check) {
      if (!take_measure()) break;
      const double e = report_.exploitability_pct;
      int gap = check_every;
      if (o.target_pct > 0 && last_e > e && e > o.target_pct && last_t > 0) {
        const double power = std::clamp(std::log(last_e / e) / std::log(static_cast<double>(it) / last_t), 0.5, 4.0);
        const double predicted = it * std::pow(e / o.target_pct, 1.0 / power);
        gap = std::clamp(static_cast<int>(std::ceil((predicted - it) * 2.0 / 3.0)), 1, 2 * check_every);
      }
      last_e = e;
      last_t = it;
      next_check = it + gap;
      if (o.target_pct > 0 && report_.exploitability_pct <= o.target_pct) {
        report_.converged = true;
        report_.stop = StopReason::target;
        break;
      }
    }
    if (o.max_seconds > 0 && elapsed() >= o.max_seconds) {
      timed_out_ = true;
      break;
    }
  }
  if (cancelled_) report_.stop = StopReason::cancelled;
  else if (timed_out_) report_.stop = StopReason::seconds;
  stop_ = false;
  if (!measured && !cancelled_ && report_.iterations > 0) {
    take_measure();
    if (o.target_pct > 0 && report_.exploitability_pct <= o.target_pct) report_.converged = true;
  }
  if (report_.iterations == 0) {
    report_.exploitability_pct = -1;
    report_.exploitability = -1;
  }
  report_.seconds = seconds_before_ + elapsed();
  // The last report: where the solve stopped (its answer is not asked).
  if (o.progress) {
    progress_.iteration = report_.iterations;
    progress_.seconds = report_.seconds;
    o.progress(progress_);
  }
  // Equities at the root.
  for (int p = 0; p < 2; ++p) {
    std::vector<float> eq(static_cast<std::size_t>(hands_[static_cast<std::size_t>(p)].size()));
    equity_values(root_board_, p, hands_[static_cast<std::size_t>(1 - p)].weight.data(), eq.data());
    report_.equity[static_cast<std::size_t>(p)] = root_value(p, eq.data());
  }
  solving_ = nullptr;
  return report_;
}

void Solver::Impl::equity_values(CardMask board, int me, const float* reach, float* out) const {
  const HandSet& mine = hands_[static_cast<std::size_t>(me)];
  const HandSet& theirs = hands_[static_cast<std::size_t>(1 - me)];
  const auto Hm = static_cast<std::size_t>(mine.size());
  const CardMask avail = deck_ & ~board;
  const int missing = 5 - std::popcount(board);
  std::fill(out, out + Hm, 0.0f);
  std::vector<double> sum(Hm, 0.0);
  std::vector<float> part(Hm);
  std::vector<float> scratch(terminal_scratch(theirs));
  auto add = [&](CardMask full) {
    RiverTable made;
    const RiverTable* table = nullptr;
    if (auto it = river_of_.find(full); it != river_of_.end() && static_cast<std::size_t>(it->second) < rivers_.size())
      table = &rivers_[static_cast<std::size_t>(it->second)];
    else {
      made = make_river_table(spot_.game, full, hands_);
      table = &made;
    }
    showdown_values(*table, me, mine, theirs, reach, part.data(), 1.0, 0.0, 0.5, scratch.data());
    for (std::size_t h = 0; h < Hm; ++h) sum[h] += part[h];
  };
  std::vector<int> cards;
  for (int c = 0; c < kDeckSize; ++c)
    if (avail & card_bit(c)) cards.push_back(c);
  double runouts = 1;
  if (missing == 0) add(board);
  else if (missing == 1) {
    for (int a : cards) add(board | card_bit(a));
    runouts = std::popcount(avail) - 2 * mine.hole_cards;
  } else {
    for (std::size_t i = 0; i < cards.size(); ++i)
      for (std::size_t j = i + 1; j < cards.size(); ++j) add(board | card_bit(cards[i]) | card_bit(cards[j]));
    const double left = std::popcount(avail) - 2 * mine.hole_cards;
    runouts = left * (left - 1) / 2;
  }
  // A hand sharing a card with the board has no equity.
  for (std::size_t h = 0; h < Hm; ++h) out[h] = (mine.mask[h] & board) ? 0.0f : static_cast<float>(sum[h] / runouts);
}

template void Solver::Impl::walk<Mode::cfr>(const Ctx&, std::uint32_t, std::uint32_t, const float*, float*, int) const;
template void Solver::Impl::walk<Mode::best_response>(const Ctx&, std::uint32_t, std::uint32_t, const float*, float*,
                                                      int) const;
template void Solver::Impl::walk<Mode::average>(const Ctx&, std::uint32_t, std::uint32_t, const float*, float*,
                                                int) const;

}  // namespace oddsmith::solver
