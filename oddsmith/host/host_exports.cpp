// The host application's exports: the evaluators, their timing loops, the
// fixed-count equity calls and the range-buffer setters. Argument checks and
// argument order, then a call inward; nothing else lives here. (The equity calls
// check their own limits inside, so that the fuzz targets run exactly the code
// the exports run.)

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "oddsmith.h"
#include "eval/five_seven.h"
#include "eval/omaha_high.h"
#include "eval/omaha_low.h"
#include "host/internal/holdem.h"
#include "host/internal/omaha.h"
#include "host/internal/process_state.h"
#include "host/internal/timing.h"
#include "range/range_notation.h"

namespace {

namespace host = oddsmith::host;

// Writes "<sum>,<deals> " as printf's "%f,%d " does under the C locale, whatever
// locale the host has set: a comma-decimal locale would otherwise turn the two
// fields into three.
void write_score_record(double score_sum, int deals) {
  char text[128];
  char* const end = text + sizeof text;
  auto [at, ec] = std::to_chars(text, end, score_sum, std::chars_format::fixed, 6);
  if (ec != std::errc{} || end - at < 16) return;  // a sum of trial scores always fits
  *at++ = ',';
  at = std::to_chars(at, end, deals).ptr;
  *at++ = ' ';
  std::fwrite(text, 1, static_cast<std::size_t>(at - text), stdout);
}

// The ASCII subset of a wide text: any other character becomes DEL, which no
// range item accepts.
std::string ascii_of(const wchar_t* text) {
  std::string out;
  for (; *text; ++text) out += *text > 0 && *text < 0x7f ? static_cast<char>(*text) : '\x7f';
  return out;
}

}  // namespace

extern "C" {

ODDSMITH_API int poker_ev5(int c1, int c2, int c3, int c4, int c5) {
  return oddsmith::eval5_checked(c1, c2, c3, c4, c5);  // 0 (never a hand value) for bad cards
}

ODDSMITH_API int poker_ev7(int c1, int c2, int c3, int c4, int c5, int c6, int c7) {
  return oddsmith::eval7_checked(c1, c2, c3, c4, c5, c6, c7);  // 0 (never a hand value) for bad cards
}

ODDSMITH_API int poker_evomaha(int h1, int h2, int h3, int h4, int b1, int b2, int b3, int b4, int b5) {
  return oddsmith::eval_omaha_high_checked(h1, h2, h3, h4, b1, b2, b3, b4, b5);  // 0 (never a hand value) for bad cards
}

ODDSMITH_API int poker_evomahalow(int h1, int h2, int h3, int h4, int b1, int b2, int b3, int b4, int b5) {
  // A repeated card is allowed here: it counts once as a rank present.
  return oddsmith::eval_omaha_low_checked(h1, h2, h3, h4, b1, b2, b3, b4, b5);  // 0 (never a hand value) for bad cards
}

ODDSMITH_API int holdem_test(int count) { return host::time_seven_card(count); }
ODDSMITH_API int omaha_test(int count) { return host::time_omaha_high(count); }
ODDSMITH_API int omahalow_test(int count) { return host::time_omaha_low(count); }

ODDSMITH_API int poker_holdem_equity(int p1, int p2, int known, int opponents, int range, int b1, int b2, int b3,
                                     int b4, int b5) {
  const host::EquityRequest request{{p1, p2, 0, 0}, 2, known, {b1, b2, b3, b4, b5}, opponents, range};
  return host::holdem_equity(request, oddsmith::seed_from_random_device(), host::holdem_trials);
}

ODDSMITH_API int poker_set_holdem_range_simul(const int* hands) {
  if (!hands) return 0;
  host::store_holdem_ranges(hands);
  return 1;
}

ODDSMITH_API int poker_set_holdem_range_exact(int slot, const wchar_t* text) {
  if (slot < 0 || slot >= host::kRangeSlots) return 0;
  const std::uint32_t seed = oddsmith::seed_from_random_device();
  try {
    if (text) {
      if (const oddsmith::RangeParse parsed = oddsmith::parse_range(ascii_of(text), 2); parsed.range) {
        host::fill_holdem_slot_from_range(slot, *parsed.range, seed);
        return 1;
      }
    }
  } catch (...) {
    // Out of memory while reading the text: fill the slot as for unreadable text.
  }
  host::fill_holdem_slot_at_random(slot, seed);
  return 1;
}

ODDSMITH_API int poker_omaha_equity(int p1, int p2, int p3, int p4, int known, int opponents, int range, int b1,
                                    int b2, int b3, int b4, int b5) {
  const host::EquityRequest request{{p1, p2, p3, p4}, 4, known, {b1, b2, b3, b4, b5}, opponents, range};
  const int trials = host::omaha_trials;
  const host::OmahaEquity result = host::omaha_high_equity(request, oddsmith::seed_from_random_device(), trials);
  // The raw sum and trial count, on the buffered standard output (a refused call
  // writes nothing); the outcome of the write is not examined.
  if (result.per_mille != host::kRefused) write_score_record(static_cast<double>(result.score_sum), trials);
  return result.per_mille;
}

ODDSMITH_API int poker_omahahl_equity(int p1, int p2, int p3, int p4, int known, int opponents, int range, int b1,
                                      int b2, int b3, int b4, int b5) {
  const host::EquityRequest request{{p1, p2, p3, p4}, 4, known, {b1, b2, b3, b4, b5}, opponents, range};
  return host::omaha_hilo_equity(request, oddsmith::seed_from_random_device(), host::omaha_trials).per_mille;
}

ODDSMITH_API int poker_load_omaha_range(const int* hands) {
  if (!hands) return 0;
  host::store_omaha_ranges(hands);
  return 1;
}

ODDSMITH_API int poker_load_omahahl_range(const int* hands) {
  if (!hands) return 0;
  host::store_omahahl_ranges(hands);
  return 1;
}

}  // extern "C"
