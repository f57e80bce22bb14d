// range: what a range holds: its hands, their share of all hands, and for
// Hold'em a 13 x 13 chart of the hand classes (pairs on the diagonal, suited
// above it, offsuit below).
#include <cstdio>
#include <string>
#include <string_view>

#include "card_text.h"
#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

int class_size(int row, int col) { return row == col ? 6 : row < col ? 4 : 12; }

}  // namespace

int run_range(Args args) {
  std::string text;
  oddsmith_game_facts game{};
  game.size = sizeof game;
  oddsmith_game_info(ODDSMITH_GAME_HOLDEM, nullptr, &game);
  bool json = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--game") {
      if (i + 1 == args.size()) return fail("--game needs " + game_choices(games()));
      if (std::string error = read_game(args[++i], game); !error.empty()) return fail(error);
    } else {
      if (!text.empty()) text += ' ';  // words of an unquoted range: "QQ+," "AKs"
      text += args[i];
    }
  }
  if (text.empty()) return fail("range needs range text, e.g. oddsmith range \"QQ+, AKs, AJo+\"");

  int column = 0;
  char error[256] = "";
  oddsmith_range* range = oddsmith_range_parse(text.c_str(), static_cast<int>(text.size()), game.game, &column,
                                               error, static_cast<int>(sizeof error));
  if (!range) {
    // The text as shown (control bytes escaped) and a caret under the column:
    // one place for each character shown before it, an escape as wide as it prints.
    const std::string before = shown_text(std::string_view(text).substr(0, column > 0 ? column - 1 : 0));
    int width = 0;
    for (const char ch : before) width += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    std::fprintf(stderr, "oddsmith: bad range at column %d: %s\n  %s\n  %*s^\n", column, shown_text(error).c_str(),
                 shown_text(text).c_str(), width, "");
    return 2;
  }
  const int size = oddsmith_range_size(range);
  // Hold'em and short deck: the 13 x 13 chart of classes.
  const bool two_cards = game.hole_cards == 2;
  double total_weight = 0;
  int in_class[13][13] = {};
  int cards[5];
  for (int i = 0; i < size; ++i) {
    double weight = 0;
    oddsmith_range_hand(range, i, cards, &weight);
    total_weight += weight;
    if (two_cards) {
      int row, col;
      class_cell(cards, row, col);
      ++in_class[row][col];
    }
  }
  oddsmith_range_free(range);
  const double share = size / static_cast<double>(game.starting_hands);

  if (json) {
    std::printf("{\"range\": %s, \"game\": \"%s\", \"combos\": %d, \"share\": %s, \"weight\": %s", json_string(text).c_str(),
                game.name, size, json_number(share, 6).c_str(), json_number(total_weight, 10).c_str());
    if (two_cards) {
      std::printf(", \"classes\": {");
      const char* separator = "";
      for (int row = 0; row < 13; ++row)
        for (int col = 0; col < 13; ++col)
          if (in_class[row][col]) {
            std::printf("%s\"%s\": %d", separator, class_label(row, col).c_str(), in_class[row][col]);
            separator = ", ";
          }
      std::printf("}");
    }
    std::printf("}\n");
    return 0;
  }
  // Two decimals, or two significant digits for the small shares of Omaha patterns.
  std::printf(share >= 0.001 ? "%d hands, %.2f%% of all %s hands" : "%d hands, %.2g%% of all %s hands", size, share * 100,
              game.name);
  if (total_weight != size) std::printf(" (total weight %.4g)", total_weight);
  std::printf("\n");
  if (!two_cards) return 0;
  std::printf("\n");
  for (int row = 0; row < 13; ++row) {
    for (int col = 0; col < 13; ++col) {
      const int n = in_class[row][col];
      if (n == 0) {
        std::printf("  .  ");
      } else {
        std::printf(" %-3s%c", class_label(row, col).c_str(), n == class_size(row, col) ? ' ' : '*');
      }
    }
    std::printf("\n");
  }
  std::printf("\n(pairs on the diagonal, suited above it, offsuit below; * some hands of the class)\n");
  return 0;
}

}  // namespace cli
