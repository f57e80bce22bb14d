// Build-time generator of the evaluation tables. Writes one raw little-endian
// file per table into the output folder, plus an assembly file that embeds them
// into the library's read-only data. Deterministic: same sources, same bytes.
//
//   generate_tables <output folder>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cards/card.h"
#include "cards/table_rules.h"
#include "cards/tables.h"

namespace {

using namespace oddsmith;
using rules::RankCounts;

struct Output {
  std::string name;
  std::vector<char> bytes;
};

template <class T>
Output make_output(const std::string& name, const std::vector<T>& data) {
  Output o{name, std::vector<char>(data.size() * sizeof(T))};
  std::copy_n(reinterpret_cast<const char*>(data.data()), o.bytes.size(), o.bytes.data());
  return o;
}

int digit_sum(int key, int digits) {
  int s = 0;
  for (int i = 0; i < digits; ++i, key /= 5) s += key % 5;
  return s;
}

// Sum of rank_count_hash terms over ranks [first, first + digits) whose base-5
// counts are in `key`, starting with `left` cards still to place.
std::uint16_t partial_hash(int key, int first, int digits, int left) {
  std::int32_t h = 0;
  for (int i = 0; i < digits && left > 0; ++i, key /= 5) {
    const int c = key % 5;
    h += rules::rank_count_weight(c, 12 - (first + i), left);
    left -= c;
  }
  return static_cast<std::uint16_t>(h);
}

std::vector<std::uint16_t> low_hash_table(int k) {
  std::vector<std::uint16_t> t(tables::kLowKeySize);
  for (int key = 0; key < tables::kLowKeySize; ++key)
    if (digit_sum(key, 6) <= k) t[key] = partial_hash(key, 0, 6, k);
  return t;
}

std::vector<std::int16_t> unsuited5_table() {
  std::vector<std::int16_t> t(tables::kUnsuited5Size);
  rules::for_each_count_vector(5, [&](const RankCounts& c) {
    t[rules::rank_count_hash(c, 5)] = static_cast<std::int16_t>(rules::hand_value_of_counts(c, false));
  });
  return t;
}

// Best value of every five-card rank multiset made of a board triple and a hole
// pair, indexed by their sorted-rank keys; the Omaha unsuited table is a minimum
// over at most 10 x 6 of these.
struct TriplePairValues {
  std::vector<std::int16_t> v = std::vector<std::int16_t>(std::size_t{2197} * 169, 10000);
  std::int16_t at(int triple, int pair) const { return v[triple * 169 + pair]; }
};

// Keys (a*169 + b*13 + c or a*13 + b, ranks ascending) of the distinct
// sub-multisets of size `size` of a count vector.
std::vector<int> sub_multiset_keys(const RankCounts& counts, int size) {
  std::vector<int> keys;
  int ranks[3];
  auto rec = [&](auto&& self, int from, int n) -> void {
    if (n == size) {
      int key = 0;
      for (int i = 0; i < size; ++i) key = key * 13 + ranks[i];
      keys.push_back(key);
      return;
    }
    for (int r = from; r < 13; ++r) {
      int used = 0;
      for (int i = 0; i < n; ++i) used += ranks[i] == r;
      if (used < counts[r]) {
        ranks[n] = r;
        self(self, r, n + 1);
      }
    }
  };
  rec(rec, 0, 0);
  return keys;
}

std::vector<std::int16_t> omaha_unsuited_table(const std::vector<std::int16_t>& unsuited5) {
  TriplePairValues best5;
  for (int a = 0; a < 13; ++a)
    for (int b = a; b < 13; ++b)
      for (int c = b; c < 13; ++c)
        for (int d = 0; d < 13; ++d)
          for (int e = d; e < 13; ++e) {
            RankCounts counts{};
            for (int r : {a, b, c, d, e}) ++counts[r];
            if (*std::max_element(counts.begin(), counts.end()) > 4) continue;
            best5.v[(a * 169 + b * 13 + c) * 169 + d * 13 + e] = unsuited5[rules::rank_count_hash(counts, 5)];
          }

  std::vector<RankCounts> holes;
  std::vector<std::vector<int>> hole_pairs;
  // Enumerated in hash order, so position hh holds the vector whose hash is hh.
  rules::for_each_count_vector(4, [&](const RankCounts& c) {
    holes.push_back(c);
    hole_pairs.push_back(sub_multiset_keys(c, 2));
  });

  std::vector<std::int16_t> t(static_cast<std::size_t>(tables::kUnsuited5Size) * tables::kHole4Size);
  rules::for_each_count_vector(5, [&](const RankCounts& board) {
    const int hb = rules::rank_count_hash(board, 5);
    const std::vector<int> triples = sub_multiset_keys(board, 3);
    for (int hh = 0; hh < tables::kHole4Size; ++hh) {
      bool possible = true;
      for (int r = 0; r < 13; ++r) possible &= board[r] + holes[hh][r] <= 4;
      if (!possible) continue;
      int best = 10000;
      for (int tk : triples)
        for (int pk : hole_pairs[hh]) best = std::min<int>(best, best5.at(tk, pk));
      t[static_cast<std::size_t>(hb) * tables::kHole4Size + hh] = static_cast<std::int16_t>(best);
    }
  });
  return t;
}

std::vector<Output> build_all() {
  std::vector<Output> out;

  std::vector<std::int16_t> rank_bit(52), suit_weight(52);
  std::vector<std::uint64_t> card_key(52), card_suit_rank(52);
  for (int c = 0; c < kDeckSize; ++c) {
    const int r = card_rank(c), s = card_suit(c);
    rank_bit[c] = static_cast<std::int16_t>(1 << r);
    suit_weight[c] = static_cast<std::int16_t>(1 << (3 * s));
    std::uint64_t digit = 1;
    for (int i = 0; i < (r < 6 ? r : r - 6); ++i) digit *= 5;
    card_key[c] = (r < 6 ? digit : digit << tables::kLowKeyBits) |
                  (static_cast<std::uint64_t>(suit_weight[c]) << tables::kSuitSignatureShift);
    card_suit_rank[c] = static_cast<std::uint64_t>(1u << r) << (16 * s);
  }
  out.push_back(make_output("rank_bit", rank_bit));
  out.push_back(make_output("suit_weight", suit_weight));
  out.push_back(make_output("card_key", card_key));
  out.push_back(make_output("card_suit_rank", card_suit_rank));

  std::vector<std::uint8_t> flush_suit(tables::kFlushSuitSize), board_flush_suit(4096);
  for (int sig = 0; sig < 4096; ++sig) {
    for (int s = 0; s < 4; ++s) {
      const int n = (sig >> (3 * s)) & 7;
      if (n >= 5 && sig < tables::kFlushSuitSize) flush_suit[sig] = static_cast<std::uint8_t>(1 + s);
      if (n >= 3 && board_flush_suit[sig] == 0) board_flush_suit[sig] = static_cast<std::uint8_t>(1 + s);
    }
  }
  out.push_back(make_output("flush_suit", flush_suit));
  out.push_back(make_output("board_flush_suit", board_flush_suit));

  std::vector<std::int16_t> flush_value(8192);
  for (unsigned m = 0; m < 8192; ++m) flush_value[m] = static_cast<std::int16_t>(rules::flush_value_of_mask(m));
  out.push_back(make_output("flush_value", flush_value));

  std::vector<std::int32_t> weight;
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 14; ++r)
      for (int k = 0; k < 10; ++k) weight.push_back(rules::rank_count_weight(c, r, k));
  out.push_back(make_output("rank_count_weight", weight));

  std::vector<std::int32_t> binomial;
  for (int n = 0; n < 15; ++n)
    for (int k = 0; k < 6; ++k) binomial.push_back(rules::binomial(n, k));
  out.push_back(make_output("binomial", binomial));

  const std::vector<std::int16_t> unsuited5 = unsuited5_table();
  std::vector<std::int16_t> unsuited7(tables::kUnsuited7Size);
  rules::for_each_count_vector(7, [&](const RankCounts& c) {
    // Best of the five-card sub-vectors: drop two cards in every possible way.
    int best = 10000;
    for (int a = 0; a < 13; ++a) {
      if (!c[a]) continue;
      for (int b = a; b < 13; ++b) {
        RankCounts sub = c;
        --sub[a];
        if (!sub[b]) continue;
        --sub[b];
        best = std::min(best, static_cast<int>(unsuited5[rules::rank_count_hash(sub, 5)]));
      }
    }
    unsuited7[rules::rank_count_hash(c, 7)] = static_cast<std::int16_t>(best);
  });
  out.push_back(make_output("unsuited5_value", unsuited5));
  out.push_back(make_output("unsuited7_value", unsuited7));

  out.push_back(make_output("count_hash_low4", low_hash_table(4)));
  out.push_back(make_output("count_hash_low5", low_hash_table(5)));
  out.push_back(make_output("count_hash_low7", low_hash_table(7)));
  std::vector<std::uint16_t> high(tables::kHighKeySize);
  for (int key = 0; key < tables::kHighKeySize; ++key) {
    const int left = digit_sum(key, 7);
    if (left <= 7) high[key] = partial_hash(key, 6, 7, left);
  }
  out.push_back(make_output("count_hash_high", high));

  std::vector<std::uint16_t> mask_hash4(32768), mask_hash5(32768);
  for (unsigned m = 0; m < 32768; ++m) {
    if (std::popcount(m) == 4) mask_hash4[m] = static_cast<std::uint16_t>(rules::rank_mask_hash(m, 4));
    if (std::popcount(m) == 5) mask_hash5[m] = static_cast<std::uint16_t>(rules::rank_mask_hash(m, 5));
  }
  out.push_back(make_output("mask_hash4", mask_hash4));
  out.push_back(make_output("mask_hash5", mask_hash5));

  std::vector<std::int16_t> omaha_flush(static_cast<std::size_t>(tables::kBoardMaskSize) * tables::kHoleMaskSize);
  for (unsigned b = 0; b < 32768; ++b) {
    if (std::popcount(b) != 5) continue;
    for (unsigned h = 0; h < 32768; ++h) {
      if (std::popcount(h) != 4) continue;
      const int v = rules::omaha_flush_value_of_masks(b, h);
      if (v) omaha_flush[static_cast<std::size_t>(mask_hash5[b]) * tables::kHoleMaskSize + mask_hash4[h]] =
          static_cast<std::int16_t>(v);
    }
  }
  out.push_back(make_output("omaha_flush_value", omaha_flush));
  out.push_back(make_output("omaha_unsuited_value", omaha_unsuited_table(unsuited5)));
  return out;
}

bool write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
  return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_tables <output folder>\n");
    return 2;
  }
  const std::filesystem::path dir = std::filesystem::absolute(argv[1]);
  std::filesystem::create_directories(dir);

  std::string assembly =
      "/* Generated by tools/generate_tables: embeds the evaluation tables as read-only data. */\n"
      "#if defined(__ELF__)\n"
      "  .section .note.GNU-stack,\"\",@progbits\n"
      "  .section .rodata\n"
      "#elif defined(_WIN32)\n"
      "  .section .rdata,\"dr\"\n"
      "#else\n"
      "  .section .rodata\n"
      "#endif\n";
  for (const Output& o : build_all()) {
    const std::filesystem::path bin = dir / (o.name + ".bin");
    if (!write_file(bin, std::string(o.bytes.begin(), o.bytes.end()))) {
      std::fprintf(stderr, "generate_tables: cannot write %s\n", bin.string().c_str());
      return 1;
    }
    const std::string sym = "osm_" + o.name;
    for (const std::string& piece :
         {std::string("  .balign 64\n  .globl "), sym, std::string("\n#if defined(__ELF__)\n  .hidden "), sym,
          std::string("\n  .type "), sym, std::string(", @object\n#endif\n"), sym,
          std::string(":\n  .incbin \""), bin.generic_string(), std::string("\"\n#if defined(__ELF__)\n  .size "), sym,
          std::string(", . - "), sym, std::string("\n#endif\n")})
      assembly += piece;
  }
  if (!write_file(dir / "tables_embed.S", assembly)) {
    std::fprintf(stderr, "generate_tables: cannot write the assembly file\n");
    return 1;
  }
  return 0;
}
