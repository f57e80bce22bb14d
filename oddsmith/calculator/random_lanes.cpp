#include <cstring>

#include "calculator/internal/random_stream.h"

namespace oddsmith::calc {

// Where the loader can pick among builds for the processor (ELF, GCC), a second
// build steps the four lanes in one AVX2 register; elsewhere the compiler uses
// pairs of SSE2 registers. The numbers are the same.
#if defined(__ELF__) && defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
[[gnu::target_clones("avx2", "default")]]
#endif
void RandomLanes::fill(std::uint16_t* out, std::ptrdiff_t count) {
  Vector s0 = s_[0], s1 = s_[1], s2 = s_[2], s3 = s_[3];
  for (std::ptrdiff_t i = 0; i + 4 <= count; i += 4) {
    const Vector x = (s1 << 2) + s1;                       // s1 * 5
    const Vector r = (x << 7) | (x >> 57);                 // rotl(s1 * 5, 7)
    const Vector result = (r << 3) + r;                    // ... * 9
    const Vector t = s1 << 17;
    s2 ^= s0;
    s3 ^= s1;
    s1 ^= s2;
    s0 ^= s3;
    s2 ^= t;
    s3 = (s3 << 45) | (s3 >> 19);
    std::memcpy(out + 4 * i, &result, sizeof result);
  }
  s_[0] = s0;
  s_[1] = s1;
  s_[2] = s2;
  s_[3] = s3;
}

}  // namespace oddsmith::calc
