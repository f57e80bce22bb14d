// What every picture shares: text made safe for XML, printf into a string of
// whatever length it takes, and titles wrapped into lines.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace pictures {

std::string xml_escape(std::string_view text);

template <class... Values>
std::string printf_string(const char* format, Values... values) {
  std::string out(static_cast<std::size_t>(std::max(0, std::snprintf(nullptr, 0, format, values...))), '\0');
  std::snprintf(out.data(), out.size() + 1, format, values...);
  return out;
}

// `text` in lines of at most `width` characters, broken after spaces where it
// can be and inside a word only where one is longer than a line: never cut.
std::vector<std::string> wrap(const std::string& text, std::size_t width);

// The library's name of a card ("Ah"); empty for a number that is no card.
std::string card_name(int card);

}  // namespace pictures
