// What every oddsmith command shares: error lines, card and number arguments,
// flags, and capturing what the library writes to standard output.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "oddsmith.h"

// A numeric macro's value as a string literal, for help texts built from the
// public header's facts.
#define CLI_NUMBER(value) CLI_NUMBER_TEXT(value)
#define CLI_NUMBER_TEXT(value) #value

namespace cli {

using Args = std::vector<std::string_view>;

constexpr int kUsageError = 2;

// Prints "oddsmith: <message>" on standard error, control bytes escaped
// (shown_text), since messages quote what the user typed; returns kUsageError.
int fail(const std::string& message);

// Appends the cards of each argument (one or several cards each, as the
// library reads them) to `cards`; returns an error message, empty on success.
// Repeats are errors.
std::string collect_cards(const Args& args, std::vector<int>& cards);

// A whole number within [low, high] into `out`; returns an error message, empty on success.
std::string parse_count(std::string_view name, std::string_view text, long long low, long long high, long long& out);

// A whole number from 0 to 2^64 - 1 (a seed) into `out`; returns an error message, empty on success.
std::string parse_seed(std::string_view name, std::string_view text, unsigned long long& out);

// The value of an option that takes cards (--board, --dead): args[i + 1] and
// every following argument that is a single card, so that "--board Qh 7c 2d"
// reads as one board (a hand or range is never a single card). Moves i to the
// last argument taken; false when there is no value.
bool take_cards_value(const Args& args, std::size_t& i, std::string& value);

// Removes every `flag` from `args`; true when there was one.
bool take_flag(Args& args, std::string_view flag);

// The game a --game option names (a name or alias of the library's games) into
// `game`; an error message listing the choices, empty on success.
std::string read_game(std::string_view name, oddsmith_game_facts& game);

// The 13 x 13 chart of Hold'em hand classes: row and column by rank, ace first;
// pairs on the diagonal, suited classes above it, offsuit below.
std::string class_label(int row, int col);     // "AA", "AKs", "72o"
void class_cell(const int ascending_cards[2], int& row, int& col);

// Writes `text` to `path` through a temporary file in the same folder, renamed
// over `path` only once wholly written: a failure (a full disk, a file-size
// limit) leaves any earlier file untouched and no partial file behind. The
// temporary file has a random name and is created only where nothing stands,
// never through a symbolic link, so no one else can steer the write. Where
// `path` is a FIFO or a character device (a pipe, a terminal, /dev/null) the
// text is written straight into it, which is what naming one means; a folder or
// anything else that is not a regular file is refused and left as it is.
// Returns an error message, empty on success.
std::string write_file_atomically(const std::string& path, const std::string& text);

// `text` in lines of at most `width` characters, broken after spaces where it
// can be and inside a word only where one is longer than a line: never cut.
std::vector<std::string> wrap(const std::string& text, std::size_t width);

// Runs `call` with standard output going to a buffer; returns what it wrote.
std::string capture_stdout(const std::function<void()>& call);

}  // namespace cli
