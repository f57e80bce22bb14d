#include "json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace cli {

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += ch;  // UTF-8 passes through; other bytes are the caller's text as given
    }
  }
  return out + "\"";
}

std::string json_number(double value, int digits) {
  if (!std::isfinite(value)) return "null";
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  return {text, result.ptr};
}

}  // namespace cli
