// Text from the command line as a message on the terminal may quote it: what
// prints stays as it is, "5♥" included, and every byte that could drive the
// terminal is escaped. For gpuscout's program, which does not link oddsmith;
// the oddsmith program quotes through the library's oddsmith_shown_text, which
// escapes exactly so (card_text.h).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

// `text` with a control byte, DEL or a byte that is not part of valid UTF-8 as
// \xNN ("\x1b"), an invisible control character of UTF-8 (C1 controls,
// bidirectional overrides, zero-width marks) as \uNNNN, and everything else,
// printable UTF-8 included, as it is. Escaping escaped text changes nothing.
inline std::string shown_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x20 && lead < 0x7F) {
      out += text[i++];
      continue;
    }
    // A valid UTF-8 sequence: its length and code point; -1 for anything else
    // (a control byte, a stray continuation byte, an overlong or truncated
    // sequence, a surrogate, a value past U+10FFFF).
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    long c = length == 0 || i + length > text.size() ? -1 : lead & (0x7F >> length);
    for (std::size_t k = 1; c >= 0 && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      c = (next & 0xC0) == 0x80 ? (c << 6) | (next & 0x3F) : -1;
    }
    const long fewest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < fewest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = -1;
    const bool invisible = (c >= 0x80 && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
                           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF;
    char escaped[24];
    if (c < 0) {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", lead);
      out += escaped;
      ++i;
    } else if (invisible) {
      std::snprintf(escaped, sizeof escaped, "\\u%04lx", c);
      out += escaped;
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

}  // namespace cli
