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

int run_eval(Args args) {
  const bool json = take_flag(args, "--json");
  bool short_deck = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--game") continue;
    if (i + 1 == args.size() || (args[i + 1] != "holdem" && args[i + 1] != "shortdeck"))
      return fail("eval --game must be holdem or shortdeck");
    short_deck = args[i + 1] == "shortdeck";
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    break;
  }
  std::vector<int> c;
  if (std::string error = collect_cards(args, c); !error.empty()) return fail(error);
  if (c.size() < 5 || c.size() > 7) return fail("eval takes 5, 6 or 7 cards, got " + std::to_string(c.size()));
  int value = 0;
  const int game = short_deck ? ODDSMITH_GAME_SHORTDECK : ODDSMITH_GAME_HOLDEM;
  oddsmith_evaluate_game_many(c.data(), 1, game, static_cast<int>(c.size()), &value);
  if (value == 0) return fail(short_deck ? "short deck has no card below the six (6c .. As)" : "the library refused these cards");
  const char* category = short_deck ? shortdeck_category_name(value) : category_name(value);
  if (json)
    std::printf("{\"cards\": %s, \"game\": \"%s\", \"value\": %d, \"category\": %s}\n",
                json_string(names(c, 0, c.size())).c_str(), short_deck ? "shortdeck" : "holdem", value,
                json_string(category).c_str());
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
