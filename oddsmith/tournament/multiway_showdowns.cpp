// Monte-Carlo showdowns of three or more hands on the seven-card evaluator.
#include "tournament/internal/multiway_showdowns.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "cards/card.h"
#include "eval/five_seven.h"

namespace oddsmith::tournament {

namespace {

std::uint64_t splitmix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

constexpr int kTries = 400;
constexpr int kMaxSeats = 10;

}  // namespace

ShowdownRng::ShowdownRng(std::uint64_t seed) {
  for (auto& word : s_) word = splitmix(seed);
}

std::uint64_t ShowdownRng::next() {
  const std::uint64_t result = std::rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = std::rotl(s_[3], 45);
  return result;
}

bool make_class_cdf(const double* weights, ClassCdf& cdf) {
  double sum = 0;
  for (std::size_t c = 0; c < kClasses; ++c) {
    sum += std::max(0.0, weights[c]);
    cdf[c] = sum;
  }
  if (!(sum > 0)) return false;
  for (double& v : cdf) v /= sum;
  cdf[kClasses - 1] = 1.0;
  return true;
}

ShowdownDealer::ShowdownDealer() {
  for (int a = 0; a < kDeckSize; ++a) {
    for (int b = a + 1; b < kDeckSize; ++b) {
      const auto cls = static_cast<std::size_t>(class_of(a, b));
      const auto slot = 2 * static_cast<std::size_t>(hands_[cls]);
      cards_[cls][slot] = static_cast<std::uint8_t>(a);
      cards_[cls][slot + 1] = static_cast<std::uint8_t>(b);
      ++hands_[cls];
    }
  }
}

bool ShowdownDealer::deal(ShowdownRng& rng, int seats, int hero, int hero_class, int combo, const ClassCdf* const* cdfs,
                          int* strength) const {
  const auto hc = static_cast<std::size_t>(hero_class);
  const auto hi = 2 * static_cast<std::size_t>(combo % hands_[hc]);
  int hole[kMaxSeats][2];
  hole[hero][0] = cards_[hc][hi];
  hole[hero][1] = cards_[hc][hi + 1];
  const CardMask hero_cards = card_bit(hole[hero][0]) | card_bit(hole[hero][1]);
  for (int attempt = 0; attempt < kTries; ++attempt) {
    CardMask used = hero_cards;
    bool clash = false;
    for (int s = 0; s < seats && !clash; ++s) {
      if (s == hero) continue;
      const ClassCdf& cdf = *cdfs[s];
      const double u = rng.uniform();
      const auto cls = static_cast<std::size_t>(
          std::min<std::ptrdiff_t>(std::upper_bound(cdf.begin(), cdf.end(), u) - cdf.begin(), kClasses - 1));
      const auto pick = static_cast<std::size_t>(2 * (rng.next() % static_cast<std::uint64_t>(hands_[cls])));
      const int a = cards_[cls][pick];
      const int b = cards_[cls][pick + 1];
      const CardMask mask = card_bit(a) | card_bit(b);
      if (used & mask) {
        clash = true;
      } else {
        used |= mask;
        hole[s][0] = a;
        hole[s][1] = b;
      }
    }
    if (clash) continue;
    int board[5];
    for (int& card : board) {
      int c = 0;
      do {
        c = static_cast<int>(rng.next() % kDeckSize);
      } while (used & card_bit(c));
      used |= card_bit(c);
      card = c;
    }
    for (int s = 0; s < seats; ++s)
      strength[s] = eval7(hole[s][0], hole[s][1], board[0], board[1], board[2], board[3], board[4]);
    return true;
  }
  return false;
}

SampledEquity sample_equity(int hero_class, const std::vector<std::array<double, kClasses>>& others,
                            std::int64_t deals, std::uint64_t seed) {
  SampledEquity out;
  const int seats = static_cast<int>(others.size()) + 1;
  if (seats > kMaxSeats || deals < 1) return out;
  std::vector<ClassCdf> cdfs(others.size() + 1);
  std::vector<const ClassCdf*> pointers(cdfs.size(), nullptr);
  for (std::size_t s = 0; s < others.size(); ++s) {
    if (!make_class_cdf(others[s].data(), cdfs[s + 1])) return out;
    pointers[s + 1] = &cdfs[s + 1];
  }
  const ShowdownDealer dealer;
  ShowdownRng rng(seed);
  double sum = 0, squares = 0;
  int strength[kMaxSeats];
  for (std::int64_t d = 0; d < deals; ++d) {
    if (!dealer.deal(rng, seats, 0, hero_class, static_cast<int>(d % 12), pointers.data(), strength)) return out;
    const int best = *std::min_element(strength, strength + seats);
    const auto tied = std::count(strength, strength + seats, best);
    const double share = strength[0] == best ? 1.0 / static_cast<double>(tied) : 0.0;
    sum += share;
    squares += share * share;
  }
  const auto n = static_cast<double>(deals);
  out.deals = deals;
  out.equity = sum / n;
  out.std_error = std::sqrt(std::max(0.0, squares / n - out.equity * out.equity) / n);
  return out;
}

}  // namespace oddsmith::tournament
