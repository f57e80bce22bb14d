// Number arguments of the tournament commands: comma-separated lists of
// stacks, payouts and blinds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// Appends the numbers of `text` ("10,20.5, 30"; commas or spaces between) to
// `out`; an error message naming `name`, empty on success.
std::string parse_number_list(std::string_view name, std::string_view text, std::vector<double>& out);
// One finite number at least zero.
std::string parse_positive(std::string_view name, std::string_view text, double& out);

}  // namespace cli
