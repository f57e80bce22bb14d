// Runs a function with a temporary file as its output stream and returns what
// was written there.
#pragma once

#include <cstdio>
#include <string>

namespace gpuscout_test {

template <class Fn>
std::string written_by(Fn&& fn) {
  std::FILE* f = std::tmpfile();
  if (!f) return "<no temporary file>";
  fn(f);
  std::fflush(f);
  std::rewind(f);
  std::string text;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
  std::fclose(f);
  return text;
}

}  // namespace gpuscout_test
