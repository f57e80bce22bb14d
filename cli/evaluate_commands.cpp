// eval and omaha: hand values through the evaluator exports.
#include <algorithm>
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
  std::vector<int> c;
  if (std::string error = collect_cards(args, c); !error.empty()) return fail(error);
  int value = 0;
  if (c.size() == 5) {
    value = poker_ev5(c[0], c[1], c[2], c[3], c[4]);
  } else if (c.size() == 6) {
    value = ODDSMITH_WORST_HAND;  // the best five of the six: leave each card out in turn
    for (std::size_t out = 0; out < 6; ++out) {
      int five[5], n = 0;
      for (std::size_t i = 0; i < 6; ++i)
        if (i != out) five[n++] = c[i];
      value = std::min(value, poker_ev5(five[0], five[1], five[2], five[3], five[4]));
    }
  } else if (c.size() == 7) {
    value = poker_ev7(c[0], c[1], c[2], c[3], c[4], c[5], c[6]);
  } else {
    return fail("eval takes 5, 6 or 7 cards, got " + std::to_string(c.size()));
  }
  if (json)
    std::printf("{\"cards\": %s, \"value\": %d, \"category\": %s}\n", json_string(names(c, 0, c.size())).c_str(), value,
                json_string(category_name(value)).c_str());
  else
    std::printf("%d (%s)\n", value, category_name(value));
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
