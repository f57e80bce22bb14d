#include "cards/card_text.h"

#include "cards/card.h"

namespace oddsmith {

int rank_of_letter(char c) {
  for (int r = 0; r < kRankCount; ++r)
    if (kRankChars[r] == c) return r;
  return -1;
}

int suit_of_letter(char c) {
  for (int s = 0; s < kSuitCount; ++s)
    if (kSuitChars[s] == c || kSuitChars[s] - 'a' + 'A' == c) return s;
  return -1;
}

bool parse_card_list(std::string_view text, std::vector<int>& out, std::string& error) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == ',' || text[i] == '\t') {
      ++i;
      continue;
    }
    const int rank = rank_of_letter(text[i]);
    const int suit = i + 1 < text.size() ? suit_of_letter(text[i + 1]) : -1;
    if (rank < 0 || suit < 0) {
      const std::string piece(text.substr(i, 2));
      error = "bad card '" + piece + "' in '" + std::string(text) + "': a card is a rank (" ODDSMITH_RANK_LETTERS ") and a suit (" ODDSMITH_SUIT_LETTERS ")";
      if (piece == "10") error += "; tens are written T";
      return false;
    }
    out.push_back(make_card(rank, suit));
    i += 2;
  }
  return true;
}

std::string card_name(int card) {
  return {kRankChars[card_rank(card)], kSuitChars[card_suit(card)]};
}

}  // namespace oddsmith
