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

// A game eval values, from the library: its facts and the card counts the
// evaluator takes for it (hole cards first, then the board); fewest 0 for a game
// it does not value alone (the Hi/Lo games).
struct EvalGame {
  oddsmith_game_facts facts;
  int fewest = 0, most = 0;
};

EvalGame eval_game(const oddsmith_game_facts& facts) {
  EvalGame g{facts};
  const int none[1] = {0};
  int value = 0;
  for (int n = 1; n <= facts.hole_cards + facts.board_cards; ++n)  // a count of no hands: refused only for a bad size
    if (oddsmith_evaluate_game_many(none, 0, facts.game, n, &value) == 0) {
      if (g.fewest == 0) g.fewest = n;
      g.most = n;
    }
  return g;
}

// "5, 6 or 7 cards"; "10 cards (5 hole cards, then the 5 board cards)".
std::string card_counts(const EvalGame& g) {
  if (g.fewest == g.most && g.facts.hole_cards + g.facts.board_cards == g.most && g.facts.hole_cards != 2)
    return std::to_string(g.most) + " cards (" + std::to_string(g.facts.hole_cards) + " hole cards, then the " +
           std::to_string(g.facts.board_cards) + " board cards)";
  std::string text;
  for (int n = g.fewest; n <= g.most; ++n) {
    text += n == g.fewest ? "" : n == g.most ? " or " : ", ";
    text += std::to_string(n);
  }
  return text + " cards";
}

// Why the evaluator refused distinct cards: a card outside the game's deck.
std::string refused(const EvalGame& g, const std::vector<int>& cards) {
  static constexpr const char* kRankWords[] = {"deuce", "three", "four", "five", "six",  "seven", "eight",
                                               "nine",  "ten",   "jack", "queen", "king", "ace"};
  for (int c : cards)
    if (c < g.facts.lowest_card)
      return std::string(g.facts.title) + " has no card below the " + kRankWords[g.facts.lowest_card / 4] + " (" +
             card_name(g.facts.lowest_card) + " .. " + card_name(51) + ")";
  return "the library refused these cards";
}

}  // namespace

std::vector<oddsmith_game_facts> eval_games() {
  std::vector<oddsmith_game_facts> out;
  for (const oddsmith_game_facts& facts : games())
    if (eval_game(facts).fewest > 0) out.push_back(facts);
  return out;
}

// cppcheck-suppress passedByValue
int run_eval(Args args) {  // NOLINT(performance-unnecessary-value-param)
  ReadArgs read;
  if (std::string error = read_options(args, {{"--json"}, {"--game", Takes::value}}, "eval", read); !error.empty())
    return fail(error);
  const bool json = read.has("--json");
  EvalGame game = eval_game(games().at(ODDSMITH_GAME_HOLDEM));
  for (const ReadArgs::Option& option : read.options) {
    if (option.name != "--game") continue;
    oddsmith_game_facts facts{};
    if (!find_game(option.value, facts) || eval_game(facts).fewest == 0)
      return fail("eval --game must be " + game_choices(eval_games()));
    game = eval_game(facts);
  }
  std::vector<int> c;
  if (std::string error = collect_cards(read.positionals, c); !error.empty()) return fail(error);
  if (static_cast<int>(c.size()) < game.fewest || static_cast<int>(c.size()) > game.most)
    return fail(std::string(game.facts.name) + " eval takes " + card_counts(game) + ", got " + std::to_string(c.size()));
  int value = 0;
  oddsmith_evaluate_game_many(c.data(), 1, game.facts.game, static_cast<int>(c.size()), &value);
  if (value == 0) return fail(refused(game, c));
  const std::string category = category_name(game.facts.game, value);
  if (json)
    std::printf("{\"cards\": %s, \"game\": \"%s\", \"value\": %d, \"category\": %s}\n",
                json_string(names(c, 0, c.size())).c_str(), game.facts.name, value, json_string(category).c_str());
  else
    std::printf("%d (%s)\n", value, category.c_str());
  return 0;
}

// cppcheck-suppress passedByValue
int run_omaha(Args args) {  // NOLINT(performance-unnecessary-value-param)
  ReadArgs read;
  if (std::string error = read_options(args, {{"--json"}, {"--hole", Takes::cards}, {"--board", Takes::cards, "-b"}}, "omaha", read);
      !error.empty())
    return fail(error);
  if (!read.positionals.empty())
    return fail("omaha takes --hole <4 cards> --board <5 cards>; unexpected '" + std::string(read.positionals[0]) + "'");
  const bool json = read.has("--json");
  std::string hole_text, board_text;
  for (const ReadArgs::Option& option : read.options) {
    if (option.name == "--hole") hole_text = option.value;
    if (option.name == "--board") board_text = option.value;
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
                json_string(category_name(ODDSMITH_GAME_OMAHA, high)).c_str(),
                low == ODDSMITH_NO_LOW ? "null" : std::to_string(low).c_str(),
                low == ODDSMITH_NO_LOW ? "null" : json_string(low_name(low)).c_str());
    return 0;
  }
  std::printf("high %d (%s)\n", high, category_name(ODDSMITH_GAME_OMAHA, high).c_str());
  std::printf("low  %d (%s)\n", low, low_name(low).c_str());
  return 0;
}

}  // namespace cli
