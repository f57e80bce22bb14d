// How every text export writes its text: the one rule of include/oddsmith.h.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace oddsmith::exports {

// Writes `text` to out[0 .. size - 1]: whole when it fits, else the whole
// characters that fit, NUL-terminated either way; returns the whole text's
// length.
inline int write_text(std::string_view text, char* out, int size) {
  if (out && size > 0) {
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(size) - 1);
    if (n < text.size())
      while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;  // not inside a UTF-8 character
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
  }
  return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

}  // namespace oddsmith::exports
