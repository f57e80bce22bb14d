// The saved-solution loader with arbitrary bytes. The first byte picks the
// form: even, the rest is a whole file (magic, header, checksum and all);
// odd, the rest is a body, wrapped here in a valid header, zstd frame and
// checksum so that the body's reader is reached past the checksum. A load
// under a small memory bound either fails with a message or gives a solver
// whose root reports finite frequencies.
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#if __has_include(<zstd.h>)
#include <zstd.h>
#define FUZZ_HAVE_ZSTD 1
#endif

#include "fuzz_input.h"
#include "solver/solver.h"

namespace {

std::uint32_t crc32(std::string_view bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (char ch : bytes) {
    c ^= static_cast<std::uint8_t>(ch);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
  }
  return c ^ 0xFFFFFFFFu;
}

void put(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A file around `body`: format version 1, the flags from `flags`.
std::string wrap(std::string_view body, std::uint8_t flags) {
#ifndef FUZZ_HAVE_ZSTD
  (void)body;
  (void)flags;
  return {};
#else
  std::string frame(ZSTD_compressBound(body.size()), '\0');
  const std::size_t packed = ZSTD_compress(frame.data(), frame.size(), body.data(), body.size(), 1);
  if (ZSTD_isError(packed)) return {};
  frame.resize(packed);
  std::string file = "ODSMSOL\n";
  put(file, 1, 4);
  put(file, flags & 1, 4);
  put(file, body.size(), 8);
  put(file, packed, 8);
  file += frame;
  put(file, crc32(file), 4);
  return file;
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || !oddsmith::solver::solution_files_supported()) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string file = (data[0] & 1) ? wrap(rest, static_cast<std::uint8_t>(data[0] >> 1)) : std::string(rest);
  oddsmith::solver::LoadOptions options;
  options.max_memory = std::size_t{64} << 20;
  options.threads = 1;
  std::string error;
  const auto solver = oddsmith::solver::Solver::load_bytes(file, options, error);
  if (!solver) {
    fuzz::require(!error.empty());
    return 0;
  }
  const auto root = solver->node("", error);
  fuzz::require(root.has_value());
  for (double f : root->frequencies) fuzz::require(std::isnan(f) || (f >= -1e-6 && f <= 1 + 1e-6));
  return 0;
}
