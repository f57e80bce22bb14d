#include "cards/card_text.h"

#include <cstdio>

#include "cards/card.h"

namespace oddsmith {

namespace {

// The code point of the valid UTF-8 sequence of `length` bytes at text[at], or
// -1 where the bytes are not one (a stray continuation byte, a truncated or
// overlong sequence, a surrogate, a value past U+10FFFF).
long code_point(std::string_view text, std::size_t at, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[at]);
  length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return -1;
  long value = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return -1;
    value = (value << 6) | (next & 0x3F);
  }
  const long fewest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (value < fewest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
  return value;
}

// Characters that print nothing yet act: the C1 controls (0x9B starts a
// terminal command on some terminals), zero-width and direction marks, the
// line and paragraph separators, bidirectional embeddings, overrides and
// isolates, and the byte-order mark.
bool is_invisible_control(long c) {
  return (c >= 0x80 && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF;
}

}  // namespace

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
      // The piece is two characters, not two bytes, so that "5♥" is shown whole.
      const std::size_t first = character_length(text, i);
      const std::size_t length = first + (i + first < text.size() ? character_length(text, i + first) : 0);
      const std::string_view piece = text.substr(i, length);
      error = "bad card '" + shown_text(piece) + "' in '" + shown_text(text) +
              "': a card is a rank (" ODDSMITH_RANK_LETTERS ") and a suit (" ODDSMITH_SUIT_LETTERS ")";
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

std::size_t character_length(std::string_view text, std::size_t at) {
  std::size_t length = 0;
  return code_point(text, at, length) < 0 ? 1 : length;
}

std::string shown_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += text[i++];
      continue;
    }
    std::size_t length = 0;
    const long c = byte < 0x80 ? -1 : code_point(text, i, length);
    char escaped[24];
    if (c < 0) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
      ++i;
    } else if (is_invisible_control(c)) {
      std::snprintf(escaped, sizeof escaped, "\\u%04lx", c);
      out += escaped;
      i += length;
    } else {
      out += text.substr(i, length);
      i += length;
    }
  }
  return out;
}

}  // namespace oddsmith
