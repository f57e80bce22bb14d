#include "command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#if defined(_WIN32)
#include <io.h>
#include <share.h>
#include <windows.h>
#define dup _dup
#define dup2 _dup2
#define fileno _fileno
#define close _close
#else
#include <unistd.h>
#endif

#include "card_text.h"
#include "oddsmith.h"

namespace cli {

std::string in_option_words(std::string message) {
  // The library's messages name the query's fields; here the user typed options.
  static constexpr std::pair<std::string_view, std::string_view> kFields[] = {
      {"max_seconds", "--max-seconds"}, {"target_stderr", "--stderr"}, {"(trials)", "(--trials)"}};
  for (const auto& [field, option] : kFields)
    for (std::size_t at = 0; (at = message.find(field, at)) != std::string::npos; at += option.size())
      message.replace(at, field.size(), option);
  return message;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "oddsmith: %s\n", shown_text(in_option_words(message)).c_str());
  return kUsageError;
}

void warn(const std::string& message) {
  std::fprintf(stderr, "oddsmith: warning: %s\n", shown_text(in_option_words(message)).c_str());
}

std::string collect_cards(const Args& args, std::vector<int>& cards) {
  for (std::string_view arg : args) {
    std::vector<int> parsed;
    if (std::string error = parse_cards(arg, parsed); !error.empty()) return error;
    for (int card : parsed) {
      if (std::find(cards.begin(), cards.end(), card) != cards.end()) return "card " + card_name(card) + " is given twice";
      cards.push_back(card);
    }
  }
  return {};
}

namespace {

// The value of a count written as digits (underscores between them), an
// optional fraction and an optional exponent: 1000000, 1_000_000, 1e6, 2.5e3.
// `whole` is false for a number with a fraction left (1.5e0), `fits` false past
// about 10^18. False when the text is not such a number at all.
bool read_count_text(std::string_view text, long long& value, bool& whole, bool& fits) {
  bool negative = false;
  if (text.starts_with('-')) negative = true, text.remove_prefix(1);
  std::string digits;  // the mantissa's digits, the fraction's included
  long long fraction_digits = 0, exponent = 0;
  bool in_fraction = false;
  std::size_t i = 0;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    const char c = text[i];
    const bool digit_before = i > 0 && text[i - 1] >= '0' && text[i - 1] <= '9';
    const bool digit_after = i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9';
    if (c >= '0' && c <= '9') {
      digits += c;
      fraction_digits += in_fraction ? 1 : 0;
    } else if (c == '_' && digit_before && digit_after) {
      continue;
    } else if (c == '.' && !in_fraction && digit_before && digit_after) {
      in_fraction = true;
    } else {
      return false;
    }
  }
  if (digits.empty()) return false;
  if (i < text.size()) {  // the exponent: a sign and one to four digits
    std::string_view e = text.substr(i + 1);
    const bool minus = e.starts_with('-');
    if (e.starts_with('+') || minus) e.remove_prefix(1);
    if (e.empty() || e.size() > 4 || e.find_first_not_of("0123456789") != std::string_view::npos) return false;
    for (char c : e) exponent = exponent * 10 + (c - '0');
    if (minus) exponent = -exponent;
  }
  // value = digits * 10^(exponent - fraction_digits), whole when the digits
  // that scale shifts past the point are zeros.
  const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size());
  digits.erase(0, first);
  long long shift = exponent - fraction_digits;
  while (shift < 0 && !digits.empty() && digits.back() == '0') digits.pop_back(), ++shift;
  whole = shift >= 0 || digits.empty();
  fits = digits.empty() || static_cast<long long>(digits.size()) + std::max(shift, 0LL) <= 18;
  value = 0;
  if (!whole || !fits) return true;
  for (char c : digits) value = value * 10 + (c - '0');
  for (long long k = 0; k < shift; ++k) value *= 10;
  if (negative) value = -value;
  return true;
}

}  // namespace

std::string parse_count(std::string_view name, std::string_view text, long long low, long long high, long long& out) {
  long long value = 0;
  bool whole = true, fits = true;
  const bool number = read_count_text(text, value, whole, fits);
  if (number && whole && fits && value >= low && value <= high) {
    out = value;
    return {};
  }
  std::string message = std::string(name) + " must be a whole number from " + std::to_string(low) + " to " +
                        std::to_string(high) + ", got '" + std::string(text) + "'";
  if (!number) message += " (write counts as 1000000, 1_000_000 or 1e6)";
  else if (!whole) message += ", which is not a whole number";
  return message;
}

std::string parse_seed(std::string_view name, std::string_view text, unsigned long long& out) {
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(copy.c_str(), &end, 10);
  // strtoull would take a sign or spaces and wrap a negative number; only digits are a seed.
  const bool digits = !copy.empty() && copy.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || *end != '\0' || errno != 0)
    return std::string(name) + " must be a whole number from 0 to 18446744073709551615";
  out = value;
  return {};
}

bool take_cards_value(const Args& args, std::size_t& i, std::string& value) {
  if (i + 1 >= args.size()) return false;
  value = args[++i];
  while (i + 1 < args.size() && is_one_card(args[i + 1])) {
    value += ' ';
    value += args[++i];
  }
  return true;
}

bool take_flag(Args& args, std::string_view flag) {
  const auto before = args.size();
  std::erase(args, flag);
  return args.size() != before;
}

bool ReadArgs::has(std::string_view name) const {
  return std::any_of(options.begin(), options.end(), [&](const Option& o) { return o.name == name; });
}

std::string read_options(const Args& args, const std::vector<KnownOption>& known, std::string_view command, ReadArgs& out) {
  const std::string see = "; see oddsmith " + std::string(command) + " --help";
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_ended) {
      out.positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    // "--name=value" names the option before the "=".
    const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
    const std::string_view typed = arg.substr(0, equals);
    const auto match = std::find_if(known.begin(), known.end(), [&](const KnownOption& s) {
      return typed == s.name || (!s.short_name.empty() && typed == s.short_name);
    });
    if (match == known.end()) {
      if (arg.starts_with("--")) return std::string(command) + ": unknown option '" + std::string(typed) + "'" + see;
      out.positionals.push_back(arg);
      continue;
    }
    ReadArgs::Option option{match->name, {}};
    if (match->takes == Takes::nothing) {
      if (equals != std::string_view::npos) return std::string(command) + ": " + std::string(typed) + " takes no value" + see;
    } else if (equals != std::string_view::npos) {
      option.value = arg.substr(equals + 1);
    } else if (i + 1 < args.size() && !args[i + 1].starts_with("--")) {
      if (match->takes == Takes::cards) take_cards_value(args, i, option.value);
      else option.value = args[++i];
    } else {
      return std::string(command) + ": " + std::string(typed) + " needs a value" + see;
    }
    out.options.push_back(std::move(option));
  }
  return {};
}

std::string read_game(std::string_view name, oddsmith_game_facts& game) {
  if (find_game(name, game)) return {};
  return "--game must be " + game_choices(games()) + ", got '" + std::string(name) + "'";
}

namespace {

// The last error of the system as text, for "cannot write PATH: ...".
std::string because(int error) { return error ? std::string(": ") + std::strerror(error) : std::string(); }

// Writes all of `text` to the open file `fd`; false, errno set, on a failure.
bool write_all(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const std::size_t part = std::min<std::size_t>(text.size() - done, std::size_t{1} << 30);
#if defined(_WIN32)
    const long long wrote = _write(fd, text.data() + done, static_cast<unsigned>(part));
#else
    const long long wrote = ::write(fd, text.data() + done, part);
    if (wrote < 0 && errno == EINTR) continue;
#endif
    if (wrote <= 0) {
      if (wrote == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

// A name no one can guess: 64 random bits in hex.
std::string random_suffix() {
  std::uint64_t bits = 0;
  try {
    std::random_device device;
    bits = (std::uint64_t{device()} << 32) ^ device();
  } catch (...) {
    // No entropy source: the name is then guessable, which costs nothing but
    // retries, since the file is created only where no file or link stands.
  }
  static std::uint64_t counter = 0;
  bits ^= ++counter * 0x9E3779B97F4A7C15ULL;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(bits));
  return hex;
}

// Creates a new file beside `path` (so that a rename can replace `path`): a
// random name, opened only if nothing stands there, never through a symbolic
// link. Returns its descriptor, or -1 with errno set.
int create_temporary(const std::string& path, std::string& temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + ".tmp." + random_suffix();
#if defined(_WIN32)
    int fd = -1;
    // _O_EXCL with _O_CREAT fails where any file, or a link, has that name.
    errno = _sopen_s(&fd, temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYRW,
                     _S_IREAD | _S_IWRITE);
    if (errno != 0) fd = -1;
#else
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
#endif
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// What stands at a path or behind an open file.
#if defined(_WIN32)
using FileStatus = struct _stat64;
int status_of(const std::string& path, FileStatus& st) { return _stat64(path.c_str(), &st); }
int status_of(int fd, FileStatus& st) { return _fstat64(fd, &st); }
bool is_regular(const FileStatus& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }
bool is_folder(const FileStatus& st) { return (st.st_mode & _S_IFMT) == _S_IFDIR; }
bool is_stream(const FileStatus& st) { return (st.st_mode & _S_IFMT) == _S_IFCHR || (st.st_mode & _S_IFMT) == _S_IFIFO; }
int open_existing(const std::string& path) {
  int fd = -1;
  errno = _sopen_s(&fd, path.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0);
  return errno == 0 ? fd : -1;
}
#else
using FileStatus = struct stat;
int status_of(const std::string& path, FileStatus& st) { return ::stat(path.c_str(), &st); }
int status_of(int fd, FileStatus& st) { return ::fstat(fd, &st); }
bool is_regular(const FileStatus& st) { return S_ISREG(st.st_mode); }
bool is_folder(const FileStatus& st) { return S_ISDIR(st.st_mode); }
// A FIFO or a character device (a terminal, /dev/null, a pipe that
// /proc/self/fd or /dev/fd names): a stream that a reader takes as it comes.
bool is_stream(const FileStatus& st) { return S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode); }
// Without O_CREAT or O_TRUNC: it opens only what is there and cuts nothing.
int open_existing(const std::string& path) { return ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC); }
#endif

// Writes `text` straight into the stream at `path`. Checked again once open, so
// that a regular file put there meanwhile is left alone.
std::string write_to_stream(const std::string& path, const std::string& text) {
  const int fd = open_existing(path);
  if (fd < 0) return "cannot write " + path + because(errno);
  FileStatus st{};
  if (status_of(fd, st) != 0 || !is_stream(st)) {
    close(fd);
    return "cannot write " + path + ": it is no longer a FIFO or device, so it is left as it was";
  }
  const bool written = write_all(fd, text);
  const int write_errno = errno;
  const bool closed = close(fd) == 0;
  if (written && closed) return {};
  return "cannot write " + path + because(written ? errno : write_errno);
}

}  // namespace

std::string write_file_atomically(const std::string& path, const std::string& text) {
  // Only a regular file, or nothing, is replaced; a stream is written into.
  if (FileStatus st{}; status_of(path, st) == 0 && !is_regular(st)) {
    if (is_stream(st)) return write_to_stream(path, text);
    return "cannot write " + path + ": it is " +
           (is_folder(st) ? "a folder" : "neither a regular file, a FIFO nor a character device") +
           ", so it is left as it was";
  }
  std::string temporary;
  const int fd = create_temporary(path, temporary);
  if (fd < 0) return "cannot write " + path + because(errno) + "; it is left as it was";
  const bool written = write_all(fd, text);
  const int write_errno = errno;
  const bool closed = close(fd) == 0;
  const int close_errno = errno;
  bool renamed = false;
  if (written && closed) {
#if defined(_WIN32)
    renamed = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    renamed = std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
  }
  const int why = !written ? write_errno : !closed ? close_errno : errno;
  if (renamed) return {};
  std::remove(temporary.c_str());
  return "cannot write " + path + because(why) + "; it is left as it was";
}

std::string capture_stdout(const std::function<void()>& call) {
  std::fflush(stdout);
  std::FILE* buffer = std::tmpfile();
  const int saved = buffer ? dup(fileno(stdout)) : -1;
  if (saved < 0 || dup2(fileno(buffer), fileno(stdout)) < 0) {
    if (buffer) std::fclose(buffer);
    if (saved >= 0) close(saved);
    call();  // nowhere to divert it: the output goes where it would anyway
    return {};
  }
  call();
  std::fflush(stdout);
  dup2(saved, fileno(stdout));
  close(saved);
  std::string text;
  std::rewind(buffer);
  for (int c; (c = std::fgetc(buffer)) != EOF;) text += static_cast<char>(c);
  std::fclose(buffer);
  return text;
}

}  // namespace cli
