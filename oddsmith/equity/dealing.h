// Uniform card draws and the dealing rule shared by every game. The library keeps
// no deck: a random card is drawn from all 52 and drawn again while it is already
// placed in the deal. A 64-bit mask of placed cards stands in for scanning the
// player's, the opponents' and the board's cards; the draws consumed are the same.
#pragma once

#include <cstdint>

#include "cards/card.h"
#include "equity/deal_rng.h"

namespace oddsmith {

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
  int n = 0;
  draw_cards_while(gen, [&](int card) {
    const CardMask bit = card_bit(card);
    out[n] = card;
    n += (placed & bit) == 0;
    placed |= bit;
    return n < count;
  });
}

}  // namespace oddsmith
