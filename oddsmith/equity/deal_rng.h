// deal_rng: the 32-bit Mersenne Twister (MT19937) with the standard seeding and
// tempering, so its outputs are exactly those of std::mt19937. It regenerates and
// tempers all 624 words in one pass, which the compiler vectorises, so that each
// draw is a load and an index bump.
#pragma once

#include <cstdint>

namespace oddsmith {

class DealRng {
 public:
  explicit DealRng(std::uint32_t seed) {
    state_[0] = seed;
    for (std::uint32_t i = 1; i < kWords; ++i)
      state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + i;
  }

  std::uint32_t next() {
    if (pos_ == kWords) [[unlikely]] refill();
    return out_[pos_++];
  }

 private:
  static constexpr std::uint32_t kWords = 624, kShift = 397;

  static std::uint32_t twist(std::uint32_t upper, std::uint32_t lower, std::uint32_t far) {
    const std::uint32_t y = (upper & 0x80000000u) | (lower & 0x7fffffffu);
    return far ^ (y >> 1) ^ ((0u - (y & 1u)) & 0x9908b0dfu);
  }

  // Kept out of line so that next() stays small enough to inline into the draws.
  [[gnu::noinline]] void refill() {
    std::uint32_t i = 0;
    for (; i < kWords - kShift; ++i) state_[i] = twist(state_[i], state_[i + 1], state_[i + kShift]);
    for (; i < kWords - 1; ++i) state_[i] = twist(state_[i], state_[i + 1], state_[i + kShift - kWords]);
    state_[kWords - 1] = twist(state_[kWords - 1], state_[0], state_[kShift - 1]);
    for (i = 0; i < kWords; ++i) {
      std::uint32_t y = state_[i];
      y ^= y >> 11;
      y ^= (y << 7) & 0x9d2c5680u;
      y ^= (y << 15) & 0xefc60000u;
      y ^= y >> 18;
      out_[i] = y;
    }
    pos_ = 0;
  }

  std::uint32_t state_[kWords];  // fully written by the constructor
  std::uint32_t out_[kWords] = {};  // written by refill() before the first read
  std::uint32_t pos_ = kWords;
};

}  // namespace oddsmith
