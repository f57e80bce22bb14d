// Range notation through its export: any bytes, any length, each game. A parse
// either fails with a column inside the text and a message, or gives hands of
// real, different, ascending cards, each hand once, weights in (0, 1].
#include <cstdint>
#include <set>
#include <string>

#include "fuzz_input.h"
#include "oddsmith.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int game = data[0] % 7 == 6 ? data[0] : data[0] % 7;  // now and then an unknown game
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  int column = -1;
  char error[32];
  oddsmith_range* range = oddsmith_range_parse(text.data(), static_cast<int>(text.size()), game, &column, error,
                                               static_cast<int>(sizeof error));
  if (!range) {
    fuzz::require(column >= 0 && column <= static_cast<int>(text.size()) + 1 && error[0] != '\0');
    return 0;
  }
  const int n = oddsmith_range_size(range);
  fuzz::require(n >= 1);
  std::set<std::uint64_t> seen;
  for (int i = 0; i < n; ++i) {
    int cards[5] = {-1, -1, -1, -1, -1};
    double weight = -1;
    const int count = oddsmith_range_hand(range, i, cards, &weight);
    const int per_hand = game == ODDSMITH_GAME_HOLDEM || game == ODDSMITH_GAME_SHORTDECK ? 2
                         : game == ODDSMITH_GAME_OMAHA5 || game == ODDSMITH_GAME_OMAHA5_HILO ? 5
                                                                                          : 4;
    fuzz::require(count == per_hand && weight > 0 && weight <= 1);
    fuzz::require(game != ODDSMITH_GAME_SHORTDECK || cards[0] >= 16);  // sixes to aces
    std::uint64_t mask = 0;
    for (int j = 0; j < count; ++j) {
      fuzz::require(cards[j] >= 0 && cards[j] < 52 && (j == 0 || cards[j - 1] < cards[j]));
      mask |= std::uint64_t{1} << cards[j];
    }
    fuzz::require(seen.insert(mask).second);
  }
  fuzz::require(oddsmith_range_hand(range, n, nullptr, nullptr) == 0);
  oddsmith_range_free(range);
  return 0;
}
