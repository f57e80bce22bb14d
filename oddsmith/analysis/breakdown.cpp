#include "analysis/breakdown.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <unordered_map>

#include "calculator/chooser.h"
#include "calculator/part_runs.h"
#include "calculator/prepared_query.h"
#include "calculator/progress.h"
#include "calculator/run_budget.h"

namespace oddsmith {

namespace {

// Summary rows in the order `order` gives them, from each hand's row name
// (`name_of`), weight and equity; rows no hand falls in are left out.
std::vector<BreakdownRow> rows(const std::vector<std::string>& order, const std::vector<BreakdownHand>& hands,
                               const std::vector<std::string>& name_of, double total) {
  std::vector<BreakdownRow> out;
  std::unordered_map<std::string, std::size_t> at;
  for (const std::string& name : order) {
    at.emplace(name, out.size());
    out.push_back({name, 0, 0, 0});
  }
  for (std::size_t i = 0; i < hands.size(); ++i) {
    BreakdownRow& row = out[at.at(name_of[i])];
    row.combos += hands[i].hand.weight;
    row.equity += hands[i].hand.weight * hands[i].equity;
  }
  std::erase_if(out, [](const BreakdownRow& row) { return !(row.combos > 0); });
  for (BreakdownRow& row : out) {
    row.share = total > 0 ? row.combos / total : 0;
    row.equity /= row.combos;
  }
  return out;
}

// A draws row: the draws, with what the hand has made beside them.
std::string draw_row_name(unsigned draws, MadeHand made) {
  if (!draws) return "no draw";
  return draw_names(draws, " + ") + (is_pair(made) ? " + pair" : made >= MadeHand::two_pair ? " + two pair+" : "");
}

void summarise(Breakdown& b, calc::Game game, std::size_t board_cards) {
  if (board_cards < 3) return;
  double total = 0;
  for (const BreakdownHand& h : b.hands) total += h.hand.weight;
  const bool short_deck = game == calc::Game::shortdeck;
  // Made hands, strongest first in the game's order.
  std::vector<MadeHand> made_order;
  made_order.reserve(kMadeHandCount);
  for (int m = 0; m < kMadeHandCount; ++m) made_order.push_back(static_cast<MadeHand>(m));
  std::stable_sort(made_order.begin(), made_order.end(), [&](MadeHand x, MadeHand y) {
    return made_hand_strength(x, short_deck) > made_hand_strength(y, short_deck);
  });
  std::vector<std::string> order, name_of;
  for (MadeHand m : made_order) order.emplace_back(made_hand_name(m));
  for (const BreakdownHand& h : b.hands) name_of.emplace_back(made_hand_name(h.made));
  b.categories = rows(order, b.hands, name_of, total);
  if (calc::is_hilo(game)) {
    // Lows made, then low draws, then none; left out where no hand has either.
    const auto low_row = [](const HandFeatures& f) -> std::string {
      if (f.low != LowKind::none) return low_kind_name(f.low);
      if (f.draws & kLowDraw) return draw_names(f.draws & (kLowDraw | kNutLowDraw), "");
      return low_kind_name(LowKind::none);
    };
    order.clear();
    name_of.clear();
    for (LowKind k : {LowKind::nut, LowKind::second_nut, LowKind::other}) order.emplace_back(low_kind_name(k));
    order.push_back(draw_names(kLowDraw | kNutLowDraw, ""));
    order.push_back(draw_names(kLowDraw, ""));
    order.emplace_back(low_kind_name(LowKind::none));
    for (const BreakdownHand& h : b.hands) name_of.push_back(low_row(h.features));
    b.lows = rows(order, b.hands, name_of, total);
    if (b.lows.size() == 1 && b.lows[0].name == low_kind_name(LowKind::none)) b.lows.clear();
  }
  if (board_cards == 5) return;
  // Draws to a high hand, strongest first (flush draws by rank, then straight
  // draws), each alone or with a pair or more made beside it; the low draws
  // are in the lows above.
  order.clear();
  name_of.clear();
  for (unsigned flush : {kFlushDraw | kNutFlushDraw, kFlushDraw | kSecondNutFlushDraw, unsigned{kFlushDraw}, 0u})
    for (unsigned straight : {unsigned{kWrap}, unsigned{kOpenEnded}, unsigned{kGutshot}, 0u})
      for (MadeHand made : {MadeHand::nothing, MadeHand::weaker_pair, MadeHand::two_pair})
        if (flush | straight) order.push_back(draw_row_name(flush | straight, made));
  order.emplace_back("no draw");
  for (const BreakdownHand& h : b.hands) name_of.push_back(draw_row_name(h.features.draws & ~kLowDraws, h.made));
  b.draws = rows(order, b.hands, name_of, total);
}

// What `card` completes for the range's hands (NextCard's shares).
void completed_draws(NextCard& next, const std::vector<BreakdownHand>& hands, const std::vector<int>& board, int per_hand,
                     calc::Game game) {
  const bool short_deck = game == calc::Game::shortdeck, hilo = calc::is_hilo(game);
  std::vector<int> with_card = board;
  with_card.push_back(next.card);
  double total = 0, flush = 0, straight = 0, low = 0;
  for (const BreakdownHand& h : hands) {
    if (h.hand.mask & card_bit(next.card)) continue;
    total += h.hand.weight;
    const unsigned draws = h.features.draws;
    std::array<int, kMaxRangeCards> hole{};
    std::copy(h.hand.cards.begin(), h.hand.cards.end(), hole.begin());
    const std::span<const int> hole_cards(hole.data(), static_cast<std::size_t>(per_hand));
    if (draws & (kFlushDraw | kOpenEnded | kGutshot | kWrap)) {
      const MadeHand made = made_hand(hole_cards, with_card, short_deck);
      if ((draws & kFlushDraw) && (made == MadeHand::flush || made == MadeHand::straight_flush)) flush += h.hand.weight;
      if ((draws & (kOpenEnded | kGutshot | kWrap)) && (made == MadeHand::straight || made == MadeHand::straight_flush))
        straight += h.hand.weight;
    }
    if (hilo && (draws & kLowDraw) && has_low(hole_cards, with_card)) low += h.hand.weight;
  }
  if (total > 0) next.flush = flush / total, next.straight = straight / total, next.low = low / total;
}

Breakdown failed(calc::Status status, std::string message) {
  Breakdown b;
  b.status = status;
  b.error = std::move(message);
  return b;
}

// Every player's equity after each card that can come next, under what is left
// of the breakdown's budget. All cards run alike: exact when the first card's
// estimate times their count fits (quickly, in automatic mode), else Monte
// Carlo, each card with an equal share of the time left.
struct NextCardPlan {
  std::vector<int> cards;  // in the game's deck, not on the board or dead
  bool exact = false;
  double exact_seconds = 0;  // all cards' estimate on one core, when exact
};

NextCardPlan plan_next_cards(const calc::EquityQuery& query, const calc::RunBudget& budget, double hands) {
  NextCardPlan plan;
  CardMask used = query.dead | ~calc::game_deck(query.game);
  for (int c : query.board) used |= card_bit(c);
  for (int c = 0; c < kDeckSize; ++c)
    if (!(used & card_bit(c))) plan.cards.push_back(c);
  if (budget.mode == calc::Mode::monte_carlo || plan.cards.empty()) return plan;
  calc::EquityQuery one = query;
  one.board.push_back(plan.cards.front());
  plan.exact_seconds = calc::exact_seconds(std::move(one)) * static_cast<double>(plan.cards.size());
  const double share = static_cast<double>(plan.cards.size()) / (hands + static_cast<double>(plan.cards.size()));
  plan.exact = calc::enumerates(budget.mode, plan.exact_seconds, budget.seconds_left() * share);
  return plan;
}

}  // namespace

Breakdown compute_breakdown(const calc::EquityQuery& query) {
  Breakdown b;
  const calc::RunBudget budget = calc::resolve_budget(query);
  const bool next = query.board.size() == 3 || query.board.size() == 4;
  calc::ProgressSpan shown{query.progress, query.progress_user};

  // The time is planned before anything runs: exact next cards reserve their
  // estimate (refused at once when it cannot fit), and otherwise the hands and
  // the next cards share what is left by their counts.
  NextCardPlan cards;
  double hands_share = 1;
  if (next) {
    // The range's size before the board removes any hand: near enough to share time by.
    const double hands = query.players.empty() ? 1.0 : static_cast<double>(query.players[0].size());
    cards = plan_next_cards(query, budget, hands);
    if (budget.mode == calc::Mode::exact && cards.exact_seconds > budget.seconds_left())
      return failed(calc::Status::bad_query, "the exact equities after each next card would take about " +
                                                 calc::describe_seconds(cards.exact_seconds) + " on one core, " +
                                                 calc::over_the_bound(budget) +
                                                 ": use Monte Carlo, or raise the bound (max_seconds)");
    hands_share = hands / (hands + static_cast<double>(cards.cards.size()));
  }
  calc::EquityQuery hands_query = query;
  hands_query.max_seconds = budget.bound;
  hands_query.seed = budget.seed;
  const double left = budget.seconds_left();
  hands_query.deadline = !next            ? budget.deadline
                         : cards.exact ? calc::seconds_from_now(left - cards.exact_seconds)
                                       : calc::seconds_from_now(left * hands_share);
  calc::ProgressSpan hands_part = shown.part(0.0, next ? 0.5 : 1.0);
  hands_query.progress = hands_part.callback();
  hands_query.progress_user = &hands_part;
  const calc::HandsOutcome hands = calc::compute_hand_equities(hands_query);
  if (!hands.has_result()) return failed(hands.status, hands.error);
  b.status = hands.status;
  b.error = hands.error;
  b.exact = hands.exact;
  b.deals = hands.deals;
  b.seed = hands.seed;
  const int n = calc::cards_per_hand(query.game);
  for (std::size_t i = 0; i < hands.hands.size(); ++i) {
    const RangeHand& h = hands.hands[i];
    const std::vector<int> hole(h.cards.begin(), h.cards.begin() + n);
    const bool short_deck = query.game == calc::Game::shortdeck;
    b.hands.push_back({h, hands.equities[i].equity,
                       hand_features(hole, query.board, short_deck, calc::is_hilo(query.game)),
                       made_hand(hole, query.board, short_deck)});
  }
  std::stable_sort(b.hands.begin(), b.hands.end(),
                   [](const BreakdownHand& x, const BreakdownHand& y) { return x.equity > y.equity; });
  summarise(b, query.game, query.board.size());
  if (!next) return b;

  calc::EquityQuery each = calc::part_query(query, budget, calc::kDealsPerNextCard);
  each.board.push_back(0);
  each.mode = cards.exact ? calc::Mode::exact : calc::Mode::monte_carlo;
  auto began = calc::Clock::now();  // of the Monte-Carlo cards
  std::size_t simulated = 0;
  bool short_of_goal = false;
  const std::size_t count = cards.cards.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (shown(0.5 + 0.5 * static_cast<double>(i) / static_cast<double>(count)))
      return failed(calc::Status::cancelled, "cancelled");
    const int c = cards.cards[i];
    const double time_left = budget.seconds_left();
    if (!cards.exact) {
      // When the first card shows that the rest cannot fit, refuse there.
      const double per_card = std::chrono::duration<double>(calc::Clock::now() - began).count();
      if (simulated == 1 && calc::rest_cannot_fit(per_card, count - i, budget))
        return failed(calc::Status::bad_query,
                      "the equities after each next card would take about " +
                          calc::describe_seconds(per_card * static_cast<double>(count)) + ", " +
                          calc::over_the_bound(budget) +
                          ": narrow the ranges, give fewer deals (trials), or raise the bound (max_seconds)");
      each.deadline = calc::seconds_from_now(time_left / static_cast<double>(count - i));
    }
    each.board.back() = c;
    each.seed = budget.seed + 1000003 + static_cast<std::uint64_t>(c);
    calc::ProgressSpan card_span = shown.part(0.5 + 0.5 * static_cast<double>(i) / static_cast<double>(count),
                                              0.5 + 0.5 * static_cast<double>(i + 1) / static_cast<double>(count));
    each.progress = card_span.callback();
    each.progress_user = &card_span;
    const calc::EquityOutcome run = calc::compute_equity(each);
    simulated += !cards.exact;
    if (!run.has_result()) {
      // A card no deal can follow (some player's every hand holds it) is left out.
      if (run.status == calc::Status::bad_query && !run.over_time && calc::no_deal_fits(each)) continue;
      // Automatic mode never fails for time: the cards from this one on are simulated.
      if (run.over_time && cards.exact && budget.mode == calc::Mode::automatic) {
        cards.exact = false;
        each.mode = calc::Mode::monte_carlo;
        each.deadline = budget.deadline;
        began = calc::Clock::now();
        --i;
        continue;
      }
      return failed(run.status, run.error);
    }
    short_of_goal = short_of_goal || run.status == calc::Status::target_not_met;
    NextCard card{c, {}};
    for (const calc::PlayerEquity& e : run.players) card.equities.push_back(e.equity);
    completed_draws(card, b.hands, query.board, calc::cards_per_hand(query.game), query.game);
    b.next_cards.push_back(std::move(card));
  }
  if (short_of_goal && b.status == calc::Status::ok) {
    b.status = calc::Status::target_not_met;
    b.error = "some next cards ran out of their share of the time bound of " + calc::describe_seconds(budget.bound) +
              " before all their deals: their equities are from the deals done";
  }
  if (shown(1.0)) return failed(calc::Status::cancelled, "cancelled");
  return b;
}

}  // namespace oddsmith
