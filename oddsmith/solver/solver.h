// The postflop solver: Discounted CFR over a spot's whole betting tree, every
// turn and river card dealt (suit-isomorphic cards merged), to a target
// exploitability measured by an exact best response. See solver/README.md for
// the algorithm, the storage and the figures.
//
// Utilities are chips won over the spot, counted from its start: at the end of
// a hand each player gets their share of the pot less the rake, less what they
// put in since the spot started. With no rake, OOP's EV + IP's EV = the pot.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "solver/game_tree.h"
#include "solver/spot.h"

namespace oddsmith::solver {

inline constexpr std::size_t kDefaultMaxMemory = std::size_t{4} << 30;  // 4 GiB

// A node's strategy fixed, for the whole range or for one hand (locks.cpp;
// solver/README.md says how unlisted actions share what is left).
struct NodeLock {
  std::string path;       // an action node's path as Solver::node reads it; a card may be "*": every card
  std::vector<int> hand;  // the hand's cards; empty: the whole acting range
  std::vector<std::pair<std::string, double>> actions;  // an action as a path step names it, and its frequency
};

// Reads lock lines, one lock each: "PATH=ACTION:FREQ,..." (the whole range)
// or "PATH|HAND|ACTION:FREQ,..." (HAND empty or "*": the whole range). Blank
// lines and lines starting with '#' are skipped. False with `error` (naming
// the line) on a malformed line; paths and actions are checked on building.
bool parse_locks(std::string_view text, std::vector<NodeLock>& locks, std::string& error);

struct BuildOptions {
  std::size_t max_memory = kDefaultMaxMemory;  // bytes; a spot estimated above it is refused
  bool compress = false;   // 16-bit regrets and strategy sums
  int threads = 0;         // 0: every core
  bool isomorphism = true; // merge chance cards that the board's and ranges' symmetry makes equivalent
  std::vector<NodeLock> locks;  // later locks override earlier ones for the hands they share
};

// Saving a solution (solution_file.cpp documents the file).
struct SaveOptions {
  bool half = true;  // strategies in 16 bits (1/65535 steps); false: the strategy sums as 32-bit floats, exact
};

struct LoadOptions {
  std::size_t max_memory = kDefaultMaxMemory;
  int threads = 0;
};

// Whether this build reads and writes solution files (it needs zstd).
bool solution_files_supported();

// What the tree holds, known before anything large is allocated.
struct TreeSize {
  std::size_t street_trees = 0;     // distinct street trees (game_tree.h)
  std::size_t action_nodes = 0;     // decision points over every dealt card
  std::size_t terminal_nodes = 0;   // folds, showdowns and runouts over every dealt card
  std::size_t chance_nodes = 0;
  std::size_t blocks = 0;           // street trees instantiated on a board
  std::size_t values = 0;           // stored per-hand entries (regrets; as many strategy sums)
  std::size_t memory_bytes = 0;     // the estimate the bound is checked against
  std::array<int, 2> hands{};       // hands each range holds beside the board and dead cards
};

struct Progress {
  int iteration = 0;
  double exploitability_pct = -1;  // the last measured, percent of the pot; -1 before the first
  double seconds = 0;
};

struct SolveOptions {
  double target_pct = 0.5;     // stop at this exploitability, percent of the pot (0: never)
  int max_iterations = 1000;   // 0: no cap
  double max_seconds = 0;      // 0: no bound
  int check_every = 10;        // iterations between exploitability measures
  // Called from the solving thread at least every 0.25 s, and once when the
  // solve stops; true cancels.
  std::function<bool(const Progress&)> progress;
  const std::atomic<bool>* cancel = nullptr;  // set from any thread to stop
};

enum class StopReason { target, iterations, seconds, cancelled };

struct SolveReport {
  int iterations = 0;
  double seconds = 0;
  double exploitability = 0;      // chips
  double exploitability_pct = 0;  // percent of the starting pot
  bool converged = false;         // the target was met
  StopReason stop = StopReason::iterations;
  std::array<double, 2> ev{};     // each player's EV over the spot (chips), average strategies
  std::array<double, 2> equity{}; // each range's equity against the other at the root
};

// One node of the solved tree, as reached by an action path.
struct NodeReport {
  std::string path;                 // canonical: "check, bet 20, call, 7h"
  enum class Kind { action, chance, fold, showdown, runout } kind = Kind::action;
  int player = 0;                   // action nodes: who acts; fold: who folded
  std::vector<int> board;
  int hand_cards = 2;               // cards of each hand: 2, 4 (Omaha) or 5 (five-card Omaha)
  int pot = 0;                      // chips in the middle at the node
  std::array<int, 2> street_bets{}; // chips each has put in on this street
  std::array<int, 2> stacks{};      // chips each has behind
  std::vector<TreeAction> actions;  // action nodes
  std::vector<double> frequencies;  // the acting range's share of each action
  std::vector<int> cards;           // chance nodes: the cards that can come
  struct Side {
    std::vector<std::array<int, 5>> hands;  // the range's hands, higher cards first (hand_cards of them; -1 after)
    std::vector<double> weight;   // reaching weight: range weight x own strategy along the path; 0 if blocked
    std::vector<double> ev;       // chips, given the node is reached (NaN where the weight is 0)
    std::vector<double> equity;   // share of the pot at showdown against the other's reaching range (NaN where 0)
    double total_weight = 0;
    double ev_total = 0;
    double equity_total = 0;
  };
  std::array<Side, 2> sides;
  std::vector<double> strategy;     // action nodes: [hand * actions + action] for the acting player
  int locked_hands = 0;             // action nodes: the acting range's hands whose strategy is locked here
};

class Solver {
 public:
  // Checks the spot, builds the tree and estimates its memory; allocates only
  // when the estimate fits. Null with `error` set on a bad spot or over the bound.
  static std::unique_ptr<Solver> create(const Spot& spot, const BuildOptions& options, std::string& error);
  // The tree's size and memory without allocating: false with `error` for a
  // bad spot; true with `size` set, and `error` saying so where the estimate
  // is over the bound.
  static bool measure(const Spot& spot, const BuildOptions& options, TreeSize& size, std::string& error);
  ~Solver();

  const Spot& spot() const;
  const GameTree& tree() const;
  const TreeSize& size() const;

  // Runs iterations until a stop. May be called again to go on.
  SolveReport solve(const SolveOptions& options);
  const SolveReport& report() const;

  // The node at the end of a path ("" is the root). Nothing, with `error`, for
  // a path that does not lead to a node.
  std::optional<NodeReport> node(std::string_view path, std::string& error) const;

  // The locked nodes' paths, as canonical paths ("check, bet 20"; "*" for
  // every card), in the order the locks were given.
  std::vector<std::string> locked_nodes() const;

  // Writes the spot, the tree's rules, the locks, the last solve's report and
  // the strategies to `path` (through a temporary file in its folder, renamed
  // over it). False with `error` on failure.
  bool save(const std::string& path, const SaveOptions& options, std::string& error) const;
  // A solver rebuilt from a saved file (or its bytes), with the saved
  // strategies and report; null with `error` for a file that is truncated,
  // corrupt, of a newer format, or over the memory bound. Solving it further
  // starts the regrets afresh from the saved averages.
  static std::unique_ptr<Solver> load(const std::string& path, const LoadOptions& options, std::string& error);
  static std::unique_ptr<Solver> load_bytes(std::string_view bytes, const LoadOptions& options, std::string& error);

  // For tests: the exploitability in chips of the current average strategies
  // and each player's best-response value and EV (chips).
  struct Measure {
    double exploitability;
    std::array<double, 2> best_response, ev;
  };
  Measure measure_exploitability() const;
  int threads() const;

  class Impl;

 private:
  explicit Solver(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The tree as text: each street tree's actions, indented, with the size.
std::string tree_text(const GameTree& tree, const TreeSize& size, int max_depth = -1);

}  // namespace oddsmith::solver
