#include "analysis/hand_features.h"

#include <algorithm>
#include <array>

#include "cards/card.h"
#include "eval/five_seven.h"
#include "eval/short_deck.h"

namespace oddsmith {

namespace {

// The best five of `cards` (5 to 7), or for Omaha exactly two of the hole with
// three of the board.
int best_value(std::span<const int> hole, std::span<const int> board, bool short_deck) {
  int best = kWorstHandValue + 1;
  if (hole.size() >= 4) {
    const std::size_t n = board.size(), h = hole.size();
    for (std::size_t a = 0; a < h; ++a)
      for (std::size_t b = a + 1; b < h; ++b)
        for (std::size_t x = 0; x < n; ++x)
          for (std::size_t y = x + 1; y < n; ++y)
            for (std::size_t z = y + 1; z < n; ++z)
              best = std::min(best, eval5(hole[a], hole[b], board[x], board[y], board[z]));
    return best;
  }
  std::array<int, 7> c{};
  std::size_t n = 0;
  for (int x : hole) c[n++] = x;
  for (int x : board) c[n++] = x;
  if (short_deck) return n == 7 ? eval_shortdeck7(c.data()) : eval_shortdeck(c.data(), static_cast<int>(n));
  if (n == 7) return eval7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
  if (n == 5) return eval5(c[0], c[1], c[2], c[3], c[4]);
  for (std::size_t skip = 0; skip < 6; ++skip) {  // six cards: the best of the five left by each
    std::array<int, 5> five{};
    std::size_t k = 0;
    for (std::size_t i = 0; i < 6; ++i)
      if (i != skip) five[k++] = c[i];
    best = std::min(best, eval5(five[0], five[1], five[2], five[3], five[4]));
  }
  return best;
}


PairKind pair_kind(std::span<const int> hole, std::span<const int> board) {
  // The board's ranks, highest first (an insertion sort: at most five).
  std::array<int, 5> ranks{};
  std::size_t n = 0;
  for (int c : board) {
    std::size_t at = n++;
    for (; at > 0 && ranks[at - 1] < card_rank(c); --at) ranks[at] = ranks[at - 1];
    ranks[at] = card_rank(c);
  }
  const auto distinct_end = std::unique(ranks.begin(), ranks.begin() + static_cast<std::ptrdiff_t>(n));
  const int a = card_rank(hole[0]), b = card_rank(hole[1]);
  if (a == b) return a > ranks[0] ? PairKind::overpair : PairKind::weaker_pair;
  for (int r : {a, b}) {
    if (r == ranks[0]) return PairKind::top_pair;
  }
  for (int r : {a, b}) {
    if (distinct_end - ranks.begin() > 1 && r == ranks[1]) return PairKind::second_pair;
  }
  return PairKind::weaker_pair;  // a lower board card paired, or the pair is the board's own
}

// The low ranks (ace = bit 0 .. eight = bit 7) among `cards`.
unsigned low_ranks(std::span<const int> cards) {
  unsigned ranks = 0;
  for (int c : cards) {
    const int r = card_rank(c);  // deuce = 0 .. ace = 12
    if (r == 12) ranks |= 1u;
    else if (r <= 6) ranks |= 1u << (r + 1);
  }
  return ranks;
}

// The best low of two of `hole` ranks with three of `board` ranks, all five
// different, as a mask whose lower value is the better low (the highest rank
// decides first, as a mask's highest bit does); 0 when there is none.
unsigned best_low(unsigned hole, unsigned board) {
  unsigned best = 0;
  for (unsigned two = hole; two; two = (two - 1) & hole) {
    if (__builtin_popcount(two) != 2) continue;
    const unsigned rest = board & ~two;
    if (__builtin_popcount(rest) < 3) continue;
    unsigned three = 0;  // the board's three lowest ranks beside the two
    for (unsigned r = rest; __builtin_popcount(three) < 3; r &= r - 1) three |= r & -r;
    if (!best || (two | three) < best) best = two | three;
  }
  return best;
}

// The hand's low against the best and second-best lows any two low ranks make on the board.
LowKind low_kind(unsigned hole, unsigned board) {
  const unsigned mine = best_low(hole, board);
  if (!mine) return LowKind::none;
  unsigned nut = 0, second = 0;
  for (unsigned a = 0; a < 8; ++a)
    for (unsigned b = a + 1; b < 8; ++b) {
      const unsigned low = best_low((1u << a) | (1u << b), board);
      if (!low || low == nut || low == second) continue;
      if (!nut || low < nut) second = nut, nut = low;
      else if (!second || low < second) second = low;
    }
  return mine == nut ? LowKind::nut : mine == second ? LowKind::second_nut : LowKind::other;
}

// kNutFlushDraw or kSecondNutFlushDraw when the hand's highest card of a suit
// it draws to is the highest, or second highest, of that suit off the board.
unsigned flush_draw_rank(std::span<const int> hole, std::span<const int> board, unsigned suits) {
  unsigned best = 0;
  for (int suit = 0; suit < 4; ++suit) {
    if (!(suits & (1u << suit))) continue;
    unsigned on_board = 0;
    for (int c : board)
      if (card_suit(c) == suit) on_board |= 1u << card_rank(c);
    int mine = -1;
    for (int c : hole)
      if (card_suit(c) == suit) mine = std::max(mine, card_rank(c));
    int above = 0;  // ranks of the suit above the hand's, off the board
    for (int r = mine + 1; r < 13; ++r) above += !(on_board & (1u << r));
    if (mine >= 0 && above == 0) best = kNutFlushDraw;
    else if (mine >= 0 && above == 1 && best == 0) best = kSecondNutFlushDraw;
  }
  return best;
}

}  // namespace

Category category_of(int value, bool short_deck) {
  struct First {
    int value;
    Category category;
  };
  // Each game's categories by their first (strongest) value, strongest first.
  static constexpr First kHoldem[] = {
      {ODDSMITH_FIRST_STRAIGHT_FLUSH, kStraightFlush}, {ODDSMITH_FIRST_FOUR_OF_A_KIND, kFourOfAKind},
      {ODDSMITH_FIRST_FULL_HOUSE, kFullHouse},         {ODDSMITH_FIRST_FLUSH, kFlush},
      {ODDSMITH_FIRST_STRAIGHT, kStraight},            {ODDSMITH_FIRST_THREE_OF_A_KIND, kThreeOfAKind},
      {ODDSMITH_FIRST_TWO_PAIR, kTwoPair},             {ODDSMITH_FIRST_ONE_PAIR, kOnePair},
      {ODDSMITH_FIRST_HIGH_CARD, kHighCard}};
  static constexpr First kShortDeck[] = {
      {ODDSMITH_SHORTDECK_FIRST_STRAIGHT_FLUSH, kStraightFlush}, {ODDSMITH_SHORTDECK_FIRST_FOUR_OF_A_KIND, kFourOfAKind},
      {ODDSMITH_SHORTDECK_FIRST_FLUSH, kFlush},                  {ODDSMITH_SHORTDECK_FIRST_FULL_HOUSE, kFullHouse},
      {ODDSMITH_SHORTDECK_FIRST_STRAIGHT, kStraight},            {ODDSMITH_SHORTDECK_FIRST_THREE_OF_A_KIND, kThreeOfAKind},
      {ODDSMITH_SHORTDECK_FIRST_TWO_PAIR, kTwoPair},             {ODDSMITH_SHORTDECK_FIRST_ONE_PAIR, kOnePair},
      {ODDSMITH_SHORTDECK_FIRST_HIGH_CARD, kHighCard}};
  const First* first = short_deck ? kShortDeck : kHoldem;
  std::size_t c = 0;
  while (c + 1 < 9 && value >= first[c + 1].value) ++c;
  return first[c].category;
}

const char* category_name(Category category) {
  static constexpr const char* kNames[] = {"Straight flush", "Four of a kind", "Full house", "Flush", "Straight",
                                           "Three of a kind", "Two pair", "One pair", "High card"};
  return kNames[category];
}

const char* pair_kind_name(PairKind kind) {
  switch (kind) {
    case PairKind::overpair: return "Overpair";
    case PairKind::top_pair: return "Top pair";
    case PairKind::second_pair: return "Second pair";
    case PairKind::weaker_pair: return "Weaker pair";
    case PairKind::none: break;
  }
  return "";
}

std::string draw_names(unsigned draws, const char* separator) {
  std::string out;
  const auto add = [&](const char* name) {
    if (!out.empty()) out += separator;
    out += name;
  };
  if (draws & kNutFlushDraw) add("nut flush draw");
  else if (draws & kSecondNutFlushDraw) add("2nd-nut flush draw");
  else if (draws & kFlushDraw) add("flush draw");
  if (draws & kOpenEnded) add("OESD");
  if (draws & kGutshot) add("gutshot");
  if (draws & kWrap) add("wrap");
  if (draws & kNutLowDraw) add("nut low draw");
  else if (draws & kLowDraw) add("low draw");
  return out;
}

bool has_low(std::span<const int> hole, std::span<const int> board) {
  return best_low(low_ranks(hole), low_ranks(board)) != 0;
}

const char* low_kind_name(LowKind kind) {
  switch (kind) {
    case LowKind::nut: return "Nut low";
    case LowKind::second_nut: return "2nd-nut low";
    case LowKind::other: return "Other low";
    case LowKind::none: break;
  }
  return "No low";
}

HandFeatures hand_features(std::span<const int> hole, std::span<const int> board, bool short_deck, bool hi_lo) {
  HandFeatures f;
  if (board.size() < 3) return f;
  f.value = best_value(hole, board, short_deck);
  const Category category = f.category = category_of(f.value, short_deck);
  if (category == kOnePair && hole.size() == 2) f.pair = pair_kind(hole, board);
  const unsigned hole_lows = low_ranks(hole);
  if (hi_lo) f.low = low_kind(hole_lows, low_ranks(board));
  if (board.size() == 5) return f;
  // Cards the game does not play count as used: none of them comes next.
  CardMask used = short_deck ? card_bit(kShortDeckLowestCard) - 1 : 0;
  for (int c : hole) used |= card_bit(c);
  for (int c : board) used |= card_bit(c);
  std::array<int, 5> next{};
  std::copy(board.begin(), board.end(), next.begin());
  const std::span<const int> with_next(next.data(), board.size() + 1);
  unsigned straight_ranks = 0, flush_suits = 0;
  int low_cards = 0, nut_low_cards = 0;
  for (int c = 0; c < kDeckSize; ++c) {
    if (used & card_bit(c)) continue;
    next[board.size()] = c;
    const int value = best_value(hole, with_next, short_deck);
    if (hi_lo && f.low == LowKind::none) {
      const LowKind low = low_kind(hole_lows, low_ranks(with_next));
      low_cards += low != LowKind::none;
      nut_low_cards += low == LowKind::nut;
    }
    // Hold'em: the hand must use a hole card, so the board alone must not make as much.
    if (hole.size() == 2 && board.size() == 4 && value >= best_value({}, next, short_deck)) continue;
    // Draws to a flush or a straight for hands holding a straight or less.
    const Category now = category_of(value, short_deck);
    if ((now == kFlush || now == kStraightFlush) && category >= kStraight) flush_suits |= 1u << card_suit(c);
    if ((now == kStraight || now == kStraightFlush) && category > kStraight) {
      straight_ranks |= 1u << card_rank(c);
      ++f.straight_outs;
    }
  }
  if (flush_suits) f.draws |= kFlushDraw | flush_draw_rank(hole, board, flush_suits);
  const int ranks = __builtin_popcount(straight_ranks);
  if (f.straight_outs >= 13) f.draws |= kWrap;
  else if (ranks >= 2) f.draws |= kOpenEnded;
  else if (ranks == 1) f.draws |= kGutshot;
  if (low_cards > 0) f.draws |= kLowDraw | (2 * nut_low_cards >= low_cards ? kNutLowDraw : 0u);
  return f;
}

}  // namespace oddsmith
