#include "cards/card_text.h"

#include <bit>
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

namespace {

// The rank at text[at] and the bytes it takes: a rank letter in either case, or
// "10"; -1 for anything else.
int read_rank(std::string_view text, std::size_t at, std::size_t& length) {
  length = 1;
  if (text[at] == '1' && at + 1 < text.size() && text[at + 1] == '0') {
    length = 2;
    return rank_of_letter('T');
  }
  const char c = text[at];
  return rank_of_letter(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
}

// The suit at text[at] and the bytes it takes: a suit letter in either case, or
// a suit symbol U+2660..U+2667 (E2 99 A0..A7: spade, heart, diamond, club,
// filled and outlined), optionally followed by U+FE0F (EF B8 8F); -1 otherwise.
int read_suit(std::string_view text, std::size_t at, std::size_t& length) {
  length = 1;
  if (const int suit = suit_of_letter(text[at]); suit >= 0) return suit;
  const std::string_view rest = text.substr(at);
  if (rest.size() < 3 || rest[0] != '\xE2' || rest[1] != '\x99') return -1;
  const auto last = static_cast<unsigned char>(rest[2]);
  if (last < 0xA0 || last > 0xA7) return -1;
  static constexpr int kSymbolSuits[8] = {3, 2, 1, 0, 3, 2, 1, 0};  // ♠♡♢♣♤♥♦♧
  length = rest.substr(3).starts_with("\xEF\xB8\x8F") ? 6 : 3;
  return kSymbolSuits[last - 0xA0];
}

bool is_separator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::optional<std::size_t> read_card_list(std::string_view text, std::span<int> out, std::string& error) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (is_separator(text[i])) {
      ++i;
      continue;
    }
    std::size_t rank_length = 1, suit_length = 0;
    const int rank = read_rank(text, i, rank_length);
    const int suit = rank >= 0 && i + rank_length < text.size() ? read_suit(text, i + rank_length, suit_length) : -1;
    if (suit < 0) {
      // The piece is the rank and one character, not bytes, so that "X♥" is shown whole.
      const std::size_t first = rank >= 0 ? rank_length : character_length(text, i);
      const std::size_t length = first + (i + first < text.size() ? character_length(text, i + first) : 0);
      error = "bad card '" + shown_text(text.substr(i, length)) + "' in '" + shown_text(text) +
              "': a card is a rank (" ODDSMITH_RANK_LETTERS " or 10) and a suit (" ODDSMITH_SUIT_LETTERS
              " or \u2663\u2666\u2665\u2660), such as As, Td or 10\u2665";
      return std::nullopt;
    }
    if (count < out.size()) out[count] = make_card(rank, suit);
    ++count;
    i += rank_length + suit_length;
  }
  return count;
}

bool parse_card_list(std::string_view text, std::vector<int>& out, std::string& error) {
  const std::optional<std::size_t> count = read_card_list(text, {}, error);
  if (!count) return false;
  const std::size_t before = out.size();
  out.resize(before + *count);
  read_card_list(text, std::span(out).subspan(before), error);
  return true;
}

std::string card_name(int card) {
  return {kRankChars[card_rank(card)], kSuitChars[card_suit(card)]};
}

std::optional<std::string> low_name(int low_value) {
  if (low_value == kNoLow) return "no low";
  if (low_value < 0 || low_value > 0xFF || std::popcount(static_cast<unsigned>(low_value)) != 5) return std::nullopt;
  static constexpr char kLowRanks[] = "A2345678";  // bit r: rank r of the low, the ace lowest
  std::string text;
  for (int r = 7; r >= 0; --r) {
    if (!(low_value & (1 << r))) continue;
    if (!text.empty()) text += '-';
    text += kLowRanks[r];
  }
  return text;
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
