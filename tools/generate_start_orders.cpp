// Ranks the starting-hand classes of Hold'em or Omaha (hands alike up to a
// relabelling of the suits) by equity against one random hand, best first, in
// the data format range/start_orders.cpp compiles in:
//
//   generate_start_orders holdem > oddsmith/range/holdem_start_order.txt
//   generate_start_orders omaha  > oddsmith/range/omaha_start_order.txt
//
// Hold'em takes under a minute on two cores, Omaha about ten.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cards/card_text.h"
#include "range/start_orders.h"
#include "start_hand_equity.h"

namespace {

using namespace oddsmith;

struct Scored {
  std::array<std::uint8_t, 4> cards;
  int hands;
  std::int32_t equity;
  std::size_t index;
};

constexpr const char* kHeader[2] = {
    "# Hold'em starting hands ranked for range notation's percentages (\"10%\"):\n"
    "# one class of hands alike up to the suits per line, best first.\n"
    "# Score: exact equity against one random hand (every opponent hand, every board).\n",
    "# Omaha starting hands ranked for range notation's percentages (\"10%\"):\n"
    "# one class of hands alike up to the suits per line, best first.\n"
    "# Score: Monte-Carlo equity against one random hand, 524,288 deals with seed 1\n"
    "# for every class. One standard error is at most 0.07 percentage points, so\n"
    "# classes more than about 0.2 points apart (three errors) keep their order\n"
    "# whatever the deals; closer ones may swap.\n"};

}  // namespace

int main(int argc, char** argv) {
  const bool omaha = argc == 2 && std::strcmp(argv[1], "omaha") == 0;
  if (argc != 2 || (!omaha && std::strcmp(argv[1], "holdem") != 0)) {
    std::fprintf(stderr, "usage: generate_start_orders holdem|omaha > FILE\n");
    return 2;
  }
  const int n = omaha ? 4 : 2;
  // A class is named by its hand of least combination index.
  std::vector<Scored> classes;
  for_each_hand(n, [&](const std::array<std::uint8_t, 4>& hand) {
    const std::size_t index = combination_index(hand.data(), n);
    std::vector<std::size_t> images;
    for (const auto& image : suit_images(hand, n)) images.push_back(combination_index(image.data(), n));
    std::sort(images.begin(), images.end());
    if (images.front() != index) return;
    const auto distinct = std::unique(images.begin(), images.end()) - images.begin();
    classes.push_back({hand, static_cast<int>(distinct), 0, index});
  });
  calc::EquityQuery query = start_score::query_against_random(n);
  std::size_t done = 0;
  for (Scored& c : classes) {
    const int cards[4] = {c.cards[0], c.cards[1], c.cards[2], c.cards[3]};
    c.equity = start_score::score(query, {cards, static_cast<std::size_t>(n)});
    if (c.equity < 0) {
      std::fprintf(stderr, "the calculator refused a class\n");
      return 1;
    }
    if (++done % 1000 == 0) std::fprintf(stderr, "%zu of %zu classes\n", done, classes.size());
  }
  std::stable_sort(classes.begin(), classes.end(), [](const Scored& a, const Scored& b) { return a.equity > b.equity; });
  std::fputs(kHeader[omaha], stdout);
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
