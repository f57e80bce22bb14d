// Ranks the starting-hand classes of a game (hands alike up to a relabelling
// of the suits) by equity against one random hand, best first, in the data
// format range/start_orders.cpp compiles in:
//
//   generate_start_orders holdem    > oddsmith/range/holdem_start_order.txt
//   generate_start_orders shortdeck > oddsmith/range/shortdeck_start_order.txt
//   generate_start_orders omaha     > oddsmith/range/omaha_start_order.txt
//   generate_start_orders omaha5    > oddsmith/range/omaha5_start_order.txt
//
// Hold'em and short deck take under a minute on two cores, Omaha about ten.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "cards/card_text.h"
#include "range/internal/start_orders.h"
#include "start_hand_equity.h"

namespace {

using namespace oddsmith;

struct Scored {
  std::array<std::uint8_t, kMaxRangeCards> cards;
  int hands;
  std::int32_t equity;
  std::size_t index;
};

// The file's header: what it holds and how it was scored.
std::string header(RangeGame game) {
  static constexpr const char* kNames[] = {"Hold'em", "Omaha", "Short-deck", "Five-card Omaha"};
  std::string text = std::string("# ") + kNames[static_cast<int>(game)] +
                     " starting hands ranked for range notation's percentages (\"10%\"):\n"
                     "# one class of hands alike up to the suits per line, best first.\n";
  if (range_cards(game) == 2)
    return text + "# Score: exact equity against one random hand (every opponent hand, every board).\n";
  if (game == RangeGame::omaha)
    return text +
           "# Score: Monte-Carlo equity against one random hand, 524,288 deals with seed 1\n"
           "# for every class. One standard error is at most 0.07 percentage points, so\n"
           "# classes more than about 0.2 points apart (three errors) keep their order\n"
           "# whatever the deals; closer ones may swap.\n";
  return text +
         "# Score: Monte-Carlo equity (high) against one random hand, 32,768 deals off a\n"
         "# shuffle seeded 1 for every class. One standard error is at most 0.28\n"
         "# percentage points, so classes more than about 0.85 points apart (three\n"
         "# errors) keep their order whatever the deals; closer ones may swap.\n";
}

}  // namespace

int main(int argc, char** argv) {
  static constexpr std::pair<const char*, RangeGame> kGames[] = {
      {"holdem", RangeGame::holdem}, {"shortdeck", RangeGame::shortdeck}, {"omaha", RangeGame::omaha}, {"omaha5", RangeGame::omaha5}};
  const auto* named = argc == 2 ? std::find_if(std::begin(kGames), std::end(kGames),
                                               [&](const auto& g) { return std::strcmp(argv[1], g.first) == 0; })
                                : std::end(kGames);
  if (named == std::end(kGames)) {
    std::fprintf(stderr, "usage: generate_start_orders holdem|shortdeck|omaha|omaha5 > FILE\n");
    return 2;
  }
  const RangeGame game = named->second;
  const int n = range_cards(game);
  // A class is named by its hand of least combination index.
  std::vector<Scored> classes;
  for_each_hand(n, [&](const std::array<std::uint8_t, kMaxRangeCards>& hand) {
    if (!in_range_deck(game, hand.data())) return;
    const std::size_t index = combination_index(hand.data(), n);
    std::vector<std::size_t> images;
    for (const auto& image : suit_images(hand, n)) images.push_back(combination_index(image.data(), n));
    std::sort(images.begin(), images.end());
    if (images.front() != index) return;
    const auto distinct = std::unique(images.begin(), images.end()) - images.begin();
    classes.push_back({hand, static_cast<int>(distinct), 0, index});
  });
  // Calculator runs use every core themselves; five-card Omaha's plain
  // simulations are spread over the cores here, class by class.
  const unsigned workers = game == RangeGame::omaha5 ? std::max(1u, std::thread::hardware_concurrency()) : 1;
  std::atomic<std::size_t> next{0}, done{0};
  std::atomic<bool> refused{false};
  auto work = [&] {
    calc::EquityQuery query = start_score::query_against_random(game);
    for (std::size_t i = next++; i < classes.size(); i = next++) {
      Scored& c = classes[i];
      const int cards[kMaxRangeCards] = {c.cards[0], c.cards[1], c.cards[2], c.cards[3], c.cards[4]};
      c.equity = start_score::score(query, {cards, static_cast<std::size_t>(n)});
      if (c.equity < 0) refused = true;
      if (++done % 1000 == 0) std::fprintf(stderr, "%zu of %zu classes\n", done.load(), classes.size());
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < workers; ++t) threads.emplace_back(work);
  work();
  for (std::thread& t : threads) t.join();
  if (refused) {
    std::fprintf(stderr, "the calculator refused a class\n");
    return 1;
  }
  std::stable_sort(classes.begin(), classes.end(), [](const Scored& a, const Scored& b) { return a.equity > b.equity; });
  std::fputs(header(game).c_str(), stdout);
  std::fputs("# Columns: the cards of one hand of the class (card = rank * 4 + suit), the\n"
             "# hands in the class, the equity in millionths, the hand as text.\n", stdout);
  for (const Scored& c : classes) {
    for (int i = 0; i < n; ++i) std::printf("%d ", c.cards[static_cast<std::size_t>(i)]);
    std::string text;
    for (int i = n - 1; i >= 0; --i) text += card_name(c.cards[static_cast<std::size_t>(i)]);
    std::printf("%d %d %s\n", c.hands, c.equity, text.c_str());
  }
  return 0;
}
