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

const char* category_name(int v) {
  if (v < ODDSMITH_BEST_HAND || v > ODDSMITH_WORST_HAND) return "Not a hand value";
  if (v < ODDSMITH_FIRST_FOUR_OF_A_KIND) return "Straight flush";
  if (v < ODDSMITH_FIRST_FULL_HOUSE) return "Four of a kind";
  if (v < ODDSMITH_FIRST_FLUSH) return "Full house";
  if (v < ODDSMITH_FIRST_STRAIGHT) return "Flush";
  if (v < ODDSMITH_FIRST_THREE_OF_A_KIND) return "Straight";
  if (v < ODDSMITH_FIRST_TWO_PAIR) return "Three of a kind";
  if (v < ODDSMITH_FIRST_ONE_PAIR) return "Two pair";
  if (v < ODDSMITH_FIRST_HIGH_CARD) return "One pair";
  return "High card";
}

const char* shortdeck_category_name(int v) {
  if (v < ODDSMITH_BEST_HAND || v > ODDSMITH_SHORTDECK_WORST_HAND) return "Not a hand value";
  if (v < ODDSMITH_SHORTDECK_FIRST_FOUR_OF_A_KIND) return "Straight flush";
  if (v < ODDSMITH_SHORTDECK_FIRST_FLUSH) return "Four of a kind";
  if (v < ODDSMITH_SHORTDECK_FIRST_FULL_HOUSE) return "Flush";
  if (v < ODDSMITH_SHORTDECK_FIRST_STRAIGHT) return "Full house";
  if (v < ODDSMITH_SHORTDECK_FIRST_THREE_OF_A_KIND) return "Straight";
  if (v < ODDSMITH_SHORTDECK_FIRST_TWO_PAIR) return "Three of a kind";
  if (v < ODDSMITH_SHORTDECK_FIRST_ONE_PAIR) return "Two pair";
  if (v < ODDSMITH_SHORTDECK_FIRST_HIGH_CARD) return "One pair";
  return "High card";
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
