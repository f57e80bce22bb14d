#include "analysis/breakdown.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "calculator/chooser.h"
#include "calculator/part_runs.h"
#include "calculator/prepared_query.h"
#include "calculator/progress.h"
#include "calculator/run_budget.h"

namespace oddsmith {

namespace {

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
    b.hands.push_back({h, hands.equities[i].equity, hand_features(hole, query.board, query.game == calc::Game::shortdeck)});
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
