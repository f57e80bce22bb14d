#include "analysis/made_hand.h"

#include <algorithm>
#include <array>

#include "analysis/hand_features.h"
#include "cards/card.h"
#include "eval/five_seven.h"
#include "eval/short_deck.h"

namespace oddsmith {

namespace {

struct Names {
  const char* name;
  const char* token;
};
constexpr Names kNames[kMadeHandCount] = {
    {"Nothing", "nothing"},     {"Weaker pair", "weakerpair"}, {"Second pair", "secondpair"},
    {"Top pair", "toppair"},    {"Overpair", "overpair"},      {"Two pair", "twopair"},
    {"Trips", "trips"},         {"Set", "set"},                {"Straight", "straight"},
    {"Flush", "flush"},         {"Full house", "fullhouse"},   {"Quads", "quads"},
    {"Straight flush", "straightflush"}};

// One choice of five cards: its value, and how many of its cards are the
// hole's. `from_hole[i]` says whether five[i] is a hole card.
struct Five {
  std::array<int, 5> cards{};
  std::array<bool, 5> from_hole{};
};

// Whether a hole card takes part in what `five` makes as `category`: in the
// ranks it holds more than once (pairs, trips, full houses, quads), or
// anywhere in a straight or flush; never in a high card.
bool hole_takes_part(const Five& five, Category category) {
  if (category == kHighCard) return false;
  const bool whole_five = category == kStraight || category == kFlush || category == kStraightFlush;
  for (std::size_t i = 0; i < 5; ++i) {
    if (!five.from_hole[i]) continue;
    if (whole_five) return true;
    const int rank = card_rank(five.cards[i]);
    const auto same = std::count_if(five.cards.begin(), five.cards.end(), [&](int c) { return card_rank(c) == rank; });
    if (same >= 2) return true;
  }
  return false;
}

// Calls visit(five) for every five cards the game lets the hand play: any five
// of hole and board (two hole cards), or two hole cards with three of the board.
template <typename Visit>
void for_each_five(std::span<const int> hole, std::span<const int> board, Visit&& visit) {
  Five five;
  if (hole.size() >= 4) {
    for (std::size_t a = 0; a < hole.size(); ++a)
      for (std::size_t b = a + 1; b < hole.size(); ++b)
        for (std::size_t x = 0; x < board.size(); ++x)
          for (std::size_t y = x + 1; y < board.size(); ++y)
            for (std::size_t z = y + 1; z < board.size(); ++z) {
              five.cards = {hole[a], hole[b], board[x], board[y], board[z]};
              five.from_hole = {true, true, false, false, false};
              visit(five);
            }
    return;
  }
  std::array<int, 7> all{};
  std::size_t n = 0;
  for (int c : hole) all[n++] = c;
  for (int c : board) all[n++] = c;
  // Five of n (5 to 7): every pair of cards left out, or none.
  const std::size_t skipped = n - 5;
  for (std::size_t s1 = 0; s1 < (skipped >= 1 ? n : 1); ++s1)
    for (std::size_t s2 = skipped == 2 ? s1 + 1 : 0; s2 < (skipped == 2 ? n : 1); ++s2) {
      std::size_t k = 0;
      for (std::size_t i = 0; i < n; ++i) {
        if ((skipped >= 1 && i == s1) || (skipped == 2 && i == s2)) continue;
        five.cards[k] = all[i];
        five.from_hole[k] = i < hole.size();
        ++k;
      }
      visit(five);
    }
}

// A one pair's kind, from the best five: a pocket pair above the board or
// under its top card, else the board rank a hole card pairs.
MadeHand pair_kind(const Five& five, std::span<const int> board) {
  int pair_rank = -1;
  int hole_cards_in_pair = 0;
  for (std::size_t i = 0; i < 5; ++i)
    for (std::size_t j = i + 1; j < 5; ++j)
      if (card_rank(five.cards[i]) == card_rank(five.cards[j])) pair_rank = card_rank(five.cards[i]);
  for (std::size_t i = 0; i < 5; ++i)
    if (five.from_hole[i] && card_rank(five.cards[i]) == pair_rank) ++hole_cards_in_pair;
  // The board's distinct ranks, highest first.
  // Sorted whole, the places past the board holding -1 (last): a sort over a
  // run of variable length draws a false out-of-bounds warning from g++ 12.
  std::array<int, 5> ranks{-1, -1, -1, -1, -1};
  std::size_t n = std::min(board.size(), ranks.size());  // a board holds at most five (made_hand checks)
  for (std::size_t i = 0; i < n; ++i) ranks[i] = card_rank(board[i]);
  std::sort(ranks.begin(), ranks.end(), std::greater<>());
  n = static_cast<std::size_t>(std::unique(ranks.begin(), ranks.begin() + static_cast<std::ptrdiff_t>(n)) - ranks.begin());
  if (hole_cards_in_pair == 2) return pair_rank > ranks[0] ? MadeHand::overpair : MadeHand::weaker_pair;
  if (pair_rank == ranks[0]) return MadeHand::top_pair;
  if (n > 1 && pair_rank == ranks[1]) return MadeHand::second_pair;
  return MadeHand::weaker_pair;
}

}  // namespace

MadeHand made_hand(std::span<const int> hole, std::span<const int> board, bool short_deck) {
  if (board.size() < 3 || board.size() > 5 || (hole.size() != 2 && hole.size() != 4 && hole.size() != 5))
    return MadeHand::nothing;
  int best = kWorstHandValue + 1;
  Five best_five;
  bool every_best_takes_hole = false;
  for_each_five(hole, board, [&](const Five& five) {
    const int value = short_deck ? eval_shortdeck(five.cards.data(), 5)
                                 : eval5(five.cards[0], five.cards[1], five.cards[2], five.cards[3], five.cards[4]);
    if (value > best) return;
    const bool takes_part = hole_takes_part(five, category_of(value, short_deck));
    if (value < best) {
      best = value;
      best_five = five;
      every_best_takes_hole = takes_part;
    } else {
      // The same hand made another way: it is the hand's own only if every way uses a hole card.
      every_best_takes_hole = every_best_takes_hole && takes_part;
    }
  });
  if (!every_best_takes_hole) return MadeHand::nothing;
  switch (category_of(best, short_deck)) {
    case kStraightFlush: return MadeHand::straight_flush;
    case kFourOfAKind: return MadeHand::quads;
    case kFullHouse: return MadeHand::full_house;
    case kFlush: return MadeHand::flush;
    case kStraight: return MadeHand::straight;
    case kThreeOfAKind: {
      // A set holds two hole cards of the rank, trips one.
      int hole_cards = 0;
      for (std::size_t i = 0; i < 5; ++i)
        if (best_five.from_hole[i] &&
            std::count_if(best_five.cards.begin(), best_five.cards.end(),
                          [&](int c) { return card_rank(c) == card_rank(best_five.cards[i]); }) == 3)
          ++hole_cards;
      return hole_cards >= 2 ? MadeHand::set : MadeHand::trips;
    }
    case kTwoPair: return MadeHand::two_pair;
    case kOnePair: return pair_kind(best_five, board);
    case kHighCard: break;
  }
  return MadeHand::nothing;
}

int made_hand_strength(MadeHand made, bool short_deck) {
  const int place = static_cast<int>(made);
  if (!short_deck) return place;
  if (made == MadeHand::flush) return static_cast<int>(MadeHand::full_house);
  if (made == MadeHand::full_house) return static_cast<int>(MadeHand::flush);
  return place;
}

const char* made_hand_name(MadeHand made) { return kNames[static_cast<std::size_t>(made)].name; }

const char* made_hand_token(MadeHand made) { return kNames[static_cast<std::size_t>(made)].token; }

std::optional<MadeHand> made_hand_of_token(std::string_view token) {
  for (int m = 0; m < kMadeHandCount; ++m)
    if (token == kNames[m].token) return static_cast<MadeHand>(m);
  return std::nullopt;
}

}  // namespace oddsmith
