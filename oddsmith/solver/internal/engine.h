// The solver's engine (solver.h's Solver::Impl): the tree instantiated on
// every board it reaches (blocks), the stored regrets and strategy sums, and
// the walks over it: a CFR iteration for one player, a best response, the
// average strategies' values.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <unordered_map>
#include <vector>

#include "solver/internal/arena.h"
#include "solver/internal/hands.h"
#include "solver/internal/work_pool.h"
#include "solver/solver.h"

namespace oddsmith::solver {

// A street tree on one board: where its stored values start, and its
// children (the next street's blocks, one per chance leaf and dealt card).
struct Block {
  std::uint64_t base = 0;        // first stored value of its action nodes
  CardMask board = 0;
  std::uint32_t tree = 0;        // GameTree::streets index
  std::int32_t table = -1;       // river table (river trees) or runout table (others with runouts), or -1
  std::uint32_t deal = 0;        // Deal index, where the tree has chance leaves
  std::uint32_t first_child = 0; // children of chance leaf j, card k: first_child + j * cards + k
  std::uint32_t slot_base = 0;   // 16-bit storage: the first of its action nodes' scale slots
};

// Where an action node's stored values are: their first index, and (16-bit
// storage) its slot among the per-node scales.
struct Stored {
  std::uint64_t offset;
  std::uint32_t slot;
};

// The cards that can come on a board: the representatives of the cards that
// the board's and ranges' suit symmetry makes equivalent, and for each the
// others it stands for with the suit swap that maps them onto it.
struct Deal {
  std::vector<std::uint8_t> cards;  // representatives, ascending
  struct Twin {
    std::uint8_t card;   // a card dealt as cards[rep] with its suits swapped
    std::uint8_t rep;    // index in `cards`
    std::uint8_t swap;   // index of the suit swap (Impl::swaps_)
  };
  std::vector<Twin> twins;
  int possible = 0;  // cards that can come for two compatible hands (the divisor)
};

// OOP's share of the pot against each IP hand over every runout, [oop * H1 + ip].
struct RunoutTable {
  std::vector<float> share;
};

// A lock placed on the tree (locks.cpp): the node, the cards dealt on the way
// (-1: every card), and the strategy of the locked hands.
struct LockedNode {
  std::string path;                  // canonical, "*" for every card
  std::uint32_t tree = 0, node = 0;  // street tree and node
  int player = 0;
  int actions = 0;
  std::vector<std::pair<std::uint32_t, int>> deals;  // per chance step: its chance index and card (-1: every card)
  std::vector<float> sigma;          // [action * hands + hand]; the locked hands' entries
  std::vector<std::uint8_t> locked;  // per hand: 1 where locked
  int count = 0;                     // hands locked
  bool per_hand = false;             // some lock here names a single hand
};

// Finds the action a path step names ("bet 50%", "raise 125", "call",
// "allin") at an action node; -1 with `error` listing the actions.
int find_action(const StreetTree& t, const TreeNode& n, std::string_view piece, std::string& error);
std::string action_text(const TreeAction& a);

// What a walk computes: a CFR pass (updating the walker's regrets and the
// opponent's strategy sums); the walker's best response and, beside it, its
// values under its own average strategy (two vectors: out[0 .. H) and
// out[H .. 2H)), both against the opponent's average strategy; the average
// strategies' values alone.
enum class Mode { cfr, best_response, average };

template <Mode M>
inline constexpr std::size_t kWidth = M == Mode::best_response ? 2 : 1;

class Solver::Impl {
 public:
  Impl(const Spot& spot, const BuildOptions& options);
  // Checks the spot and sizes the tree; fills `size`.
  bool prepare(std::string& error);
  void allocate();

  SolveReport solve(const SolveOptions& options);
  Measure measure() const;
  std::optional<NodeReport> node(std::string_view path, std::string& error) const;
  int threads() const { return pool_ ? pool_->threads() : 1; }
  std::vector<std::string> locked_nodes() const;

  // Saved solutions (solution_file.cpp): every action node's strategy sums
  // (32-bit) or average strategy (16-bit codes), block by block, and back.
  void save_strategies(bool half, std::string& out) const;
  bool load_strategies(bool half, std::string_view data, std::string& error);
  std::uint64_t stored_values() const { return next_base_; }

  Spot spot_;
  BuildOptions options_;
  GameTree tree_;
  TreeSize size_;
  SolveReport report_;

 private:
  struct Ctx {
    int trav;
    float positive, negative, average;  // DCFR discounts of this iteration
  };
  template <Mode M>
  void walk(const Ctx& c, std::uint32_t block, std::uint32_t node, const float* reach, float* out, int thread) const;
  template <Mode M>
  void action(const Ctx& c, const Block& b, const StreetTree& t, const TreeNode& n, std::uint32_t ni,
              const float* reach, float* out, int thread) const;
  template <Mode M>
  void chance(const Ctx& c, const Block& b, const StreetTree& t, const TreeNode& n, const float* reach, float* out,
              int thread) const;
  // A CFR pass below an action no hand of the opponent's takes: the
  // discounts alone, exactly as the walk would leave the stored values.
  void fade(const Ctx& c, std::uint32_t block, std::uint32_t node, int thread) const;
  void terminal(const Ctx& c, const Block& b, const StreetTree& t, const TreeNode& n, const float* reach,
                float* out, int thread) const;

  struct Count {
    std::size_t blocks = 0, values = 0, action_nodes = 0, terminal_nodes = 0, chance_nodes = 0;
  };
  // What the block of a tree on a board holds with everything below it; the
  // river boards (and runout boards) that need tables are added to the maps.
  Count count_block(std::uint32_t tree, CardMask board, std::unordered_map<CardMask, int>& rivers,
                    std::unordered_map<CardMask, int>& runouts,
                    std::map<std::pair<std::uint32_t, CardMask>, Count>& counted);
  void fill_block(std::uint32_t index, std::uint32_t tree, CardMask board);
  // Locks (locks.cpp): their paths resolved on the street trees (dropping
  // the suit swaps they break), then placed on every block they reach.
  bool resolve_locks(std::string& error);
  void place_locks();
  void place_lock(std::uint32_t index, std::uint32_t block, std::size_t step);
  const LockedNode* lock_for(const Stored& at) const {
    if (lock_at_.empty()) return nullptr;
    const auto it = lock_at_.find(at.offset);
    return it == lock_at_.end() ? nullptr : &locks_[it->second];
  }
  // The locked hands' strategy written over sigma ([action * hands + hand]).
  static void apply_lock(const LockedNode& lock, std::size_t hands, float* sigma);
  // Best-response values (the first `hands` of out) of the locked hands: the
  // lock's mix of the actions' values (cfv: action a's at a * stride).
  static void lock_best_response(const LockedNode& lock, std::size_t hands, const float* sigma, const float* cfv,
                                 std::size_t stride, float* out);
  // Regrets of the locked hands: never used, kept at 0.
  static void clear_locked_regrets(const LockedNode& lock, std::size_t hands, float* regrets);
  std::uint32_t deal_for(CardMask board);
  Deal make_deal(CardMask board) const;
  void make_tables();
  RunoutTable make_runout(CardMask board) const;

  double root_value(int player, const float* values) const;  // sum of w * values / pairs
  void root_values(Mode mode, int player, float* out) const;
  // Progress, cancel and time, from the solving thread.
  void poll() const;

  Stored stored(const Block& b, std::uint32_t node) const {
    return {b.base + offsets_[b.tree][node], b.slot_base + slots_[b.tree][node]};
  }
  // A node's n regrets (strategy sums) as floats: in place with 32-bit
  // storage, else decoded into `buffer`; keep_* writes changed values back
  // (encoding them, with a fresh scale, in 16-bit storage).
  float* regrets(const Stored& at, std::size_t n, float* buffer) const;
  void keep_regrets(const Stored& at, std::size_t n, const float* values) const;
  float* sums(const Stored& at, std::size_t n, float* buffer) const;
  void keep_sums(const Stored& at, std::size_t n, const float* values) const;
  // The strategies of a node: regret matching or the average.
  static void current_strategy(const float* regrets, int actions, int hands, float* sigma);
  static void average_strategy(const float* sums, int actions, int hands, float* sigma);
  void average_strategy_at(const Block& b, std::uint32_t node, int actions, int hands, float* sigma) const;
  void equity_values(CardMask board, int me, const float* reach, float* out) const;

  std::array<HandSet, 2> hands_;
  CardMask deck_ = 0;  // the game's cards less the dead ones
  CardMask root_board_ = 0;
  double pairs_ = 0;   // sum of w0 * w1 over compatible pairs
  std::vector<std::vector<std::uint32_t>> offsets_;  // per street tree, per node: stored value offset
  std::vector<std::uint64_t> tree_values_;           // per street tree: stored values of a block
  std::vector<std::vector<std::uint32_t>> slots_;    // per street tree, per node: its scale slot in a block
  std::vector<std::uint32_t> tree_slots_;            // per street tree: action nodes holding values
  std::vector<Count> tree_counts_;                   // per street tree: its own nodes
  std::vector<bool> tree_runouts_;                   // per street tree: whether it holds all-in runouts
  std::uint32_t next_slot_ = 0;
  std::vector<Block> blocks_;
  std::vector<Deal> deals_;
  std::unordered_map<CardMask, std::uint32_t> deal_of_;
  std::vector<RiverTable> rivers_;
  std::unordered_map<CardMask, int> river_of_;
  std::vector<RunoutTable> runouts_;
  std::unordered_map<CardMask, int> runout_of_;
  // Per suit swap (kSuitPairs order): each player's hand index map under it;
  // empty where the swap changes a range or the dead cards.
  std::vector<std::array<std::vector<std::uint16_t>, 2>> swaps_;  // per suit swap: each player's hand map
  std::uint64_t next_base_ = 0;
  std::vector<LockedNode> locks_;   // resolved locks, then copies merged where two meet on one block
  std::size_t given_locks_ = 0;     // locks_[0 .. given_locks_): one per distinct path given
  std::unordered_map<std::uint64_t, std::uint32_t> lock_at_;  // a locked node's stored offset -> locks_ index

  // Stored values: regrets and strategy sums, in 32 bits, or in 16 with a
  // scale per node (the largest magnitude maps to the largest code).
  mutable std::vector<float> regrets_, sums_;
  mutable std::vector<std::int16_t> regrets16_;
  mutable std::vector<std::uint16_t> sums16_;
  mutable std::vector<float> regret_scale_, sum_scale_;

  std::unique_ptr<WorkPool> pool_;
  mutable std::vector<Arena> arenas_;

  // Solving state.
  mutable std::atomic<bool> stop_{false};
  mutable bool cancelled_ = false, timed_out_ = false;
  const SolveOptions* solving_ = nullptr;
  std::chrono::steady_clock::time_point started_;
  mutable std::chrono::steady_clock::time_point last_progress_;
  double seconds_before_ = 0;
  mutable Progress progress_;
};

}  // namespace oddsmith::solver
