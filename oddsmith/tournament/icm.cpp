// Malmuth-Harville prize equity.
//
// Exact: the players with chips take the paid places first. A set S of them
// holds the top |S| places with probability f(S); the next place goes to
// player i outside S with probability f(S) * s_i / (total - sum of S). The sets
// are walked layer by layer (|S| = 0, 1, ... up to the places paid), each layer
// an array in colexicographic order, so that only two layers are held and a
// field paying k places visits the subsets of fewer than k players only.
//
// Monte Carlo: a finishing order drawn under the same model is an exponential
// race (player i's time is Exp(1) / s_i, fastest first), so one sample is n
// random numbers and a partial sort of the paid places.
//
// Players with no chips take the last places, sharing their prizes equally;
// players with equal stacks get equal shares (each group's mean), which the
// model owes them and which also lowers the Monte-Carlo error.
#include "tournament/icm.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <map>
#include <numeric>

namespace oddsmith::tournament {
namespace {

using Clock = std::chrono::steady_clock;

// Fields up to this many players with chips may hold every subset (2^22 doubles twice: 64 MiB).
constexpr std::size_t kDenseExactPlayers = 22;

// The players with chips, grouped by equal stack.
struct Field {
  std::vector<std::size_t> live;   // indices of players with chips
  std::vector<std::size_t> empty;  // indices of players without
  std::vector<int> group;          // per player: its equal-stack group
  std::vector<int> group_size;
};

Field make_field(const std::vector<double>& stacks) {
  Field field;
  std::map<double, int> groups;
  field.group.resize(stacks.size());
  for (std::size_t i = 0; i < stacks.size(); ++i) {
    (stacks[i] > 0 ? field.live : field.empty).push_back(i);
    const auto [it, added] = groups.emplace(stacks[i], static_cast<int>(groups.size()));
    if (added) {
      field.group_size.push_back(0);
    }
    field.group[i] = it->second;
    ++field.group_size[static_cast<std::size_t>(it->second)];
  }
  return field;
}

// Each equal-stack group's members get the group's mean.
void even_out_groups(const Field& field, std::vector<double>& equity) {
  std::vector<double> sums(field.group_size.size(), 0.0);
  for (std::size_t i = 0; i < equity.size(); ++i) {
    sums[static_cast<std::size_t>(field.group[i])] += equity[i];
  }
  for (std::size_t i = 0; i < equity.size(); ++i) {
    const auto g = static_cast<std::size_t>(field.group[i]);
    equity[i] = sums[g] / field.group_size[g];
  }
}

// The places the players without chips fill (after every live player) and share.
void share_last_places(const Field& field, const std::vector<double>& payouts, std::vector<double>& equity) {
  double rest = 0;
  for (std::size_t place = field.live.size(); place < payouts.size(); ++place) {
    rest += payouts[place];
  }
  for (const std::size_t i : field.empty) {
    equity[i] = rest / static_cast<double>(field.empty.size());
  }
}

// C(a, b) for a < 64, b < 66, as integers (the subsets' ranks are sums of them).
using Binomials = std::array<std::array<std::uint64_t, 66>, 65>;
Binomials binomials() {
  Binomials c{};
  for (std::size_t a = 0; a < c.size(); ++a) {
    c[a][0] = 1;
    for (std::size_t b = 1; b <= a; ++b) {
      c[a][b] = c[a - 1][b - 1] + (b < a ? c[a - 1][b] : 0);
    }
  }
  return c;
}

std::uint64_t next_same_popcount(std::uint64_t v) {  // the next larger mask with as many bits
  const std::uint64_t t = v | (v - 1);
  return (t + 1) | (((~t & (t + 1)) - 1) >> (std::countr_zero(v) + 1));
}

// The chips of the players outside the set `mask` (the places still to
// fill): the total less the set's, unless that difference has lost its
// precision (a stack many orders of magnitude above the rest: 1e300 beside
// 7 leaves 0), when they are added up one by one.
double chips_left(double total, double held, const std::vector<double>& s, std::uint64_t mask) {
  const double left = total - held;
  if (left > total * 1e-6) return left;
  double sum = 0;
  for (std::size_t i = 0; i < s.size(); ++i)
    if ((mask >> i & 1) == 0) sum += s[i];
  return sum;
}

IcmOutcome run_exact(const IcmQuery& query, const Field& field, Clock::time_point deadline) {
  IcmOutcome out;
  out.exact = true;
  const int m = static_cast<int>(field.live.size());
  const int depth = std::min<int>(m, static_cast<int>(query.payouts.size()));
  std::vector<double> s(static_cast<std::size_t>(m));
  double total = 0;
  for (int i = 0; i < m; ++i) {
    s[static_cast<std::size_t>(i)] = query.stacks[field.live[static_cast<std::size_t>(i)]];
    total += s[static_cast<std::size_t>(i)];
  }
  const Binomials c = binomials();
  const double subsets = icm_exact_subsets(query.stacks, query.payouts.size());
  std::vector<double> live_equity(static_cast<std::size_t>(m), 0.0);
  std::vector<double> layer{1.0};
  std::vector<double> next;
  std::array<int, 64> members{};
  std::array<std::uint64_t, 65> prefix{};
  std::array<std::uint64_t, 65> suffix{};
  double visited = 0;
  for (int size = 0; size < depth; ++size) {
    const bool last = size + 1 == depth;
    if (!last) {
      next.assign(c[static_cast<std::size_t>(m)][static_cast<std::size_t>(size) + 1], 0.0);
    }
    const double prize = query.payouts[static_cast<std::size_t>(size)];
    std::uint64_t mask = size == 0 ? 0 : (std::uint64_t{1} << size) - 1;
    for (std::size_t index = 0; index < layer.size(); ++index, mask = size == 0 ? 0 : next_same_popcount(mask)) {
      if ((index & 0xffff) == 0xffff) {
        if (Clock::now() > deadline) {
          out.status = IcmStatus::bad_query;
          out.error = "the exact run outlasted its time bound; ask for Monte Carlo or a longer bound";
          return out;
        }
        if (query.progress != nullptr && query.progress((visited + static_cast<double>(index)) / subsets, query.progress_user)) {
          out.status = IcmStatus::cancelled;
          out.error = "cancelled";
          return out;
        }
      }
      const double f = layer[index];
      if (f == 0) {
        continue;
      }
      double held = 0;
      int count = 0;
      for (std::uint64_t bits = mask; bits != 0; bits &= bits - 1) {
        const int member = std::countr_zero(bits);
        members[static_cast<std::size_t>(count++)] = member;
        held += s[static_cast<std::size_t>(member)];
      }
      const double share = f / chips_left(total, held, s, mask);
      if (!last) {
        // rank(S + i) = prefix[t] + C(i, t + 1) + suffix[t], t = members of S below i.
        prefix[0] = 0;
        for (int t = 0; t < count; ++t) {
          prefix[static_cast<std::size_t>(t) + 1] =
              prefix[static_cast<std::size_t>(t)] + c[static_cast<std::size_t>(members[static_cast<std::size_t>(t)])][static_cast<std::size_t>(t) + 1];
        }
        suffix[static_cast<std::size_t>(count)] = 0;
        for (int t = count - 1; t >= 0; --t) {
          suffix[static_cast<std::size_t>(t)] =
              suffix[static_cast<std::size_t>(t) + 1] + c[static_cast<std::size_t>(members[static_cast<std::size_t>(t)])][static_cast<std::size_t>(t) + 2];
        }
      }
      int below = 0;
      for (int i = 0; i < m; ++i) {
        if (below < count && members[static_cast<std::size_t>(below)] == i) {
          ++below;
          continue;
        }
        const double p = share * s[static_cast<std::size_t>(i)];
        live_equity[static_cast<std::size_t>(i)] += p * prize;
        if (!last) {
          const std::uint64_t rank = prefix[static_cast<std::size_t>(below)] +
                              c[static_cast<std::size_t>(i)][static_cast<std::size_t>(below) + 1] +
                              suffix[static_cast<std::size_t>(below)];
          next[rank] += p;
        }
      }
    }
    visited += static_cast<double>(layer.size());
    layer.swap(next);
  }
  out.equity.assign(query.stacks.size(), 0.0);
  for (int i = 0; i < m; ++i) {
    out.equity[field.live[static_cast<std::size_t>(i)]] = live_equity[static_cast<std::size_t>(i)];
  }
  out.std_error.assign(query.stacks.size(), 0.0);
  out.status = IcmStatus::ok;
  return out;
}

// The same recursion for a small field, every subset held at once and indexed
// by its bit mask: a set's successors S + i are found without ranking, and
// walking the masks in increasing order visits every set after all its subsets.
IcmOutcome run_exact_dense(const IcmQuery& query, const Field& field, Clock::time_point deadline) {
  IcmOutcome out;
  out.exact = true;
  const std::size_t m = field.live.size();
  const int depth = std::min<int>(static_cast<int>(m), static_cast<int>(query.payouts.size()));
  std::vector<double> s(m);
  double total = 0;
  for (std::size_t i = 0; i < m; ++i) {
    s[i] = query.stacks[field.live[i]];
    total += s[i];
  }
  const std::uint32_t full = (std::uint32_t{1} << m) - 1;
  std::vector<double> f(std::size_t{full} + 1, 0.0);
  std::vector<double> held(std::size_t{full} + 1, 0.0);  // chips of the set
  std::vector<double> live_equity(m, 0.0);
  f[0] = 1;
  for (std::uint32_t mask = 0; mask < full; ++mask) {
    if ((mask & 0xffff) == 0xffff) {
      if (Clock::now() > deadline) {
        out.status = IcmStatus::bad_query;
        out.error = "the exact run outlasted its time bound; ask for Monte Carlo or a longer bound";
        return out;
      }
      if (query.progress != nullptr && query.progress(static_cast<double>(mask) / full, query.progress_user)) {
        out.status = IcmStatus::cancelled;
        out.error = "cancelled";
        return out;
      }
    }
    if (mask != 0) held[mask] = held[mask & (mask - 1)] + s[static_cast<std::size_t>(std::countr_zero(mask))];
    const double p_set = f[mask];
    const int size = std::popcount(mask);
    if (p_set == 0 || size >= depth) continue;
    const double share = p_set / chips_left(total, held[mask], s, mask);
    const double prize = query.payouts[static_cast<std::size_t>(size)];
    const bool last = size + 1 == depth;
    for (std::size_t i = 0; i < m; ++i) {
      const std::uint32_t bit = std::uint32_t{1} << i;
      if ((mask & bit) != 0) continue;
      const double p = share * s[i];
      live_equity[i] += p * prize;
      if (!last) f[mask | bit] += p;
    }
  }
  out.equity.assign(query.stacks.size(), 0.0);
  for (std::size_t i = 0; i < m; ++i) out.equity[field.live[i]] = live_equity[i];
  out.std_error.assign(query.stacks.size(), 0.0);
  out.status = IcmStatus::ok;
  return out;
}

// xoshiro256** seeded by splitmix64: the run's one random stream.
class Random {
 public:
  explicit Random(std::uint64_t seed) {
    for (auto& word : state_) {
      seed += 0x9e3779b97f4a7c15ULL;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
      z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
      word = z ^ (z >> 31);
    }
  }
  // Uniform on (0, 1].
  double unit() {
    const std::uint64_t result = std::rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = std::rotl(state_[3], 45);
    return (static_cast<double>(result >> 11) + 1.0) * 0x1.0p-53;
  }

 private:
  std::array<std::uint64_t, 4> state_{};
};

IcmOutcome run_monte_carlo(const IcmQuery& query, const Field& field, Clock::time_point deadline) {
  IcmOutcome out;
  const std::size_t m = field.live.size();
  const std::size_t depth = std::min(m, query.payouts.size());
  const double pool = std::accumulate(query.payouts.begin(), query.payouts.end(), 0.0);
  const double target = (query.target_stderr > 0 ? query.target_stderr : kDefaultTargetStderr) * pool;
  std::vector<double> rate(m);
  for (std::size_t i = 0; i < m; ++i) {
    rate[i] = 1.0 / query.stacks[field.live[i]];
  }
  const std::size_t groups = field.group_size.size();
  std::vector<double> sum(groups, 0.0);
  std::vector<double> squares(groups, 0.0);
  std::vector<double> this_sample(groups, 0.0);
  std::vector<char> seen(groups, 0);
  std::vector<int> touched;
  std::vector<std::pair<double, std::uint32_t>> race(m);
  Random random(query.seed);
  std::int64_t n = 0;
  const std::int64_t wanted = query.samples;
  constexpr std::int64_t kBatch = 256;
  constexpr std::int64_t kFewest = 1000;  // before judging the standard error
  auto worst_error = [&] {
    double worst = 0;
    const auto count = static_cast<double>(n);
    for (std::size_t g = 0; g < groups; ++g) {
      const double mean = sum[g] / count;
      const double variance = std::max(0.0, squares[g] / count - mean * mean);
      worst = std::max(worst, std::sqrt(variance / (count - 1)));
    }
    return worst;
  };
  bool done = false;
  bool out_of_time = false;
  while (!done) {
    for (std::int64_t b = 0; b < kBatch && (wanted == 0 || n < wanted); ++b, ++n) {
      for (std::size_t i = 0; i < m; ++i) {
        race[i] = {-std::log(random.unit()) * rate[i], static_cast<std::uint32_t>(i)};
      }
      if (depth < m) {
        std::nth_element(race.begin(), race.begin() + static_cast<std::ptrdiff_t>(depth), race.end());
      }
      std::sort(race.begin(), race.begin() + static_cast<std::ptrdiff_t>(depth));
      for (std::size_t place = 0; place < depth; ++place) {
        const auto g = static_cast<std::size_t>(field.group[field.live[race[place].second]]);
        if (seen[g] == 0) {
          seen[g] = 1;
          touched.push_back(static_cast<int>(g));
        }
        this_sample[g] += query.payouts[place];
      }
      for (const int g : touched) {
        const double x = (this_sample[static_cast<std::size_t>(g)]) / field.group_size[static_cast<std::size_t>(g)];
        sum[static_cast<std::size_t>(g)] += x;
        squares[static_cast<std::size_t>(g)] += x * x;
        this_sample[static_cast<std::size_t>(g)] = 0;
        seen[static_cast<std::size_t>(g)] = 0;
      }
      touched.clear();
    }
    if (wanted > 0) {
      done = n >= wanted;
    } else {
      done = n >= kFewest && worst_error() <= target;
    }
    if (!done && Clock::now() > deadline) {
      out_of_time = true;
      break;
    }
    if (query.progress != nullptr) {
      const double share = wanted > 0 ? static_cast<double>(n) / static_cast<double>(wanted)
                                      : std::min(1.0, n < kFewest ? 0.0 : std::pow(target / std::max(worst_error(), target), 2));
      if (query.progress(share, query.progress_user)) {
        out.status = IcmStatus::cancelled;
        out.error = "cancelled";
        return out;
      }
    }
  }
  out.samples = n;
  out.equity.assign(query.stacks.size(), 0.0);
  out.std_error.assign(query.stacks.size(), 0.0);
  const auto count = static_cast<double>(n);
  for (const std::size_t i : field.live) {
    const auto g = static_cast<std::size_t>(field.group[i]);
    const double mean = sum[g] / count;
    out.equity[i] = mean;
    out.std_error[i] = n > 1 ? std::sqrt(std::max(0.0, squares[g] / count - mean * mean) / (count - 1)) : 0.0;
  }
  out.status = out_of_time ? IcmStatus::target_not_met : IcmStatus::ok;
  return out;
}

}  // namespace

std::string icm_input_error(const std::vector<double>& stacks, const std::vector<double>& payouts) {
  if (stacks.empty()) {
    return "no stacks given";
  }
  if (payouts.empty()) {
    return "no payouts given";
  }
  if (payouts.size() > stacks.size()) {
    return "more payouts (" + std::to_string(payouts.size()) + ") than players (" + std::to_string(stacks.size()) + ")";
  }
  bool any_chips = false;
  for (std::size_t i = 0; i < stacks.size(); ++i) {
    if (!std::isfinite(stacks[i]) || stacks[i] < 0) {
      return "stack " + std::to_string(i + 1) + " is negative or not a number";
    }
    any_chips = any_chips || stacks[i] > 0;
  }
  if (!any_chips) {
    return "every stack is zero";
  }
  for (std::size_t i = 0; i < payouts.size(); ++i) {
    if (!std::isfinite(payouts[i]) || payouts[i] < 0) {
      return "payout " + std::to_string(i + 1) + " is negative or not a number";
    }
  }
  return {};
}

double icm_exact_subsets(const std::vector<double>& stacks, std::size_t paid_places) {
  const auto m = static_cast<double>(std::count_if(stacks.begin(), stacks.end(), [](double s) { return s > 0; }));
  const double depth = std::min(m, static_cast<double>(paid_places));
  double subsets = 0;
  double layer = 1;  // C(m, size)
  for (double size = 0; size < depth; ++size) {
    subsets += layer;
    layer = layer * (m - size) / (size + 1);
  }
  return subsets;
}

IcmOutcome compute_icm(const IcmQuery& query) {
  const auto start = Clock::now();
  IcmOutcome out;
  out.error = icm_input_error(query.stacks, query.payouts);
  if (!out.error.empty()) {
    return out;
  }
  if (!(query.max_seconds >= 0) || query.samples < 0 || !(query.target_stderr >= 0)) {
    out.error = "a negative time bound, sample count or target";
    return out;
  }
  const double bound = query.max_seconds > 0 ? std::min(query.max_seconds, 1e9) : kDefaultMaxSeconds;
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(bound));
  const Field field = make_field(query.stacks);
  const std::size_t m = field.live.size();
  // The biggest layer: C(m, min(depth - 1, m / 2)).
  const std::size_t depth = std::min(m, query.payouts.size());
  double widest = 1;
  for (std::size_t size = 0, top = std::min(depth - 1, m / 2); size < top; ++size) {
    widest = widest * static_cast<double>(m - size) / static_cast<double>(size + 1);
  }
  const bool exact_fits = m <= 63 && widest <= kExactLayerLimit;
  bool exact = false;
  switch (query.mode) {
    case IcmMode::exact:
      if (!exact_fits) {
        out.error = "an exact run over " + std::to_string(m) + " players paying " + std::to_string(depth) +
                    " places needs too much memory; ask for Monte Carlo";
        return out;
      }
      exact = true;
      break;
    case IcmMode::automatic:
      exact = exact_fits && icm_exact_subsets(query.stacks, query.payouts.size()) <= kExactSubsetBudget;
      break;
    case IcmMode::monte_carlo:
      break;
  }
  // Every subset held at once beats the layers when most subsets are visited anyway.
  const bool dense = m <= kDenseExactPlayers &&
                     std::ldexp(1.0, static_cast<int>(m)) <= 4 * icm_exact_subsets(query.stacks, query.payouts.size());
  if (exact) {
    out = dense ? run_exact_dense(query, field, deadline) : run_exact(query, field, deadline);
  } else {
    out = run_monte_carlo(query, field, deadline);
  }
  if (out.status == IcmStatus::ok || out.status == IcmStatus::target_not_met) {
    share_last_places(field, query.payouts, out.equity);
    if (exact) {
      even_out_groups(field, out.equity);
    }
    out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  return out;
}

}  // namespace oddsmith::tournament
