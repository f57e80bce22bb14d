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

bool ShowdownDealer::deal_around(ShowdownRng& rng, int seats, int hero, const ClassCdf* const* cdfs, int* strength,
                                 int* board, CardMask& used) const {
  int hole[kMaxSeats][2];
  for (int attempt = 0; attempt < kTries; ++attempt) {
    used = 0;
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
      clash = (used & mask) != 0;
      used |= mask;
      hole[s][0] = a;
      hole[s][1] = b;
    }
    if (clash) continue;
    for (int i = 0; i < 5; ++i) {
      int c = 0;
      do {
        c = static_cast<int>(rng.next() % kDeckSize);
      } while (used & card_bit(c));
      used |= card_bit(c);
      board[i] = c;
    }
    const std::uint64_t keys = board_key_sum(board);
    for (int s = 0; s < seats; ++s) {
      if (s != hero) strength[s] = strength_on_board(hole[s][0], hole[s][1], board, keys);
    }
    return true;
  }
  return false;
}

int ShowdownDealer::free_hand(ShowdownRng& rng, int cls, CardMask used, int& a, int& b) const {
  const auto& cards = cards_[static_cast<std::size_t>(cls)];
  const int count = hands_[static_cast<std::size_t>(cls)];
  int free[12];
  int n = 0;
  for (int h = 0; h < count; ++h) {
    const auto i = 2 * static_cast<std::size_t>(h);
    if (!(used & (card_bit(cards[i]) | card_bit(cards[i + 1])))) free[n++] = h;
  }
  if (n == 0) return 0;
  const auto i = 2 * static_cast<std::size_t>(free[n == 1 ? 0 : rng.next() % static_cast<std::uint64_t>(n)]);
  a = cards[i];
  b = cards[i + 1];
  return n;
}

void ShowdownDealer::value_classes(ShowdownRng& rng, CardMask used, const int* board, ClassStrengths& out) const {
  const std::uint64_t keys = board_key_sum(board);
  // Most boards leave no one a flush: there every hand of a class is as
  // strong as any other, so only how many are free is needed.
  const bool flush = board_allows_flush(keys);
  // Uniform picks below n from 32-bit pieces of the stream, two a draw.
  std::uint64_t bits = 0;
  bool spare = false;
  auto below = [&](unsigned n) {
    if (!spare) bits = rng.next();
    spare = !spare;
    const std::uint64_t piece = bits & 0xFFFFFFFFu;
    bits >>= 32;
    const std::uint64_t scaled = piece * n;  // below n * 2^32
    return static_cast<unsigned>(scaled >> 32);
  };
  for (int cls = 0; cls < kClasses; ++cls) {
    const int row = cls / 13;
    const int col = cls % 13;
    const int high = 12 - std::min(row, col);  // engine ranks: deuce 0 .. ace 12
    const int low = 12 - std::max(row, col);
    // The suits still free in each rank.
    const auto free_high = static_cast<unsigned>(~used >> (4 * high)) & 0xFu;
    const auto free_low = static_cast<unsigned>(~used >> (4 * low)) & 0xFu;
    // How many of the class's hands are free: pairs of the free suits,
    // suits free in both ranks, or free suits of each rank but the same one.
    const auto high_n = static_cast<unsigned>(std::popcount(free_high));
    const auto both_n = static_cast<unsigned>(std::popcount(free_high & free_low));
    const unsigned count = row == col ? high_n * (high_n - 1) / 2
                                      : (row < col ? both_n
                                                   : high_n * static_cast<unsigned>(std::popcount(free_low)) - both_n);
    const auto at = static_cast<std::size_t>(cls);
    out.free[at] = static_cast<std::uint8_t>(count);
    if (count == 0) continue;
    if (!flush) {
      out.strength[at] = rank_only_value7(keys + rank_count_key(high) + rank_count_key(low));
      continue;
    }
    // The j-th free hand, j drawn uniformly.
    unsigned j = below(count);
    int s1 = -1, s2 = -1;
    if (row < col) {  // suited
      unsigned both = free_high & free_low;
      for (; j != 0; --j) both &= both - 1;
      s1 = s2 = std::countr_zero(both);
    } else {
      // Pairs: two different free suits; offsuit: a free suit of each rank, not the same one.
      for (unsigned a = free_high; a != 0 && s1 < 0; a &= a - 1) {
        const unsigned lowest = a & (0u - a);
        for (unsigned b = row == col ? a & (a - 1) : free_low & ~lowest; b != 0; b &= b - 1) {
          if (j-- == 0) {
            s1 = std::countr_zero(a);
            s2 = std::countr_zero(b);
            break;
          }
        }
      }
    }
    out.strength[at] = strength_on_board(high * 4 + s1, low * 4 + s2, board, keys);
  }
}

std::uint64_t board_key_sum(const int* board) {
  const std::uint64_t* key = osm_card_key;
  return key[board[0]] + key[board[1]] + key[board[2]] + key[board[3]] + key[board[4]];
}

int strength_on_board(int a, int b, const int* board, std::uint64_t board_keys) {
  const std::uint64_t* key = osm_card_key;
  return eval7_of_sum(board_keys + key[a] + key[b], a, b, board[0], board[1], board[2], board[3], board[4]);
}

std::vector<SampledEquity> sample_class_equities(const std::vector<std::array<double, kClasses>>& others,
                                                 std::int64_t deals, std::uint64_t seed) {
  std::vector<SampledEquity> out(kClasses);
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
  // Per class: the samples' weights (the share of its hands a deal leaves
  // free), their squares, the weighted pot shares and their squares.
  std::vector<double> weights(kClasses), weight_squares(kClasses), sum(kClasses), squares(kClasses);
  int strength[kMaxSeats];
  int board[5];
  CardMask used = 0;
  ShowdownDealer::ClassStrengths classes;
  for (std::int64_t d = 0; d < deals; ++d) {
    if (!dealer.deal_around(rng, seats, 0, pointers.data(), strength, board, used)) return out;
    dealer.value_classes(rng, used, board, classes);
    const int best = *std::min_element(strength + 1, strength + seats);
    const auto tied = std::count(strength + 1, strength + seats, best);
    for (std::size_t c = 0; c < kClasses; ++c) {
      if (classes.free[c] == 0) continue;
      const int mine = classes.strength[c];
      const double share = mine < best ? 1.0 : (mine == best ? 1.0 / static_cast<double>(tied + 1) : 0.0);
      const double w = classes.free[c] / static_cast<double>(dealer.hands(static_cast<int>(c)));
      weights[c] += w;
      weight_squares[c] += w * w;
      sum[c] += w * share;
      squares[c] += w * share * share;
    }
  }
  for (std::size_t c = 0; c < kClasses; ++c) {
    if (!(weights[c] > 0)) continue;
    SampledEquity& e = out[c];
    e.deals = deals;
    e.equity = sum[c] / weights[c];
    const double variance = std::max(0.0, squares[c] / weights[c] - e.equity * e.equity);
    e.std_error = std::sqrt(variance * weight_squares[c]) / weights[c];
  }
  return out;
}

}  // namespace oddsmith::tournament
