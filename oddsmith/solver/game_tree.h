// The betting tree of a spot, built from its TreeRules: one tree per street
// and starting pot (a street tree), shared by every board that reaches it.
//
// Amounts are whole chips: a size is worked out in real numbers and rounded
// half away from zero (2.5x of 25 is 63); a bet is at least one chip and a
// raise at least the legal minimum (the bet faced plus the last bet or raise
// increment of the street); an amount of the stack or more is the all-in. An
// action's amount is what the player has put in on this street in total after
// it (a raise to 125 is 125; a call of it 125).
//
// Sizes:
//  - bets: `N%` of the pot at that moment (every chip in the middle); `e`, the
//    geometric size: the one fraction f of the pot that, bet and called on this
//    street and each one after it, puts the stack in by the river
//    ((1 + 2f)^n = 1 + 2 * stack / pot, n the streets left with this one);
//    `a`, all-in;
//  - raises: `Nx`, to N times the bet faced; `N%`, the bet faced plus N% of
//    the pot after calling; `a`, all-in.
// OOP's first action on the turn and river is a check only when IP made the
// last bet or raise of the street before, unless donk bets are on (they use
// OOP's bet sizes).
//
// The thresholds, each 0 = off, measured with the pot as every chip in the
// middle before the action (the spot's pot, earlier streets' bets, and this
// street's bets so far, the bet faced included):
//  - add all-in: the all-in is offered beside the sizes when the acting
//    player's stack behind (chips not yet put in) is at most X times that pot;
//  - force all-in: a bet or raise to an amount A becomes the all-in when the
//    stack behind after a call of it (stack - A, the street's stack less A)
//    is at most X times the pot after that call;
//  - merge: the sizes' ratios r = (chips the action adds) / (that pot) are
//    taken from the largest down; a size whose ratio is less than X below the
//    last size kept is dropped (the all-in, when offered, is the largest).
// Equal amounts then appear once. The raise cap counts raises on a street
// (the first bet is not one); at the cap only fold and call are left. With
// no cap, raises go on until a player is all-in. A tree that runs past 100
// raises on a street, or past a million decision points and ends in its
// street trees, is refused with the reason before it is built out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "solver/spot.h"

namespace oddsmith::solver {

enum class ActionKind : std::uint8_t { check, bet, raise, call, fold, allin };

const char* action_name(ActionKind k);

struct TreeAction {
  ActionKind kind;
  int amount;           // chips put in on this street in total after the action (0 for check and fold)
  std::string labels;   // the sizes that gave it, "50%" or "33%/e" (bets and raises)
};

enum class NodeKind : std::uint8_t {
  action,    // a player acts
  fold,      // `player` folded
  showdown,  // on the river
  runout,    // both all-in before the river: the remaining cards, then showdown
  chance,    // the next street's card, then its tree (`next`)
};

struct TreeNode {
  NodeKind kind = NodeKind::action;
  std::uint8_t player = 0;          // action: the player to act; fold: who folded
  std::uint16_t action_count = 0;   // action nodes
  std::uint32_t first = 0;          // action nodes: first child in StreetTree::children and actions
  std::uint32_t next = 0;           // chance: the next street's tree (index in GameTree::streets)
  std::uint32_t chance_index = 0;   // chance: its place among its street tree's chance leaves
  std::int32_t bets[2] = {0, 0};    // chips each player has put in on this street
};

struct StreetTree {
  Street street = Street::river;
  int pot = 0;      // every chip in the middle when the street starts
  int stack = 0;    // each player's stack behind when it starts
  bool oop_checks = false;  // OOP's first action is a check only (no donk)
  std::vector<TreeNode> nodes;  // nodes[0] is the street's first node
  std::vector<std::uint32_t> children;  // node indices; an action node's are children[first .. first + count)
  std::vector<TreeAction> actions;      // parallel to children
  std::vector<std::uint32_t> chance_leaves;  // node indices of the chance nodes, in chance_index order
};

struct GameTree {
  int base_pot = 0;    // the spot's starting pot
  int base_stack = 0;
  std::vector<StreetTree> streets;  // streets[0]: the first street's tree, where the spot starts

  // Chips each player has put in since the spot started, at a node of a street tree.
  int invested(const StreetTree& t, const TreeNode& n, int player) const {
    return (t.pot - base_pot) / 2 + n.bets[player];
  }
};

// Builds the tree; an empty error on success, else what is wrong with the rules.
GameTree build_game_tree(const TreeRules& rules, Street first, std::string& error);

// The actions offered at a node with these street bets, player to act and
// raises made (the tree builder's rule, exposed for tests).
std::vector<TreeAction> node_actions(const TreeRules& rules, Street street, int street_pot, int stack,
                                     const int bets[2], int player, int raises, int last_increment,
                                     bool first_action, bool oop_checks);

}  // namespace oddsmith::solver
