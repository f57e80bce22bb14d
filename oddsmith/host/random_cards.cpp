#include "host/internal/random_cards.h"

namespace oddsmith::host {

// Where the loader can pick among builds for the processor (ELF, GCC), a second
// build uses AVX2's eight lanes: the same words for about half the instructions.
#if defined(__ELF__) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
[[gnu::target_clones("avx2", "default")]]
#endif
void DealRng::refill() {
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

}  // namespace oddsmith::host
