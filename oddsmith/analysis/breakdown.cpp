#include "analysis/breakdown.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "calculator/prepared_query.h"

namespace oddsmith {

namespace {

// Progress of one part of the breakdown as a share of the whole: [from, to).
struct PartProgress {
  calc::ProgressFn fn;
  void* user;
  double from, to;
  static bool report(double done, void* self) {
    const auto* p = static_cast<const PartProgress*>(self);
    return p->fn(p->from + (p->to - p->from) * done, p->user);
  }
};

// Summary rows in the order `names` first gives them, from (name, weight, equity) of each hand.
std::vector<BreakdownRow> rows(const std::vector<std::string>& order, const std::vector<BreakdownHand>& hands,
                               const std::vector<std::string>& name_of, double total) {
  std::vector<BreakdownRow> out;
  for (const std::string& name : order) {
    BreakdownRow row{name, 0, 0, 0};
    for (std::size_t i = 0; i < hands.size(); ++i) {
      if (name_of[i] != name) continue;
      row.combos += hands[i].hand.weight;
      row.equity += hands[i].hand.weight * hands[i].equity;
    }
    if (row.combos <= 0) continue;
    row.share = total > 0 ? row.combos / total : 0;
    row.equity /= row.combos;
    out.push_back(row);
  }
  return out;
}

void summarise(Breakdown& b, calc::Game game, std::size_t board_cards) {
  if (board_cards < 3) return;
  double total = 0;
  for (const BreakdownHand& h : b.hands) total += h.hand.weight;
  // Categories, strongest first (short deck: the flush above the full house);
  // two-card games' one pairs by what they pair.
  const bool two_cards = calc::is_seven_card(game);
  std::vector<std::string> order, category_of;
  for (Category c : {kStraightFlush, kFourOfAKind, kFullHouse, kFlush, kStraight, kThreeOfAKind, kTwoPair, kOnePair, kHighCard}) {
    if (c == kOnePair && two_cards) {
      for (PairKind k : {PairKind::overpair, PairKind::top_pair, PairKind::second_pair, PairKind::weaker_pair})
        order.emplace_back(pair_kind_name(k));
    } else {
      order.emplace_back(category_name(c));
    }
  }
  if (game == calc::Game::shortdeck) std::swap(order[2], order[3]);
  for (const BreakdownHand& h : b.hands)
    category_of.emplace_back(h.features.pair != PairKind::none ? pair_kind_name(h.features.pair)
                                                               : category_name(h.features.category));
  b.categories = rows(order, b.hands, category_of, total);
  if (board_cards == 5) return;
  // Draws, alone or with what the hand already holds.
  std::vector<std::string> draw_of, draw_order;
  for (const BreakdownHand& h : b.hands) {
    std::string name = h.features.draws ? draw_names(h.features.draws, " + ") : "no draw";
    if (h.features.draws && h.features.category != kHighCard)
      name += h.features.category == kOnePair ? " + pair" : " + two pair or better";
    draw_of.push_back(name);
  }
  constexpr unsigned kDrawOrder[] = {kFlushDraw | kOpenEnded, kFlushDraw | kGutshot, kFlushDraw, kOpenEnded, kGutshot};
  for (unsigned draws : kDrawOrder)
    for (const char* made : {"", " + pair", " + two pair or better"}) draw_order.push_back(draw_names(draws, " + ") + made);
  draw_order.emplace_back("no draw");
  b.draws = rows(draw_order, b.hands, draw_of, total);
}

}  // namespace

Breakdown compute_breakdown(const calc::EquityQuery& query) {
  Breakdown b;
  const auto start = std::chrono::steady_clock::now();
  const double bound = query.max_seconds > 0 ? query.max_seconds : ODDSMITH_DEFAULT_MAX_SECONDS;
  const bool next = query.board.size() == 3 || query.board.size() == 4;
  calc::EquityQuery hands_query = query;
  PartProgress hands_part{query.progress, query.progress_user, 0.0, next ? 0.5 : 1.0};
  if (query.progress) {
    hands_query.progress = PartProgress::report;
    hands_query.progress_user = &hands_part;
  }
  const calc::HandsOutcome hands = calc::compute_hand_equities(hands_query);
  if (hands.status != calc::Status::ok) {
    b.status = hands.status;
    b.error = hands.error;
    return b;
  }
  b.exact = hands.exact;
  b.deals = hands.deals;
  b.seed = hands.seed;
  const int n = calc::cards_per_hand(query.game);
  for (std::size_t i = 0; i < hands.hands.size(); ++i) {
    const RangeHand& h = hands.hands[i];
    const std::vector<int> hole(h.cards.begin(), h.cards.begin() + n);
    b.hands.push_back({h, hands.equities[i].equity, hand_features(hole, query.board, query.game == calc::Game::shortdeck)});
  }
  std::stable_sort(b.hands.begin(), b.hands.end(),
                   [](const BreakdownHand& x, const BreakdownHand& y) { return x.equity > y.equity; });
  summarise(b, query.game, query.board.size());

  if (next) {
    CardMask used = query.dead | ~calc::game_deck(query.game);
    for (int c : query.board) used |= card_bit(c);
    calc::EquityQuery each = query;
    each.board.push_back(0);
    const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Each card may take what is left of the bound: an exact run refused over it fails the breakdown.
    const double per_card = std::max(1e-3, bound - spent);
    PartProgress cards_part{query.progress, query.progress_user, 0.5, 1.0};
    for (int c = 0; c < kDeckSize; ++c) {
      if (used & card_bit(c)) continue;
      if (query.progress && query.progress(cards_part.from + 0.5 * c / kDeckSize, query.progress_user)) {
        b.status = calc::Status::cancelled;
        b.error = "cancelled";
        return b;
      }
      each.board.back() = c;
      each.max_seconds = per_card;
      each.seed = query.seed ? query.seed + 1000003 + static_cast<std::uint64_t>(c) : 0;
      each.progress = nullptr;
      // A card no deal can follow (some player's every hand holds it) is left out.
      std::string blocked;
      const std::optional<calc::PreparedQuery> prepared = calc::prepare_query(each, blocked);
      if (!prepared || calc::some_assignment_fits(*prepared) == 0) continue;
      const calc::EquityOutcome run = calc::compute_equity(each);
      if (!run.has_result()) {
        b.status = run.status;
        b.error = run.error;
        return b;
      }
      NextCard card{c, {}};
      for (const calc::PlayerEquity& e : run.players) card.equities.push_back(e.equity);
      b.next_cards.push_back(std::move(card));
    }
  }
  b.status = calc::Status::ok;
  return b;
}

}  // namespace oddsmith
