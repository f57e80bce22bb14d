#include "pushfold_svg.h"

#include <algorithm>
#include <cmath>

#include "hand_classes.h"
#include "svg_text.h"

namespace pictures {

namespace {

// A stack from 0 to `largest` as a colour: deep red for hands played only when
// short, through yellow, to green for hands played at every stack.
void stack_colour(double stack, double largest, int& r, int& g, int& b) {
  const double t = std::clamp(stack / largest, 0.0, 1.0);
  if (t < 0.5) {
    r = 215;
    g = static_cast<int>(60 + 2 * t * 160);
    b = 50;
  } else {
    r = static_cast<int>(215 - 2 * (t - 0.5) * 170);
    g = 200 - static_cast<int>(2 * (t - 0.5) * 40);
    b = 50 + static_cast<int>(2 * (t - 0.5) * 30);
  }
}

std::string grid_svg(const double (&up_to)[169], double largest, const std::string& title, int x0, int y0, int cell) {
  std::string out = printf_string("<text x=\"%d\" y=\"%d\" font-size=\"16\" font-weight=\"bold\" fill=\"#222\">%s</text>\n",
                                  x0, y0 - 10, xml_escape(title).c_str());
  for (int row = 0; row < 13; ++row) {
    for (int col = 0; col < 13; ++col) {
      const double stack = up_to[row * 13 + col];
      int r = 225, g = 225, b = 225;
      if (stack > 0) stack_colour(stack, largest, r, g, b);
      const int x = x0 + col * cell, y = y0 + row * cell;
      out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"rgb(%d,%d,%d)\" stroke=\"#fff\" stroke-width=\"2\"/>\n",
                           x, y, cell, cell, r, g, b);
      out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"11\" text-anchor=\"middle\" fill=\"#111\">%s</text>\n",
                           x + cell / 2, y + cell / 2 - 2, class_label(row, col).c_str());
      if (stack > 0)
        out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"10\" text-anchor=\"middle\" fill=\"#111\">%s</text>\n",
                             x + cell / 2, y + cell / 2 + 11,
                             stack >= largest ? "all" : printf_string("%g", stack).c_str());
    }
  }
  return out;
}

}  // namespace

std::string pushfold_svg(const double (&push_up_to)[169], const double (&call_up_to)[169], double largest,
                         const std::string& subtitle) {
  const int cell = 40, left = 20, gap = 40, grid = 13 * cell;
  const int width = left * 2 + 2 * grid + gap, top = 96, height = top + grid + 70;
  std::string out = printf_string(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
      "font-family=\"Helvetica, Arial, sans-serif\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n",
      width, height, width, height);
  out += printf_string("<text x=\"%d\" y=\"34\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">Heads-up push/fold "
                       "equilibrium</text>\n", left);
  out += printf_string("<text x=\"%d\" y=\"56\" font-size=\"13\" fill=\"#555\">%s</text>\n", left,
                       xml_escape(subtitle).c_str());
  out += grid_svg(push_up_to, largest, "Small blind pushes", left, top, cell);
  out += grid_svg(call_up_to, largest, "Big blind calls", left + grid + gap, top, cell);
  const int legend_y = top + grid + 24;
  out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"12\" fill=\"#555\">Each cell: the largest stack "
                       "(big blinds, both players) at which the hand is played; grey: never; all: up to %g.</text>\n",
                       left, legend_y, largest);
  for (int i = 0; i <= 10; ++i) {
    int r = 0, g = 0, b = 0;
    stack_colour(largest * i / 10.0, largest, r, g, b);
    out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"36\" height=\"14\" fill=\"rgb(%d,%d,%d)\"/>\n", left + i * 38,
                         legend_y + 10, r, g, b);
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"10\" text-anchor=\"middle\" fill=\"#333\">%g</text>\n",
                         left + i * 38 + 18, legend_y + 36, largest * i / 10.0);
  }
  out += "</svg>\n";
  return out;
}

}  // namespace pictures
