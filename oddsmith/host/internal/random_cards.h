// The random source of the host's equity calls and the card draws made from it.
//
// DealRng is the 32-bit Mersenne Twister (MT19937) with the standard seeding and
// tempering, so its outputs are exactly those of std::mt19937. It regenerates and
// tempers all 624 words in one pass, which the compiler vectorises, so that each
// draw is a load and an index bump. A word past the block's end reads as one the
// card draw rejects, so a card draw tests one rarely true condition for both.
//
// The library keeps no deck: a random card is drawn from all 52 (outputs from
// kDrawRejectFrom up are discarded, the rest taken mod 52) and drawn again while
// it is already placed in the deal. A 64-bit mask of placed cards stands in for
// scanning the player's, the opponents' and the board's cards; the draws
// consumed are the same.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cards/card.h"

namespace oddsmith::host {

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

  // Regenerates and tempers the next block of 624 words. Out of line (in
  // random_cards.cpp) so that next() stays small enough to inline into the draws.
  void refill();

  std::uint32_t state_[kWords];  // fully written by the constructor
  // The block's words, written by refill() before the first read, then one word
  // that the card draw rejects: a draw that reaches it refills.
  std::uint32_t out_[kWords + 1] = {};
  // A size_t, not a uint32_t: stores through the callers' int pointers may not
  // alias it, so it stays in a register across a run of draws.
  std::size_t pos_ = kWords;
};

inline constexpr std::uint32_t kDrawRejectFrom = DealRng::kRejectFrom;

// One uniform card 0..51 from the generator (any type with next()): outputs
// from kDrawRejectFrom up are discarded, the rest taken mod 52. A generator
// that has worked out its cards ahead gives them directly.
template <class Gen>
int draw_card(Gen& gen) {
  if constexpr (requires { gen.next_card(); }) {
    return gen.next_card();
  } else {
    std::uint32_t x;
    do {
      x = gen.next();
    } while (x >= kDrawRejectFrom);
    return static_cast<int>(x % 52u);
  }
}

// Hands cards of draw_card() to `take` until it returns false.
template <class Gen, class Take>
void draw_cards_while(Gen& gen, Take&& take) {
  if constexpr (requires { gen.draw_cards_while(take); }) {
    gen.draw_cards_while(take);
  } else {
    while (take(draw_card(gen))) {
    }
  }
}

// One random card of the deal that is not yet placed; marks it placed.
template <class Gen>
int deal_card(Gen& gen, CardMask& placed) {
  int card;
  do {
    card = draw_card(gen);
  } while (placed & card_bit(card));
  placed |= card_bit(card);
  return card;
}

// `count` random cards of the deal, in order, each not yet placed; marks them
// placed. The same draws as calling deal_card `count` times, but a drawn card
// that is already placed is overwritten by the next draw instead of branching,
// so the loop mispredicts once at its end rather than at every repeat.
template <class Gen>
void deal_cards(Gen& gen, CardMask& placed, int* out, int count) {
  if (count <= 0) return;
  const std::size_t wanted = static_cast<std::size_t>(count);
  std::size_t n = 0;
  draw_cards_while(gen, [&](int card) {
    const CardMask bit = card_bit(card);
    out[n] = card;
    n += (placed & bit) == 0;
    placed |= bit;
    return n < wanted;
  });
}

}  // namespace oddsmith::host
