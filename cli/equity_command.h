// `oddsmith equity [options] PLAYER PLAYER...`: the calculator on the command
// line, every player a hand or a range; a table, or one JSON object.
#pragma once

#include <string_view>
#include <vector>

namespace cli {

extern const char* const kEquityUsage;

// Runs the command; returns the exit status (2 for a usage error or a refused query).
int run_equity_command(const std::vector<std::string_view>& args);

}  // namespace cli
