// Board filters and made hands: every hand (Omaha: a spread sample) on flops,
// turns, rivers, paired and monotone boards, classified by rules written here
// from the rank counts (independent of how the library picks a best five),
// and every filter's kept hands against that classification; the errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "analysis/board_filters.h"
#include "analysis/hand_features.h"
#include "analysis/made_hand.h"
#include "cards/card_text.h"
#include "support/reference_poker.h"

namespace {

using namespace oddsmith;

std::vector<int> cards_of(std::string_view text) {
  std::vector<int> cards;
  std::string error;
  EXPECT_TRUE(parse_card_list(text, cards, error)) << error;
  return cards;
}

// Five cards by the rules (reference_poker), short deck's way where asked:
// A-6-7-8-9 is its lowest straight, and its flush beats a full house.
reference::Strength strength(const int five[5], bool short_deck) {
  reference::Strength s = reference::five_card_strength(five);
  if (!short_deck) return s;
  std::array<int, 5> ranks{};
  for (int i = 0; i < 5; ++i) ranks[static_cast<std::size_t>(i)] = five[i] / 4;
  std::sort(ranks.begin(), ranks.end());
  if (ranks == std::array<int, 5>{4, 5, 6, 7, 12}) {
    s.category = s.category == 5 ? 8 : 4;
    s.ranks = {7, 6, 5, 4, -1};
  }
  if (s.category == 5 || s.category == 6) s.category = 11 - s.category;
  return s;
}

// The best five the game lets the hand play: any five (two hole cards) or two
// hole cards with three of the board.
reference::Strength best(const std::vector<int>& hole, const std::vector<int>& board, bool short_deck) {
  reference::Strength top;
  std::vector<int> all = hole;
  all.insert(all.end(), board.begin(), board.end());
  const auto consider = [&](const int five[5]) { top = std::max(top, strength(five, short_deck)); };
  if (hole.size() == 2) {
    for (unsigned mask = 0; mask < (1u << all.size()); ++mask) {
      if (__builtin_popcount(mask) != 5) continue;
      int five[5], n = 0;
      for (std::size_t i = 0; i < all.size(); ++i)
        if (mask >> i & 1) five[n++] = all[i];
      consider(five);
    }
    return top;
  }
  for (std::size_t a = 0; a < hole.size(); ++a)
    for (std::size_t b = a + 1; b < hole.size(); ++b)
      for (std::size_t x = 0; x < board.size(); ++x)
        for (std::size_t y = x + 1; y < board.size(); ++y)
          for (std::size_t z = y + 1; z < board.size(); ++z) {
            const int five[5] = {hole[a], hole[b], board[x], board[y], board[z]};
            consider(five);
          }
  return top;
}

// The made hand by the rules: a made hand is the board's alone when the board
// holds every card of its ranks (a river straight or flush: when the board's
// own five are as strong), and then it is Nothing.
MadeHand reference_made(const std::vector<int>& hole, const std::vector<int>& board, bool short_deck) {
  const reference::Strength s = best(hole, board, short_deck);
  int on_board[13] = {};
  for (int c : board) ++on_board[c / 4];
  std::vector<int> board_ranks;
  for (int r = 12; r >= 0; --r)
    if (on_board[r]) board_ranks.push_back(r);
  const int first = s.ranks[0], second = s.ranks[1];
  const bool full_five = s.category == 4 || s.category == 5 || s.category == 8;
  if (full_five && hole.size() == 2 && board.size() == 5) {
    const int five[5] = {board[0], board[1], board[2], board[3], board[4]};
    if (strength(five, short_deck) == s) return MadeHand::nothing;
  }
  const int flush = short_deck ? 6 : 5, full_house = short_deck ? 5 : 6;
  if (s.category == 8) return MadeHand::straight_flush;
  if (s.category == 7) return on_board[first] == 4 ? MadeHand::nothing : MadeHand::quads;
  if (s.category == full_house)
    return on_board[first] >= 3 && on_board[second] >= 2 ? MadeHand::nothing : MadeHand::full_house;
  if (s.category == flush) return MadeHand::flush;
  if (s.category == 4) return MadeHand::straight;
  if (s.category == 3) return on_board[first] >= 3 ? MadeHand::nothing : on_board[first] == 2 ? MadeHand::trips : MadeHand::set;
  if (s.category == 2) return on_board[first] >= 2 && on_board[second] >= 2 ? MadeHand::nothing : MadeHand::two_pair;
  if (s.category == 1) {
    if (on_board[first] >= 2) return MadeHand::nothing;
    if (on_board[first] == 0) return first > board_ranks[0] ? MadeHand::overpair : MadeHand::weaker_pair;
    if (first == board_ranks[0]) return MadeHand::top_pair;
    return first == board_ranks[1] ? MadeHand::second_pair : MadeHand::weaker_pair;
  }
  return MadeHand::nothing;
}

// Weakest first, as the rules rank made hands.
int rank_of(MadeHand m, bool short_deck) {
  std::vector<MadeHand> order = {MadeHand::nothing,  MadeHand::weaker_pair, MadeHand::second_pair, MadeHand::top_pair,
                                 MadeHand::overpair, MadeHand::two_pair,    MadeHand::trips,       MadeHand::set,
                                 MadeHand::straight, MadeHand::flush,       MadeHand::full_house,  MadeHand::quads,
                                 MadeHand::straight_flush};
  if (short_deck) std::swap(order[9], order[10]);
  return static_cast<int>(std::find(order.begin(), order.end(), m) - order.begin());
}

struct Expected {
  MadeHand made;
  unsigned draws;
};

struct FilterCase {
  std::string filters;
  std::function<bool(const Expected&, bool short_deck)> keeps;
  bool draws = false;
};

std::vector<FilterCase> filter_cases() {
  std::vector<FilterCase> cases;
  for (int m = 0; m < kMadeHandCount; ++m) {
    const MadeHand made = static_cast<MadeHand>(m);
    cases.push_back({made_hand_token(made), [made](const Expected& e, bool) { return e.made == made; }});
    cases.push_back({std::string(made_hand_token(made)) + "+",
                     [made](const Expected& e, bool sd) { return rank_of(e.made, sd) >= rank_of(made, sd); }});
  }
  const auto pair = [](const Expected& e) {
    return e.made == MadeHand::weaker_pair || e.made == MadeHand::second_pair || e.made == MadeHand::top_pair ||
           e.made == MadeHand::overpair;
  };
  cases.push_back({"pair", [=](const Expected& e, bool) { return pair(e); }});
  cases.push_back({"pair+", [](const Expected& e, bool) { return e.made != MadeHand::nothing; }});
  cases.push_back({"!pair", [=](const Expected& e, bool) { return !pair(e); }});
  cases.push_back({"pair, !toppair", [=](const Expected& e, bool) { return pair(e) && e.made != MadeHand::top_pair; }});
  cases.push_back({"set+ , !fullhouse", [](const Expected& e, bool sd) {
                     return rank_of(e.made, sd) >= rank_of(MadeHand::set, sd) && e.made != MadeHand::full_house;
                   }});
  cases.push_back({"flushdraw", [](const Expected& e, bool) { return (e.draws & kFlushDraw) != 0; }, true});
  cases.push_back({"OESD", [](const Expected& e, bool) { return (e.draws & kOpenEnded) != 0; }, true});
  cases.push_back({"gutshot", [](const Expected& e, bool) { return (e.draws & kGutshot) != 0; }, true});
  cases.push_back({"toppair+, flushdraw", [](const Expected& e, bool sd) {
                     return rank_of(e.made, sd) >= rank_of(MadeHand::top_pair, sd) || (e.draws & kFlushDraw);
                   }, true});
  cases.push_back({"!nothing, !oesd", [](const Expected& e, bool) {
                     return e.made != MadeHand::nothing && !(e.draws & kOpenEnded);
                   }, true});
  cases.push_back({"nothing, !flushdraw,!gutshot", [](const Expected& e, bool) {
                     return e.made == MadeHand::nothing && !(e.draws & (kFlushDraw | kGutshot));
                   }, true});
  return cases;
}

// Every filter on every board keeps exactly the hands the rules say it names.
TEST(BoardFilters, KeepExactlyTheHandsTheRulesName) {
  struct GameCase {
    RangeGame game;
    int cards;
    std::size_t stride;  // every stride-th hand of the deck: all of them in two-card games
  };
  const GameCase games[] = {{RangeGame::holdem, 2, 1}, {RangeGame::shortdeck, 2, 1}, {RangeGame::omaha, 4, 89},
                            {RangeGame::omaha5, 5, 1201}};
  const char* boards[] = {"Ts9h4c", "Ts9h4c4d", "KsQd7s7c2h", "8s8d3c", "Ah9h7h", "6c7d8h9sTc", "Jh Th 8c 6h", "QsQd6c"};
  const std::vector<FilterCase> cases = filter_cases();
  for (const GameCase& g : games) {
    const bool short_deck = g.game == RangeGame::shortdeck;
    // The hands, as range text, and what the rules say each makes on each board.
    std::vector<std::vector<int>> hands;
    std::string text;
    std::size_t index = 0;
    for_each_hand(g.cards, [&](const std::array<std::uint8_t, kMaxRangeCards>& c) {
      if (index++ % g.stride || !in_range_deck(g.game, c.data())) return;
      hands.emplace_back(c.begin(), c.begin() + g.cards);
    });
    for (const std::vector<int>& h : hands) {
      for (int c : h) text += card_name(c);
      text += ", ";
    }
    text.resize(text.size() - 2);
    for (const char* board_text : boards) {
      const std::vector<int> board = cards_of(board_text);
      if (short_deck && std::any_of(board.begin(), board.end(), [](int c) { return c < kShortDeckLowestCard; })) continue;
      std::vector<Expected> expected;
      std::vector<bool> playable;
      for (const std::vector<int>& h : hands) {
        const bool clear = std::none_of(h.begin(), h.end(), [&](int c) { return std::count(board.begin(), board.end(), c); });
        playable.push_back(clear);
        expected.push_back(clear ? Expected{reference_made(h, board, short_deck),
                                            board.size() < 5 ? hand_features(h, board, short_deck).draws : 0u}
                                 : Expected{});
      }
      for (const FilterCase& f : cases) {
        if (f.draws && board.size() == 5) continue;
        std::set<std::vector<int>> want, got;
        for (std::size_t i = 0; i < hands.size(); ++i)
          if (playable[i] && f.keeps(expected[i], short_deck)) want.insert(hands[i]);
        const RangeParse parsed = parse_range_on_board(text + " where " + f.filters, g.game, board);
        const std::string label = std::to_string(g.cards) + " cards" + (short_deck ? " (short deck)" : "") + " on " +
                                  board_text + " where " + f.filters;
        if (!parsed.range) {
          EXPECT_TRUE(want.empty()) << label << ": " << parsed.error.message;
          EXPECT_NE(parsed.error.message.find("no hand of the range passes"), std::string::npos) << label;
          continue;
        }
        for (const RangeHand& h : parsed.range->hands()) got.emplace(h.cards.begin(), h.cards.begin() + g.cards);
        EXPECT_EQ(got.size(), want.size()) << label;
        EXPECT_TRUE(got == want) << label;
      }
    }
  }
}

// The vocabulary in one place: every token reads back as its made hand, and
// the names the summaries show.
TEST(MadeHand, TokensAndNames) {
  for (int m = 0; m < kMadeHandCount; ++m)
    EXPECT_EQ(made_hand_of_token(made_hand_token(static_cast<MadeHand>(m))), static_cast<MadeHand>(m));
  EXPECT_STREQ(made_hand_name(MadeHand::top_pair), "Top pair");
  EXPECT_STREQ(made_hand_name(MadeHand::weaker_pair), "Weaker pair");
  EXPECT_STREQ(made_hand_name(MadeHand::nothing), "Nothing");
  EXPECT_FALSE(made_hand_of_token("pair"));
  EXPECT_GT(made_hand_strength(MadeHand::flush, true), made_hand_strength(MadeHand::full_house, true));
  EXPECT_LT(made_hand_strength(MadeHand::flush, false), made_hand_strength(MadeHand::full_house, false));
}

TEST(BoardFilters, ErrorsNameTheColumn) {
  struct Case {
    const char* text;
    const char* board;
    int column;
    const char* words;
  };
  const Case cases[] = {
      {"QQ+ where toppair", "", 5, "no board was given"},
      {"QQ+ where toppair", "Qh7c", 5, "the board has 2"},
      {"QQ+, AKs where topair+", "Qh7c2d", 16, "unknown board filter 'topair': the filters are nothing, weakerpair"},
      {"QQ+ where toppair, flushdraw+", "Qh7c2d", 29, "a draw takes no '+'"},
      {"QQ+ where gutshot", "Qh7c2d5s9h", 11, "draws need a flop or turn"},
      {"QQ+ where", "Qh7c2d", 10, "expected a board filter such as toppair+ or !flushdraw after 'where', got the end"},
      {"QQ+ where toppair,", "Qh7c2d", 19, "expected a board filter"},
      {"QQ+ where top-pair", "Qh7c2d", 14, "expected '+', ',' or the end after a board filter, got '-'"},
      {" where toppair", "Qh7c2d", 1, "expected a range before 'where'"},
      {"QQ+, AKs where quads", "Qh7c2d", 10, "no hand of the range passes"},
      {"QQ+, AZs where toppair", "Qh7c2d", 7, "expected a second rank"},
  };
  for (const Case& c : cases) {
    const RangeParse parsed = parse_range_on_board(c.text, RangeGame::holdem, cards_of(c.board));
    EXPECT_FALSE(parsed.range) << c.text;
    EXPECT_EQ(parsed.error.column, c.column) << c.text << ": " << parsed.error.message;
    EXPECT_NE(parsed.error.message.find(c.words), std::string::npos) << c.text << ": " << parsed.error.message;
  }
  // Read without a board (the host's setter, the calculator on its own), filters are refused at "where".
  const RangeParse refused = parse_range("QQ+ where toppair", RangeGame::holdem);
  EXPECT_FALSE(refused.range);
  EXPECT_EQ(refused.error.column, 5);
}

}  // namespace
