// Range notation from class weights: runs of adjacent classes become spans.
#include "tournament/class_range_text.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace oddsmith::tournament {
namespace {

constexpr char kRanks[] = "AKQJT98765432";  // chart order
constexpr double kSure = 0.005;

bool full(double w) { return w >= 1 - kSure; }

// Runs of included positions in first..last (chart order: stronger first), as
// (start, end) pairs.
template <class Included>
std::vector<std::pair<int, int>> runs(int first, int last, Included included) {
  std::vector<std::pair<int, int>> out;
  for (int i = first; i <= last; ++i) {
    if (!included(i)) continue;
    int j = i;
    while (j + 1 <= last && included(j + 1)) ++j;
    out.emplace_back(i, j);
    i = j;
  }
  return out;
}

void add(std::string& text, const std::string& item) {
  if (!text.empty()) text += ", ";
  text += item;
}

// "first" for a single item, else "first-last" (a span).
std::string span(const std::string& first, const std::string& last) {
  if (first == last) return first;
  std::string item = first;
  item += '-';
  item += last;
  return item;
}

}  // namespace

std::string class_range_text(const std::array<double, kClasses>& weights) {
  auto weight = [&](int row, int col) { return weights[static_cast<std::size_t>(row) * 13 + static_cast<std::size_t>(col)]; };
  std::string text;
  for (const auto& [hi, lo] : runs(0, 12, [&](int r) { return full(weight(r, r)); })) {
    const std::string top{kRanks[hi], kRanks[hi]};
    const std::string bottom{kRanks[lo], kRanks[lo]};
    if (hi == 0 && lo > 0) {
      add(text, bottom + "+");
    } else {
      add(text, span(top, bottom));
    }
  }
  for (const char kind : {'s', 'o'}) {
    for (int high = 0; high < 12; ++high) {
      // Suited classes sit above the diagonal (row = high rank), offsuit below.
      auto cell = [&](int low) { return kind == 's' ? weight(high, low) : weight(low, high); };
      for (const auto& [first, last] : runs(high + 1, 12, [&](int low) { return full(cell(low)); })) {
        const std::string top = std::string{kRanks[high], kRanks[first], kind};
        const std::string bottom = std::string{kRanks[high], kRanks[last], kind};
        if (first == high + 1 && last > first) {
          add(text, bottom + "+");
        } else {
          add(text, span(top, bottom));
        }
      }
    }
  }
  for (int cls = 0; cls < kClasses; ++cls) {
    const double w = weights[static_cast<std::size_t>(cls)];
    if (w > kSure && !full(w)) {
      char figure[16];
      std::snprintf(figure, sizeof figure, ":%.2f", std::round(w * 100) / 100);
      add(text, class_label(cls) + figure);
    }
  }
  return text;
}

}  // namespace oddsmith::tournament
