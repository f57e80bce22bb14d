// The calculator's random numbers: xoshiro256** streams, one per chunk of deals,
// each seeded from (seed, chunk) through splitmix64. A chunk's draws depend on
// nothing else, so a run's result does not depend on how chunks meet threads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace oddsmith::calc {

inline std::uint64_t splitmix64(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

class RandomStream {
 public:
  RandomStream(std::uint64_t seed, std::uint64_t chunk) {
    std::uint64_t x = seed ^ (chunk * 0xd1b54a32d192ed03ull);
    for (std::uint64_t& word : s_) word = splitmix64(x);
  }

  std::uint64_t next() {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
  }

  // Uniform in [0, n) for n < 2^32, by a multiply (bias below 2^-32 n).
  std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(((next() >> 32) * n) >> 32); }

  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) * 0x1p-53; }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4] = {};  // all four words set by the constructor
};

// Four xoshiro256** streams stepped together, seeded from a stream's outputs,
// for filling blocks of 16-bit pieces: each step's four words lane by lane
// (lane 0, 1, 2, 3), each word's pieces low bits first, the same on any
// little-endian processor.
class RandomLanes {
 public:
  explicit RandomLanes(RandomStream& seed_from) {
    for (Vector& word : s_)
      for (int lane = 0; lane < 4; ++lane) word[lane] = seed_from.next();
  }

  // The pieces of `count` words (a multiple of four) into out.
  void fill(std::uint16_t* out, std::ptrdiff_t count);

 private:
  using Vector = std::uint64_t __attribute__((vector_size(32)));
  Vector s_[4] = {};
};

}  // namespace oddsmith::calc
