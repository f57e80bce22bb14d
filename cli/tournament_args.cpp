// Number lists for the tournament commands, read in the C locale.
#include "tournament_args.h"

#include <charconv>
#include <cmath>

namespace cli {

std::string parse_number_list(std::string_view name, std::string_view text, std::vector<double>& out) {
  std::size_t i = 0;
  bool any = false;
  while (i < text.size()) {
    if (text[i] == ',' || text[i] == ' ') {
      ++i;
      continue;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (ec != std::errc() || !std::isfinite(value))
      return std::string(name) + ": '" + std::string(text) + "' is not a list of numbers (as 10,20.5,30)";
    if (end != text.data() + text.size() && *end != ',' && *end != ' ')
      return std::string(name) + ": '" + std::string(text) + "' is not a list of numbers (as 10,20.5,30)";
    out.push_back(value);
    any = true;
    i = static_cast<std::size_t>(end - text.data());
  }
  if (!any) return std::string(name) + ": no numbers given";
  return {};
}

std::string parse_positive(std::string_view name, std::string_view text, double& out) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0)
    return std::string(name) + ": '" + std::string(text) + "' is not a number at least 0";
  out = value;
  return {};
}

}  // namespace cli
