// A node of the solved tree by its action path, and all it reports
// (solver.h's NodeReport): strategies, EVs, equities and reaching weights.
#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>

#include "cards/card_text.h"
#include "solver/internal/engine.h"
#include "solver/internal/text.h"

namespace oddsmith::solver {

namespace {

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

}  // namespace

std::string action_text(const TreeAction& a) {
  std::string s = action_name(a.kind);
  if (a.kind == ActionKind::bet || a.kind == ActionKind::raise || a.kind == ActionKind::allin)
    s += join(" ", std::to_string(a.amount));
  return s;
}

// The action a path piece names ("bet 50%", "raise 125", "call", "allin"), or -1.
int find_action(const StreetTree& t, const TreeNode& n, std::string_view piece, std::string& error) {
  const std::string text = lower(trim(piece));
  const std::size_t space = text.find(' ');
  std::string name = text.substr(0, space);
  std::string size_text = space == std::string::npos ? "" : std::string(trim(std::string_view(text).substr(space + 1)));
  if (name == "all-in" || name == "all_in" || name == "shove") name = "allin";
  const int pot = t.pot + n.bets[0] + n.bets[1];
  std::vector<int> found;
  for (int a = 0; a < n.action_count; ++a) {
    const TreeAction& act = t.actions[n.first + static_cast<std::size_t>(a)];
    const std::string kind = action_name(act.kind);
    const bool sized = act.kind == ActionKind::bet || act.kind == ActionKind::raise || act.kind == ActionKind::allin;
    if (size_text.empty()) {
      if (kind == name) found.push_back(a);
      continue;
    }
    if (!sized || !(name == kind || name == "bet" || name == "raise" || name == "allin")) continue;
    int chips = -1;
    const auto [end, ec] = std::from_chars(size_text.data(), size_text.data() + size_text.size(), chips);
    if (ec == std::errc() && end == size_text.data() + size_text.size()) {
      if (act.amount == chips) found.push_back(a);
      continue;
    }
    // A size as the tree's rules wrote it, among the labels that gave the action.
    std::string_view labels = act.labels;
    bool match = false;
    while (!labels.empty()) {
      const std::size_t slash = labels.find('/');
      match = match || lower(labels.substr(0, slash)) == size_text;
      labels = slash == std::string_view::npos ? std::string_view() : labels.substr(slash + 1);
    }
    if (!match && size_text.back() == '%' && name == "bet") {
      double pct = 0;
      const auto [e2, ec2] = std::from_chars(size_text.data(), size_text.data() + size_text.size() - 1, pct);
      match = ec2 == std::errc() && e2 == size_text.data() + size_text.size() - 1 &&
              act.amount == static_cast<int>(std::llround(pct * pot / 100.0)) + n.bets[n.player];
    }
    if (match) found.push_back(a);
  }
  if (found.size() == 1) return found[0];
  std::string offered;
  for (int a = 0; a < n.action_count; ++a) {
    if (!offered.empty()) offered += ", ";
    offered += action_text(t.actions[n.first + static_cast<std::size_t>(a)]);
  }
  error = join("\"", trim(piece), "\" ", found.empty() ? "is not an action here" : "names more than one action",
               " (the actions: ", offered, ")");
  return -1;
}

std::optional<NodeReport> Solver::Impl::node(std::string_view path, std::string& error) const {
  error.clear();
  NodeReport rep;
  std::uint32_t bi = 0, ni = 0;
  std::array<std::vector<float>, 2> reach = {hands_[0].weight, hands_[1].weight};
  // Each player's actual hand index -> the stored one, where suit-swapped
  // cards were dealt as their representative.
  std::array<std::vector<std::uint16_t>, 2> stored;
  for (int p = 0; p < 2; ++p) {
    stored[static_cast<std::size_t>(p)].resize(static_cast<std::size_t>(hands_[static_cast<std::size_t>(p)].size()));
    for (std::size_t h = 0; h < stored[static_cast<std::size_t>(p)].size(); ++h)
      stored[static_cast<std::size_t>(p)][h] = static_cast<std::uint16_t>(h);
  }
  int suit_of[4] = {0, 1, 2, 3};  // actual suit -> stored suit
  rep.board = spot_.board;
  rep.hand_cards = hands_[0].hole_cards;
  std::vector<std::string> canonical;
  std::string_view rest = path;
  std::vector<std::string_view> pieces;
  while (!trim(rest).empty()) {
    const std::size_t comma = rest.find(',');
    pieces.push_back(trim(rest.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  Arena& arena = arenas_[0];
  for (std::string_view piece : pieces) {
    const Block& b = blocks_[bi];
    const StreetTree& t = tree_.streets[b.tree];
    const TreeNode& n = t.nodes[ni];
    if (piece.empty()) {
      error = "an empty step in the path";
      return std::nullopt;
    }
    if (n.kind == NodeKind::action) {
      const int a = find_action(t, n, piece, error);
      if (a < 0) return std::nullopt;
      if (n.action_count >= 2) {
        const int p = n.player;
        const auto Hp = static_cast<std::size_t>(hands_[static_cast<std::size_t>(p)].size());
        const Arena::Mark mark = arena.mark();
        float* sigma = arena.take(n.action_count * Hp);
        average_strategy_at(b, ni, n.action_count, static_cast<int>(Hp), sigma);
        for (std::size_t h = 0; h < Hp; ++h) reach[static_cast<std::size_t>(p)][h] *= sigma[static_cast<std::size_t>(a) * Hp + h];
        arena.release(mark);
      }
      canonical.push_back(action_text(t.actions[n.first + static_cast<std::size_t>(a)]));
      ni = t.children[n.first + static_cast<std::size_t>(a)];
      continue;
    }
    if (n.kind != NodeKind::chance) {
      error = join("\"", piece, "\": the hand has ended (",
                   n.kind == NodeKind::fold ? "a fold" : n.kind == NodeKind::showdown ? "a showdown" : "all-in", ")");
      return std::nullopt;
    }
    int card = -1;
    {
      std::vector<int> cards;
      std::string card_error;
      if (!parse_card_list(piece, cards, card_error) || cards.size() != 1) {
        error = join("\"", piece, "\": a card comes here (the next street), such as 7h");
        return std::nullopt;
      }
      card = cards[0];
    }
    CardMask actual_board = 0;
    for (int c : rep.board) actual_board |= card_bit(c);
    if (!(deck_ & card_bit(card)) || (actual_board & card_bit(card))) {
      error = join("\"", piece, "\" cannot come: it is on the board, dead or not in the deck");
      return std::nullopt;
    }
    const int stored_card = make_card(card_rank(card), suit_of[card_suit(card)]);
    const Deal& d = deals_[b.deal];
    std::size_t k = 0;
    int swap = -1;
    if (auto it = std::find(d.cards.begin(), d.cards.end(), stored_card); it != d.cards.end()) {
      k = static_cast<std::size_t>(it - d.cards.begin());
    } else {
      const auto tw = std::find_if(d.twins.begin(), d.twins.end(), [&](const Deal::Twin& x) { return x.card == stored_card; });
      k = tw->rep;
      swap = tw->swap;
    }
    const int dealt = d.cards[k];
    for (int p = 0; p < 2; ++p) {
      auto& r = reach[static_cast<std::size_t>(p)];
      if (swap >= 0) {
        // Into the representative's subtree: its hand h is the swap of ours.
        const auto& map = swaps_[static_cast<std::size_t>(swap)][static_cast<std::size_t>(p)];
        std::vector<float> moved(r.size());
        for (std::size_t h = 0; h < r.size(); ++h) moved[map[h]] = r[h];
        r = std::move(moved);
        for (auto& s : stored[static_cast<std::size_t>(p)]) s = map[s];
      }
      for (std::uint16_t h : hands_[static_cast<std::size_t>(p)].with_card[static_cast<std::size_t>(dealt)]) r[h] = 0;
    }
    if (swap >= 0) {
      const int sa = card_suit(stored_card), sb = card_suit(dealt);
      for (int& s : suit_of) s = s == sa ? sb : s == sb ? sa : s;
    }
    rep.board.push_back(card);
    canonical.push_back(card_name(card));
    bi = static_cast<std::uint32_t>(b.first_child + n.chance_index * d.cards.size() + k);
    ni = 0;
  }

  const Block& b = blocks_[bi];
  const StreetTree& t = tree_.streets[b.tree];
  const TreeNode& n = t.nodes[ni];
  for (std::size_t i = 0; i < canonical.size(); ++i) rep.path += join(i ? ", " : "", canonical[i]);
  rep.kind = n.kind == NodeKind::action     ? NodeReport::Kind::action
             : n.kind == NodeKind::chance   ? NodeReport::Kind::chance
             : n.kind == NodeKind::fold     ? NodeReport::Kind::fold
             : n.kind == NodeKind::showdown ? NodeReport::Kind::showdown
                                            : NodeReport::Kind::runout;
  rep.player = n.player;
  rep.pot = t.pot + n.bets[0] + n.bets[1];
  rep.street_bets = {n.bets[0], n.bets[1]};
  rep.stacks = {t.stack - n.bets[0], t.stack - n.bets[1]};

  // Values at the node, in stored hand order, then told in the actual order.
  std::array<std::vector<float>, 2> cfv, compatible, equity;
  for (int p = 0; p < 2; ++p) {
    const auto H = static_cast<std::size_t>(hands_[static_cast<std::size_t>(p)].size());
    cfv[static_cast<std::size_t>(p)].resize(H);
    compatible[static_cast<std::size_t>(p)].resize(H);
    equity[static_cast<std::size_t>(p)].resize(H);
    const Ctx c{p, 1, 1, 1};
    walk<Mode::average>(c, bi, ni, reach[static_cast<std::size_t>(1 - p)].data(), cfv[static_cast<std::size_t>(p)].data(), 0);
    compatible_values(hands_[static_cast<std::size_t>(p)], hands_[static_cast<std::size_t>(1 - p)],
                      reach[static_cast<std::size_t>(1 - p)].data(), compatible[static_cast<std::size_t>(p)].data(), 1.0);
    equity_values(b.board, p, reach[static_cast<std::size_t>(1 - p)].data(), equity[static_cast<std::size_t>(p)].data());
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int p = 0; p < 2; ++p) {
    const auto pu = static_cast<std::size_t>(p);
    const HandSet& hs = hands_[pu];
    NodeReport::Side& side = rep.sides[pu];
    double weight = 0, ev = 0, eq = 0, pairs = 0;
    for (int a = 0; a < hs.size(); ++a) {
      const auto au = static_cast<std::size_t>(a);
      const std::size_t s = stored[pu][au];
      std::array<int, 5> cards{-1, -1, -1, -1, -1};
      for (int i = 0; i < hs.hole_cards; ++i)
        cards[static_cast<std::size_t>(i)] = hs.holes[au][static_cast<std::size_t>(hs.hole_cards - 1 - i)];
      side.hands.push_back(cards);
      const double w = reach[pu][s], c = compatible[pu][s];
      side.weight.push_back(w);
      const bool seen = w > 0 && c > 0;
      side.ev.push_back(seen ? cfv[pu][s] / c : nan);
      side.equity.push_back(seen ? equity[pu][s] / c : nan);
      weight += w;
      if (seen) {
        ev += w * cfv[pu][s];
        eq += w * equity[pu][s];
        pairs += w * c;
      }
    }
    side.total_weight = weight;
    side.ev_total = pairs > 0 ? ev / pairs : nan;
    side.equity_total = pairs > 0 ? eq / pairs : nan;
  }
  if (n.kind == NodeKind::action) {
    const int p = n.player;
    const auto pu = static_cast<std::size_t>(p);
    const auto A = static_cast<std::size_t>(n.action_count);
    for (std::size_t a = 0; a < A; ++a) rep.actions.push_back(t.actions[n.first + a]);
    const auto Hp = static_cast<std::size_t>(hands_[pu].size());
    std::vector<float> sigma(A * Hp, 1.0f);
    if (A >= 2) average_strategy_at(b, ni, static_cast<int>(A), static_cast<int>(Hp), sigma.data());
    rep.frequencies.assign(A, 0.0);
    double total = 0;
    for (std::size_t h = 0; h < Hp; ++h) {
      const std::size_t s = stored[pu][h];
      for (std::size_t a = 0; a < A; ++a) {
        rep.strategy.push_back(sigma[a * Hp + s]);
        rep.frequencies[a] += reach[pu][s] * sigma[a * Hp + s];
      }
      total += reach[pu][s];
    }
    for (double& f : rep.frequencies) f = total > 0 ? f / total : nan;
    if (const LockedNode* lock = A >= 2 ? lock_for(Impl::stored(b, ni)) : nullptr) rep.locked_hands = lock->count;
  } else if (n.kind == NodeKind::chance) {
    const Deal& d = deals_[b.deal];
    int actual_of[4];
    for (int s = 0; s < 4; ++s) actual_of[suit_of[s]] = s;
    for (std::uint8_t c : d.cards) rep.cards.push_back(make_card(card_rank(c), actual_of[card_suit(c)]));
    for (const Deal::Twin& tw : d.twins) rep.cards.push_back(make_card(card_rank(tw.card), actual_of[card_suit(tw.card)]));
    std::sort(rep.cards.begin(), rep.cards.end());
  }
  return rep;
}

}  // namespace oddsmith::solver
