#include "card_text.h"

#include <cctype>

#include "oddsmith.h"

namespace cli {

namespace {
constexpr std::string_view kRanks = ODDSMITH_RANK_LETTERS;
constexpr std::string_view kSuits = ODDSMITH_SUIT_LETTERS;
}  // namespace

std::optional<int> parse_card(std::string_view text) {
  if (text.size() != 2) return std::nullopt;
  const auto rank = kRanks.find(text[0]);
  const auto suit = kSuits.find(static_cast<char>(std::tolower(static_cast<unsigned char>(text[1]))));
  if (rank == std::string_view::npos || suit == std::string_view::npos) return std::nullopt;
  return static_cast<int>(rank * 4 + suit);
}

std::optional<std::vector<int>> parse_cards(std::string_view text, std::string& bad) {
  std::vector<int> cards;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',')) ++i;  // as the library reads cards: apart or together
    if (i == text.size()) break;
    const std::string_view one = text.substr(i, 2);
    const auto card = parse_card(one);
    if (!card) {
      bad = std::string(one);
      return std::nullopt;
    }
    cards.push_back(*card);
  }
  return cards;
}

std::string card_name(int card) {
  return {kRanks[static_cast<std::size_t>(card >> 2)], kSuits[static_cast<std::size_t>(card & 3)]};
}

namespace {

// The category of a value from each category's first value, strongest first.
const char* category_from(int v, int worst, const int (&first)[9], const char* const (&names)[9]) {
  if (v < ODDSMITH_BEST_HAND || v > worst) return "Not a hand value";
  int c = 0;
  while (c + 1 < 9 && v >= first[c + 1]) ++c;
  return names[c];
}

}  // namespace

const char* category_name(int v) {
  static constexpr int kFirst[9] = {ODDSMITH_FIRST_STRAIGHT_FLUSH, ODDSMITH_FIRST_FOUR_OF_A_KIND, ODDSMITH_FIRST_FULL_HOUSE,
                                    ODDSMITH_FIRST_FLUSH,          ODDSMITH_FIRST_STRAIGHT,       ODDSMITH_FIRST_THREE_OF_A_KIND,
                                    ODDSMITH_FIRST_TWO_PAIR,       ODDSMITH_FIRST_ONE_PAIR,       ODDSMITH_FIRST_HIGH_CARD};
  static constexpr const char* kNames[9] = {"Straight flush", "Four of a kind", "Full house", "Flush", "Straight",
                                            "Three of a kind", "Two pair", "One pair", "High card"};
  return category_from(v, ODDSMITH_WORST_HAND, kFirst, kNames);
}

const char* shortdeck_category_name(int v) {
  static constexpr int kFirst[9] = {
      ODDSMITH_SHORTDECK_FIRST_STRAIGHT_FLUSH, ODDSMITH_SHORTDECK_FIRST_FOUR_OF_A_KIND, ODDSMITH_SHORTDECK_FIRST_FLUSH,
      ODDSMITH_SHORTDECK_FIRST_FULL_HOUSE,     ODDSMITH_SHORTDECK_FIRST_STRAIGHT,       ODDSMITH_SHORTDECK_FIRST_THREE_OF_A_KIND,
      ODDSMITH_SHORTDECK_FIRST_TWO_PAIR,       ODDSMITH_SHORTDECK_FIRST_ONE_PAIR,       ODDSMITH_SHORTDECK_FIRST_HIGH_CARD};
  static constexpr const char* kNames[9] = {"Straight flush", "Four of a kind", "Flush", "Full house", "Straight",
                                            "Three of a kind", "Two pair", "One pair", "High card"};
  return category_from(v, ODDSMITH_SHORTDECK_WORST_HAND, kFirst, kNames);
}

std::string low_name(int low_value) {
  if (low_value <= 0 || low_value >= 256) return "no low";
  static constexpr const char* kLowRanks[8] = {"A", "2", "3", "4", "5", "6", "7", "8"};
  std::string text;
  for (int r = 7; r >= 0; --r) {
    if (!(low_value & (1 << r))) continue;
    if (!text.empty()) text += '-';
    text += kLowRanks[r];
  }
  return text;
}

}  // namespace cli
