#include "host/internal/timing.h"

#include <cstdint>
#include <ctime>

#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"

namespace oddsmith::host {

namespace {

// One accumulator per timing loop, written only by that loop. Kept unsigned so
// that overflow wraps as defined behaviour.
std::uint32_t seven_card_sum = 0;
std::uint32_t omaha_high_sum = 0;
std::uint32_t omaha_low_sum = 0;

// Makes the compiler treat the value as unknown on every iteration, so the pure
// evaluation cannot be hoisted out of the loop or folded into a multiplication.
template <class T>
inline void opaque(T& value) {
  asm volatile("" : "+r"(value));
}

// Fixed cards 1..9: for the seven-card loop 2d 2h 2s 3c 3d 3h 3s; for the Omaha
// loops board 2d 2h 2s 3c 3d, hole 3h 3s 4c 4d.
template <class Eval>
int time_loop(int count, std::uint32_t& sum, Eval eval) {
  const std::clock_t start = std::clock();
  for (int i = 0; i < count; ++i) {
    int c[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int& card : c) opaque(card);
    sum += static_cast<std::uint32_t>(eval(c));
  }
  const std::clock_t stop = std::clock();
  return static_cast<int>(stop - start);
}

}  // namespace

TimingSums timing_sums() { return {seven_card_sum, omaha_high_sum, omaha_low_sum}; }

int time_seven_card(int count) {
  return time_loop(count, seven_card_sum, [](const int* c) { return eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]); });
}

int time_omaha_high(int count) {
  return time_loop(count, omaha_high_sum, [](const int* c) { return eval_omaha_high(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
}

int time_omaha_low(int count) {
  return time_loop(count, omaha_low_sum, [](const int* c) { return eval_omaha_low(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]); });
}

}  // namespace oddsmith::host
