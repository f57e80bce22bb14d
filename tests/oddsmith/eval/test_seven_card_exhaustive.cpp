// Every one of the 133,784,560 seven-card hands against the best of its 21
// five-card subsets. Minutes long: labelled "slow" and run on request.
#include <gtest/gtest.h>

#include "eval/five_seven.h"
#include "support/reference_poker.h"

namespace {

TEST(SevenCardExhaustive, EveryHandEqualsItsBestFive) {
  auto value5 = [](const int* f) { return oddsmith::eval5(f[0], f[1], f[2], f[3], f[4]); };
  long long hands = 0, mismatches = 0;
  int c[7];
  for (c[0] = 0; c[0] < 52; ++c[0])
    for (c[1] = c[0] + 1; c[1] < 52; ++c[1])
      for (c[2] = c[1] + 1; c[2] < 52; ++c[2])
        for (c[3] = c[2] + 1; c[3] < 52; ++c[3])
          for (c[4] = c[3] + 1; c[4] < 52; ++c[4])
            for (c[5] = c[4] + 1; c[5] < 52; ++c[5])
              for (c[6] = c[5] + 1; c[6] < 52; ++c[6]) {
                ++hands;
                mismatches += oddsmith::eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]) !=
                              reference::best_of_seven(c, value5);
              }
  EXPECT_EQ(hands, 133784560);
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
