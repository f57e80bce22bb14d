// What every oddsmith command shares: error lines, card and number arguments,
// flags, and capturing what the library writes to standard output.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "hand_classes.h"
#include "oddsmith.h"

// A numeric macro's value as a string literal, for help texts built from the
// public header's facts.
#define CLI_NUMBER(value) CLI_NUMBER_TEXT(value)
#define CLI_NUMBER_TEXT(value) #value

namespace cli {

using Args = std::vector<std::string_view>;

constexpr int kUsageError = 2;

// Prints "oddsmith: <message>" on standard error, control bytes escaped
// (shown_text), since messages quote what the user typed, and the library's
// field names as the options that set them (in_option_words); returns kUsageError.
int fail(const std::string& message);
// The same for "oddsmith: warning: <message>".
void warn(const std::string& message);

// `message` with the query fields the library's messages name (max_seconds,
// target_stderr, trials) written as the options that set them.
std::string in_option_words(std::string message);

// Appends the cards of each argument (one or several cards each, as the
// library reads them) to `cards`; returns an error message, empty on success.
// Repeats are errors.
std::string collect_cards(const Args& args, std::vector<int>& cards);

// A whole number within [low, high] into `out`; returns an error message, empty
// on success. Digits may be grouped with underscores (1_000_000) and a count may
// be written with an exponent (1e6, 2.5e3) as long as it is a whole number.
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

// What an option is followed by: nothing (a flag), one value, or cards (a value
// and the single cards after it, as take_cards_value reads them).
enum class Takes { nothing, value, cards };

struct KnownOption {
  std::string_view name;  // "--board"
  Takes takes = Takes::nothing;
  std::string_view short_name = {};  // "-b", or empty
};

// A command's arguments split into options and positionals.
struct ReadArgs {
  struct Option {
    std::string_view name;  // the long name, whichever name was typed
    std::string value;      // empty for a flag
  };
  std::vector<Option> options;  // in the order given
  Args positionals;

  bool has(std::string_view name) const;
};

// Splits `args` by `known`: an argument starting with "--", or a short name of
// `known`, is an option wherever it stands, before or after positionals; a lone
// "--" ends the options, so what follows is positional even if it starts with
// "-". A value follows its option as the next argument or after "=" (--trials=1e6).
// Returns an error message naming `command` (an unknown option, a missing value),
// empty on success.
std::string read_options(const Args& args, const std::vector<KnownOption>& known, std::string_view command, ReadArgs& out);

// The game a --game option names (a name or alias of the library's games) into
// `game`; an error message listing the choices, empty on success.
std::string read_game(std::string_view name, oddsmith_game_facts& game);

// The chart of hand classes ("AA", "AKs", "72o") is the pictures' (cli/pictures),
// which the Python package draws with too.
using pictures::class_cell;
using pictures::class_grid_size;
using pictures::class_label;
using pictures::class_size;

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

// Runs `call` with standard output going to a buffer; returns what it wrote.
std::string capture_stdout(const std::function<void()>& call);

}  // namespace cli
