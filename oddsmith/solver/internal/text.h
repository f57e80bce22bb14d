// Small text helpers of the solver's readers and reports.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace oddsmith::solver {

// Joins pieces of text by appending (a chain of `+` on std::string draws a
// false -Wrestrict from GCC 12).
template <class... Pieces>
std::string join(const Pieces&... pieces) {
  std::string s;
  (s.append(std::string_view(pieces)), ...);
  return s;
}

// The text without the white space at either end.
inline std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

}  // namespace oddsmith::solver
