// The solver's public face (solver.h) over its engine (internal/engine.h).
#include "solver/solver.h"

#include <cmath>
#include <limits>

#include "solver/internal/engine.h"
#include "solver/internal/text.h"

namespace oddsmith::solver {

Solver::Solver(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Solver::~Solver() = default;

std::unique_ptr<Solver> Solver::create(const Spot& spot, const BuildOptions& options, std::string& error) {
  error.clear();
  auto impl = std::make_unique<Impl>(spot, options);
  if (!impl->prepare(error)) return nullptr;
  impl->allocate();
  return std::unique_ptr<Solver>(new Solver(std::move(impl)));
}

bool Solver::measure(const Spot& spot, const BuildOptions& options, TreeSize& size, std::string& error) {
  error.clear();
  BuildOptions unbounded = options;
  unbounded.max_memory = std::numeric_limits<std::size_t>::max();
  Impl impl(spot, unbounded);
  if (!impl.prepare(error)) return false;
  size = impl.size_;
  if (size.memory_bytes > options.max_memory)
    error = join("the tree needs about ", std::to_string(size.memory_bytes >> 20), " MiB, over the memory bound of ",
                 std::to_string(options.max_memory >> 20), " MiB");
  return true;
}

const Spot& Solver::spot() const { return impl_->spot_; }
const GameTree& Solver::tree() const { return impl_->tree_; }
const TreeSize& Solver::size() const { return impl_->size_; }
SolveReport Solver::solve(const SolveOptions& options) { return impl_->solve(options); }
const SolveReport& Solver::report() const { return impl_->report_; }
Solver::Measure Solver::measure_exploitability() const { return impl_->measure(); }
int Solver::threads() const { return impl_->threads(); }
std::optional<NodeReport> Solver::node(std::string_view path, std::string& error) const {
  return impl_->node(path, error);
}

}  // namespace oddsmith::solver

namespace oddsmith::solver {

namespace {

const char* street_name(Street s) { return s == Street::flop ? "flop" : s == Street::turn ? "turn" : "river"; }

std::string grouped(std::size_t n) {
  const std::string digits = std::to_string(n);
  std::string s;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) s.push_back(',');
    s.push_back(digits[i]);
  }
  return s;
}

void node_text(const GameTree& tree, const StreetTree& t, std::uint32_t ni, int depth, int max_depth, std::string& out) {
  const TreeNode& n = t.nodes[ni];
  if (n.kind != NodeKind::action) return;
  if (max_depth >= 0 && depth >= max_depth) {
    out += join(std::string(static_cast<std::size_t>(2 * depth + 2), ' '), "...\n");
    return;
  }
  static const char* const kWho[2] = {"OOP", "IP"};
  for (std::size_t a = 0; a < n.action_count; ++a) {
    const TreeAction& act = t.actions[n.first + a];
    const TreeNode& child = t.nodes[t.children[n.first + a]];
    std::string line = join(std::string(static_cast<std::size_t>(2 * depth + 2), ' '), kWho[n.player], " ",
                            action_name(act.kind));
    if (act.kind != ActionKind::check && act.kind != ActionKind::fold) line += join(" ", std::to_string(act.amount));
    if (!act.labels.empty() && act.labels != "a") line += join(" (", act.labels, ")");
    switch (child.kind) {
      case NodeKind::fold: line += "  [fold]"; break;
      case NodeKind::showdown: line += "  [showdown]"; break;
      case NodeKind::runout: line += "  [all-in: runout]"; break;
      case NodeKind::chance: {
        const StreetTree& next = tree.streets[child.next];
        line += join("  -> ", street_name(next.street), " tree ", std::to_string(child.next));
        break;
      }
      case NodeKind::action: break;
    }
    out += join(line, "\n");
    node_text(tree, t, t.children[n.first + a], depth + 1, max_depth, out);
  }
}

}  // namespace

std::string tree_text(const GameTree& tree, const TreeSize& size, int max_depth) {
  std::string out;
  out += join("Tree: ", grouped(size.street_trees), " street trees, ", grouped(size.action_nodes),
               " decision points and ", grouped(size.terminal_nodes), " ends over every card, ", grouped(size.values),
               " values per stored array; memory about ",
               std::to_string(static_cast<long long>(std::llround(static_cast<double>(size.memory_bytes) / (1 << 20)))),
               " MiB\n");
  for (std::size_t i = 0; i < tree.streets.size(); ++i) {
    const StreetTree& t = tree.streets[i];
    out += join(street_name(t.street), " tree ", std::to_string(i), " (pot ", std::to_string(t.pot), ", stacks ",
                std::to_string(t.stack), t.oop_checks ? ", OOP checks first" : "", "):\n");
    node_text(tree, t, 0, 0, max_depth, out);
  }
  return out;
}

}  // namespace oddsmith::solver
