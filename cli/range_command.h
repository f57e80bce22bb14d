// `oddsmith range TEXT [--game holdem|omaha|omaha-hilo] [--json]`: what a range
// holds: its hands, their share of all hands, and for Hold'em a 13 x 13 chart of
// the hand classes (pairs on the diagonal, suited above it, offsuit below).
#pragma once

#include <string_view>
#include <vector>

namespace cli {

// Runs the command; returns the exit status (2 for a usage error or bad text).
int run_range(const std::vector<std::string_view>& args);

}  // namespace cli
