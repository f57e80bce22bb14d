// Card text through its exports: any bytes, any sizes. The reader either
// refuses with a message that fits its buffer or counts the cards, writing no
// more than it was given room for, and the names of what it read read back as
// the same cards; every writer says the whole length, cuts to the size given
// and never writes past it; escaped text shows no control byte and escapes to
// itself.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "oddsmith.h"

namespace {

// The text a writer gives with room for all of it; checks a cut copy on the way.
template <class Write>
std::string written(Write write, int cut) {
  const int length = write(nullptr, 0);
  if (length < 0) return "-";
  std::string whole(static_cast<std::size_t>(length) + 1, '#');
  fuzz::require(write(whole.data(), length + 1) == length && whole[static_cast<std::size_t>(length)] == '\0');
  whole.resize(static_cast<std::size_t>(length));
  std::vector<char> part(static_cast<std::size_t>(cut) + 1, '#');
  fuzz::require(write(part.data(), cut) == length && part[static_cast<std::size_t>(cut)] == '#');
  if (cut > 0) {
    const std::size_t kept = std::strlen(part.data());
    fuzz::require(kept < static_cast<std::size_t>(cut) && whole.compare(0, kept, part.data(), kept) == 0);
  }
  return whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int max_cards = data[0] % 16, error_size = data[1] % 80, cut = (data[0] >> 4) * 3;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  const int length = static_cast<int>(text.size());

  int cards[16];
  std::memset(cards, 0x7f, sizeof cards);
  std::vector<char> error(static_cast<std::size_t>(error_size) + 1, '#');
  const int n = oddsmith_parse_cards(text.data(), length, cards, max_cards, error.data(), error_size);
  fuzz::require(error[static_cast<std::size_t>(error_size)] == '#');
  if (error_size > 0) fuzz::require(std::memchr(error.data(), '\0', static_cast<std::size_t>(error_size)) != nullptr);
  fuzz::require(n >= -1 && n <= length);
  fuzz::require(oddsmith_parse_cards(text.data(), length, nullptr, 0, nullptr, 0) == n);
  if (n < 0) {
    fuzz::require(error_size < 2 || error[0] != '\0');
  } else {
    for (int i = max_cards; i < 16; ++i) fuzz::require(cards[i] == 0x7f7f7f7f);  // nothing past max_cards
    const int kept = n < max_cards ? n : max_cards;
    std::string names;
    for (int i = 0; i < kept; ++i) {
      char name[3];
      fuzz::require(oddsmith_card_name(cards[i], name) == 2);
      names += name;
    }
    int again[16];
    fuzz::require(oddsmith_parse_cards(names.c_str(), -1, again, 16, nullptr, 0) == kept);
    fuzz::require(std::memcmp(again, cards, sizeof(int) * static_cast<std::size_t>(kept)) == 0);
    fuzz::require(written([&](char* out, int room) { return oddsmith_hand_text(cards, kept, out, room); }, cut).size() ==
                  2 * static_cast<std::size_t>(kept));
  }

  const std::string shown = written([&](char* out, int room) { return oddsmith_shown_text(text.data(), length, out, room); }, cut);
  for (const char c : shown) fuzz::require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
  fuzz::require(written([&](char* out, int room) { return oddsmith_shown_text(shown.data(), -1, out, room); }, 0) == shown);

  // The namers with integers from the text: a refusal or a name, cut as asked.
  fuzz::Input in(data + 2, size - 2);
  const int game = in.int_near(0, ODDSMITH_GAME_COUNT - 1), value = in.int_near(0, 7463);
  written([&](char* out, int room) { return oddsmith_category_name(game, value, out, room); }, cut);
  const int low = in.int_near(0, 1024), draws = in.int_near(0, 8);
  written([&](char* out, int room) { return oddsmith_low_name(low, out, room); }, cut);
  written([&](char* out, int room) { return oddsmith_draw_names(draws, out, room); }, cut);
  return 0;
}
