#include "range_svg.h"

#include <vector>

#include "hand_classes.h"
#include "svg_text.h"

namespace pictures {

std::string range_svg(const int (&in_class)[13][13], int grid, std::size_t hands, const std::string& text,
                      const std::string& board) {
  const int cell = 13 * 54 / grid, left = 20, size = grid * cell, width = left * 2 + size;
  const std::vector<std::string> title = wrap("Range " + text + (board.empty() ? "" : " on " + board), 62);
  const int top = 34 + static_cast<int>(title.size() - 1) * 24 + 36, height = top + size + 50;
  std::string out = printf_string(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
      "font-family=\"Helvetica, Arial, sans-serif\">\n<rect width=\"100%%\" height=\"100%%\" fill=\"#ffffff\"/>\n",
      width, height, width, height);
  for (std::size_t i = 0; i < title.size(); ++i)
    out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"20\" font-weight=\"bold\" fill=\"#222\">%s</text>\n", left,
                         34 + 24 * static_cast<int>(i), xml_escape(title[i]).c_str());
  for (int row = 0; row < grid; ++row)
    for (int col = 0; col < grid; ++col) {
      const int x = left + col * cell, y = top + row * cell, n = in_class[row][col];
      const char* fill = n == 0 ? "#e8e8e8" : n == class_size(row, col) ? "#2e7d32" : "#a5d6a7";
      out += printf_string("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\" stroke=\"#fff\" stroke-width=\"2\"/>\n",
                           x, y, cell, cell, fill);
      out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"15\" font-weight=\"bold\" text-anchor=\"middle\" "
                           "fill=\"%s\">%s</text>\n",
                           x + cell / 2, y + cell / 2 - 2, n == class_size(row, col) ? "#fff" : "#111",
                           class_label(row, col).c_str());
      if (n > 0 && n < class_size(row, col))
        out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"12\" text-anchor=\"middle\" fill=\"#111\">%d of %d</text>\n",
                             x + cell / 2, y + cell / 2 + 15, n, class_size(row, col));
    }
  out += printf_string("<text x=\"%d\" y=\"%d\" font-size=\"13\" fill=\"#555\">%zu hands; pairs on the diagonal, suited "
                       "above it, offsuit below; light: some hands of the class</text>\n</svg>\n",
                       left, top + size + 28, hands);
  return out;
}

}  // namespace pictures
