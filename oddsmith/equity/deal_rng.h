// deal_rng: the 32-bit Mersenne Twister (MT19937) with the standard seeding and
// tempering, so its outputs are exactly those of std::mt19937. It regenerates and
// tempers all 624 words in one pass, which the compiler vectorises, so that each
// draw is a load and an index bump. A word past the block's end reads as one the
// card draw rejects, so a card draw tests one rarely true condition for both.
#pragma once

#include <cstddef>
#include <cstdint>

namespace oddsmith {

class DealRng {
 public:
  explicit DealRng(std::uint32_t seed) {
    out_[kWords] = ~std::uint32_t{0};
    state_[0] = seed;
    for (std::uint32_t i = 1; i < kWords; ++i)
      state_[i] = 1812433253u * (state_[i - 1] ^ (state_[i - 1] >> 30)) + i;
  }

  std::uint32_t next() {
    if (pos_ >= kWords) [[unlikely]] refill();
    return out_[pos_++];
  }

  // The card the next accepted word draws: exactly draw_card() over next().
  int next_card() {
    const std::uint32_t word = out_[pos_++];
    return word < kRejectFrom ? static_cast<int>(word % kCards) : next_card_slow();
  }

  // Hands the cards of next_card() one by one to `take` until it returns false.
  // The position stays in a register for the whole run.
  template <class Take>
  void draw_cards_while(Take&& take) {
    std::size_t pos = pos_;
    for (;;) {
      const std::uint32_t word = out_[pos++];
      int card;
      if (word < kRejectFrom) [[likely]] {
        card = static_cast<int>(word % kCards);
      } else {
        pos_ = pos;
        card = next_card_slow();
        pos = pos_;
      }
      if (!take(card)) break;
    }
    pos_ = pos;
  }

  // Outputs from this value up (the 48 largest) would bias x mod 52 and are discarded.
  static constexpr std::uint32_t kRejectFrom = 4294967248u;  // 52 * 82595524

 private:
  static constexpr std::uint32_t kWords = 624, kShift = 397;
  static constexpr std::uint32_t kCards = 52;

  // After a rejected word or the end of the block: reads on (refilling at the
  // end) until a word draws a card.
  [[gnu::noinline]] int next_card_slow() {
    for (;;) {
      if (pos_ > kWords) refill();
      const std::uint32_t word = out_[pos_++];
      if (word < kRejectFrom) return static_cast<int>(word % kCards);
    }
  }

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
  // The block's words, written by refill() before the first read, then one word
  // that the card draw rejects: a draw that reaches it refills.
  std::uint32_t out_[kWords + 1] = {};
  // A size_t, not a uint32_t: stores through the callers' int pointers may not
  // alias it, so it stays in a register across a run of draws.
  std::size_t pos_ = kWords;
};

}  // namespace oddsmith
