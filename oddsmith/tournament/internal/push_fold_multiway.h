// Push/fold equilibria of three to ten players (push_fold.h's solve_push_fold
// calls it for a checked query of more than two stacks).
#pragma once

#include "tournament/push_fold.h"

namespace oddsmith::tournament {

PushFoldOutcome solve_multiway_push_fold(const PushFoldQuery& query);

}  // namespace oddsmith::tournament
