#include "calculator/internal/tally.h"

namespace oddsmith::calc {

void SweepTally::add(const SweepTally& o) {
  if (players.size() < o.players.size()) players.resize(o.players.size());
  for (std::size_t p = 0; p < o.players.size(); ++p) players[p].add(o.players[p]);
  weight += o.weight;
  deals += o.deals;
  if (first_hands.size() < o.first_hands.size()) first_hands.resize(o.first_hands.size());
  for (std::size_t h = 0; h < o.first_hands.size(); ++h) {
    first_hands[h].win += o.first_hands[h].win;
    first_hands[h].tie += o.first_hands[h].tie;
    first_hands[h].weight += o.first_hands[h].weight;
  }
}

SweepResult run_in_chunk_order(int players, const ChunkSchedule& schedule, const ChunkWork& work, ProgressFn progress,
                               void* user) {
  SweepResult result;
  result.tally.players.assign(static_cast<std::size_t>(players), Tally{});
  const std::size_t batch = std::max<std::size_t>(1, schedule.batch);
  std::vector<SweepTally> tallies;
  std::vector<char> failed;
  for (std::size_t first = 0; first < schedule.chunks; first += batch) {
    const std::size_t count = std::min(batch, schedule.chunks - first);
    tallies.assign(count, SweepTally{});
    failed.assign(count, 0);
    struct Scaled {
      const ChunkSchedule& schedule;
      ProgressFn fn;
      void* user;
      double before, count;
    } scaled{schedule, progress, user, static_cast<double>(first), static_cast<double>(count)};
    const ProgressFn report = [](double done, void* s) {
      const auto* sc = static_cast<const Scaled*>(s);
      const double chunks_done = sc->before + done * sc->count;
      return sc->fn(sc->schedule.share ? sc->schedule.share(chunks_done)
                                       : chunks_done / static_cast<double>(sc->schedule.chunks),
                    sc->user);
    };
    const RunStatus status = run_chunks(
        count, thread_count(schedule.threads, count),
        [&](std::size_t c, const ChunkPoll& poll) {
          // Filled on the thread's own allocation, then moved to its slot: the
          // slots' small vectors, allocated together, share cache lines, and
          // threads writing them deal after deal would fight over those lines.
          SweepTally t;
          t.players.assign(static_cast<std::size_t>(players), Tally{});
          if (!work(first + c, t, poll)) failed[c] = 1;
          // A chunk stopped part-way counts for nothing.
          if (!poll.stopped()) tallies[c] = std::move(t);
        },
        progress ? report : nullptr, &scaled, schedule.deadline);
    for (const SweepTally& t : tallies) result.tally.add(t);
    if (status != RunStatus::done) {
      result.status = status;
      return result;
    }
    if (std::find(failed.begin(), failed.end(), 1) != failed.end()) {
      result.stuck = true;
      return result;
    }
    if (schedule.after_batch && !schedule.after_batch(result.tally, first + count)) break;
  }
  return result;
}

}  // namespace oddsmith::calc
