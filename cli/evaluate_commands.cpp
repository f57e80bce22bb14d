// eval and omaha: hand values through the evaluator exports.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>

#include "card_text.h"
#include "commands.h"
#include "json_text.h"
#include "oddsmith.h"

namespace cli {

namespace {

std::string names(const std::vector<int>& cards, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to; ++i) out += card_name(cards[i]);
  return out;
}

}  // namespace

// The games eval values: the cards it takes (hole cards first, then the board).
struct EvalGame {
  const char* name;
  int game;  // ODDSMITH_GAME_*
  int fewest, most;
  const char* cards;  // said when the count is wrong
  const char* refused;
};
constexpr EvalGame kEvalGames[] = {
    {"holdem", ODDSMITH_GAME_HOLDEM, 5, 7, "5, 6 or 7 cards", "the library refused these cards"},
    {"shortdeck", ODDSMITH_GAME_SHORTDECK, 5, 7, "5, 6 or 7 cards", "short deck has no card below the six (6c .. As)"},
    {"omaha", ODDSMITH_GAME_OMAHA, 9, 9, "9 cards (4 hole cards, then the 5 board cards)", "the library refused these cards"},
    {"omaha5", ODDSMITH_GAME_OMAHA5, 10, 10, "10 cards (5 hole cards, then the 5 board cards)", "the library refused these cards"},
};

int run_eval(Args args) {
  const bool json = take_flag(args, "--json");
  const EvalGame* game = &kEvalGames[0];
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--game") continue;
    const auto named = i + 1 == args.size() ? std::end(kEvalGames)
                                            : std::find_if(std::begin(kEvalGames), std::end(kEvalGames),
                                                           [&](const EvalGame& g) { return args[i + 1] == g.name; });
    if (named == std::end(kEvalGames)) return fail("eval --game must be holdem, shortdeck, omaha or omaha5");
    game = named;
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    break;
  }
  std::vector<int> c;
  if (std::string error = collect_cards(args, c); !error.empty()) return fail(error);
  if (static_cast<int>(c.size()) < game->fewest || static_cast<int>(c.size()) > game->most)
    return fail(std::string(game->name) + " eval takes " + game->cards + ", got " + std::to_string(c.size()));
  int value = 0;
  oddsmith_evaluate_game_many(c.data(), 1, game->game, static_cast<int>(c.size()), &value);
  if (value == 0) return fail(game->refused);
  const char* category = game->game == ODDSMITH_GAME_SHORTDECK ? shortdeck_category_name(value) : category_name(value);
  if (json)
    std::printf("{\"cards\": %s, \"game\": \"%s\", \"value\": %d, \"category\": %s}\n",
                json_string(names(c, 0, c.size())).c_str(), game->name, value, json_string(category).c_str());
  else
    std::printf("%d (%s)\n", value, category);
  return 0;
}

int run_omaha(Args args) {
  const bool json = take_flag(args, "--json");
  std::string_view hole_text, board_text;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool has_value = i + 1 < args.size();
    if (args[i] == "--hole" && has_value) {
      hole_text = args[++i];
    } else if (args[i] == "--board" && has_value) {
      board_text = args[++i];
    } else {
      return fail("omaha takes --hole <4 cards> --board <5 cards>; unexpected '" + std::string(args[i]) + "'");
    }
  }
  std::vector<int> c;
  if (std::string error = collect_cards({hole_text}, c); !error.empty()) return fail(error);
  if (c.size() != 4) return fail("--hole needs 4 cards, got " + std::to_string(c.size()));
  if (std::string error = collect_cards({board_text}, c); !error.empty()) return fail(error);
  if (c.size() != 9) return fail("--board needs 5 cards, got " + std::to_string(c.size() - 4));
  const int high = poker_evomaha(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
  const int low = poker_evomahalow(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8]);
  if (json) {
    std::printf("{\"hole\": %s, \"board\": %s, \"high\": %d, \"category\": %s, \"low\": %s, \"low_ranks\": %s}\n",
                json_string(names(c, 0, 4)).c_str(), json_string(names(c, 4, 9)).c_str(), high,
                json_string(category_name(high)).c_str(), low == ODDSMITH_NO_LOW ? "null" : std::to_string(low).c_str(),
                low == ODDSMITH_NO_LOW ? "null" : json_string(low_name(low)).c_str());
    return 0;
  }
  std::printf("high %d (%s)\n", high, category_name(high));
  std::printf("low  %d (%s)\n", low, low_name(low).c_str());
  return 0;
}

}  // namespace cli
