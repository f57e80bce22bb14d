// Joins pieces of text by appending (a chain of `+` on std::string draws a
// false -Wrestrict from GCC 12).
#pragma once

#include <string>
#include <string_view>

namespace oddsmith::solver {

template <class... Pieces>
std::string join(const Pieces&... pieces) {
  std::string s;
  (s.append(std::string_view(pieces)), ...);
  return s;
}

}  // namespace oddsmith::solver
