// JSON text for the --json outputs: strings escaped, numbers in the C locale.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// A JSON string literal of `text` (quotes included).
std::string json_string(std::string_view text);

// A JSON number with up to `digits` significant digits.
std::string json_number(double value, int digits = 10);

}  // namespace cli
