#include "colour_scale.h"

#include <cmath>

namespace pictures {

ColourScale::ColourScale(const double (&equity)[13][13], int n) {
  low = 1, high = 0;
  for (int row = 0; row < n; ++row)
    for (int col = 0; col < n; ++col)
      if (const double e = equity[row][col]; !std::isnan(e)) low = std::fmin(low, e), high = std::fmax(high, e);
  if (high < low) low = 0, high = 1;
  if (high - low < 0.02) {
    const double mid = (low + high) / 2;
    low = std::fmax(0.0, mid - 0.01), high = std::fmin(1.0, mid + 0.01);
  }
}

void ColourScale::colour(double equity, int& r, int& g, int& b) const {
  const double x = std::fmin(1.0, std::fmax(0.0, (equity - low) / (high - low)));
  r = static_cast<int>(x < 0.5 ? 230 : 230 - (x - 0.5) * 2 * 170);
  g = static_cast<int>(x < 0.5 ? 60 + x * 2 * 160 : 220 - (x - 0.5) * 2 * 40);
  b = 60;
}

}  // namespace pictures
