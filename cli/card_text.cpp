#include "card_text.h"

#include <algorithm>

#include <climits>

namespace cli {

namespace {

// The text a text export writes: asked for its length first, then written whole.
template <class Write>
std::string text_of(Write write) {
  const int length = write(nullptr, 0);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length) + 1, '\0');
  write(out.data(), length + 1);
  out.resize(static_cast<std::size_t>(length));
  return out;
}

// A text's bytes and length as the exports take them (an empty view may have no data).
const char* data_of(std::string_view text) { return text.data() ? text.data() : ""; }
int length_of(std::string_view text) { return text.size() > INT_MAX ? INT_MAX : static_cast<int>(text.size()); }

}  // namespace

std::string parse_cards(std::string_view text, std::vector<int>& cards) {
  char error[512] = "";
  const int n = oddsmith_parse_cards(data_of(text), length_of(text), nullptr, 0, error, sizeof error);
  if (n < 0) return error;
  const std::size_t before = cards.size();
  cards.resize(before + static_cast<std::size_t>(n));
  oddsmith_parse_cards(data_of(text), length_of(text), cards.data() + before, n, nullptr, 0);
  return {};
}

bool is_one_card(std::string_view text) {
  return oddsmith_parse_cards(data_of(text), length_of(text), nullptr, 0, nullptr, 0) == 1;
}

std::string card_name(int card) {
  char name[3] = "";
  oddsmith_card_name(card, name);
  return name;
}

std::string hand_text(const int* cards, int count) {
  return text_of([&](char* out, int size) { return oddsmith_hand_text(cards, count, out, size); });
}

std::string category_name(int game, int hand_value) {
  return text_of([&](char* out, int size) { return oddsmith_category_name(game, hand_value, out, size); });
}

std::string low_name(int low_value) {
  return text_of([&](char* out, int size) { return oddsmith_low_name(low_value, out, size); });
}

std::vector<std::string> split_names(const std::string& joined) {
  std::vector<std::string> names;
  for (std::size_t at = 0; at < joined.size();) {
    const std::size_t end = std::min(joined.find(", ", at), joined.size());
    names.push_back(joined.substr(at, end - at));
    at = end + 2;
  }
  return names;
}

std::vector<std::string> draw_names(int draws) {
  return split_names(text_of([&](char* out, int size) { return oddsmith_draw_names(draws, out, size); }));
}

std::string shown_text(std::string_view text) {
  return text_of([&](char* out, int size) { return oddsmith_shown_text(data_of(text), length_of(text), out, size); });
}

std::vector<oddsmith_game_facts> games() {
  std::vector<oddsmith_game_facts> out;
  for (int game = 0;; ++game) {
    oddsmith_game_facts facts{};
    facts.size = sizeof facts;
    if (oddsmith_game_info(game, nullptr, &facts) < 0) return out;
    out.push_back(facts);
  }
}

bool find_game(std::string_view name, oddsmith_game_facts& out) {
  const std::string copy(name);  // NUL-terminated for the library
  out = {};
  out.size = sizeof out;
  return copy.find('\0') == std::string::npos && oddsmith_game_info(-1, copy.c_str(), &out) >= 0;
}

std::string game_choices(const std::vector<oddsmith_game_facts>& choices) {
  std::string text;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    text += i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ";
    text += choices[i].name;
  }
  return text;
}

}  // namespace cli
