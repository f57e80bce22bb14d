#include "svg_text.h"

#include "oddsmith.h"

namespace pictures {

std::string xml_escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
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

std::string card_name(int card) {
  char name[3] = "";
  oddsmith_card_name(card, name);
  return name;
}

}  // namespace pictures
