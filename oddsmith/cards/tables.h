// The evaluation tables, produced at build time by tools/generate_tables and
// assembled into the library's read-only data (see tables_embed.S). They are
// complete before the first call and never written.
#pragma once

#include <cstdint>

namespace oddsmith::tables {

inline constexpr int kUnsuited5Size = 6175;    // rank_ways(13, 5)
inline constexpr int kUnsuited7Size = 49205;   // rank_ways(13, 7)
inline constexpr int kHole4Size = 1820;        // rank_ways(13, 4)
inline constexpr int kBoardMaskSize = 3003;    // C(15, 5)
inline constexpr int kHoleMaskSize = 1365;     // C(15, 4)
inline constexpr int kFlushSuitSize = 4609;

// Card key packing: bits 0..13 hold one base-5 digit per rank 0..5 (the count of
// deuces..sevens), bits 14..30 one base-5 digit per rank 6..12, bits 32..43 the
// suit signature. Summing the keys of distinct cards never carries between digits.
inline constexpr unsigned kLowKeyBits = 14;
inline constexpr std::uint64_t kLowKeyMask = (1u << kLowKeyBits) - 1;
inline constexpr std::uint64_t kHighKeyMask = (1u << 17) - 1;
inline constexpr unsigned kSuitSignatureShift = 32;
inline constexpr int kLowKeySize = 15625;   // 5^6
inline constexpr int kHighKeySize = 78125;  // 5^7

}  // namespace oddsmith::tables

// Symbols defined by the generated assembly file; C linkage keeps their names plain.
extern "C" {

// The ten tables that define hand values.
extern const std::int16_t osm_rank_bit[52];
extern const std::int16_t osm_suit_weight[52];
extern const std::uint8_t osm_flush_suit[4609];
extern const std::int16_t osm_flush_value[8192];
extern const std::int32_t osm_rank_count_weight[5][14][10];
extern const std::int16_t osm_unsuited5_value[6175];
extern const std::int16_t osm_unsuited7_value[49205];
extern const std::int32_t osm_binomial[15][6];
extern const std::int16_t osm_omaha_unsuited_value[6175 * 1820];
extern const std::int16_t osm_omaha_flush_value[3003 * 1365];

// Lookup aids derived from the same rules, so that each evaluation is a few reads.
extern const std::uint64_t osm_card_key[52];          // packing described above
extern const std::uint64_t osm_card_suit_rank[52];    // rank bit << (16 * suit)
extern const std::uint16_t osm_count_hash_low4[15625];  // rank_count_hash terms of ranks 0..5
extern const std::uint16_t osm_count_hash_low5[15625];
extern const std::uint16_t osm_count_hash_low7[15625];
extern const std::uint16_t osm_count_hash_high[78125];  // terms of ranks 6..12
extern const std::uint8_t osm_board_flush_suit[4096];   // 1 + suit holding 3+ of 5 board cards
extern const std::uint16_t osm_mask_hash4[32768];       // rank_mask_hash(mask, 4)
extern const std::uint16_t osm_mask_hash5[32768];       // rank_mask_hash(mask, 5)
}
