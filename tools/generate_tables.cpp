// Build-time generator of the evaluation tables. Writes one raw little-endian
// file per table into the output folder, an assembly file that embeds them into
// the library's read-only data, and the header that declares them (table_list.h):
// the list of tables is written here once. Deterministic: same sources, same bytes.
//
//   generate_tables <output folder>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "cards/card.h"
#include "cards/binomial.h"
#include "tables/internal/table_rules.h"
#include "tables/table_layout.h"

namespace {

using namespace oddsmith;
using rules::RankCounts;

struct Output {
  std::string name;     // the symbol is osm_<name>
  std::string type;     // C++ element type
  std::string extents;  // "[52]", "[5][14][10]"
  std::string note;     // what the table holds
  std::vector<char> bytes;
};

template <class T>
constexpr const char* type_name() {
  if constexpr (std::is_same_v<T, std::int16_t>) return "std::int16_t";
  else if constexpr (std::is_same_v<T, std::uint16_t>) return "std::uint16_t";
  else if constexpr (std::is_same_v<T, std::int32_t>) return "std::int32_t";
  else if constexpr (std::is_same_v<T, std::uint64_t>) return "std::uint64_t";
  else return "std::uint8_t";
}

// One table; `extents` lists its dimensions (one, the element count, by default).
template <class T>
void add(std::vector<Output>& out, const std::string& name, const std::vector<T>& data, const std::string& note,
         std::vector<std::size_t> extents = {}) {
  if (extents.empty()) extents = {data.size()};
  Output o{name, type_name<T>(), "", note, std::vector<char>(data.size() * sizeof(T))};
  for (std::size_t e : extents) o.extents += "[" + std::to_string(e) + "]";
  std::copy_n(reinterpret_cast<const char*>(data.data()), o.bytes.size(), o.bytes.data());
  out.push_back(std::move(o));
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

TriplePairValues triple_pair_values(const std::vector<std::int16_t>& unsuited5) {
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
  return best5;
}

std::vector<std::int16_t> omaha_unsuited_table(const TriplePairValues& best5) {
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

// Five-card Omaha: a hole holds ten rank pairs, too many hole rank multisets
// for a table by board and hole. Instead, per board rank multiset, the best
// unsuited value of each of the 91 rank pairs (tables::omaha5_pair_index) with
// three of the board's cards; a hole's value is the best of its ten pairs'.
// A pair the board leaves no card for (a fifth of a rank) gets kNoPairValue.
std::vector<std::int16_t> omaha5_pair_table(const TriplePairValues& best5) {
  std::vector<std::int16_t> t(static_cast<std::size_t>(tables::kUnsuited5Size) * tables::kRankPairs,
                              tables::kNoPairValue);
  rules::for_each_count_vector(5, [&](const RankCounts& board) {
    const int hb = rules::rank_count_hash(board, 5);
    const std::vector<int> triples = sub_multiset_keys(board, 3);
    for (int b = 0; b < 13; ++b)
      for (int a = 0; a <= b; ++a) {
        if (board[a] + 1 + (a == b) > 4 || board[b] + 1 + (a == b) > 4) continue;
        int best = tables::kNoPairValue;
        for (int tk : triples) best = std::min<int>(best, best5.at(tk, a * 13 + b));
        t[static_cast<std::size_t>(hb) * tables::kRankPairs + static_cast<std::size_t>(tables::omaha5_pair_index(a, b))] =
            static_cast<std::int16_t>(best);
      }
  });
  return t;
}

// Per-card words: rank bit, suit weight, the summable key, the suit-rank word.
void add_card_tables(std::vector<Output>& out) {
  std::vector<std::int16_t> rank_bit(52), suit_weight(52);
  // The two summed or OR-ed per card cover every number below
  // kCardTableSize, zero past the deck.
  std::vector<std::uint64_t> card_key(tables::kCardTableSize), card_suit_rank(tables::kCardTableSize);
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
  add(out, "rank_bit", rank_bit, "1 << rank");
  add(out, "suit_weight", suit_weight, "1 << (3 * suit)");
  add(out, "card_key", card_key, "rank digit plus suit weight, packed as table_layout.h says; 0 from 52 on");
  add(out, "card_suit_rank", card_suit_rank, "rank bit << (16 * suit): one bit per card; 0 from 52 on");
}

// Flush detection and flush values.
void add_flush_tables(std::vector<Output>& out) {
  std::vector<std::uint8_t> flush_suit(tables::kFlushSuitSize), board_flush_suit(4096);
  for (int sig = 0; sig < 4096; ++sig) {
    for (int s = 0; s < 4; ++s) {
      const int n = (sig >> (3 * s)) & 7;
      if (n >= 5 && sig < tables::kFlushSuitSize) flush_suit[sig] = static_cast<std::uint8_t>(1 + s);
      if (n >= 3 && board_flush_suit[sig] == 0) board_flush_suit[sig] = static_cast<std::uint8_t>(1 + s);
    }
  }
  add(out, "flush_suit", flush_suit, "1 + suit holding 5+ cards of the suit signature, else 0");
  add(out, "board_flush_suit", board_flush_suit, "1 + suit holding 3+ of 5 board cards, else 0");
  std::vector<std::int16_t> flush_value(8192);
  for (unsigned m = 0; m < 8192; ++m) flush_value[m] = static_cast<std::int16_t>(rules::flush_value_of_mask(m));
  add(out, "flush_value", flush_value, "hand value of the best flush in a rank mask");
}

// Rank-count hashing and the unsuited values of five and seven cards. Returns
// the five-card values, which the Omaha tables are built from.
std::vector<std::int16_t> add_rank_count_tables(std::vector<Output>& out) {
  std::vector<std::int32_t> weight;
  for (int c = 0; c < 5; ++c)
    for (int r = 0; r < 14; ++r)
      for (int k = 0; k < 10; ++k) weight.push_back(rules::rank_count_weight(c, r, k));
  add(out, "rank_count_weight", weight, "rank_count_weight(c, r, k)", {5, 14, 10});
  std::vector<std::int32_t> binomial;
  for (int n = 0; n < 15; ++n)
    for (int k = 0; k < 6; ++k) binomial.push_back(static_cast<std::int32_t>(oddsmith::binomial(n, k)));
  add(out, "binomial", binomial, "C(n, k)", {15, 6});

  std::vector<std::int16_t> unsuited5 = unsuited5_table();
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
  add(out, "unsuited5_value", unsuited5, "hand value by rank_count_hash of five cards");
  add(out, "unsuited7_value", unsuited7, "hand value by rank_count_hash of seven cards");

  add(out, "count_hash_low4", low_hash_table(4), "rank_count_hash terms of ranks 0..5, four cards");
  add(out, "count_hash_low5", low_hash_table(5), "the same, five cards");
  add(out, "count_hash_low7", low_hash_table(7), "the same, seven cards");
  std::vector<std::uint16_t> high(tables::kHighKeySize);
  for (int key = 0; key < tables::kHighKeySize; ++key) {
    const int left = digit_sum(key, 7);
    if (left <= 7) high[key] = partial_hash(key, 6, 7, left);
  }
  add(out, "count_hash_high", high, "rank_count_hash terms of ranks 6..12");
  return unsuited5;
}

// Omaha: rank-mask hashes, the flush table by board and hole masks, and the
// unsuited table by board and hole rank counts.
void add_omaha_tables(std::vector<Output>& out, const std::vector<std::int16_t>& unsuited5) {
  std::vector<std::uint16_t> mask_hash4(32768), mask_hash5(32768);
  for (unsigned m = 0; m < 32768; ++m) {
    if (std::popcount(m) == 4) mask_hash4[m] = static_cast<std::uint16_t>(rules::rank_mask_hash(m, 4));
    if (std::popcount(m) == 5) mask_hash5[m] = static_cast<std::uint16_t>(rules::rank_mask_hash(m, 5));
  }
  add(out, "mask_hash4", mask_hash4, "rank_mask_hash(mask, 4)");
  add(out, "mask_hash5", mask_hash5, "rank_mask_hash(mask, 5)");

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
  add(out, "omaha_flush_value", omaha_flush, "best Omaha flush by board and hole rank-mask hash, 0 for none");
  const TriplePairValues best5 = triple_pair_values(unsuited5);
  add(out, "omaha_unsuited_value", omaha_unsuited_table(best5), "best Omaha unsuited value by board and hole hash");
  add(out, "omaha5_pair_value", omaha5_pair_table(best5),
      "best unsuited value of a hole rank pair with three board cards, by board hash and pair index");
}

// Short deck: flushes by the suit's 9-bit short-rank mask; the other hands by
// the multiset index of their sorted short ranks (tables/table_layout.h), the
// five-, six- and seven-card tables one after another.
void add_short_deck_tables(std::vector<Output>& out) {
  std::vector<std::uint16_t> flush(512);
  for (unsigned m = 0; m < 512; ++m) flush[m] = static_cast<std::uint16_t>(rules::shortdeck_flush_value_of_mask(m));
  add(out, "shortdeck_flush_value", flush, "short-deck value of the best flush in a 9-bit short-rank mask, 0 for none");
  std::vector<std::uint16_t> unsuited(tables::kShortDeckRankSize);
  for (int n = 5; n <= 7; ++n) {
    int ranks[7] = {};
    auto rec = [&](auto&& self, int i, int from) -> void {
      if (i == n) {
        unsuited[static_cast<std::size_t>(tables::shortdeck_rank_index(ranks, n))] =
            static_cast<std::uint16_t>(rules::shortdeck_unsuited_value(ranks, n));
        return;
      }
      for (int r = from; r < 9; ++r) {
        ranks[i] = r;
        self(self, i + 1, r);
      }
    };
    rec(rec, 0, 0);
  }
  add(out, "shortdeck_rank_value", unsuited, "short-deck value of 5, 6 or 7 cards with no flush, by short-rank multiset index");
  // The calculator sums card keys as in Hold'em: the same seven-card values by
  // the Hold'em rank-count hash (0 where a rank below the six is held).
  std::vector<std::uint16_t> by_hash(tables::kUnsuited7Size);
  rules::for_each_count_vector(7, [&](const RankCounts& c) {
    if (c[0] || c[1] || c[2] || c[3]) return;
    int ranks[7], k = 0;
    for (int r = 4; r < 13; ++r)
      for (int i = 0; i < c[r]; ++i) ranks[k++] = r - 4;
    by_hash[rules::rank_count_hash(c, 7)] = static_cast<std::uint16_t>(rules::shortdeck_unsuited_value(ranks, 7));
  });
  add(out, "shortdeck_unsuited7_value", by_hash, "short-deck value of seven cards with no flush, by rank_count_hash");
}

std::vector<Output> build_all() {
  std::vector<Output> out;
  add_card_tables(out);
  add_flush_tables(out);
  const std::vector<std::int16_t> unsuited5 = add_rank_count_tables(out);
  add_omaha_tables(out, unsuited5);
  add_short_deck_tables(out);
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
  // One object holds every table, each member 64-byte aligned as the assembly
  // lays it out: code reading several tables then needs one base address.
  std::string members, names;
  assembly +=
      "  .balign 64\n  .globl osm_tables\n#if defined(__ELF__)\n  .hidden osm_tables\n"
      "  .type osm_tables, @object\n#endif\nosm_tables:\n";
  for (const Output& o : build_all()) {
    members += "  alignas(64) " + o.type + " " + o.name + o.extents + ";  // " + o.note + "\n";
    names += "inline constexpr const auto& osm_" + o.name + " = osm_tables." + o.name + ";\n";
    const std::filesystem::path bin = dir / (o.name + ".bin");
    if (!write_file(bin, std::string(o.bytes.begin(), o.bytes.end()))) {
      std::fprintf(stderr, "generate_tables: cannot write %s\n", bin.string().c_str());
      return 1;
    }
    assembly += "  .balign 64\n  .incbin \"" + bin.generic_string() + "\"\n";
  }
  assembly += "  .balign 64\n#if defined(__ELF__)\n  .size osm_tables, . - osm_tables\n#endif\n";
  const std::string header =
      "/* Generated by tools/generate_tables: the embedded tables. */\n"
      "#pragma once\n\n#include <cstdint>\n\n"
      "struct OsmTables {\n" + members + "};\n\n"
      "extern \"C\" const OsmTables osm_tables;\n\n"
      "// Each table by its own name.\n" + names;
  if (!write_file(dir / "tables_embed.S", assembly) || !write_file(dir / "table_list.h", header)) {
    std::fprintf(stderr, "generate_tables: cannot write the assembly file or the header\n");
    return 1;
  }
  return 0;
}
