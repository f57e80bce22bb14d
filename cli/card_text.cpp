#include "card_text.h"

#include <cctype>

namespace cli {

namespace {
constexpr std::string_view kRanks = "23456789TJQKA";
constexpr std::string_view kSuits = "cdhs";
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
  if (v < 1 || v > 7462) return "Not a hand value";
  if (v <= 10) return "Straight flush";
  if (v <= 166) return "Four of a kind";
  if (v <= 322) return "Full house";
  if (v <= 1599) return "Flush";
  if (v <= 1609) return "Straight";
  if (v <= 2467) return "Three of a kind";
  if (v <= 3325) return "Two pair";
  if (v <= 6185) return "One pair";
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
