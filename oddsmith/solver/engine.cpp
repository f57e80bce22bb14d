// The solver's engine: preparing the spot, instantiating the tree on every
// board, and the walks (internal/engine.h).
#include "solver/internal/engine.h"
#include "solver/internal/text.h"
#include "solver/internal/vector_loops.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <thread>

namespace oddsmith::solver {

namespace {

constexpr int kMaxChips = 100'000'000;

constexpr int kSuitPairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};

int swap_index(int a, int b) {
  for (int i = 0; i < 6; ++i)
    if (kSuitPairs[i][0] == a && kSuitPairs[i][1] == b) return i;
  return -1;
}

int swapped_card(int card, int a, int b) {
  const int s = card_suit(card);
  return make_card(card_rank(card), s == a ? b : s == b ? a : s);
}

CardMask swapped_mask(CardMask m, int a, int b) {
  CardMask out = 0;
  for (; m; m &= m - 1) out |= card_bit(swapped_card(std::countr_zero(m), a, b));
  return out;
}

CardMask mask_of(const std::vector<int>& cards) {
  CardMask m = 0;
  for (int c : cards) m |= card_bit(c);
  return m;
}

std::string mib(std::size_t bytes) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return buf;
}

}  // namespace

Solver::Impl::Impl(const Spot& spot, const BuildOptions& options) : spot_(spot), options_(options) {}

bool Solver::Impl::prepare(std::string& error) {
  const Spot& s = spot_;
  if (s.game != Game::holdem && s.game != Game::shortdeck && s.game != Game::omaha && s.game != Game::omaha5) {
    error = "the solver plays Hold'em, short deck, Omaha and five-card Omaha (high only)";
    return false;
  }
  if (s.board.size() < 3 || s.board.size() > 5) {
    error = "the board must hold 3, 4 or 5 cards";
    return false;
  }
  const CardMask game_cards = game_deck(s.game);
  CardMask seen = 0;
  for (const std::vector<int>* list : {&s.board, &s.dead})
    for (int c : *list) {
      if (!is_card(c) || !(game_cards & card_bit(c))) {
        error = join("a board or dead card is not a card of ", rules(s.game).title, "'s deck");
        return false;
      }
      if (!take_card(seen, c)) {
        error = "a card is on the board or dead twice";
        return false;
      }
    }
  if (s.tree.pot > kMaxChips || s.tree.stack > kMaxChips) {
    error = "the pot and the stack must be at most 100,000,000 chips";
    return false;
  }
  if (!(s.rake_rate >= 0 && s.rake_rate < 1)) {
    error = "the rake rate must be at least 0 and below 1";
    return false;
  }
  if (!(s.rake_cap >= 0)) {
    error = "the rake cap cannot be negative";
    return false;
  }
  root_board_ = mask_of(s.board);
  deck_ = game_cards & ~mask_of(s.dead);
  if (std::popcount(deck_ & ~root_board_) - 2 * rules(s.game).hole_cards < 5 - static_cast<int>(s.board.size())) {
    error = "too few cards are left to deal the board out";
    return false;
  }
  // The hands beside the board and dead cards.
  if (!make_hand_sets(s.game, s.ranges, root_board_ | ~deck_, hands_, error)) return false;
  pairs_ = 0;
  {
    std::vector<float> c(static_cast<std::size_t>(hands_[0].size()));
    compatible_values(hands_[0], hands_[1], hands_[1].weight.data(), c.data(), 1.0);
    for (int h = 0; h < hands_[0].size(); ++h)
      pairs_ += static_cast<double>(hands_[0].weight[static_cast<std::size_t>(h)]) * c[static_cast<std::size_t>(h)];
  }
  if (!(pairs_ > 0)) {
    error = "no hand of OOP's range can meet a hand of IP's";
    return false;
  }
  // Suit swaps under which both ranges and the dead cards are unchanged.
  swaps_.assign(6, {});
  const CardMask dead = mask_of(s.dead);
  for (int i = 0; i < 6 && options_.isomorphism; ++i) {
    const int a = kSuitPairs[i][0], b = kSuitPairs[i][1];
    bool ok = true;
    for (int c : s.dead) ok = ok && (dead & card_bit(swapped_card(c, a, b)));
    for (int p = 0; p < 2 && ok; ++p) {
      const HandSet& hs = hands_[static_cast<std::size_t>(p)];
      std::unordered_map<CardMask, int> index;
      for (int h = 0; h < hs.size(); ++h) index.emplace(hs.mask[static_cast<std::size_t>(h)], h);
      std::vector<std::uint16_t> map(static_cast<std::size_t>(hs.size()));
      for (int h = 0; h < hs.size() && ok; ++h) {
        const auto u = static_cast<std::size_t>(h);
        const CardMask m = swapped_mask(hs.mask[u], a, b);
        auto it = index.find(m);
        ok = it != index.end() && hs.weight[static_cast<std::size_t>(it->second)] == hs.weight[u];
        if (ok) map[u] = static_cast<std::uint16_t>(it->second);
      }
      if (ok) swaps_[static_cast<std::size_t>(i)][static_cast<std::size_t>(p)] = std::move(map);
    }
    if (!ok) swaps_[static_cast<std::size_t>(i)] = {};
  }

  tree_ = build_game_tree(s.tree, first_street(s), error);
  if (!error.empty()) return false;
  if (!resolve_locks(error)) return false;

  // Stored values: each action node of two or more actions holds actions x hands.
  const int H[2] = {hands_[0].size(), hands_[1].size()};
  offsets_.assign(tree_.streets.size(), {});
  slots_.assign(tree_.streets.size(), {});
  tree_values_.assign(tree_.streets.size(), 0);
  tree_slots_.assign(tree_.streets.size(), 0);
  for (std::size_t i = 0; i < tree_.streets.size(); ++i) {
    const StreetTree& t = tree_.streets[i];
    std::uint64_t v = 0;
    std::uint32_t slot = 0;
    offsets_[i].assign(t.nodes.size(), 0);
    slots_[i].assign(t.nodes.size(), 0);
    for (std::size_t n = 0; n < t.nodes.size(); ++n) {
      const TreeNode& node = t.nodes[n];
      if (node.kind != NodeKind::action || node.action_count < 2) continue;
      offsets_[i][n] = static_cast<std::uint32_t>(v);
      slots_[i][n] = slot++;
      v += std::uint64_t{node.action_count} * static_cast<std::uint64_t>(H[node.player]);
    }
    tree_slots_[i] = slot;
    if (v > std::numeric_limits<std::uint32_t>::max()) {
      error = "a street's tree is too large";
      return false;
    }
    tree_values_[i] = v;
  }

  // Size everything before allocating.
  size_ = {};
  size_.street_trees = tree_.streets.size();
  size_.hands = {H[0], H[1]};
  std::unordered_map<CardMask, int> rivers, runouts;
  // Each street tree's own nodes, counted once.
  tree_counts_.assign(tree_.streets.size(), {});
  tree_runouts_.assign(tree_.streets.size(), false);
  for (std::size_t i = 0; i < tree_.streets.size(); ++i) {
    Count& c = tree_counts_[i];
    c.blocks = 1;
    c.values = tree_values_[i];
    for (const TreeNode& n : tree_.streets[i].nodes) {
      if (n.kind == NodeKind::action) c.action_nodes += n.action_count >= 2 ? 1 : 0;
      else if (n.kind == NodeKind::chance) ++c.chance_nodes;
      else ++c.terminal_nodes;
      if (n.kind == NodeKind::runout) tree_runouts_[i] = true;
    }
  }
  std::map<std::pair<std::uint32_t, CardMask>, Count> counted;
  const Count all = count_block(0, root_board_, rivers, runouts, counted);
  size_.blocks = all.blocks;
  size_.values = all.values;
  size_.action_nodes = all.action_nodes;
  size_.terminal_nodes = all.terminal_nodes;
  size_.chance_nodes = all.chance_nodes;
  river_of_ = std::move(rivers);
  runout_of_ = std::move(runouts);
  const int threads = options_.threads > 0 ? options_.threads
                                           : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const std::size_t value_bytes = options_.compress ? 2 : 4;
  std::size_t bytes = size_.values * 2 * value_bytes;
  if (options_.compress) bytes += size_.action_nodes * 2 * sizeof(float);
  bytes += size_.blocks * sizeof(Block);
  bytes += river_of_.size() * river_table_bytes(hands_);
  for (const HandSet& hs : hands_) bytes += (hs.subsets.own.size() + hs.subsets.other.size()) * sizeof(std::uint32_t);
  bytes += runout_of_.size() * static_cast<std::size_t>(H[0]) * static_cast<std::size_t>(H[1]) * sizeof(float);
  bytes += static_cast<std::size_t>(threads) * Arena::kChunk * sizeof(float);
  for (const Deal& d : deals_) bytes += d.cards.size() + d.twins.size() * sizeof(Deal::Twin) + 64;
  size_.memory_bytes = bytes;
  if (bytes > options_.max_memory) {
    error = join("the tree needs about ", mib(bytes), " (", std::to_string(size_.values),
                 " stored values per array over ", std::to_string(size_.action_nodes),
                 " decision points), over the memory bound of ", mib(options_.max_memory));
    return false;
  }
  return true;
}

Deal Solver::Impl::make_deal(CardMask board) const {
  Deal d;
  const CardMask avail = deck_ & ~board;
  d.possible = std::popcount(avail) - 2 * hands_[0].hole_cards;
  // Suits a < b equivalent on this board: the swap keeps the board, and the
  // ranges and dead cards (swaps_ holds it only then).
  bool equivalent[4][4] = {};
  for (int i = 0; i < 6; ++i) {
    if (swaps_[static_cast<std::size_t>(i)][0].empty()) continue;
    const int a = kSuitPairs[i][0], b = kSuitPairs[i][1];
    bool keeps = true;
    for (int r = 0; r < kRankCount && keeps; ++r)
      keeps = ((board >> make_card(r, a)) & 1) == ((board >> make_card(r, b)) & 1);
    equivalent[a][b] = keeps;
  }
  for (int c = 0; c < kDeckSize; ++c) {
    if (!(avail & card_bit(c))) continue;
    const int s = card_suit(c);
    int m = s;
    for (int a = 0; a < s; ++a)
      if (equivalent[a][s]) {
        m = a;
        break;
      }
    if (m == s) {
      d.cards.push_back(static_cast<std::uint8_t>(c));
    } else {
      const int rep_card = make_card(card_rank(c), m);
      const auto it = std::find(d.cards.begin(), d.cards.end(), rep_card);
      d.twins.push_back({static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(it - d.cards.begin()),
                         static_cast<std::uint8_t>(swap_index(m, s))});
    }
  }
  return d;
}

std::uint32_t Solver::Impl::deal_for(CardMask board) {
  if (auto it = deal_of_.find(board); it != deal_of_.end()) return it->second;
  const auto index = static_cast<std::uint32_t>(deals_.size());
  deals_.push_back(make_deal(board));
  deal_of_.emplace(board, index);
  return index;
}

Solver::Impl::Count Solver::Impl::count_block(std::uint32_t tree, CardMask board,
                                              std::unordered_map<CardMask, int>& rivers,
                                              std::unordered_map<CardMask, int>& runouts,
                                              std::map<std::pair<std::uint32_t, CardMask>, Count>& counted) {
  // What a block holds depends on its tree and board alone: each pair with
  // blocks below it is counted once, however many times it appears.
  const StreetTree& t = tree_.streets[tree];
  const auto key = std::make_pair(tree, board);
  if (!t.chance_leaves.empty())
    if (auto it = counted.find(key); it != counted.end()) return it->second;
  Count c = tree_counts_[tree];
  const bool has_runout = tree_runouts_[tree];
  if (t.street == Street::river) rivers.emplace(board, static_cast<int>(rivers.size()));
  if (has_runout && !runouts.count(board)) {
    runouts.emplace(board, static_cast<int>(runouts.size()));
    // Every completion's river table.
    const CardMask avail = deck_ & ~board;
    const int missing = 5 - std::popcount(board);
    for (int a = 0; a < kDeckSize; ++a) {
      if (!(avail & card_bit(a))) continue;
      if (missing == 1) {
        rivers.emplace(board | card_bit(a), static_cast<int>(rivers.size()));
        continue;
      }
      for (int b = a + 1; b < kDeckSize; ++b)
        if (avail & card_bit(b)) rivers.emplace(board | card_bit(a) | card_bit(b), static_cast<int>(rivers.size()));
    }
  }
  if (!t.chance_leaves.empty()) {
    // The leaves grouped by the tree that follows them.
    std::map<std::uint32_t, std::size_t> next;
    for (std::uint32_t leaf : t.chance_leaves) ++next[t.nodes[leaf].next];
    const std::uint32_t deal = deal_for(board);
    for (std::size_t k = 0; k < deals_[deal].cards.size(); ++k) {
      const CardMask child = board | card_bit(deals_[deal].cards[k]);
      for (const auto& [tree_after, leaves] : next) {
        const Count n = count_block(tree_after, child, rivers, runouts, counted);
        c.blocks += leaves * n.blocks;
        c.values += leaves * n.values;
        c.action_nodes += leaves * n.action_nodes;
        c.terminal_nodes += leaves * n.terminal_nodes;
        c.chance_nodes += leaves * n.chance_nodes;
      }
    }
    counted.emplace(key, c);
  }
  return c;
}

void Solver::Impl::fill_block(std::uint32_t index, std::uint32_t tree, CardMask board) {
  const StreetTree& t = tree_.streets[tree];
  {
    Block& b = blocks_[index];
    b.tree = tree;
    b.board = board;
    b.base = next_base_;
    next_base_ += tree_values_[tree];
    b.slot_base = next_slot_;
    next_slot_ += tree_slots_[tree];
    if (t.street == Street::river) b.table = river_of_.at(board);
    else if (auto it = runout_of_.find(board); it != runout_of_.end()) b.table = it->second;
  }
  if (t.chance_leaves.empty()) return;
  const std::uint32_t deal = deal_for(board);
  const std::size_t cards = deals_[deal].cards.size();
  const auto first = static_cast<std::uint32_t>(blocks_.size());
  blocks_.resize(blocks_.size() + t.chance_leaves.size() * cards);
  blocks_[index].deal = deal;
  blocks_[index].first_child = first;
  for (std::size_t j = 0; j < t.chance_leaves.size(); ++j)
    for (std::size_t k = 0; k < cards; ++k)
      fill_block(static_cast<std::uint32_t>(first + j * cards + k), t.nodes[t.chance_leaves[j]].next,
                 board | card_bit(deals_[deal].cards[k]));
}

void Solver::Impl::allocate() {
  const int threads = options_.threads > 0 ? options_.threads
                                           : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  pool_ = std::make_unique<WorkPool>(threads);
  arenas_.resize(static_cast<std::size_t>(threads));
  blocks_.reserve(size_.blocks);
  blocks_.resize(1);
  next_base_ = 0;
  next_slot_ = 0;
  fill_block(0, 0, root_board_);
  place_locks();
  if (options_.compress) {
    regrets16_.assign(next_base_, 0);
    sums16_.assign(next_base_, 0);
    regret_scale_.assign(next_slot_, 0.0f);
    sum_scale_.assign(next_slot_, 0.0f);
  } else {
    regrets_.assign(next_base_, 0.0f);
    sums_.assign(next_base_, 0.0f);
  }
  make_tables();
}

RunoutTable Solver::Impl::make_runout(CardMask board) const {
  const int H0 = hands_[0].size(), H1 = hands_[1].size();
  RunoutTable t;
  // Counts of wins and halves, exact in floats (below 2^24 runouts): no
  // second table of doubles beside the one kept, which the memory bound
  // does not count (four-card ranges make it hundreds of MiB).
  std::vector<float>& share = t.share;
  share.assign(static_cast<std::size_t>(H0) * static_cast<std::size_t>(H1), 0.0f);
  std::vector<std::int32_t> s1(static_cast<std::size_t>(H1));
  const CardMask avail = deck_ & ~board;
  const int missing = 5 - std::popcount(board);
  auto add = [&](CardMask full) {
    const RiverTable& rt = rivers_[static_cast<std::size_t>(river_of_.at(full))];
    std::fill(s1.begin(), s1.end(), std::numeric_limits<std::int32_t>::min());
    for (const RiverTable::Entry& e : rt.sorted[1]) s1[e.hand] = e.strength;
    for (const RiverTable::Entry& e : rt.sorted[0]) {
      float* row = share.data() + static_cast<std::size_t>(e.hand) * static_cast<std::size_t>(H1);
      const CardMask m = hands_[0].mask[e.hand];
      for (const RiverTable::Entry& o : rt.sorted[1]) {
        if (hands_[1].mask[o.hand] & m) continue;
        row[o.hand] += o.strength < e.strength ? 1.0f : o.strength == e.strength ? 0.5f : 0.0f;
      }
    }
  };
  for (int a = 0; a < kDeckSize; ++a) {
    if (!(avail & card_bit(a))) continue;
    if (missing == 1) {
      add(board | card_bit(a));
      continue;
    }
    for (int b = a + 1; b < kDeckSize; ++b)
      if (avail & card_bit(b)) add(board | card_bit(a) | card_bit(b));
  }
  // Every compatible pair sees the same number of runouts.
  const int left = std::popcount(avail) - 2 * hands_[0].hole_cards;
  const double runouts = missing == 1 ? left : left * (left - 1) / 2.0;
  for (float& x : share) x = static_cast<float>(x / runouts);
  return t;
}

void Solver::Impl::make_tables() {
  std::vector<CardMask> boards(river_of_.size());
  for (const auto& [board, index] : river_of_) boards[static_cast<std::size_t>(index)] = board;
  rivers_.assign(boards.size(), {});
  pool_->run(boards.size(), [&](std::size_t i, int) { rivers_[i] = make_river_table(spot_.game, boards[i], hands_); });
  std::vector<CardMask> runs(runout_of_.size());
  for (const auto& [board, index] : runout_of_) runs[static_cast<std::size_t>(index)] = board;
  runouts_.assign(runs.size(), {});
  pool_->run(runs.size(), [&](std::size_t i, int) { runouts_[i] = make_runout(runs[i]); });
}

// ---- strategies ------------------------------------------------------------

void Solver::Impl::current_strategy(const float* r, int actions, int hands, float* sigma) {
  loops::regret_matching(r, static_cast<std::size_t>(actions), static_cast<std::size_t>(hands), sigma);
}

void Solver::Impl::average_strategy(const float* s, int actions, int hands, float* sigma) {
  loops::average(s, static_cast<std::size_t>(actions), static_cast<std::size_t>(hands), sigma);
}

void Solver::Impl::average_strategy_at(const Block& b, std::uint32_t node, int actions, int hands, float* sigma) const {
  const std::size_t n = static_cast<std::size_t>(actions) * static_cast<std::size_t>(hands);
  std::vector<float> buffer(options_.compress ? n : 0);
  average_strategy(sums(stored(b, node), n, buffer.data()), actions, hands, sigma);
  if (const LockedNode* lock = lock_for(stored(b, node))) apply_lock(*lock, static_cast<std::size_t>(hands), sigma);
}

// ---- 16-bit storage ----------------------------------------------------------

namespace {

// Rounded to the nearest code, halves away from zero; branch-free.
inline std::int32_t nearest(float x) { return static_cast<std::int32_t>(x + (x >= 0 ? 0.5f : -0.5f)); }

}  // namespace

float* Solver::Impl::regrets(const Stored& at, std::size_t n, float* buffer) const {
  if (!options_.compress) return regrets_.data() + at.offset;
  const std::int16_t* q = regrets16_.data() + at.offset;
  const float scale = regret_scale_[at.slot];
  for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<float>(q[i]) * scale;
  return buffer;
}

void Solver::Impl::keep_regrets(const Stored& at, std::size_t n, const float* values) const {
  if (!options_.compress) return;
  float largest = 0;
  for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, std::abs(values[i]));
  const float inverse = largest > 0 ? 32767.0f / largest : 0.0f;
  regret_scale_[at.slot] = largest / 32767.0f;
  std::int16_t* q = regrets16_.data() + at.offset;
  for (std::size_t i = 0; i < n; ++i)
    q[i] = static_cast<std::int16_t>(std::clamp(nearest(values[i] * inverse), -32767, 32767));
}

float* Solver::Impl::sums(const Stored& at, std::size_t n, float* buffer) const {
  if (!options_.compress) return sums_.data() + at.offset;
  const std::uint16_t* q = sums16_.data() + at.offset;
  const float scale = sum_scale_[at.slot];
  for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<float>(q[i]) * scale;
  return buffer;
}

void Solver::Impl::keep_sums(const Stored& at, std::size_t n, const float* values) const {
  if (!options_.compress) return;
  float largest = 0;
  for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, values[i]);
  const float inverse = largest > 0 ? 65535.0f / largest : 0.0f;
  sum_scale_[at.slot] = largest / 65535.0f;
  std::uint16_t* q = sums16_.data() + at.offset;
  for (std::size_t i = 0; i < n; ++i)
    q[i] = static_cast<std::uint16_t>(std::clamp(nearest(values[i] * inverse), 0, 65535));
}

}  // namespace oddsmith::solver
