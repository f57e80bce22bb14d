// A range as a chart of its classes: a class wholly in the range dark, partly
// in it light (with its count of hands), out of it grey.
#pragma once

#include <cstddef>
#include <string>

namespace pictures {

// `in_class`: the range's hands in each class of the `grid` x `grid` chart;
// `hands` their total; `text` the range as typed and `board` as the library
// names its cards ("Qh7c2d", "" for none), for the title.
std::string range_svg(const int (&in_class)[13][13], int grid, std::size_t hands, const std::string& text,
                      const std::string& board);

}  // namespace pictures
