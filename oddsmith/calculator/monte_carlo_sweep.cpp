// Monte-Carlo sweep. Deals come in chunks of kChunkDeals, chunk i drawing from
// its own stream (seed, i); a run stopping on a standard error checks it only
// after whole batches of chunks, so where it stops does not depend on threads.
// Tallies are added batch by batch, so memory does not grow with the trials.
#include <algorithm>
#include <array>
#include <chrono>

#include "calculator/random_stream.h"
#include "calculator/sweeps.h"

namespace oddsmith::calc {

namespace {

constexpr std::int64_t kChunkDeals = 4096;
constexpr std::size_t kTargetBatchChunks = 64;   // between standard-error checks
constexpr std::size_t kTrialsBatchChunks = 256;  // a fixed trial count: only memory and progress depend on it
constexpr std::int64_t kMaxDeals = std::int64_t{1} << 34;  // a stopping point for any target
constexpr int kMaxRejections = 1'000'000;                 // in a row, before giving up

// Draws hand indexes by weight in constant time (Vose's alias method).
class HandSampler {
 public:
  explicit HandSampler(const std::vector<RangeHand>& hands) : n_(static_cast<std::uint32_t>(hands.size())) {
    const bool uniform = std::all_of(hands.begin(), hands.end(), [&](const RangeHand& h) { return h.weight == hands[0].weight; });
    if (uniform) return;
    double total = 0;
    for (const RangeHand& h : hands) total += h.weight;
    prob_.resize(n_);
    alias_.resize(n_);
    std::vector<double> scaled(n_);
    std::vector<std::uint32_t> small, large;
    for (std::uint32_t i = 0; i < n_; ++i) {
      scaled[i] = hands[i].weight * n_ / total;
      (scaled[i] < 1 ? small : large).push_back(i);
    }
    while (!small.empty() && !large.empty()) {
      const std::uint32_t s = small.back(), l = large.back();
      small.pop_back();
      prob_[s] = scaled[s];
      alias_[s] = l;
      scaled[l] -= 1 - scaled[s];
      if (scaled[l] < 1) {
        large.pop_back();
        small.push_back(l);
      }
    }
    for (std::uint32_t i : large) prob_[i] = 1, alias_[i] = i;
    for (std::uint32_t i : small) prob_[i] = 1, alias_[i] = i;
  }

  std::uint32_t draw(RandomStream& rng) const {
    const std::uint32_t i = rng.below(n_);
    if (prob_.empty()) return i;
    return rng.unit() < prob_[i] ? i : alias_[i];
  }

 private:
  std::uint32_t n_;
  std::vector<double> prob_;
  std::vector<std::uint32_t> alias_;
};

// Omaha's unsuited table is about 22 MB and every deal lands in a new row of it:
// its reads are made for a batch of deals at once, so that their cache and TLB
// misses overlap (see equity/omaha.cpp). Hold'em's tables stay in the cache.
constexpr int kValueBatch = 32;

// One chunk's scratch: each deal's hands (chosen[deal * players + p]) and
// prepared board, and the Omaha table reads of a batch.
template <Game G>
struct DealScratch {
  std::vector<std::uint32_t> chosen, index;
  std::vector<typename Evaluator<G>::Board> boards;
  std::vector<int> unsuited;
  std::array<const typename Evaluator<G>::HandKey*, kMaxPlayers> keys{};  // each player's, by address
  int board[5] = {};
};

// Deals `deals` deals from `rng` into `out`; false when the draws kept clashing.
template <Game G>
bool deal_block(const PreparedQuery& q, const std::vector<HandSampler>& samplers, RandomStream& stream, std::int64_t deals,
                DealScratch<G>& scratch, SweepTally& out) {
  using E = Evaluator<G>;
  RandomStream rng = stream;  // a local copy the compiler keeps in registers, stored back at the end
  struct StoreBack {
    RandomStream& to;
    const RandomStream& from;
    ~StoreBack() { to = from; }
  } store_back{stream, rng};
  constexpr bool kBatched = G != Game::holdem;
  constexpr int kBatch = kBatched ? kValueBatch : 1;
  const CardMask base = q.known_mask | q.dead;
  std::array<HandValue, kMaxPlayers> values{};
  const auto& keys = scratch.keys;
  const std::size_t players = static_cast<std::size_t>(q.players);
  std::uint32_t* const chosen = scratch.chosen.data();
  typename E::Board* const boards = scratch.boards.data();
  std::uint32_t* const index = scratch.index.data();
  int* const unsuited = scratch.unsuited.data();
  int* const board = scratch.board;
  for (std::int64_t first = 0; first < deals; first += kBatch) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(kBatch, deals - first));
    for (std::size_t d = 0; d < n; ++d) {
      std::uint32_t* pick = &chosen[d * players];
      CardMask used;
      for (int rejections = 0;; ++rejections) {
        if (rejections == kMaxRejections) return false;
        used = base;
        std::size_t p = 0;
        for (; p < players; ++p) {
          const std::uint32_t i = samplers[p].draw(rng);
          const CardMask m = q.hands[p][i].mask;
          if (m & used) break;
          used |= m;
          pick[p] = i;
        }
        if (p == players) break;
      }
      for (int i = q.known; i < 5; ++i) {
        int card;
        do card = static_cast<int>(rng.below(kDeckSize));
        while (used & card_bit(card));
        used |= card_bit(card);
        board[i] = card;
      }
      boards[d] = E::prepare(board);
    }
    if constexpr (kBatched) {
      for (std::size_t d = 0; d < n; ++d)
        for (std::size_t p = 0; p < players; ++p)
          index[d * players + p] = E::unsuited_index(boards[d], keys[p][chosen[d * players + p]]);
      for (std::size_t i = 0; i < n * players; ++i) unsuited[i] = osm_omaha_unsuited_value[index[i]];
    }
    for (std::size_t d = 0; d < n; ++d) {
      for (std::size_t p = 0; p < players; ++p) {
        const auto& key = keys[p][chosen[d * players + p]];
        if constexpr (kBatched) values[p] = E::value_given(boards[d], key, unsuited[d * players + p]);
        else values[p] = E::value(boards[d], key);
      }
      settle<G>(values.data(), q.players, 1.0, out.players.data());
    }
  }
  return true;
}

// One chunk: its own stream, its deals in blocks, and between blocks a report
// and a look for a cancel (many players take a while over a chunk).
template <Game G>
bool run_chunk(const PreparedQuery& q, const std::vector<HandSampler>& samplers, const HandKeys<G>& hand_keys,
               std::uint64_t seed, std::uint64_t chunk, std::int64_t deals, SweepTally& out, const ChunkPoll& poll) {
  constexpr std::int64_t kBlock = G == Game::holdem ? 256 : kValueBatch;
  RandomStream rng(seed, chunk);
  out.players.assign(static_cast<std::size_t>(q.players), Tally{});
  const std::size_t players = static_cast<std::size_t>(q.players);
  const std::size_t batch = G == Game::holdem ? 1 : kValueBatch;
  DealScratch<G> scratch;
  scratch.chosen.resize(batch * players);
  scratch.boards.resize(batch);
  scratch.index.resize(G == Game::holdem ? 0 : batch * players);
  scratch.unsuited.resize(scratch.index.size());
  for (std::size_t p = 0; p < hand_keys.of.size(); ++p) scratch.keys[p] = hand_keys.of[p].data();
  for (int i = 0; i < q.known; ++i) scratch.board[i] = q.board[i];
  for (std::int64_t first = 0; first < deals; first += kBlock) {
    if (first > 0 && poll(static_cast<double>(first) / static_cast<double>(deals))) return true;
    if (!deal_block<G>(q, samplers, rng, std::min(kBlock, deals - first), scratch, out)) return false;
  }
  out.weight = static_cast<double>(deals);
  out.deals = deals;
  return true;
}

double largest_stderr(const SweepTally& t) {
  double worst = 0;
  for (const Tally& p : t.players) worst = std::max(worst, p.standard_error(static_cast<double>(t.deals)));
  return worst;
}

template <Game G>
SweepResult run_game(const PreparedQuery& q, const MonteCarloRun& run, ProgressFn progress, void* user) {
  std::vector<HandSampler> samplers;
  for (const auto& hands : q.hands) samplers.emplace_back(hands);
  const HandKeys<G> keys(q.hands);
  const bool fixed = run.trials > 0;
  const std::int64_t goal = fixed ? run.trials : kMaxDeals;
  auto deals_in = [&](std::size_t chunk) {
    return std::min<std::int64_t>(kChunkDeals, goal - static_cast<std::int64_t>(chunk) * kChunkDeals);
  };
  ChunkSchedule schedule;
  schedule.chunks = static_cast<std::size_t>((goal + kChunkDeals - 1) / kChunkDeals);
  schedule.batch = fixed ? kTrialsBatchChunks : kTargetBatchChunks;
  schedule.threads = run.threads;
  // A target: the deals it is expected to need, from the standard error so far
  // (it falls as one over the square root of the deals); checked after every
  // batch, and given up once reaching it would outlast the time bound.
  const auto start = std::chrono::steady_clock::now();
  double expected = 4.0 * kTargetBatchChunks * kChunkDeals;  // a first guess
  bool gave_up = false;
  if (!fixed) {
    schedule.share = [&](double chunks_done) { return std::min(1.0, chunks_done * kChunkDeals / expected); };
    schedule.after_batch = [&](const SweepTally& total, std::size_t) {
      const double se = largest_stderr(total), done = static_cast<double>(total.deals);
      if (se <= run.target_stderr) return false;
      const double needed = done * (se / run.target_stderr) * (se / run.target_stderr);
      const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (needed > static_cast<double>(kMaxDeals) || needed / done * elapsed > run.max_seconds) {
        gave_up = true;
        return false;
      }
      expected = std::max(done + static_cast<double>(kTargetBatchChunks * kChunkDeals), needed);
      return true;
    };
  }
  SweepResult result = run_in_chunk_order(
      q.players, schedule,
      [&](std::size_t c, SweepTally& out, const ChunkPoll& poll) {
        return run_chunk<G>(q, samplers, keys, run.seed, c, deals_in(c), out, poll);
      }, progress,
      user);
  if (!fixed && result.status == RunStatus::done && !result.stuck)
    result.target_met = !gave_up && largest_stderr(result.tally) <= run.target_stderr;
  return result;
}

}  // namespace

SweepResult run_monte_carlo(const PreparedQuery& q, const MonteCarloRun& run, ProgressFn progress, void* user) {
  switch (q.game) {
    case Game::holdem: return run_game<Game::holdem>(q, run, progress, user);
    case Game::omaha: return run_game<Game::omaha>(q, run, progress, user);
    case Game::omaha_hilo: return run_game<Game::omaha_hilo>(q, run, progress, user);
  }
  return {};
}

}  // namespace oddsmith::calc
