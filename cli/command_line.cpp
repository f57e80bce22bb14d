#include "command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <cstring>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#define dup _dup
#define dup2 _dup2
#define fileno _fileno
#define close _close
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "card_text.h"
#include "oddsmith.h"

namespace cli {

int fail(const std::string& message) {
  std::fprintf(stderr, "oddsmith: %s\n", message.c_str());
  return kUsageError;
}

std::string collect_cards(const Args& args, std::vector<int>& cards) {
  for (std::string_view arg : args) {
    std::string bad;
    const auto parsed = parse_cards(arg, bad);
    if (!parsed) return "bad card '" + bad + "' (cards look like As, Td, 2c)";
    for (int card : *parsed) {
      if (std::find(cards.begin(), cards.end(), card) != cards.end()) return "card " + card_name(card) + " is given twice";
      cards.push_back(card);
    }
  }
  return {};
}

std::string parse_count(std::string_view name, std::string_view text, long long low, long long high, long long& out) {
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(copy.c_str(), &end, 10);
  if (copy.empty() || *end != '\0' || errno != 0 || value < low || value > high)
    return std::string(name) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  out = value;
  return {};
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
  while (i + 1 < args.size() && args[i + 1].size() == 2 && parse_card(args[i + 1])) {
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

const GameName* find_game(std::string_view name) {
  static constexpr GameName kGames[] = {{"holdem", ODDSMITH_GAME_HOLDEM, 1326},
                                        {"omaha", ODDSMITH_GAME_OMAHA, 270725},
                                        {"omaha-hilo", ODDSMITH_GAME_OMAHA_HILO, 270725},
                                        {"shortdeck", ODDSMITH_GAME_SHORTDECK, 630},
                                        {"omaha5", ODDSMITH_GAME_OMAHA5, 2598960},
                                        {"omaha5-hilo", ODDSMITH_GAME_OMAHA5_HILO, 2598960}};
  for (const GameName& g : kGames)
    if (name == g.name) return &g;
  return nullptr;
}

std::string class_label(int row, int col) {
  static constexpr char kRanks[] = ODDSMITH_RANK_LETTERS;
  const int high = 12 - (row < col ? row : col), low = 12 - (row < col ? col : row);
  std::string label{kRanks[high], kRanks[low]};
  if (row != col) label += row < col ? 's' : 'o';
  return label;
}

void class_cell(const int ascending_cards[2], int& row, int& col) {
  const int high = ascending_cards[1] / 4, low = ascending_cards[0] / 4;
  const bool suited = ascending_cards[0] % 4 == ascending_cards[1] % 4;
  row = 12 - (suited ? high : low);
  col = 12 - (suited ? low : high);
}

std::string write_file_atomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) return "cannot write " + path + ": " + std::strerror(errno);
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
  const int write_errno = errno;
  const bool closed = std::fclose(f) == 0;
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
  return "cannot write " + path + (why ? std::string(": ") + std::strerror(why) : std::string()) + "; it is left as it was";
}

std::vector<std::string> wrap(const std::string& text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string word = text.substr(at, end - at);
    at = end;
    while (word.size() > width) {  // a word longer than a line: its own lines
      if (!line.empty()) lines.push_back(line), line.clear();
      lines.push_back(word.substr(0, width));
      word.erase(0, width);
    }
    if (line.size() + word.size() > width + (word.ends_with(' ') ? 1 : 0) && !line.empty()) lines.push_back(line), line.clear();
    line += word;
  }
  if (!line.empty()) lines.push_back(line);
  for (std::string& l : lines)
    while (l.ends_with(' ')) l.pop_back();
  return lines;
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
