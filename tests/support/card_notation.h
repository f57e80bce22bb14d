// Card text for test cases: "AsKd" -> {51, 46}. Fails the test on bad text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace test_cards {

inline std::vector<int> cards(std::string_view text) {
  static constexpr std::string_view kRanks = "23456789TJQKA", kSuits = "cdhs";
  std::vector<int> out;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const auto r = kRanks.find(text[i]), s = kSuits.find(text[i + 1]);
    EXPECT_NE(r, std::string_view::npos) << text;
    EXPECT_NE(s, std::string_view::npos) << text;
    out.push_back(static_cast<int>(r * 4 + s));
  }
  EXPECT_EQ(text.size() % 2, 0u) << text;
  return out;
}

inline std::string text(const int* c, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    if (c[i] < 0 || c[i] > 51) return out + "?";
    out += "23456789TJQKA"[c[i] / 4];
    out += "cdhs"[c[i] % 4];
  }
  return out;
}

}  // namespace test_cards
