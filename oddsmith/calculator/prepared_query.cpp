#include "calculator/prepared_query.h"

#include <algorithm>
#include <bit>

#include "cards/binomial.h"
#include "cards/card_text.h"

namespace oddsmith::calc {

namespace {

const char* game_name(Game g) {
  switch (g) {
    case Game::holdem: return "Hold'em";
    case Game::omaha: return "Omaha";
    case Game::omaha_hilo: return "Omaha Hi/Lo";
    case Game::shortdeck: return "Short deck";
    case Game::omaha5: return "Five-card Omaha";
    case Game::omaha5_hilo: return "Five-card Omaha Hi/Lo";
  }
  return "?";
}

std::string player_name(int p) { return "player " + std::to_string(p + 1); }

}  // namespace

std::string player_count_error(Game game, long long count) {
  if (count >= 2 && count <= max_players(game)) return {};
  return std::string(game_name(game)) + " takes 2 to " + std::to_string(max_players(game)) + " players, got " +
         std::to_string(count);
}

std::optional<PreparedQuery> prepare_query(const EquityQuery& query, std::string& error) {
  PreparedQuery q;
  q.game = query.game;
  q.players = static_cast<int>(query.players.size());
  const int per_hand = cards_per_hand(query.game);
  if (error = player_count_error(query.game, static_cast<long long>(query.players.size())); !error.empty())
    return std::nullopt;
  if (query.board.size() > 5) {
    error = "the board holds at most 5 cards, got " + std::to_string(query.board.size());
    return std::nullopt;
  }
  // Cards the game does not play with are out of play like dead ones.
  const CardMask outside_game = ((CardMask{1} << kDeckSize) - 1) & ~game_deck(query.game);
  // A dead card the game does not play is a mistake in the query, as it is on
  // the board or in a hand; it is refused rather than quietly ignored.
  if (const CardMask stray = query.dead & outside_game; stray != 0) {
    error = "card " + card_name(std::countr_zero(stray)) + " among the dead cards is not in the short deck (sixes to aces)";
    return std::nullopt;
  }
  for (int c : query.board) {
    if (!is_card(c)) {
      error = "the board holds a card outside 0..51";
      return std::nullopt;
    }
    if (outside_game & card_bit(c)) {
      error = "card " + card_name(c) + " on the board is not in the short deck (sixes to aces)";
      return std::nullopt;
    }
    if (q.known_mask & card_bit(c)) {
      error = "card " + card_name(c) + " is on the board twice";
      return std::nullopt;
    }
    if (query.dead & card_bit(c)) {
      error = "card " + card_name(c) + " is both on the board and dead";
      return std::nullopt;
    }
    q.board[q.known++] = c;
    q.known_mask |= card_bit(c);
  }
  q.dead = (query.dead & ((CardMask{1} << kDeckSize) - 1)) | outside_game;
  const int free_cards = kDeckSize - std::popcount(q.known_mask | q.dead);
  if (q.players * per_hand + (5 - q.known) > free_cards) {
    error = "the deck cannot deal " + std::to_string(q.players) + " hands and the board beside the known and dead cards";
    return std::nullopt;
  }
  // Players holding one hand fix its cards for everybody.
  CardMask fixed = q.known_mask | q.dead;
  std::vector<int> owner(kDeckSize, -1);
  for (int p = 0; p < q.players; ++p) {
    const Range& r = query.players[static_cast<std::size_t>(p)];
    if (r.cards_per_hand() != per_hand) {
      error = player_name(p) + ": a " + game_name(query.game) + " hand has " + std::to_string(per_hand) + " cards";
      return std::nullopt;
    }
    if (r.size() != 1) continue;
    for (int j = 0; j < per_hand; ++j) {
      const int c = r[0].cards[static_cast<std::size_t>(j)];
      if (outside_game & card_bit(c)) {
        error = player_name(p) + " holds " + card_name(c) + ", which is not in the short deck (sixes to aces)";
        return std::nullopt;
      }
      if (q.known_mask & card_bit(c)) {
        error = player_name(p) + " holds " + card_name(c) + ", which is on the board";
        return std::nullopt;
      }
      if (q.dead & card_bit(c)) {
        error = player_name(p) + " holds " + card_name(c) + ", which is dead";
        return std::nullopt;
      }
      if (owner[static_cast<std::size_t>(c)] >= 0) {
        error = player_name(owner[static_cast<std::size_t>(c)]) + " and " + player_name(p) + " both hold " + card_name(c);
        return std::nullopt;
      }
      owner[static_cast<std::size_t>(c)] = p;
    }
    fixed |= r[0].mask;
  }
  // Each list made once: players with the same range (copies share their
  // hands) and the same cards blocked get the same list, and a range that
  // loses no hand and needs no scaling is used as it stands.
  struct Made {
    const std::vector<RangeHand>* from;
    CardMask blocked;
    std::shared_ptr<const std::vector<RangeHand>> list;
  };
  std::vector<Made> made;
  // A player whose every hand but one is blocked holds that hand in every
  // deal: like a known hand, its cards leave the deck and block the other
  // players' hands, which may leave another player a single hand in turn.
  std::vector<CardMask> held(static_cast<std::size_t>(q.players), 0);  // a player's one hand, where it is certain
  for (int p = 0; p < q.players; ++p)
    if (query.players[static_cast<std::size_t>(p)].size() == 1) held[static_cast<std::size_t>(p)] = query.players[static_cast<std::size_t>(p)][0].mask;
  for (bool settled = false; !settled;) {
    settled = true;
    q.hands.clear();
    q.hand_lists.clear();
    for (int p = 0; p < q.players; ++p) {
      const Range& r = query.players[static_cast<std::size_t>(p)];
      const CardMask blocked = fixed & ~held[static_cast<std::size_t>(p)];
      const auto same = std::find_if(made.begin(), made.end(),
                                     [&](const Made& m) { return m.from == &r.hands() && m.blocked == blocked; });
      std::shared_ptr<const std::vector<RangeHand>> list = same != made.end() ? same->list : nullptr;
      if (!list) {
        double heaviest = 0;
        std::size_t kept = 0;
        for (const RangeHand& h : r.hands())
          if (!(h.mask & blocked)) heaviest = std::max(heaviest, h.weight), ++kept;
        if (kept == r.size() && heaviest == 1) {
          list = r.shared_hands();
        } else {
          auto hands = std::make_shared<std::vector<RangeHand>>();
          hands->reserve(kept);
          for (const RangeHand& h : r.hands())
            if (!(h.mask & blocked)) hands->push_back(h);
          for (RangeHand& h : *hands) h.weight /= heaviest;
          list = std::move(hands);
        }
        made.push_back({&r.hands(), blocked, list});
      }
      if (list->empty()) {
        error = player_name(p) + "'s range has no hand left beside the board, the dead cards and the other players' hands";
        return std::nullopt;
      }
      if (list->size() == 1 && !held[static_cast<std::size_t>(p)]) {
        held[static_cast<std::size_t>(p)] = (*list)[0].mask;
        fixed |= (*list)[0].mask;
        settled = false;
      }
      q.hands.emplace_back(*list);
      q.hand_lists.push_back(std::move(list));
    }
  }
  for (int c = 0; c < kDeckSize; ++c)
    if (!(fixed & card_bit(c))) q.deck.push_back(c);
  const auto every = static_cast<std::size_t>(binomial(static_cast<int>(q.deck.size()), per_hand));
  for (const std::span<const RangeHand> hands : q.hands)
    q.every_hand.push_back(hands.size() > 1 && hands.size() == every &&
                           std::all_of(hands.begin(), hands.end(),
                                       [&](const RangeHand& h) { return h.weight == hands[0].weight; }));
  return q;
}

std::optional<PreparedQuery> simulation_with_first_hand(const PreparedQuery& whole, const RangeHand& hand) {
  if (whole.players < 2 || whole.hands.empty()) return std::nullopt;
  CardMask known = 0;
  for (std::size_t p = 1; p < whole.hands.size(); ++p) {
    if (whole.every_hand[p]) continue;
    if (whole.hands[p].size() != 1) return std::nullopt;
    known |= whole.hands[p][0].mask;
  }
  if (hand.mask & known) return std::nullopt;
  PreparedQuery part = whole;
  auto one = std::make_shared<const std::vector<RangeHand>>(1, RangeHand{hand.cards, hand.mask, 1.0});
  part.hands[0] = *one;
  part.hand_lists.push_back(std::move(one));
  part.every_hand[0] = false;
  std::erase_if(part.deck, [&](int c) { return (hand.mask & card_bit(c)) != 0; });
  return part;
}

namespace {

// Depth-first search for one assignment; `budget` bounds the steps.
int search(const PreparedQuery& q, int p, CardMask used, long& budget) {
  if (p == q.players) return 1;
  for (const RangeHand& h : q.hands[static_cast<std::size_t>(p)]) {
    if (--budget < 0) return -1;
    if (h.mask & used) continue;
    const int found = search(q, p + 1, used | h.mask, budget);
    if (found != 0) return found;
  }
  return 0;
}

}  // namespace

int some_assignment_fits(const PreparedQuery& q) {
  long budget = 2'000'000;
  return search(q, 0, q.known_mask | q.dead, budget);
}

}  // namespace oddsmith::calc
