// What the commands that draw pictures share: text made safe for XML, and
// printf into a string of whatever length it takes.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

std::string xml_escape(std::string_view text);

template <class... Values>
std::string printf_string(const char* format, Values... values) {
  std::string out(static_cast<std::size_t>(std::max(0, std::snprintf(nullptr, 0, format, values...))), '\0');
  std::snprintf(out.data(), out.size() + 1, format, values...);
  return out;
}

}  // namespace cli
