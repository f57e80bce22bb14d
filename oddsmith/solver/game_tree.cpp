// The betting tree's rules (game_tree.h) and its construction, street by street.
#include "solver/game_tree.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace oddsmith::solver {

const char* action_name(ActionKind k) {
  switch (k) {
    case ActionKind::check: return "check";
    case ActionKind::bet: return "bet";
    case ActionKind::raise: return "raise";
    case ActionKind::call: return "call";
    case ActionKind::fold: return "fold";
    case ActionKind::allin: return "allin";
  }
  return "?";
}

namespace {

// Half away from zero, as std::llround; whole chips.
int chips(double x) { return static_cast<int>(std::llround(x)); }

struct Candidate {
  int to;
  std::string labels;
};

void add_label(std::string& labels, const std::string& label) {
  if (label.empty()) return;
  if (!labels.empty()) labels += '/';
  labels += label;
}

}  // namespace

std::vector<TreeAction> node_actions(const TreeRules& rules, Street street, int street_pot, int stack,
                                     const int bets[2], int player, int raises, int last_increment,
                                     bool first_action, bool oop_checks) {
  const int me = player, opp = 1 - player;
  const double pot_now = street_pot + bets[0] + bets[1];
  const int behind = stack - bets[me];
  const int facing = bets[opp] - bets[me];
  std::vector<TreeAction> out;
  std::vector<Candidate> sizes;
  const StreetSizes& mine = rules.sizes[static_cast<std::size_t>(street)][static_cast<std::size_t>(me)];
  if (facing == 0) {
    out.push_back({ActionKind::check, 0, {}});
    if ((oop_checks && me == kOop && first_action) || behind <= 0) return out;
    const int streets_left = 3 - static_cast<int>(street);
    for (const BetSize& s : mine.bets) {
      int to = 0;
      switch (s.kind) {
        case BetSize::Kind::pot_percent: to = chips(s.value * pot_now / 100.0); break;
        case BetSize::Kind::geometric: {
          const double f = (std::pow(1.0 + 2.0 * behind / pot_now, 1.0 / streets_left) - 1.0) / 2.0;
          to = chips(f * pot_now);
          break;
        }
        case BetSize::Kind::all_in: to = stack; break;
        case BetSize::Kind::times: continue;  // not a bet size (the parser refuses it)
      }
      sizes.push_back({bets[me] + std::max(to, 1), s.label()});
    }
  } else {
    out.push_back({ActionKind::fold, 0, {}});
    out.push_back({ActionKind::call, bets[opp], {}});
    const bool under_cap = rules.max_raises < 0 || raises < rules.max_raises;
    const bool opponent_has_chips = stack > bets[opp];  // not all-in
    const bool more_than_a_call = behind > facing;
    const bool may_raise = under_cap && opponent_has_chips && more_than_a_call;
    if (!may_raise) return out;
    const int min_to = bets[opp] + std::max(last_increment, 1);
    for (const BetSize& s : mine.raises) {
      int to = 0;
      switch (s.kind) {
        case BetSize::Kind::pot_percent: to = bets[opp] + chips(s.value * (pot_now + facing) / 100.0); break;
        case BetSize::Kind::times: to = chips(s.value * bets[opp]); break;
        case BetSize::Kind::all_in: to = stack; break;
        case BetSize::Kind::geometric: continue;  // not a raise size (the parser refuses it)
      }
      sizes.push_back({std::max(to, min_to), s.label()});
    }
  }
  // The all-in threshold adds the all-in.
  if (rules.add_allin > 0 && behind <= rules.add_allin * pot_now) sizes.push_back({stack, "allin threshold"});
  // The stack or more, or little enough behind after a call, is the all-in.
  for (Candidate& c : sizes) {
    if (c.to >= stack) c.to = stack;
    if (rules.force_allin > 0 && c.to < stack && (stack - c.to) <= rules.force_allin * (street_pot + 2.0 * c.to))
      c.to = stack;
  }
  // Largest first; equal amounts once (labels joined).
  std::stable_sort(sizes.begin(), sizes.end(), [](const Candidate& a, const Candidate& b) { return a.to > b.to; });
  std::vector<Candidate> kept;
  for (Candidate& c : sizes) {
    if (!kept.empty() && kept.back().to == c.to) {
      add_label(kept.back().labels, c.labels);
      continue;
    }
    if (rules.merge > 0 && !kept.empty()) {
      const double r_kept = (kept.back().to - bets[me]) / pot_now;
      const double r = (c.to - bets[me]) / pot_now;
      if (r_kept - r < rules.merge) {
        add_label(kept.back().labels, c.labels);
        continue;
      }
    }
    kept.push_back(std::move(c));
  }
  std::reverse(kept.begin(), kept.end());
  for (Candidate& c : kept) {
    const ActionKind kind = c.to == stack ? ActionKind::allin : facing == 0 ? ActionKind::bet : ActionKind::raise;
    out.push_back({kind, c.to, std::move(c.labels)});
  }
  return out;
}

namespace {

// Limits that keep a tree's building bounded whatever the sizes: tiny bets
// with no raise cap grow a tree exponentially, and raises of one chip at a
// time run a street thousands of actions deep. A tree past them could never
// be solved within any memory bound; it is refused before it is built out.
constexpr std::size_t kMostNodes = 1'000'000;  // decision points and ends of the street trees
constexpr int kMostRaises = 100;               // on one street

class Builder {
 public:
  Builder(const TreeRules& rules, GameTree& tree) : rules_(rules), tree_(tree) {}

  // Why the tree was not built out, or "".
  const std::string& error() const { return error_; }

  // The index of the street tree for this start, building it when new.
  std::uint32_t street(Street s, int pot, int stack, bool oop_checks) {
    const auto key = std::make_tuple(static_cast<int>(s), pot, stack, oop_checks);
    if (auto it = made_.find(key); it != made_.end()) return it->second;
    const auto index = static_cast<std::uint32_t>(tree_.streets.size());
    made_.emplace(key, index);
    tree_.streets.emplace_back();
    StreetTree t;
    t.street = s;
    t.pot = pot;
    t.stack = stack;
    t.oop_checks = oop_checks;
    t.nodes.emplace_back();
    const int bets[2] = {0, 0};
    build(t, 0, bets, kOop, 0, 0, true, -1);
    tree_.streets[index] = std::move(t);
    return index;
  }

 private:
  // Fills node `at` of `t`: `player` to act with these bets.
  void build(StreetTree& t, std::uint32_t at, const int bets[2], int player, int raises, int last_increment,
             bool first_action, int aggressor) {
    if (!error_.empty()) return;
    if (raises > kMostRaises) {
      error_ = "the betting tree runs to more than " + std::to_string(kMostRaises) +
               " raises on a street: set a raise cap (--max-raises) or larger raises";
      return;
    }
    std::vector<TreeAction> acts = node_actions(rules_, t.street, t.pot, t.stack, bets, player, raises, last_increment,
                                                first_action, t.oop_checks);
    nodes_ += acts.size();
    if (nodes_ > kMostNodes) {
      error_ = "the betting tree has more than " + std::to_string(kMostNodes) +
               " decision points and ends before any card is dealt: fewer or larger sizes, or a raise cap";
      return;
    }
    const auto first = static_cast<std::uint32_t>(t.children.size());
    {
      TreeNode& n = t.nodes[at];
      n.kind = NodeKind::action;
      n.player = static_cast<std::uint8_t>(player);
      n.action_count = static_cast<std::uint16_t>(acts.size());
      n.first = first;
      n.bets[0] = bets[0];
      n.bets[1] = bets[1];
    }
    for (std::size_t i = 0; i < acts.size(); ++i) {
      t.children.push_back(static_cast<std::uint32_t>(t.nodes.size()));
      t.nodes.emplace_back();
    }
    t.actions.insert(t.actions.end(), acts.begin(), acts.end());
    for (std::size_t i = 0; i < acts.size(); ++i) {
      const std::uint32_t child = t.children[first + i];
      const TreeAction a = acts[i];
      int nb[2] = {bets[0], bets[1]};
      switch (a.kind) {
        case ActionKind::check:
          if (player == kOop) {
            build(t, child, nb, kIp, raises, last_increment, false, aggressor);
          } else {
            end_street(t, child, nb, aggressor);
          }
          break;
        case ActionKind::fold:
          set_terminal(t, child, NodeKind::fold, player, nb);
          break;
        case ActionKind::call:
          nb[player] = bets[1 - player];
          end_street(t, child, nb, aggressor);
          break;
        case ActionKind::bet:
        case ActionKind::raise:
        case ActionKind::allin: {
          const bool raise = bets[1 - player] > bets[player];
          nb[player] = a.amount;
          build(t, child, nb, 1 - player, raises + (raise ? 1 : 0), a.amount - bets[1 - player], false, player);
          break;
        }
      }
    }
  }

  void set_terminal(StreetTree& t, std::uint32_t at, NodeKind kind, int player, const int bets[2]) {
    TreeNode& n = t.nodes[at];
    n.kind = kind;
    n.player = static_cast<std::uint8_t>(player);
    n.bets[0] = bets[0];
    n.bets[1] = bets[1];
  }

  void end_street(StreetTree& t, std::uint32_t at, const int bets[2], int aggressor) {
    const int stack_after = t.stack - bets[0];
    if (t.street == Street::river) return set_terminal(t, at, NodeKind::showdown, 0, bets);
    if (stack_after == 0) return set_terminal(t, at, NodeKind::runout, 0, bets);
    set_terminal(t, at, NodeKind::chance, 0, bets);
    t.nodes[at].chance_index = static_cast<std::uint32_t>(t.chance_leaves.size());
    t.chance_leaves.push_back(at);
    // The next street's tree; `t` is not in tree_.streets yet, so its nodes stay put.
    const std::uint32_t next = street(static_cast<Street>(static_cast<int>(t.street) + 1), t.pot + 2 * bets[0],
                                      stack_after, !rules_.donk && aggressor == kIp);
    t.nodes[at].next = next;
  }

  const TreeRules& rules_;
  GameTree& tree_;
  std::map<std::tuple<int, int, int, bool>, std::uint32_t> made_;
  std::size_t nodes_ = 0;
  std::string error_;
};

}  // namespace

GameTree build_game_tree(const TreeRules& rules, Street first, std::string& error) {
  error.clear();
  GameTree tree;
  if (rules.pot < 1) {
    error = "the pot must be at least one chip";
    return tree;
  }
  if (rules.stack < 0) {
    error = "the stack cannot be negative";
    return tree;
  }
  for (double x : {rules.add_allin, rules.force_allin, rules.merge})
    if (!(x >= 0) || !std::isfinite(x)) {
      error = "a threshold must be a number of 0 or more";
      return tree;
    }
  if (rules.max_raises < -1) {
    error = "the raise cap must be 0 or more, or none";
    return tree;
  }
  tree.base_pot = rules.pot;
  tree.base_stack = rules.stack;
  Builder builder(rules, tree);
  builder.street(first, rules.pot, rules.stack, false);
  if (!builder.error().empty()) {
    error = builder.error();
    return GameTree{};
  }
  return tree;
}

}  // namespace oddsmith::solver
