// The colours of a chart of equities, fitted to the chart's own span so that
// contrast is spent where the values lie: `low` red, through yellow, `high` green.
#pragma once

namespace pictures {

struct ColourScale {
  double low = 0, high = 1;
  // The span of the values that are numbers in the chart's n x n corner, at
  // least two points wide.
  ColourScale(const double (&equity)[13][13], int n);
  // The colour of `equity` as RGB.
  void colour(double equity, int& r, int& g, int& b) const;
};

}  // namespace pictures
