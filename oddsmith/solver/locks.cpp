// Node locks: their text read, their paths resolved on the street trees,
// placed on every block they reach, and applied in the walks
// (internal/engine.h). A locked hand plays the lock's strategy in every walk:
// its regrets stay 0, its average strategy is the lock, and a best response
// cannot deviate from it.
#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

#include "cards/card_text.h"
#include "solver/internal/engine.h"
#include "solver/internal/text.h"

namespace oddsmith::solver {

namespace {

// "bet 75%:0.6, check:0.4" into (action, frequency) pairs.
bool parse_actions(std::string_view text, std::vector<std::pair<std::string, double>>& out, std::string& error) {
  while (true) {
    const std::size_t comma = text.find(',');
    const std::string_view item = trim(text.substr(0, comma));
    const std::size_t colon = item.rfind(':');
    if (colon == std::string_view::npos) {
      error = join("\"", item, "\" is not ACTION:FREQUENCY (bet 75%:0.5)");
      return false;
    }
    const std::string_view name = trim(item.substr(0, colon)), number = trim(item.substr(colon + 1));
    double f = -1;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), f);
    if (name.empty() || ec != std::errc() || end != number.data() + number.size() || !(f >= 0 && f <= 1)) {
      error = join("\"", item, "\": the frequency is a number from 0 to 1 after the action");
      return false;
    }
    out.emplace_back(std::string(name), f);
    if (comma == std::string_view::npos) return true;
    text = text.substr(comma + 1);
  }
}

}  // namespace

bool parse_locks(std::string_view text, std::vector<NodeLock>& locks, std::string& error) {
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::string_view line = trim(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    ++line_number;
    if (line.empty() || line.front() == '#') continue;
    NodeLock lock;
    std::string_view actions;
    const std::size_t bar = line.find('|');
    if (bar != std::string_view::npos) {
      const std::size_t bar2 = line.find('|', bar + 1);
      if (bar2 == std::string_view::npos) {
        error = join("lock line ", std::to_string(line_number), ": PATH|HAND|ACTION:FREQ,... needs two bars");
        return false;
      }
      lock.path = std::string(trim(line.substr(0, bar)));
      const std::string_view hand = trim(line.substr(bar + 1, bar2 - bar - 1));
      std::string card_error;
      if (!hand.empty() && hand != "*" && (!parse_card_list(hand, lock.hand, card_error) || lock.hand.empty())) {
        error = join("lock line ", std::to_string(line_number), ": \"", hand, "\" is not a hand (AhKd)");
        return false;
      }
      actions = line.substr(bar2 + 1);
    } else {
      const std::size_t eq = line.find('=');
      if (eq == std::string_view::npos) {
        error = join("lock line ", std::to_string(line_number), ": PATH=ACTION:FREQ,... needs an '='");
        return false;
      }
      lock.path = std::string(trim(line.substr(0, eq)));
      actions = line.substr(eq + 1);
    }
    std::string action_error;
    if (!parse_actions(actions, lock.actions, action_error)) {
      error = join("lock line ", std::to_string(line_number), ": ", action_error);
      return false;
    }
    locks.push_back(std::move(lock));
  }
  return true;
}

bool Solver::Impl::resolve_locks(std::string& error) {
  locks_.clear();
  lock_at_.clear();
  static const char* const kNames[2] = {"OOP", "IP"};
  std::map<std::string, std::size_t> by_path;
  bool per_hand = false;
  CardMask named_cards = 0;
  for (std::size_t li = 0; li < options_.locks.size(); ++li) {
    const NodeLock& given = options_.locks[li];
    const std::string where = join("lock ", std::to_string(li + 1), " (", given.path, "): ");
    LockedNode placed;
    std::string canonical;
    CardMask board = root_board_;
    std::uint32_t ti = 0, ni = 0;
    std::string_view rest = given.path;
    while (!trim(rest).empty()) {
      const std::size_t comma = rest.find(',');
      const std::string_view piece = trim(rest.substr(0, comma));
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      const StreetTree& t = tree_.streets[ti];
      const TreeNode& n = t.nodes[ni];
      std::string step;
      if (n.kind == NodeKind::action) {
        std::string e;
        const int a = find_action(t, n, piece, e);
        if (a < 0) {
          error = join(where, e);
          return false;
        }
        step = action_text(t.actions[n.first + static_cast<std::size_t>(a)]);
        ni = t.children[n.first + static_cast<std::size_t>(a)];
      } else if (n.kind == NodeKind::chance) {
        int card = -1;
        if (piece != "*") {
          std::vector<int> cards;
          std::string e;
          if (!parse_card_list(piece, cards, e) || cards.size() != 1 || !(deck_ & card_bit(cards[0])) ||
              (board & card_bit(cards[0]))) {
            error = join(where, "\"", piece, "\": a card that can come here (7h), or * for every card");
            return false;
          }
          card = cards[0];
          board |= card_bit(card);
          named_cards |= card_bit(card);
        }
        step = card < 0 ? "*" : card_name(card);
        placed.deals.emplace_back(n.chance_index, card);
        ti = n.next;
        ni = 0;
      } else {
        error = join(where, "\"", piece, "\": the hand has ended before it");
        return false;
      }
      canonical += join(canonical.empty() ? "" : ", ", step);
    }
    const StreetTree& t = tree_.streets[ti];
    const TreeNode& n = t.nodes[ni];
    if (n.kind != NodeKind::action || n.action_count < 2) {
      error = join(where, "the path must end where a player has a choice of actions");
      return false;
    }
    // The strategy: the listed actions' frequencies, the rest shared equally.
    const auto A = static_cast<std::size_t>(n.action_count);
    std::vector<double> mix(A, -1.0);
    double listed = 0;
    for (const auto& [name, f] : given.actions) {
      std::string e;
      const int a = find_action(t, n, name, e);
      if (a < 0) {
        error = join(where, e);
        return false;
      }
      if (!(f >= 0 && f <= 1)) {
        error = join(where, "\"", name, "\": a frequency is from 0 to 1");
        return false;
      }
      if (mix[static_cast<std::size_t>(a)] >= 0) {
        error = join(where, "\"", name, "\" is listed twice");
        return false;
      }
      mix[static_cast<std::size_t>(a)] = f;
      listed += f;
    }
    const auto unlisted = static_cast<double>(std::count(mix.begin(), mix.end(), -1.0));
    if (listed > 1 + 1e-9 || (unlisted == 0 && std::abs(listed - 1) > 1e-6) || !(listed > 0 || unlisted > 0)) {
      error = join(where, "the frequencies add up to ", std::to_string(listed),
                   unlisted > 0 ? ", over 1" : ", not 1 (every action is listed)");
      return false;
    }
    for (double& f : mix) f = f < 0 ? std::max(0.0, 1 - listed) / unlisted : unlisted == 0 ? f / listed : f;
    // The hands it covers.
    const int p = n.player;
    const HandSet& hs = hands_[static_cast<std::size_t>(p)];
    const auto H = static_cast<std::size_t>(hs.size());
    int hand = -1;
    if (!given.hand.empty()) {
      CardMask m = 0;
      for (int c : given.hand) m |= is_card(c) ? card_bit(c) : 0;
      for (std::size_t h = 0; h < H && hand < 0; ++h)
        if (hs.mask[h] == m && static_cast<std::size_t>(std::popcount(m)) == given.hand.size()) hand = static_cast<int>(h);
      if (hand < 0) {
        error = join(where, "that hand is not in ", kNames[p], "'s range beside the board and dead cards");
        return false;
      }
      per_hand = true;
    }
    const auto [it, fresh] = by_path.emplace(canonical, locks_.size());
    if (fresh) {
      placed.path = canonical;
      placed.tree = ti;
      placed.node = ni;
      placed.player = p;
      placed.actions = n.action_count;
      placed.sigma.assign(A * H, 0.0f);
      placed.locked.assign(H, 0);
      locks_.push_back(std::move(placed));
    }
    LockedNode& l = locks_[it->second];
    l.per_hand = l.per_hand || hand >= 0;
    for (std::size_t h = 0; h < H; ++h) {
      if (hand >= 0 && h != static_cast<std::size_t>(hand)) continue;
      l.locked[h] = 1;
      for (std::size_t a = 0; a < A; ++a) l.sigma[a * H + h] = static_cast<float>(mix[a]);
    }
    l.count = static_cast<int>(std::count(l.locked.begin(), l.locked.end(), std::uint8_t{1}));
  }
  given_locks_ = locks_.size();
  // A suit swap merges cards only where everything is the same under it: a
  // single hand's lock breaks that, and so does a card a lock names whose
  // suit the swap moves.
  static constexpr int kPairs[6][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
  for (std::size_t i = 0; i < swaps_.size(); ++i) {
    bool keeps = !per_hand;
    for (int c = 0; c < kDeckSize && keeps; ++c)
      if (named_cards & card_bit(c)) keeps = card_suit(c) != kPairs[i][0] && card_suit(c) != kPairs[i][1];
    if (!keeps) swaps_[i] = {};
  }
  return true;
}

void Solver::Impl::place_locks() {
  lock_at_.clear();
  for (std::size_t i = 0; i < given_locks_; ++i) place_lock(static_cast<std::uint32_t>(i), 0, 0);
}

void Solver::Impl::place_lock(std::uint32_t index, std::uint32_t block, std::size_t step) {
  // locks_ grows as locks merge: no reference into it is held across a call.
  if (step == locks_[index].deals.size()) {
    const std::uint64_t offset = stored(blocks_[block], locks_[index].node).offset;
    const auto [it, fresh] = lock_at_.emplace(offset, index);
    if (fresh) return;
    // Two locks meet here (every card, and one card): the later one's hands
    // over a copy of what the earlier ones left.
    LockedNode merged = locks_[it->second];
    const LockedNode& later = locks_[index];
    const std::size_t H = later.locked.size();
    for (std::size_t h = 0; h < H; ++h) {
      if (!later.locked[h]) continue;
      merged.locked[h] = 1;
      for (int a = 0; a < later.actions; ++a)
        merged.sigma[static_cast<std::size_t>(a) * H + h] = later.sigma[static_cast<std::size_t>(a) * H + h];
    }
    merged.count = static_cast<int>(std::count(merged.locked.begin(), merged.locked.end(), std::uint8_t{1}));
    merged.per_hand = merged.per_hand || later.per_hand;
    it->second = static_cast<std::uint32_t>(locks_.size());
    locks_.push_back(std::move(merged));
    return;
  }
  const Block& b = blocks_[block];
  const std::size_t K = deals_[b.deal].cards.size();
  const auto [chance_index, card] = locks_[index].deals[step];
  for (std::size_t k = 0; k < K; ++k)
    if (card < 0 || deals_[b.deal].cards[k] == card)
      place_lock(index, static_cast<std::uint32_t>(b.first_child + chance_index * K + k), step + 1);
}

std::vector<std::string> Solver::Impl::locked_nodes() const {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < given_locks_; ++i) out.push_back(locks_[i].path);
  return out;
}

void Solver::Impl::apply_lock(const LockedNode& lock, std::size_t hands, float* sigma) {
  const auto A = static_cast<std::size_t>(lock.actions);
  for (std::size_t a = 0; a < A; ++a) {
    const float* from = lock.sigma.data() + a * hands;
    float* to = sigma + a * hands;
    for (std::size_t h = 0; h < hands; ++h) to[h] = lock.locked[h] ? from[h] : to[h];
  }
}

void Solver::Impl::lock_best_response(const LockedNode& lock, std::size_t hands, const float* sigma, const float* cfv,
                                      std::size_t stride, float* out) {
  const auto A = static_cast<std::size_t>(lock.actions);
  for (std::size_t h = 0; h < hands; ++h) {
    if (!lock.locked[h]) continue;
    float v = 0;
    for (std::size_t a = 0; a < A; ++a) v += sigma[a * hands + h] * cfv[a * stride + h];
    out[h] = v;
  }
}

void Solver::Impl::clear_locked_regrets(const LockedNode& lock, std::size_t hands, float* regrets) {
  const auto A = static_cast<std::size_t>(lock.actions);
  for (std::size_t a = 0; a < A; ++a)
    for (std::size_t h = 0; h < hands; ++h) regrets[a * hands + h] = lock.locked[h] ? 0.0f : regrets[a * hands + h];
}

std::vector<std::string> Solver::locked_nodes() const { return impl_->locked_nodes(); }

}  // namespace oddsmith::solver
